#include "ProgramPlaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tw::platform {

namespace {

bool sameFolder(const QString& a, const QString& b)
{
    // Through links too: /bin may be a link to /usr/bin.
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

ProgramPlaces programPlaces(const QString& exeDir, const QString& installBinDir,
                            const QString& installGuideDir, const QString& dataFolder)
{
    const QString guide = QStringLiteral("/Tauschwerk.html");
    if (sameFolder(exeDir, installBinDir))
        return {dataFolder, installGuideDir + guide};
    if (!exeDir.isEmpty() && QFileInfo(exeDir).isWritable())
        return {exeDir, exeDir + guide};
    return {dataFolder, exeDir + guide};
}

ProgramPlaces programPlaces()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ProgramPlaces places =
        programPlaces(QCoreApplication::applicationDirPath(), QStringLiteral(TW_INSTALL_BINDIR),
                      QStringLiteral(TW_INSTALL_GUIDEDIR), data);
    if (places.folder == data)
        QDir().mkpath(data);
    return places;
}

} // namespace tw::platform
