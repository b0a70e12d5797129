#include "DocumentOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace tw::platform {

Result DesktopDocumentOpener::open(const QString& path)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return Result::success();
    return Result::failure(QStringLiteral("Für „%1“ ist kein Programm zum Öffnen eingerichtet.")
                               .arg(QDir::toNativeSeparators(path)));
}

} // namespace tw::platform
