#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

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

// A temporary folder on another file system than the given folder, or none where nothing writable is.
inline std::unique_ptr<QTemporaryDir> otherFileSystem(const QString& here)
{
    struct stat h = {}, d = {};
    ::stat(QFile::encodeName(here).constData(), &h);
    for (const QString& base : {QStringLiteral("/dev/shm"), QStringLiteral("/run/user/%1").arg(::getuid()),
                                QStringLiteral("/var/tmp")}) {
        auto candidate = std::make_unique<QTemporaryDir>(base + QStringLiteral("/tauschwerk-test-XXXXXX"));
        if (candidate->isValid() && ::stat(QFile::encodeName(candidate->path()).constData(), &d) == 0 &&
            d.st_dev != h.st_dev)
            return candidate;
    }
    return nullptr;
}

} // namespace tw::test
