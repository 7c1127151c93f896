#include "review/Problem.h"

#include "catalogue/WorkExport.h"
#include "l10n/Translation.h"

#include <cstdlib>
#include <ostream>

namespace {

// A measured number is written as it is, so that a spreadsheet sorts it as a
// number; anything else goes through the text rules.
std::string ValueField(const std::string& value) {
    char* end = nullptr;
    std::strtod(value.c_str(), &end);
    const bool number = !value.empty() && *end == '\0' &&
                        value.find_first_not_of("-.0123456789") == std::string::npos;
    return number ? value : zenor::CsvField(value);
}

} // namespace

void WriteProblemsCsv(std::ostream& out, const std::vector<Problem>& problems) {
    using zenor::CsvField;
    out << "ID,folder,file,kind,detail,value\r\n";
    for (const Problem& p : problems)
        out << CsvField(p.id) << ',' << CsvField(p.folder) << ',' << CsvField(p.file) << ','
            << p.kind << ',' << CsvField(p.detail) << ',' << ValueField(p.value) << "\r\n";
}

void WriteProblemCounts(std::ostream& out, std::size_t works,
                        const std::vector<Problem>& problems) {
    std::map<std::string, std::size_t> counts;
    for (const Problem& p : problems) ++counts[p.kind];
    out << Format(Tr("works: %zu\n"), works) << Format(Tr("problems: %zu\n"), problems.size());
    // The kinds are the CSV's, for grep and for the eye alike: never translated.
    for (const auto& [name, n] : counts) out << name << ": " << n << "\n";
}
