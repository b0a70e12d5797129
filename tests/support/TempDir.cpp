#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tw::test {

TempDir::TempDir() = default;

QString TempDir::filePath(const QString& relative) const
{
    return QDir(m_dir.path()).filePath(relative);
}

QString TempDir::write(const QString& relative, const QByteArray& content)
{
    const QString full = filePath(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return full;
}

QByteArray TempDir::read(const QString& relative) const
{
    QFile f(filePath(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TempDir::exists(const QString& relative) const
{
    return QFileInfo::exists(filePath(relative));
}

QStringList TempDir::entries() const
{
    return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace tw::test
