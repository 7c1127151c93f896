// Writes the seed corpus: valid sheets of every stream version and of every
// value kind, made with the sheet writer. Run by hand when the seeds are to
// be renewed: stream-make-corpus OUTPUT-FOLDER.
#include "SheetWriter.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace sheetwriter;

namespace {

void Save(const std::string& folder, const std::string& name,
          const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Sheet AllTypes(int version) {
    Sheet s;
    s.version = version;
    const std::pair<const char*, SheetValue> columns[] = {
        {"String", std::string("abc")},
        {"SmallInt", std::int64_t{-3}},
        {"Integer", std::int64_t{70000}},
        {"Word", std::int64_t{65535}},
        {"Boolean", true},
        {"Float", 2.5},
        {"Currency", 1.23456},
        {"BCD", -7.5},
        {"Date", 43831.0},
        {"Time", 0.25},
        {"DateTime", 43831.75},
        {"Bytes", std::string("\x01\x02")},
        {"VarBytes", std::string("xy")},
        {"AutoInc", std::int64_t{9}},
        {"Blob", std::string("blob")},
        {"Memo", std::string("Ответ")},
        {"Graphic", std::string("g")},
        {"FmtMemo", std::string("f")},
        {"FixedChar", std::string("fc")},
        {"LargeInt", 1e15},
        {"HugeClob", std::string("c")},
    };
    std::vector<SheetValue> row;
    std::vector<SheetValue> nulls;
    int i = 0;
    for (const auto& [type, value] : columns) {
        SheetField f;
        f.name = std::string("f") + std::to_string(i++);
        f.type = type;
        f.size = std::string(type) == "String" || std::string(type) == "FixedChar" ? 10 : 0;
        s.fields.push_back(f);
        row.push_back(value);
        // Made in place: GCC 12 takes the move of a temporary null for a read of
        // an uninitialised value.
        nulls.emplace_back(std::in_place_type<Null>);
    }
    SheetIndex ix;
    ix.name = "i1";
    ix.fields = "f0;f2";
    ix.descending = true;
    s.indexes = {ix};
    SheetRecord r = Record(row, 1);
    r.versions.push_back(SheetVersion{0, row});
    s.records = {r, Record(nulls, 3), Record(row, 2)};
    return s;
}

// Orders over every option a field list or an index definition can carry,
// over records whose keys repeat, prefix one another and are null, so that
// partial and null-skipping comparisons meet the builds.
Sheet Orders(int version, bool repeatUniqueKey) {
    Sheet s;
    s.version = version;
    const char* types[] = {"String", "String", "Integer", "Boolean", "Float", "FixedChar"};
    int i = 0;
    for (const char* type : types) {
        SheetField f;
        f.name = "f" + std::to_string(i++);
        f.type = type;
        f.size = 8;
        s.fields.push_back(f);
    }
    const char* keys[] = {"ab", "ab", "a", "ab", "ab", "ac", "", "AB", "b", "a"};
    std::int64_t n = 0;
    for (const char* key : keys) {
        std::vector<SheetValue> row = {
            std::string(key), std::string(key), n, n % 2 == 0, 0.5 * static_cast<double>(n),
            std::string(key)};
        if (n == 6) row[1] = Null{};
        if (repeatUniqueKey) row[2] = n % 3;
        s.records.push_back(Record(row, static_cast<int>(n % 4)));
        ++n;
    }
    s.records.push_back(Record({Null{}, Null{}, Null{}, Null{}, Null{}, Null{}}));
    const char* lists[] = {"f0:P",     "f1:N",  "f0:PN;f1:D", "f0:C;f5:L",
                           "f1:NDCLP", "f4;f3", "f0 ; f5:pd", "f2"};
    int k = 0;
    for (const char* list : lists) {
        SheetIndex ix;
        ix.name = "i" + std::to_string(k);
        ix.fields = list;
        ix.descending = k % 2 == 1;
        ix.caseInsensitive = k % 3 == 1;
        ix.nonMaintained = k == 5;
        ix.unique = std::string(list) == "f2";
        s.indexes.push_back(ix);
        ++k;
    }
    return s;
}

Sheet ManyFields(int count) {
    Sheet s;
    std::vector<SheetValue> row;
    for (int i = 0; i < count; ++i) {
        SheetField f;
        f.name = "m" + std::to_string(i);
        f.size = i % 7;
        s.fields.push_back(f);
        row.emplace_back(std::string(static_cast<std::size_t>(i % 9), 'x'));
    }
    s.records = {Record(row), Record(row)};
    SheetIndex ix;
    ix.name = "all";
    for (int i = 0; i < count; i += 5) ix.fields += (i ? ";m" : "m") + std::to_string(i);
    s.indexes = {ix};
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    for (int version : {100, 199, 200, 229, 230, 248, 249, 250, 251, 300}) {
        Sheet answers =
            AnswerSheet({"2", "one", "two", "three", "четыре", "five", std::string(300, 's')});
        answers.version = version;
        Save(folder, "answers-v" + std::to_string(version) + ".ans", WriteSheet(answers));
        Save(folder, "types-v" + std::to_string(version) + ".ans", WriteSheet(AllTypes(version)));
    }
    for (int version : {200, 229, 230, 249, 251}) {
        Save(folder, "orders-v" + std::to_string(version) + ".ans",
             WriteSheet(Orders(version, false)));
    }
    Save(folder, "orders-unique-repeated.ans", WriteSheet(Orders(251, true)));
    Save(folder, "many-fields.ans", WriteSheet(ManyFields(64)));
    // The smallest sheets: one field, no record; and one field, no index list entries.
    Sheet tiny;
    SheetField f;
    f.name = "a";
    tiny.fields = {f};
    Save(folder, "tiny.ans", WriteSheet(tiny));
    return 0;
}
