#include "platform/FileOps.h"
#include "platform/FileTransfer.h"
#include "platform/Trash.h"
#include "support/IsolatedTrash.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QUrl>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using tw::platform::errorText;
using tw::platform::FileTransfer;
using tw::platform::Result;
using tw::test::TempDir;
using tw::test::tree;

namespace {

const tw::test::IsolatedTrash trash;
const QString sameFileText = u8("Quelle und Ziel sind dieselbe Datei.");

const auto native = [](const QString& path) { return QFile::encodeName(path); };

struct stat statOf(const QString& path)
{
    struct stat st = {};
    ::lstat(native(path).constData(), &st);
    return st;
}

// A past time with nanoseconds, so that a copy stamped "now" or truncated to seconds shows.
void makeOld(const QString& path)
{
    ::chmod(native(path).constData(), 0640);
    const timespec times[2] = {{1500000000, 111111111}, {1600000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, native(path).constData(), times, 0), 0);
}

void expectAttributesKept(const QString& path)
{
    const struct stat st = statOf(path);
    EXPECT_EQ(std::tuple(st.st_mode & 07777, st.st_mtim.tv_sec, st.st_mtim.tv_nsec),
              std::tuple(mode_t(0640), time_t(1600000000), long(123456789)))
        << path.toStdString();
}

// Runs out of space after the first mebibyte (ENOSPC), or finds the target's name taken by another
// program right before the copy arrives (EEXIST).
class Failing : public FileTransfer
{
public:
    explicit Failing(int error, bool named = false) : m_error(error), m_named(named) {}
    bool unnamedTemporaries() const override { return !m_named && FileTransfer::unnamedTemporaries(); }
    ssize_t writeSome(int fd, const char* data, size_t size) override
    {
        if (m_error == ENOSPC && (m_written += size) > (size_t(1) << 20)) {
            errno = ENOSPC;
            return -1;
        }
        return ::write(fd, data, size);
    }
    Result placeCopy(const QByteArray& temp, const QByteArray& to) override
    {
        return m_error == EEXIST ? Result::failure(EEXIST, errorText(EEXIST))
                                 : FileTransfer::placeCopy(temp, to);
    }
    int m_error;
    bool m_named;
    size_t m_written = 0;
};

struct Refusal
{
    const char *name, *source, *target;
    int code;
    QString message = {}; // errorText(code) when empty
};

// Each case runs in a folder with every obstacle: a.jpg, b.jpg, h.jpg (a hard link of a.jpg), the folder
// Ordner and the FIFO rohr. A refusal changes nothing.
void expectRefusals(const char* operationName, decltype(&tw::platform::copyFile) operation,
                    const std::vector<Refusal>& cases)
{
    for (const Refusal& c : cases) {
        SCOPED_TRACE(std::string(operationName) + ": " + c.name);
        TempDir dir;
        const QString a = dir.write(u8("a.jpg"), "alt");
        dir.write(u8("b.jpg"), "bestehend");
        dir.write(u8("Ordner/x"), "x");
        ASSERT_EQ(::link(native(a).constData(), native(dir.filePath(u8("h.jpg"))).constData()), 0);
        ASSERT_EQ(::mkfifo(native(dir.filePath(u8("rohr"))).constData(), 0600), 0);
        const QStringList before = tree(dir.path());
        const Result r = operation(dir.filePath(u8(c.source)), dir.filePath(u8(c.target)));
        EXPECT_EQ(std::tuple(r.ok(), r.code(), r.message()),
                  std::tuple(false, c.code, c.message.isEmpty() ? errorText(c.code) : c.message));
        EXPECT_EQ(tree(dir.path()), before);
    }
}

struct Files : ::testing::Test
{
    QString at(const char* name) const { return dir.filePath(u8(name)); }
    QString write(const char* name, const QByteArray& content) { return dir.write(u8(name), content); }
    TempDir dir;
};

} // namespace

// Rename and move refuse the same things; a copy never empties its own source. (A folder as source or
// target, and what else stands in the way of each operation, with its undo, is the collision matrix's.)
TEST(FileTransferRefusal, NoOperationReplacesAFileItMustNot)
{
    const std::vector<Refusal> cases = {
        {"target is another hard link of the source", "a.jpg", "h.jpg", EEXIST},
        {"own path of a missing file", "fehlt.jpg", "fehlt.jpg", ENOENT},
        {"broken name", "a.jpg", "caf\xef\xbf\xbd.jpg", EILSEQ},
    };
    expectRefusals("renameFile", tw::platform::renameFile, cases);
    expectRefusals("moveFile", tw::platform::moveFile, cases);
    expectRefusals(
        "copyFile", tw::platform::copyFile,
        {
            {"own file by a hard link", "a.jpg", "h.jpg", EINVAL, sameFileText},
            {"source is a FIFO", "rohr", "b.jpg", EINVAL, u8("Die Quelle ist keine gewöhnliche Datei.")},
            {"broken name", "caf\xef\xbf\xbd.jpg", "b.jpg", EILSEQ},
        });
}

