#include "l10n/Translation.h"

#include <libintl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <vector>

#ifndef ZENOR_LOCALE_FROM_PROGRAM
#error "ZENOR_LOCALE_FROM_PROGRAM: the catalogue folder relative to the program's folder"
#endif
#ifndef ZENOR_INSTALLED_LOCALEDIR
#error "ZENOR_INSTALLED_LOCALEDIR: the catalogue folder of the installed package"
#endif

const char* Tr(const char* text) {
    return dgettext(kTextDomain, text);
}

const char* TrPlural(const char* singular, const char* plural, unsigned long n) {
    return dngettext(kTextDomain, singular, plural, n);
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (size > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, again);
        text.assign(buffer.data(), static_cast<std::size_t>(size));
    }
    va_end(again);
    return text;
}

namespace {

// The catalogue folder `relativeToProgram` from the folder of `programPath`
// when there is one, else `installed` (a program copied elsewhere).
std::string CatalogueFolder(const std::string& programPath, const std::string& relativeToProgram,
                            const std::string& installed) {
    const auto slash = programPath.rfind('/');
    if (slash == std::string::npos) return installed;
    const std::string beside = programPath.substr(0, slash + 1) + relativeToProgram;
    struct stat st {};
    return stat(beside.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? beside : installed;
}

} // namespace

void StartTranslation() {
    // LC_CTYPE, so that gettext writes the messages in the terminal's
    // character set; LC_NUMERIC and the rest stay "C": strtod and printf
    // read and write the numbers of options, CSV and JSON.
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    const std::string program = n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "";
    bindtextdomain(
        kTextDomain,
        CatalogueFolder(program, ZENOR_LOCALE_FROM_PROGRAM, ZENOR_INSTALLED_LOCALEDIR).c_str());
    textdomain(kTextDomain);
}
