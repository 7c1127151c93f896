#include "RegularFile.h"

#include "l10n/Translation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::optional<std::string> ReadRegularFile(const std::string& path, std::string& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = Format(Tr("cannot open '%s': %s"), path.c_str(), std::strerror(errno));
        return std::nullopt;
    }
    struct stat st {};
    std::string bytes;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok) error = Format(Tr("'%s' is not a regular file"), path.c_str());
    char buffer[1 << 16];
    for (ssize_t n; ok && (n = read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            error = Format(Tr("cannot read '%s': %s"), path.c_str(), std::strerror(errno));
            ok = false;
        } else {
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    if (!ok) return std::nullopt;
    return bytes;
}

std::optional<CsvTable> ReadCsvFile(const std::string& path, std::string& error) {
    const std::optional<std::string> bytes = ReadRegularFile(path, error);
    if (!bytes) return std::nullopt;
    std::optional<CsvTable> table = ReadCsv(*bytes, error);
    if (!table) error = path + ": " + error;
    return table;
}