TEST_F(Files, AMoveAcrossFileSystemsCopiesContentPermissionsTimeAndLinksThenRemovesTheSourceOrChangesNothing)
{
    const auto andere = tw::test::otherFileSystem(dir.path());
    if (!andere)
        GTEST_SKIP() << "no writable folder in /dev/shm, /run/user/<uid> or /var/tmp on another file system";
    const auto there = [&](const char* name) { return QString(andere->path() + u'/' + u8(name)); };
    // Such a move may go through a copy, so the recovery needs to know what stood at its target.
    EXPECT_FALSE(tw::platform::renamesInOneStep(dir.path(), andere->path()));
    EXPECT_FALSE(tw::platform::renamesInOneStep(dir.path(), at("fehlt")));
    const QString source = write("a.bin", QByteArray(3 << 20, 'x'));
    makeOld(source);
    ASSERT_EQ(::symlink("ziel.jpg", native(at("verweis.jpg")).constData()), 0);
    dir.write(there("a.bin"), "bestehend");
    const QStringList here = tree(dir.path()), other = tree(andere->path());
    EXPECT_EQ(tw::platform::moveFile(source, there("a.bin")).code(), EEXIST);
    EXPECT_EQ(Failing(ENOSPC).move(source, there("b.bin")).code(), ENOSPC);
    EXPECT_EQ(std::pair(tree(dir.path()), tree(andere->path())), std::pair(here, other));

    ASSERT_TRUE(tw::platform::moveFile(source, there("b.bin")) &&
                tw::platform::moveFile(at("verweis.jpg"), there("verweis.jpg")));
    EXPECT_TRUE(tree(dir.path()).isEmpty() && dir.read(there("b.bin")) == QByteArray(3 << 20, 'x'));
    EXPECT_EQ(QFileInfo(there("verweis.jpg")).symLinkTarget(), there("ziel.jpg"));
    expectAttributesKept(there("b.bin"));
}

TEST_F(Files, ACopyReplacesItsTargetOnlyWhenCompleteAndSendsTheOldOneToTheTrash)
{
    // Several buffers' worth, so that a short write or a lost block shows.
    QByteArray inhalt(5 << 20, '\0');
    for (int i = 0; i < inhalt.size(); ++i)
        inhalt[i] = char((i * 31) ^ (i >> 9));
    const QString source = write("a.bin", inhalt);
    write("b.bin", "ein alter Inhalt");
    makeOld(source);
    trash.empty();
    const QStringList before = tree(dir.path());
    EXPECT_EQ(Failing(ENOSPC).copy(source, at("b.bin")).message(), errorText(ENOSPC));
    EXPECT_EQ(Failing(EEXIST).copy(source, at("b.bin")).code(), EEXIST);
    // A data folder that cannot hold a trash: the old file stays, and the user is told why.
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", native(source));
    const Result r = tw::platform::copyFile(source, at("b.bin"));
    qputenv("XDG_DATA_HOME", data);
    EXPECT_EQ(r.message(), u8("Die vorhandene Datei kann nicht in den Papierkorb gelegt werden: Ein Teil des "
                              "Pfades ist kein Ordner."));
    EXPECT_EQ(tree(dir.path()), before);
    EXPECT_TRUE(trash.files().isEmpty()) << "the trashed target came back";

    ASSERT_TRUE(tw::platform::copyFile(source, at("b.bin")));
    EXPECT_TRUE(dir.read(u8("b.bin")) == inhalt && dir.read(u8("a.bin")) == inhalt);
    EXPECT_EQ(dir.entries(), u8s({"a.bin", "b.bin"})) << "no temporary file is left";
    expectAttributesKept(source);
    expectAttributesKept(at("b.bin"));
    EXPECT_EQ(std::pair(trash.files(), trash.read(u8("b.bin"))),
              std::pair(u8s({"b.bin"}), QByteArray("ein alter Inhalt")));

    // Within one file system a move keeps the file itself. (Names and its own path are the matrix's.)
    const ino_t inode = statOf(at("b.bin")).st_ino;
    QDir(dir.path()).mkdir(u8("Fotos"));
    ASSERT_TRUE(tw::platform::moveFile(at("b.bin"), at("Fotos/c.bin")));
    EXPECT_EQ(std::pair(dir.entries(), statOf(at("Fotos/c.bin")).st_ino), std::pair(u8s({"a.bin"}), inode));
}

