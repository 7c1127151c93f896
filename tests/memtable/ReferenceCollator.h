// An independent ICU collator for the tests' reference answers.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <unicode/ucol.h>

namespace mtest {

class ReferenceCollator {
public:
    explicit ReferenceCollator(const char* locale, bool caseInsensitive = false) {
        UErrorCode status = U_ZERO_ERROR;
        c_ = ucol_open(locale, &status);
        ucol_setStrength(c_, caseInsensitive ? UCOL_SECONDARY : UCOL_TERTIARY);
    }
    ~ReferenceCollator() { ucol_close(c_); }
    ReferenceCollator(const ReferenceCollator&) = delete;
    ReferenceCollator& operator=(const ReferenceCollator&) = delete;

    int Compare(const std::string& a, const std::string& b) const {
        UErrorCode status = U_ZERO_ERROR;
        return ucol_strcollUTF8(c_, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                static_cast<int32_t>(b.size()), &status);
    }
    /// Null before any value.
    int Compare(const std::optional<std::string>& a, const std::optional<std::string>& b) const {
        if (!a || !b) return a ? 1 : b ? -1 : 0;
        return Compare(*a, *b);
    }

private:
    UCollator* c_;
};

} // namespace mtest
