// An independent ICU collator for the tests' reference answers.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <unicode/ucol.h>

namespace mtest {

class ReferenceCollator {
public:
    explicit ReferenceCollator(const char* locale, bool caseInsensitive = false)
        : caseInsensitive_(caseInsensitive) {
        UErrorCode status = U_ZERO_ERROR;
        c_ = ucol_open(locale, &status);
        ucol_setStrength(c_, caseInsensitive ? UCOL_SECONDARY : UCOL_TERTIARY);
    }
    ~ReferenceCollator() { ucol_close(c_); }
    ReferenceCollator(const ReferenceCollator&) = delete;
    ReferenceCollator& operator=(const ReferenceCollator&) = delete;

    /// The collator's answer; its ties, when case counts, go by the bytes. (The tests'
    /// keys that differ only where a case-insensitive collator looks past are letter case.)
    int Compare(const std::string& a, const std::string& b) const {
        UErrorCode status = U_ZERO_ERROR;
        const int r = ucol_strcollUTF8(c_, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                       static_cast<int32_t>(b.size()), &status);
        if (r != 0 || caseInsensitive_) return r;
        return a < b ? -1 : a > b ? 1 : 0;
    }
    /// Null before any value.
    int Compare(const std::optional<std::string>& a, const std::optional<std::string>& b) const {
        if (!a || !b) return a ? 1 : b ? -1 : 0;
        return Compare(*a, *b);
    }

private:
    bool caseInsensitive_;
    UCollator* c_;
};

} // namespace mtest
