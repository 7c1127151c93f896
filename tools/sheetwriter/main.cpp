// zenor-sheet: writes a table stream as the testing station would, for
// demos and hand checks of the reader.
//
//   zenor-sheet -o FILE [-v VERSION] -f NAME:TYPE[:SIZE]... [-r VALUE...]...
//   zenor-sheet -o FILE --answers VARNO [A1 ... A6]
//
// Each -r starts a record whose values follow, one argument per field; the
// argument \N stands for null. Booleans are written as true/false.
#include "SheetWriter.h"

#include "l10n/Translation.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

using namespace sheetwriter;

namespace {

int Usage(const std::string& why) {
    std::cerr
        << "zenor-sheet: " << why << "\n"
        << Tr("usage: zenor-sheet -o FILE [-v VERSION] -f NAME:TYPE[:SIZE]... [-r VALUE...]...\n"
              "       zenor-sheet -o FILE --answers VARNO [A1 ... A6]\n");
    return 2;
}

// The standard conversions throw with their own name ("stoi") for a text
// that is no number; a person is told which argument it was.
template <typename Number>
Number NumberArgument(const std::string& text,
                      Number (*convert)(const std::string&, std::size_t*)) {
    std::size_t used = 0;
    try {
        const Number value = convert(text, &used);
        if (used == text.size()) return value;
    } catch (const std::logic_error&) {
    }
    throw std::invalid_argument(
        Format(Tr("'%s' is not a number, or is out of range"), text.c_str()));
}

long long ToLongLong(const std::string& text, std::size_t* used) {
    return std::stoll(text, used);
}
double ToDouble(const std::string& text, std::size_t* used) {
    return std::stod(text, used);
}
int ToInt(const std::string& text, std::size_t* used) {
    return std::stoi(text, used);
}

SheetValue ParseValue(const SheetField& field, const std::string& text) {
    if (text == "\\N") return Null{};
    const std::string& t = field.type;
    if (t == "SmallInt" || t == "Integer" || t == "Word" || t == "AutoInc")
        return static_cast<std::int64_t>(NumberArgument(text, ToLongLong));
    if (t == "Boolean") return text == "true" || text == "1";
    if (t == "Float" || t == "Currency" || t == "BCD" || t == "Date" || t == "Time" ||
        t == "DateTime" || t == "LargeInt")
        return NumberArgument(text, ToDouble);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    StartTranslation();
    Sheet sheet;
    std::string out;
    bool answers = false;
    std::vector<std::string> answerValues;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::uint8_t> bytes;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string a = argv[i];
            if (a == "-o" && i + 1 < argc) {
                out = argv[++i];
            } else if (a == "-v" && i + 1 < argc) {
                sheet.version = NumberArgument(argv[++i], ToInt);
            } else if (a == "-f" && i + 1 < argc) {
                const std::string fieldText = argv[++i];
                SheetField f;
                const auto c1 = fieldText.find(':');
                if (c1 == std::string::npos) return Usage(Tr("a field is NAME:TYPE[:SIZE]"));
                f.name = fieldText.substr(0, c1);
                const auto c2 = fieldText.find(':', c1 + 1);
                f.type = fieldText.substr(c1 + 1, c2 == std::string::npos ? std::string::npos
                                                                          : c2 - c1 - 1);
                f.size = c2 == std::string::npos ? (f.type == "String" ? 20 : 0)
                                                 : NumberArgument(fieldText.substr(c2 + 1), ToInt);
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
                return Usage(Format(Tr("unexpected argument: %s"), a.c_str()));
            }
        }
        if (out.empty()) return Usage(Tr("no output file given (-o)"));
        if (answers) {
            const int version = sheet.version;
            sheet = AnswerSheet(answerValues);
            sheet.version = version;
        } else {
            if (sheet.fields.empty()) return Usage(Tr("no field given (-f)"));
            for (const auto& row : rows) {
                if (row.size() > sheet.fields.size())
                    return Usage(Tr("a record has more values than there are fields"));
                std::vector<SheetValue> values;
                for (std::size_t k = 0; k < row.size(); ++k)
                    values.push_back(ParseValue(sheet.fields[k], row[k]));
                sheet.records.push_back(Record(std::move(values)));
            }
        }
        // A value its field cannot hold (an Integer beyond 32 bits) is found
        // only while the stream is written.
        bytes = WriteSheet(sheet);
    } catch (const std::exception& e) {
        return Usage(e.what());
    }
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        std::cerr << "zenor-sheet: "
                  << Format(Tr("cannot write %s: %s"), out.c_str(), std::strerror(errno)) << "\n";
        return 1;
    }
    return 0;
}
