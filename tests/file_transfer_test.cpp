#include "platform/FileOps.h"
#include "platform/FileTransfer.h"
#include "platform/Trash.h"
#include "support/IsolatedTrash.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using tw::platform::errorText;
using tw::platform::FileTransfer;
using tw::platform::Result;
using tw::test::TempDir;

namespace {

const tw::test::IsolatedTrash trash;
const QString sameFileText = u8("Quelle und Ziel sind dieselbe Datei.");
const QString notAFileText = u8("Die Quelle ist keine gewöhnliche Datei.");

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

struct stat statOf(const QString& path)
{
    struct stat st = {};
    ::lstat(native(path).constData(), &st);
    return st;
}

// A past time with nanoseconds, so that a copy stamped "now" or truncated to seconds shows.
void makeOld(const QString& path)
{
    const timespec times[2] = {{1500000000, 111111111}, {1600000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, native(path).constData(), times, 0), 0);
}

void expectAttributesKept(const QString& path)
{
    const struct stat st = statOf(path);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
}

// Every entry under a folder, hidden ones included, with its content: a changed file or a temporary
// file left behind shows as a difference.
QStringList tree(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QString entry = QDir(root).relativeFilePath(path);
        if (info.isSymLink())
            entry += u8(" -> ") + info.symLinkTarget();
        else if (info.isFile()) {
            QFile f(path);
            entry += u8(": ") + QString::fromUtf8(f.open(QIODevice::ReadOnly) ? f.readAll() : "?");
        } else if (!info.isDir())
            entry += u8(" (special)");
        out << entry;
    }
    out.sort();
    return out;
}

void hardLink(const QString& from, const QString& to)
{
    ASSERT_EQ(::link(native(from).constData(), native(to).constData()), 0);
}

// Runs out of space after the first mebibyte (ENOSPC), or finds the target's name taken by another
// program right before the copy arrives (EEXIST).
class Failing : public FileTransfer
{
public:
    explicit Failing(int error) : m_error(error) {}

protected:
    ssize_t writeSome(int fd, const char* data, size_t size) override
    {
        if (m_error == ENOSPC && m_written >= (1 << 20)) {
            errno = ENOSPC;
            return -1;
        }
        const ssize_t n = ::write(fd, data, size);
        m_written += n > 0 ? n : 0;
        return n;
    }
    Result placeCopy(const QByteArray& temp, const QByteArray& to) override
    {
        return m_error == EEXIST ? Result::failure(EEXIST, errorText(EEXIST))
                                 : FileTransfer::placeCopy(temp, to);
    }

private:
    int m_error;
    ssize_t m_written = 0;
};

using Operation = std::function<Result(const QString&, const QString&)>;

struct Refusal
{
    const char* name;
    std::function<void(TempDir&)> setup;
    const char* source;
    const char* target;
    int code;
    QString message = {}; // errorText(code) when empty
};

void expectRefusals(const char* operationName, const Operation& operation, const std::vector<Refusal>& cases)
{
    for (const Refusal& c : cases) {
        SCOPED_TRACE(std::string(operationName) + ": " + c.name);
        TempDir dir;
        c.setup(dir);
        const QStringList before = tree(dir.path());
        const Result r =
            operation(dir.filePath(QString::fromUtf8(c.source)), dir.filePath(QString::fromUtf8(c.target)));
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.code(), c.code);
        EXPECT_EQ(r.message(), c.message.isEmpty() ? errorText(c.code) : c.message);
        EXPECT_EQ(tree(dir.path()), before);
    }
}

class Files : public ::testing::Test
{
protected:
    QString at(const char* relative) const { return dir.filePath(QString::fromUtf8(relative)); }
    QString write(const char* relative, const QByteArray& content)
    {
        return dir.write(QString::fromUtf8(relative), content);
    }

    TempDir dir;
};

using FileTransferRename = Files;
using FileTransferCopy = Files;

} // namespace

TEST_F(FileTransferRename, GivesTheFileItsNewNameAndFolderAndItsOwnPathChangesNothing)
{
    write("a.jpg", "Bild");
    QDir(dir.path()).mkdir(u8("Fotos"));
    const ino_t inode = statOf(at("a.jpg")).st_ino;
    EXPECT_TRUE(tw::platform::renameFile(at("a.jpg"), at("a.jpg")).ok());
    EXPECT_TRUE(tw::platform::moveFile(at("a.jpg"), at("a.jpg")).ok());
    ASSERT_TRUE(tw::platform::renameFile(at("a.jpg"), at("neu 01.jpg")).ok());
    ASSERT_TRUE(tw::platform::moveFile(at("neu 01.jpg"), at("Fotos/c.jpg")).ok());
    EXPECT_EQ(tree(dir.path()), u8s({"Fotos", "Fotos/c.jpg: Bild"}));
    EXPECT_EQ(statOf(at("Fotos/c.jpg")).st_ino, inode) << "within one file system a move keeps the file";
}

