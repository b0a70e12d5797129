#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

namespace tw::test {

// A temporary folder that builds file trees for a test and disappears with it.
class TempDir
{
public:
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& relative) const { return QDir(m_dir.path()).filePath(relative); }
    // Writes a file, creating its folders.
    QString write(const QString& relative, const QByteArray& content = {})
    {
        const QString full = filePath(relative);
        QDir().mkpath(QFileInfo(full).absolutePath());
        QFile f(full);
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
        return full;
    }
    QByteArray read(const QString& relative) const
    {
        QFile f(filePath(relative));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool exists(const QString& relative) const { return QFileInfo::exists(filePath(relative)); }
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

private:
    QTemporaryDir m_dir;
};

// Every entry under a folder with its content, sorted: a changed, lost or left-over file shows.
inline QStringList tree(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QFile f(path);
        out << QDir(root).relativeFilePath(path) +
                   (info.isSymLink() ? QStringLiteral(" -> ") + info.symLinkTarget()
                    : info.isFile()  ? QStringLiteral(": ") +
                                          QString::fromUtf8(f.open(QIODevice::ReadOnly) ? f.readAll() : "?")
                    : info.isDir() ? QString()
                                   : QStringLiteral(" (special)"));
    }
    out.sort();
    return out;
}

} // namespace tw::test
