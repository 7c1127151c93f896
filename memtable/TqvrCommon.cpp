#include "memtable/TqvrCommon.h"

#include <cassert>
#include <cstdlib>
#include <random>

#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include "memtable/Exceptions.h"
#include "memtable/TextRules.h"

namespace {

// The collator maps every byte that is not UTF-8 to one replacement character
// and passes over control characters, so texts whose bytes differ can collate
// equal: two work IDs in code page 1251, or differing in a control character,
// would be one work. Its ties are told apart by the bytes; under
// case-insensitive comparison by the bytes after case folding, so that there
// letter case alone still makes no difference.
int CompareBytes(std::string_view a, std::string_view b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// The tie bytes as a sort key appends them: they compare as CompareBytes does,
// and the zero byte that ends them sorts before any byte of a longer text.
void AppendTieKey(std::string_view bytes, std::string& out) {
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 1) {
            out.push_back('\x01');
            out.push_back(static_cast<char>(b + 1));
        } else {
            out.push_back(c);
        }
    }
    out.push_back('\x00');
}

std::string UserCollationLocale() {
    const char* names[] = {"LC_ALL", "LC_COLLATE", "LANG"};
    std::string value;
    for (const char* n : names) {
        const char* v = std::getenv(n);
        if (v && *v) {
            value = v;
            break;
        }
    }
    size_t cut = value.find_first_of(".@");
    if (cut != std::string::npos) value.resize(cut);
    if (value == "C" || value == "POSIX") value.clear();
    return value;
}

} // namespace

TqvrCommon::TqvrCommon() {
    NewDataId();
}

TqvrCommon::~TqvrCommon() {
    Empty();
    DropCollators();
}

void TqvrCommon::NewDataId() {
    static std::mt19937 gen{std::random_device{}()};
    std::uniform_int_distribution<int32_t> dist(0, 2147483647);
    int32_t id;
    do id = dist(gen);
    while (id == dataId_);
    dataId_ = id;
}

bool TqvrCommon::Store(TqvrRecord* record, bool reuseFreed) {
    bool fresh = !(reuseFreed && !freeSlots_.empty());
    if (!fresh) {
        record->slot = freeSlots_.back();
        freeSlots_.pop_back();
        slots_[static_cast<size_t>(record->slot)] = record;
    } else {
        record->slot = static_cast<int32_t>(slots_.size());
        slots_.push_back(record);
    }
    record->serial = nextSerial_++;
    record->flags |= TqvrRecord::kStored;
    ++recordCount_;
    return fresh;
}

void TqvrCommon::Replace(TqvrRecord* old, TqvrRecord* now) {
    // The old object is the one stored in its slot; the new one takes its place.
    assert(Slot(old->slot) == old && now->slot == old->slot);
    slots_[static_cast<size_t>(old->slot)] = now;
    auto it = earlier_.find(old);
    if (it != earlier_.end()) {
        TqvrRecord* e = it->second;
        earlier_.erase(it);
        earlier_[now] = e;
    }
}

void TqvrCommon::Free(TqvrRecord* record) {
    // Only a record of this store, still in its slot, is freed here.
    assert(record && Slot(record->slot) == record);
    if (record->status == rsDeleted && deletedCount_ > 0) --deletedCount_;
    slots_[static_cast<size_t>(record->slot)] = nullptr;
    freeSlots_.push_back(record->slot);
    --recordCount_;
    for (TqvrRecord* e = EarlierVersion(record); e;) {
        TqvrRecord* next = EarlierVersion(e);
        earlier_.erase(e);
        TqvrRecord::Destroy(e);
        e = next;
    }
    earlier_.erase(record);
    TqvrRecord::Destroy(record);
}

void TqvrCommon::Empty() {
    for (TqvrRecord* r : slots_) TqvrRecord::Destroy(r);
    for (auto& [r, e] : earlier_) TqvrRecord::Destroy(e);
    earlier_.clear();
    slots_.clear();
    slots_.shrink_to_fit();
    freeSlots_.clear();
    recordCount_ = 0;
    nextSerial_ = 0;
    deletedCount_ = 0;
    NewDataId();
}

void TqvrCommon::LinkEarlierVersion(TqvrRecord* record, TqvrRecord* earlier) {
    earlier_[record] = earlier;
}

