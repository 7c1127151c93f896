// The answer step as the window runs it, with any bytes as the sheet: the
// `answers` table with its declared fields, a data source without automatic
// editing, labels bound by name (a name the sheet lacks is the labels' own
// binding error) and a link that reads every field of the current record as
// a grid would. Whatever the bytes did, the next work's valid sheet must
// then load and show, with the table's machinery given back.
#include "LabelLink.h"
#include "SheetProperties.h"
#include "SheetWriter.h"

#include "memtable/Exceptions.h"
#include "memtable/TDataSource.h"
#include "memtable/TqvrMemTable.h"
#include "memtable/stream/TMemoryStream.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Reads every field of the current record whenever the table says it moved
// or changed, so a field object freed under a bound control is caught.
class RecordReader : public TDataLink {
public:
    void DataEvent(TNotifyKind kind, TField*, bool) override {
        if (kind != nkTableChange && kind != nkScroll && kind != nkRecordChange) return;
        TDataSet* table = DataSet();
        if (table == nullptr || !table->Active()) return;
        for (int i = 0; i < table->FieldCount(); ++i) (void)table->Field(i).StringValue();
    }
};

const std::vector<std::string> kNextWork = {"3", "one", "two", "three", "four", "five", "six"};

const std::vector<std::uint8_t>& NextWorkSheet() {
    static const std::vector<std::uint8_t> bytes =
        sheetwriter::WriteSheet(sheetwriter::AnswerSheet(kNextWork));
    return bytes;
}

void Load(TqvrMemTable& answers, TqvrBinaryStreamFormat& format, const std::uint8_t* data,
          std::size_t size) {
    TMemoryStream stream(data, size);
    answers.LoadFromStreamUsingFormat(stream, &format);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TqvrMemTable answers("answers");
    for (const char* name : {"a1", "a2", "a3", "a4", "a5", "a6"}) answers.AddStringField(name, 20);
    answers.AddStringField("VarNo", 0);
    TqvrBinaryStreamFormat format;
    TDataSource source(&answers);
    source.SetAutoEdit(false);
    RecordReader reader;
    reader.SetDataSource(&source);
    std::array<LabelLink, 6> labels = {LabelLink("VarNo", LabelLink::Missing::Raise),
                                       LabelLink("VarNo", LabelLink::Missing::Raise),
                                       LabelLink("a1", LabelLink::Missing::Raise),
                                       LabelLink("a4", LabelLink::Missing::Raise),
                                       LabelLink("a5", LabelLink::Missing::Raise),
                                       LabelLink("a6", LabelLink::Missing::Raise)};
    for (LabelLink& label : labels) label.BindTo(&source);

    try {
        Load(answers, format, data, size);
    } catch (const Exception&) {
    }
    fuzzcheck::CheckRestored(answers);

    const std::vector<std::uint8_t>& next = NextWorkSheet();
    try {
        Load(answers, format, next.data(), next.size());
    } catch (const Exception& e) {
        fuzzcheck::Finding(std::string("the next work's sheet failed to load: ") + e.what());
    }
    fuzzcheck::CheckRestored(answers);
    fuzzcheck::CheckOrders(answers);
    const char* const expected[] = {"3", "3", "one", "four", "five", "six"};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (const std::string why = labels[i].Mismatch(); !why.empty()) fuzzcheck::Finding(why);
        if (labels[i].Text() != expected[i])
            fuzzcheck::Finding("a label shows \"" + labels[i].Text() + "\" for \"" + expected[i] +
                               "\"");
    }
    for (LabelLink& label : labels) label.SetDataSource(nullptr);
    reader.SetDataSource(nullptr);
    return 0;
}
