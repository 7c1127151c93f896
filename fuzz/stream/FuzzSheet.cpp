// The fuzz entry point: any bytes, loaded as an answer sheet into a fresh
// table and again into the same table, which then holds what the first load
// left. A load may fail with the library's exceptions; a crash, a sanitizer
// report, another exception or a broken property is a finding. After every
// load the table's machinery is given back; after a load that succeeded its
// orders verify, and loading the same bytes again gives the same table.
#include "SheetProperties.h"

#include "memtable/Exceptions.h"
#include "memtable/TqvrMemTable.h"
#include "memtable/stream/TMemoryStream.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool LoadOnce(TqvrMemTable& table, const std::uint8_t* data, std::size_t size) {
    TqvrBinaryStreamFormat format;
    TMemoryStream stream(data, size);
    bool loaded = true;
    try {
        table.LoadFromStreamUsingFormat(stream, &format);
    } catch (const Exception&) {
        loaded = false;
    }
    fuzzcheck::CheckRestored(table);
    if (loaded) fuzzcheck::CheckOrders(table);
    return loaded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TqvrMemTable table("answers");
    const bool first = LoadOnce(table, data, size);
    // A fresh table is closed, so a load that succeeded had field definitions
    // of its own; loading it again replaces everything with the same.
    const std::string dump = first ? fuzzcheck::Dump(table) : std::string();
    const bool second = LoadOnce(table, data, size);
    if (first && !second) fuzzcheck::Finding("the same bytes loaded once and then failed");
    if (first && fuzzcheck::Dump(table) != dump)
        fuzzcheck::Finding("a second load of the same bytes differs:\n" + dump + "----\n" +
                           fuzzcheck::Dump(table));
    return 0;
}
