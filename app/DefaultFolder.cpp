#include "app/DefaultFolder.h"

#include <QDir>
#include <QFileInfo>

QString DefaultFolder(const QString& programFolder, const QString& installedWorks) {
    const QString besideProgram = programFolder + QStringLiteral("Answer/");
    if (QFileInfo(besideProgram).isDir()) return besideProgram;
    const QString installed = QDir::cleanPath(programFolder + installedWorks);
    if (!QFileInfo(installed).isDir()) return besideProgram;
    return installed.endsWith(QLatin1Char('/')) ? installed : installed + QLatin1Char('/');
}

QString DefaultFolder(const QString& programFolder) {
    return DefaultFolder(programFolder, QStringLiteral(ZENOR_INSTALLED_WORKS));
}
