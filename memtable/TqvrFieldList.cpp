#include "memtable/TqvrFieldList.h"

#include "memtable/Exceptions.h"
#include "memtable/TField.h"
#include "memtable/TqvrCustomMemTable.h"

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

} // namespace

bool TqvrFieldList::IsBlank(std::string_view text) {
    return Trim(text).empty();
}

void TqvrFieldList::Build(const TqvrCustomMemTable& table, std::string_view text) {
    items_.clear();
    if (IsBlank(text)) return;
    size_t start = 0;
    while (start <= text.size()) {
        size_t semi = text.find(';', start);
        std::string_view part = text.substr(
            start, semi == std::string_view::npos ? std::string_view::npos : semi - start);
        start = semi == std::string_view::npos ? text.size() + 1 : semi + 1;
        std::string_view name = part;
        TqvrMemTableCompareOptions options = 0;
        size_t colon = part.find(':');
        if (colon != std::string_view::npos) {
            // The name before ":" is taken as it stands; option letters in any order/case.
            name = part.substr(0, colon);
            for (char c : part.substr(colon + 1)) {
                switch (c) {
                case 'C':
                case 'c':
                    options |= mtcoCaseInsensitive;
                    break;
                case 'D':
                case 'd':
                    options |= mtcoDescending;
                    break;
                case 'N':
                case 'n':
                    options |= mtcoIgnoreNullKey;
                    break;
                case 'P':
                case 'p':
                    options |= mtcoPartialKey;
                    break;
                case 'L':
                case 'l':
                    options |= mtcoIgnoreLocale;
                    break;
                default:
                    break;
                }
            }
        } else {
            name = Trim(part);
        }
        if (Trim(part).empty() && colon == std::string_view::npos) continue;
        TField& field = table.FieldNamed(name);
        if (field.FieldKind() == fkAggregate || !IsAcceptedFieldType(field.DataType()))
            RaiseDatabaseError("Can't index on field " + field.DisplayName());
        items_.push_back({&field, options});
    }
}

void TqvrFieldList::AddOptions(TqvrMemTableCompareOptions options) {
    for (auto& item : items_) item.options |= options;
}

bool TqvrFieldList::SameFields(const TqvrFieldList& other) const {
    if (items_.size() != other.items_.size()) return false;
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].field != other.items_[i].field) return false;
    return true;
}