// Rename and move refuse the same things, and a refusal changes nothing.
TEST_F(FileTransferRename, RefusalsLeaveEveryFileAsItWas)
{
    const auto twoFiles = [](TempDir& d) {
        d.write(u8("a.jpg"), "alt");
        d.write(u8("b.jpg"), "bestehend");
    };
    const auto oneFile = [](TempDir& d) { d.write(u8("a.jpg"), "alt"); };
    const std::vector<Refusal> cases = {
        {"target exists", twoFiles, "a.jpg", "b.jpg", EEXIST},
        {"target is another hard link of the source",
         [](TempDir& d) { hardLink(d.write(u8("a.jpg"), "alt"), d.filePath(u8("b.jpg"))); }, "a.jpg", "b.jpg",
         EEXIST},
        {"target is a folder",
         [](TempDir& d) {
             d.write(u8("a.jpg"), "alt");
             d.write(u8("Ordner/x"));
         },
         "a.jpg", "Ordner", EEXIST},
        {"target folder missing", oneFile, "a.jpg", "fehlt/b.jpg", ENOENT},
        {"source missing", oneFile, "fehlt.jpg", "b.jpg", ENOENT},
        {"own path of a missing file", oneFile, "fehlt.jpg", "fehlt.jpg", ENOENT},
        {"source is a folder", [](TempDir& d) { d.write(u8("Ordner/x")); }, "Ordner", "Neu", EISDIR},
        {"broken name", oneFile, "a.jpg", "caf\xef\xbf\xbd.jpg", EILSEQ},
    };
    expectRefusals("renameFile", tw::platform::renameFile, cases);
    expectRefusals("moveFile", tw::platform::moveFile, cases);
}

namespace {

// A second folder on another file system than the test's own temporary folder.
class FileTransferAcross : public Files
{
protected:
    void SetUp() override
    {
        const dev_t here = statOf(dir.path()).st_dev;
        const QStringList bases = {u8("/dev/shm"), u8("/run/user/%1").arg(::getuid()), u8("/var/tmp")};
        for (const QString& base : bases) {
            auto candidate = std::make_unique<QTemporaryDir>(base + u8("/tauschwerk-test-XXXXXX"));
            if (candidate->isValid() && statOf(candidate->path()).st_dev != here) {
                m_other = std::move(candidate);
                return;
            }
        }
        GTEST_SKIP() << "no writable folder on a file system other than " << dir.path().toStdString()
                     << " (tried /dev/shm, /run/user/<uid>, /var/tmp)";
    }

    QString there(const char* name) const
    {
        return m_other->path() + QLatin1Char('/') + QString::fromUtf8(name);
    }
    QString otherPath() const { return m_other->path(); }

private:
    std::unique_ptr<QTemporaryDir> m_other;
};

} // namespace

TEST_F(FileTransferAcross, MoveCopiesContentPermissionsTimeAndLinksThenRemovesTheSource)
{
    const QString source = write("a.jpg", "Bild");
    ::chmod(native(source).constData(), 0640);
    makeOld(source);
    ASSERT_EQ(::symlink("ziel.jpg", native(at("verweis.jpg")).constData()), 0);
    ASSERT_TRUE(tw::platform::moveFile(source, there("b.jpg")).ok());
    ASSERT_TRUE(tw::platform::moveFile(at("verweis.jpg"), there("verweis.jpg")).ok());
    EXPECT_TRUE(tree(dir.path()).isEmpty());
    EXPECT_EQ(tree(otherPath()),
              (QStringList{u8("b.jpg: Bild"), u8("verweis.jpg -> ") + otherPath() + u8("/ziel.jpg")}));
    expectAttributesKept(there("b.jpg"));
}

