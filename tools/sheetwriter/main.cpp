// zenor-sheet: writes a table stream as the testing station would, for
// demos and hand checks of the reader.
//
//   zenor-sheet -o FILE [-v VERSION] -f NAME:TYPE[:SIZE]... [-r VALUE...]...
//   zenor-sheet -o FILE --answers VARNO [A1 ... A6]
//
// Each -r starts a record whose values follow, one argument per field; the
// argument \N stands for null. Booleans are written as true/false.
#include "SheetWriter.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

using namespace sheetwriter;

namespace {

int Usage(const char* why) {
    std::cerr << "zenor-sheet: " << why << "\n"
              << "usage: zenor-sheet -o FILE [-v VERSION] -f NAME:TYPE[:SIZE]... [-r VALUE...]...\n"
              << "       zenor-sheet -o FILE --answers VARNO [A1 ... A6]\n";
    return 2;
}

SheetValue ParseValue(const SheetField& field, const std::string& text) {
    if (text == "\\N") return Null{};
    const std::string& t = field.type;
    if (t == "SmallInt" || t == "Integer" || t == "Word" || t == "AutoInc")
        return static_cast<std::int64_t>(std::stoll(text));
    if (t == "Boolean") return text == "true" || text == "1";
    if (t == "Float" || t == "Currency" || t == "BCD" || t == "Date" || t == "Time" ||
        t == "DateTime" || t == "LargeInt")
        return std::stod(text);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    Sheet sheet;
    std::string out;
    bool answers = false;
    std::vector<std::string> answerValues;
    std::vector<std::vector<std::string>> rows;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string a = argv[i];
            if (a == "-o" && i + 1 < argc) {
                out = argv[++i];
            } else if (a == "-v" && i + 1 < argc) {
                sheet.version = std::stoi(argv[++i]);
            } else if (a == "-f" && i + 1 < argc) {
                const std::string fieldText = argv[++i];
                SheetField f;
                const auto c1 = fieldText.find(':');
                if (c1 == std::string::npos) return Usage("a field is NAME:TYPE[:SIZE]");
                f.name = fieldText.substr(0, c1);
                const auto c2 = fieldText.find(':', c1 + 1);
                f.type = fieldText.substr(c1 + 1, c2 == std::string::npos ? std::string::npos
                                                                          : c2 - c1 - 1);
                f.size = c2 == std::string::npos ? (f.type == "String" ? 20 : 0)
                                                 : std::stoi(fieldText.substr(c2 + 1));
                sheet.fields.push_back(f);
            } else if (a == "-r") {
                rows.emplace_back();
            } else if (a == "--answers") {
                answers = true;
            } else if (answers) {
                answerValues.push_back(a);
            } else if (!rows.empty()) {
                rows.back().push_back(a);
            } else {
                return Usage(("unexpected argument: " + a).c_str());
            }
        }
        if (out.empty()) return Usage("no output file given (-o)");
        if (answers) {
            const int version = sheet.version;
            sheet = AnswerSheet(answerValues);
            sheet.version = version;
        } else {
            if (sheet.fields.empty()) return Usage("no field given (-f)");
            for (const auto& row : rows) {
                if (row.size() > sheet.fields.size())
                    return Usage("a record has more values than there are fields");
                std::vector<SheetValue> values;
                for (std::size_t k = 0; k < row.size(); ++k)
                    values.push_back(ParseValue(sheet.fields[k], row[k]));
                sheet.records.push_back(Record(std::move(values)));
            }
        }
    } catch (const std::exception& e) {
        return Usage(e.what());
    }
    const auto bytes = WriteSheet(sheet);
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        std::cerr << "zenor-sheet: cannot write " << out << ": " << std::strerror(errno) << "\n";
        return 1;
    }
    return 0;
}
