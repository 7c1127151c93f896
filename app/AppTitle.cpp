#include "app/AppTitle.h"

#include <QFile>
#include <filesystem>
#include <system_error>

QString AppTitleFromPath(const QString& programPath) {
    QString name = programPath.mid(programPath.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    if (name.isEmpty()) return name;
    // The first character may be a surrogate pair; it is kept whole.
    const qsizetype firstLength = name.at(0).isHighSurrogate() && name.size() > 1 ? 2 : 1;
    return name.left(firstLength) + name.mid(firstLength).toLower();
}

QString ProgramFilePath() {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return QFile::decodeName(QByteArray::fromStdString(target.native()));
}

QString AppTitle() {
    static const QString title = AppTitleFromPath(ProgramFilePath());
    return title;
}
