#include "memtable/TqvrIndexes.h"

#include "memtable/TextRules.h"

TqvrIndexes::TqvrIndexes() {
    list_.push_back(std::make_unique<TqvrIndex>(kRowOrderName, "", 0, TqvrIndex::kRowOrder,
                                                TqvrEntryList::kTrackRow));
}

TqvrIndex* TqvrIndexes::Find(std::string_view name) const {
    for (const auto& i : list_)
        if (textrules::EqualIgnoringCase(i->Name, name)) return i.get();
    return nullptr;
}

TqvrIndex& TqvrIndexes::Add(std::unique_ptr<TqvrIndex> index) {
    list_.push_back(std::move(index));
    return *list_.back();
}

void TqvrIndexes::Remove(TqvrIndex* index) {
    for (size_t i = 1; i < list_.size(); ++i)
        if (list_[i].get() == index) {
            list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

void TqvrIndexes::DropAllButRowOrder() {
    list_.resize(1);
}