// A run's copies take their names once their group is flushed and are reported in the order added, each
// as a single copy would; one that failed or was refused leaves nothing, and so does a group never
// completed.
TEST_F(Files, ACopyGroupReportsItsCopiesInOrderAndLeavesNothingOfTheRest)
{
    using tw::platform::CopyGroup;
    trash.empty();
    const QString a = write("a.jpg", "A"), b = write("b.jpg", "B");
    const QString gross = write("gross.bin", QByteArray(3 << 20, 'g'));
    write("ziel/b.jpg", "alt");
    // Hidden files in place of unnamed ones, so that one left over shows.
    Failing voll(ENOSPC, true);
    {
        CopyGroup group(voll);
        EXPECT_TRUE(group.add(a, at("ziel/a.jpg")));
        group.addRefused({tw::platform::FileAction::Copy, b, at("ziel/x.jpg"), EEXIST, errorText(EEXIST)});
        EXPECT_TRUE(group.add(b, at("ziel/b.jpg")));
        // Their flush and placing go on while the next copy is written.
        EXPECT_TRUE(group.advance().isEmpty());
        EXPECT_EQ(group.add(gross, at("ziel/gross.bin")).code(), ENOSPC);
        QStringList outcomes;
        for (const auto& o : group.complete())
            outcomes << QDir(dir.path()).relativeFilePath(o.target) + u8(" %1").arg(o.error);
        EXPECT_EQ(outcomes, u8s({"ziel/a.jpg 0", "ziel/x.jpg 17", "ziel/b.jpg 0", "ziel/gross.bin 28"}));
        EXPECT_TRUE(group.isEmpty());
    }
    EXPECT_EQ(tree(at("ziel")), u8s({"a.jpg: A", "b.jpg: B"}));
    EXPECT_EQ(statOf(at("ziel/a.jpg")).st_mode & 07777, statOf(a).st_mode & 07777)
        << "the private hidden file took the source's permissions";
    EXPECT_EQ(trash.files(), u8s({"b.jpg"}));
    {
        Failing plain(0, true);
        CopyGroup group(plain);
        EXPECT_TRUE(group.add(a, at("ziel/c.jpg")));
        EXPECT_EQ(QDir(at("ziel")).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }
    EXPECT_EQ(tree(at("ziel")), u8s({"a.jpg: A", "b.jpg: B"}));
}

TEST_F(Files, TheUndoFindsTheNewestFileACopyOfItsSourceReplacedAndPutsItBack)
{
    trash.empty();
    const QString ziel = at("Bob's b.jpg"), quelle = at("a.jpg");
    // An entry of the home trash as a copy of source over ziel (without source: the user) left it.
    const auto trashed = [&](const char* name, const char* date, const QString& source, const char* content) {
        const QByteArray von = source.isEmpty()
                                   ? QByteArray()
                                   : "X-Tauschwerk-Kopie-Von=" + QUrl::toPercentEncoding(source, "/");
        dir.write(trash.path() + u8("/files/") + u8(name), content);
        dir.write(trash.path() + u8("/info/%1.trashinfo").arg(u8(name)),
                  "[Trash Info]\nPath=" + QUrl::toPercentEncoding(ziel, "/") + "\nDeletionDate=" + date +
                      "\n" + von);
    };
    const auto content = [](const std::optional<tw::platform::TrashedFile>& t) {
        return t ? trash.read(QFileInfo(t->file).fileName()) : QByteArray("(none)");
    };
    trashed("b1", "2026-12-05T14:00:00", quelle, "älter");
    trashed("b2", "2026-12-05T14:03:10", quelle, "gesucht");
    trashed("b3", "2026-12-05T14:03:12", quelle, "nach der Kopie");
    trashed("b4", "2026-12-05T14:03:11", at("c.jpg"), "andere Quelle");
    trashed("b5", "2026-12-05T14:03:11", {}, "vom Benutzer");
    const QDateTime kopiert(QDate(2026, 12, 5), QTime(14, 3, 11));
    // A time of change long past, so that the next entry changes it even where times are coarse.
    const timespec lange[2] = {{946684800, 0}, {946684800, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, native(trash.path() + u8("/info")).constData(), lange, 0), 0);
    tw::platform::TrashSearch search;
    EXPECT_EQ(content(search.replacedBy(ziel, quelle, kopiert)), "gesucht");
    QFile::remove(trash.path() + u8("/files/b2")); // the user emptied that one
    EXPECT_EQ(content(search.replacedBy(ziel, quelle, kopiert)), "älter");
    trashed("b6", "2026-12-05T14:03:11", quelle, "neu");
    const auto neu = search.replacedBy(ziel, quelle, kopiert);
    EXPECT_EQ(content(neu), "neu") << "an entry made since the last look-up counts";

    ASSERT_TRUE(search.restore(*neu, ziel));
    EXPECT_TRUE(dir.read(u8("Bob's b.jpg")) == "neu" && !QFile::exists(neu->info));
    const auto aelter = search.replacedBy(ziel, quelle, kopiert);
    EXPECT_EQ(search.restore(*aelter, ziel).code(), EEXIST) << "never over a file";
    EXPECT_EQ(content(aelter), "älter");
}
