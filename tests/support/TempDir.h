#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace tw::test {

// A temporary folder that builds file trees for a test and disappears with it.
class TempDir
{
public:
    TempDir();
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& relative) const;
    // Writes a file, creating its folders.
    QString write(const QString& relative, const QByteArray& content = {});
    QByteArray read(const QString& relative) const;
    bool exists(const QString& relative) const;
    QStringList entries() const;

private:
    QTemporaryDir m_dir;
};

} // namespace tw::test