TEST_F(FileTransferAcross, AMoveThatCannotFinishChangesNothing)
{
    write("a.bin", QByteArray(3 << 20, 'x'));
    QFile existing(there("a.bin"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly) && existing.write("bestehend") == 9);
    existing.close();
    const QStringList here = tree(dir.path()), other = tree(otherPath());
    EXPECT_EQ(tw::platform::moveFile(at("a.bin"), there("a.bin")).code(), EEXIST);
    // A rename stays on its file system; moving between them is the move's job.
    EXPECT_EQ(tw::platform::renameFile(at("a.bin"), there("b.bin")).code(), EXDEV);
    EXPECT_EQ(Failing(ENOSPC).move(at("a.bin"), there("c.bin")).code(), ENOSPC);
    EXPECT_EQ(tree(dir.path()), here);
    EXPECT_EQ(tree(otherPath()), other);
}

TEST_F(FileTransferCopy, CopiesContentPermissionsAndTimeAndSendsTheReplacedTargetToTheTrash)
{
    // Several buffers' worth, so that a short write or a lost block shows.
    QByteArray inhalt(5 << 20, '\0');
    for (int i = 0; i < inhalt.size(); ++i)
        inhalt[i] = char((i * 31) ^ (i >> 9));
    const QString source = write("a.bin", inhalt);
    write("b.bin", "ein alter Inhalt");
    ::chmod(native(source).constData(), 0640);
    makeOld(source);
    trash.empty();
    ASSERT_TRUE(tw::platform::copyFile(source, at("b.bin")).ok());
    EXPECT_TRUE(dir.read(u8("b.bin")) == inhalt);
    EXPECT_TRUE(dir.read(u8("a.bin")) == inhalt);
    EXPECT_EQ(dir.entries(), u8s({"a.bin", "b.bin"})) << "no temporary file is left";
    expectAttributesKept(source);
    expectAttributesKept(at("b.bin"));
    EXPECT_EQ(trash.files(), u8s({"b.bin"}));
    const auto old =
        tw::platform::TrashSearch().replacedBy(at("b.bin"), source, QDateTime::currentDateTime());
    ASSERT_TRUE(old) << "the undo finds what the copy replaced";
    EXPECT_EQ(trash.read(QFileInfo(old->file).fileName()), "ein alter Inhalt");
}

TEST_F(FileTransferCopy, RefusalsLeaveEveryFileAsItWas)
{
    const auto oneFile = [](TempDir& d) { d.write(u8("a.jpg"), "alt"); };
    const auto withFolder = [](TempDir& d) {
        d.write(u8("a.jpg"), "alt");
        d.write(u8("Ordner/x"), "x");
    };
    const std::vector<Refusal> cases = {
        {"own path", oneFile, "a.jpg", "a.jpg", EINVAL, sameFileText},
        {"own file by another path", withFolder, "a.jpg", "Ordner/../a.jpg", EINVAL, sameFileText},
        {"own file by a hard link",
         [](TempDir& d) { hardLink(d.write(u8("a.jpg"), "alt"), d.filePath(u8("b.jpg"))); }, "a.jpg", "b.jpg",
         EINVAL, sameFileText},
        {"target folder missing", oneFile, "a.jpg", "fehlt/b.jpg", ENOENT},
        {"source missing", oneFile, "fehlt.jpg", "b.jpg", ENOENT},
        {"source is a folder", withFolder, "Ordner", "b.jpg", EISDIR},
        {"target is a folder", withFolder, "a.jpg", "Ordner", EISDIR},
        {"source is a FIFO, target exists",
         [](TempDir& d) {
             d.write(u8("b.jpg"), "bestehend");
             ASSERT_EQ(::mkfifo(native(d.filePath(u8("rohr"))).constData(), 0600), 0);
         },
         "rohr", "b.jpg", EINVAL, notAFileText},
        {"broken name", oneFile, "caf\xef\xbf\xbd.jpg", "b.jpg", EILSEQ},
    };
    expectRefusals("copyFile", tw::platform::copyFile, cases);
}

TEST_F(FileTransferCopy, AFailureAtAnyStepLeavesTheTargetWhereItWas)
{
    write("a.bin", QByteArray(3 << 20, 'x'));
    write("b.bin", "bestehend");
    const QStringList before = tree(dir.path());
    trash.empty();
    EXPECT_EQ(Failing(ENOSPC).copy(at("a.bin"), at("b.bin")).message(), errorText(ENOSPC));
    EXPECT_EQ(Failing(EEXIST).copy(at("a.bin"), at("b.bin")).code(), EEXIST);
    EXPECT_EQ(tree(dir.path()), before);
    EXPECT_TRUE(trash.files().isEmpty()) << "the trashed target came back";

    // A data folder that cannot hold a trash: the old file stays, and the user is told why.
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", native(write("kein Ordner", "")));
    const QStringList withFile = tree(dir.path());
    const Result r = tw::platform::copyFile(at("a.bin"), at("b.bin"));
    qputenv("XDG_DATA_HOME", data);
    EXPECT_EQ(r.message(), u8("Die vorhandene Datei kann nicht in den Papierkorb gelegt werden: Ein Teil des "
                              "Pfades ist kein Ordner."));
    EXPECT_EQ(tree(dir.path()), withFile);
}

