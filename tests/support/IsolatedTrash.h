#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tw::test {

// HOME and the home trash in a temporary folder, made before main in a test program that copies over
// files, so that no test touches the user's own trash.
class IsolatedTrash
{
public:
    IsolatedTrash()
    {
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path() + QStringLiteral("/.local/share")));
    }
    QString path() const { return m_home.path() + QStringLiteral("/.local/share/Trash"); }
    QStringList files() const { return QDir(path() + QStringLiteral("/files")).entryList(QDir::Files); }
    QByteArray read(const QString& name) const
    {
        QFile f(path() + QStringLiteral("/files/") + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void empty() const { QDir(path()).removeRecursively(); }

private:
    QTemporaryDir m_home;
};

} // namespace tw::test
