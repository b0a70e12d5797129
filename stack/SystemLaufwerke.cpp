#include "SystemLaufwerke.h"

#include <QFileInfo>
#include <QStorageInfo>

namespace tw::stack {

QList<Laufwerk> SystemLaufwerke::laufwerke() const
{
    QList<Einhaengung> einhaengungen;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid())
            continue;
        einhaengungen.append(
            Einhaengung{v.rootPath(), v.fileSystemType(), v.name(), QFileInfo(v.rootPath()).isDir()});
    }
    return laufwerkeAus(einhaengungen);
}

QString SystemLaufwerke::wurzelVon(const QString& ordner) const
{
    const QStorageInfo v(ordner);
    return v.isValid() ? v.rootPath() : QString();
}

} // namespace tw::stack