TqvrRecord* TqvrCommon::EarlierVersion(const TqvrRecord* record) const {
    auto it = earlier_.find(record);
    return it == earlier_.end() ? nullptr : it->second;
}

void TqvrCommon::SetLocaleID(int id) {
    localeId_ = id;
    sortId_ = (id >> 16) & 0xF;
    subLanguageId_ = (id >> 10) & 0x3F;
    languageId_ = id & 0xFF;
    DropCollators();
}

void TqvrCommon::SetLanguageID(int v) {
    languageId_ = v;
    localeId_ = (sortId_ << 16) | (subLanguageId_ << 10) | languageId_;
    DropCollators();
}

void TqvrCommon::SetSubLanguageID(int v) {
    subLanguageId_ = v;
    localeId_ = (sortId_ << 16) | (subLanguageId_ << 10) | languageId_;
    DropCollators();
}

void TqvrCommon::SetSortID(int v) {
    sortId_ = v;
    localeId_ = (sortId_ << 16) | (subLanguageId_ << 10) | languageId_;
    DropCollators();
}

bool TqvrCommon::CollationLocaleName(std::string& out) const {
    if (localeId_ == kUserDefaultLocale || localeId_ == kSystemDefaultLocale) {
        out = UserCollationLocale();
        return true;
    }
    char buf[ULOC_FULLNAME_CAPACITY];
    UErrorCode status = U_ZERO_ERROR;
    int32_t n = uloc_getLocaleForLCID(static_cast<uint32_t>(localeId_), buf, sizeof buf, &status);
    if (U_FAILURE(status) || n <= 0) return false;
    out.assign(buf, static_cast<size_t>(n));
    return true;
}

void TqvrCommon::DropCollators() {
    for (auto*& c : collators_) {
        if (c) ucol_close(c);
        c = nullptr;
    }
}

UCollator* TqvrCommon::Collator(bool caseInsensitive) const {
    UCollator*& c = collators_[caseInsensitive ? 1 : 0];
    if (c) return c;
    std::string name;
    if (!CollationLocaleName(name)) RaiseMemTableInvalidLocale(localeId_);
    UErrorCode status = U_ZERO_ERROR;
    c = ucol_open(name.c_str(), &status);
    if (U_FAILURE(status) || !c) {
        c = nullptr;
        RaiseMemTableInvalidLocale(localeId_);
    }
    ucol_setStrength(c, caseInsensitive ? UCOL_SECONDARY : UCOL_TERTIARY);
    return c;
}

int TqvrCommon::Collate(std::string_view a, std::string_view b, bool caseInsensitive) const {
    UCollator* c = Collator(caseInsensitive);
    UErrorCode status = U_ZERO_ERROR;
    UCollationResult r = ucol_strcollUTF8(c, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                          static_cast<int32_t>(b.size()), &status);
    if (r != UCOL_EQUAL) return r == UCOL_LESS ? -1 : 1;
    if (a == b) return 0;
    return caseInsensitive ? CompareBytes(textrules::FoldCase(a), textrules::FoldCase(b))
                           : CompareBytes(a, b);
}

void TqvrCommon::AppendSortKey(std::string_view text, bool caseInsensitive, std::string& out) {
    UCollator* c = Collator(caseInsensitive);
    UErrorCode status = U_ZERO_ERROR;
    scratchText_.resize(text.size() + 1);
    int32_t len = 0;
    u_strFromUTF8WithSub(scratchText_.data(), static_cast<int32_t>(scratchText_.size()), &len,
                         text.data(), static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) len = 0;
    // Most keys fit in this much room; a longer one is asked for again at its size.
    constexpr int32_t kFirstTry = 64;
    size_t base = out.size();
    out.resize(base + kFirstTry);
    int32_t need = ucol_getSortKey(c, scratchText_.data(), len,
                                   reinterpret_cast<uint8_t*>(out.data() + base), kFirstTry);
    if (need > kFirstTry) {
        out.resize(base + static_cast<size_t>(need));
        ucol_getSortKey(c, scratchText_.data(), len, reinterpret_cast<uint8_t*>(out.data() + base),
                        need);
    }
    out.resize(base + static_cast<size_t>(need));
    if (caseInsensitive)
        AppendTieKey(textrules::FoldCase(text), out);
    else
        AppendTieKey(text, out);
}
