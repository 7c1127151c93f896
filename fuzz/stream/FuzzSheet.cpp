// The fuzz entry point: any bytes, loaded as an answer sheet into a fresh
// table and then into a table that already holds a sheet. A load may fail
// with the library's exceptions; anything else (a crash, a sanitizer
// report, another exception) is a finding.
#include "memtable/Exceptions.h"
#include "memtable/TqvrMemTable.h"
#include "memtable/stream/TMemoryStream.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

#include <cstddef>
#include <cstdint>

namespace {

void LoadOnce(TqvrMemTable& table, const std::uint8_t* data, std::size_t size) {
    TqvrBinaryStreamFormat format;
    TMemoryStream stream(data, size);
    try {
        table.LoadFromStreamUsingFormat(stream, &format);
    } catch (const Exception&) {
        return;
    }
    // Walk what was loaded, as a viewer would.
    if (!table.Active()) return;
    table.GoFirst();
    for (int n = 0; n < table.RecordTotal(); ++n) {
        for (int i = 0; i < table.FieldCount(); ++i) (void)table.Field(i).StringValue();
        table.StepBy(1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TqvrMemTable table("answers");
    LoadOnce(table, data, size);
    LoadOnce(table, data, size);
    return 0;
}