namespace {

// An entry of the home trash as a copy of source over path (without source: the user) left it.
void trashed(const char* name, const QString& path, const char* date, const QString& source,
             const QByteArray& content)
{
    QDir().mkpath(trash.path() + u8("/files"));
    QDir().mkpath(trash.path() + u8("/info"));
    QFile file(trash.path() + u8("/files/") + u8(name)),
        info(trash.path() + u8("/info/%1.trashinfo").arg(u8(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && info.open(QIODevice::WriteOnly));
    file.write(content);
    info.write(
        "[Trash Info]\nPath=" + QUrl::toPercentEncoding(path, "/") + "\nDeletionDate=" + date + "\n" +
        (source.isEmpty() ? QByteArray() : "X-Tauschwerk-Kopie-Von=" + QUrl::toPercentEncoding(source, "/")));
}

QByteArray content(const std::optional<tw::platform::TrashedFile>& t)
{
    return t ? trash.read(QFileInfo(t->file).fileName()) : QByteArray("(none)");
}

} // namespace

TEST_F(FileTransferCopy, TheUndoFindsTheNewestFileACopyOfItsSourceReplacedAndPutsItBack)
{
    trash.empty();
    const QString ziel = at("Bob's b.jpg"), quelle = at("a.jpg");
    trashed("b1", ziel, "2026-12-05T14:00:00", quelle, "älter");
    trashed("b2", ziel, "2026-12-05T14:03:10", quelle, "gesucht");
    trashed("b3", ziel, "2026-12-05T14:03:12", quelle, "nach der Kopie");
    trashed("b4", ziel, "2026-12-05T14:03:11", at("c.jpg"), "andere Quelle");
    trashed("b5", ziel, "2026-12-05T14:03:11", {}, "vom Benutzer");
    const QDateTime kopiert(QDate(2026, 12, 5), QTime(14, 3, 11));
    // A time of change long past, so that the next entry changes it even where times are coarse.
    const timespec lange[2] = {{946684800, 0}, {946684800, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, native(trash.path() + u8("/info")).constData(), lange, 0), 0);
    tw::platform::TrashSearch search;
    EXPECT_EQ(content(search.replacedBy(ziel, quelle, kopiert)), "gesucht");
    QFile::remove(trash.path() + u8("/files/b2")); // the user emptied that one
    EXPECT_EQ(content(search.replacedBy(ziel, quelle, kopiert)), "älter");
    trashed("b6", ziel, "2026-12-05T14:03:11", quelle, "neu");
    const auto neu = search.replacedBy(ziel, quelle, kopiert);
    EXPECT_EQ(content(neu), "neu") << "an entry made since the last look-up counts";

    ASSERT_TRUE(search.restore(*neu, ziel));
    EXPECT_EQ(dir.read(u8("Bob's b.jpg")), "neu");
    EXPECT_FALSE(QFile::exists(neu->info));
    const auto aelter = search.replacedBy(ziel, quelle, kopiert);
    EXPECT_EQ(search.restore(*aelter, ziel).code(), EEXIST) << "never over a file";
    EXPECT_EQ(content(aelter), "älter");
}

TEST_F(FileTransferCopy, WithoutPermissionNothingChanges)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "runs as root, where every permission check passes";
    const QString locked = write("geschützt/a.jpg", "alt");
    write("schreibgeschützt.jpg", "bleibt");
    write("unlesbar.jpg", "geheim");
    ::chmod(native(at("schreibgeschützt.jpg")).constData(), 0444);
    ::chmod(native(at("unlesbar.jpg")).constData(), 0);
    ::chmod(native(at("geschützt")).constData(), 0555);
    const QStringList before = tree(dir.path());

    EXPECT_EQ(tw::platform::renameFile(locked, at("geschützt/b.jpg")).code(), EACCES);
    EXPECT_EQ(tw::platform::copyFile(locked, at("schreibgeschützt.jpg")).code(), EACCES);
    EXPECT_EQ(tw::platform::copyFile(at("unlesbar.jpg"), at("b.jpg")).code(), EACCES);
    EXPECT_EQ(tree(dir.path()), before);
    ::chmod(native(at("geschützt")).constData(), 0755);
}
