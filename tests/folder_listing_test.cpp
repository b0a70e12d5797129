#include "platform/FolderListing.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QFile>
#include <QLocale>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw::platform;
using tw::test::TempDir;

namespace {

// As the program runs: kinds and the order of names in German.
struct German : ::testing::Environment
{
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
};
const auto* const german = ::testing::AddGlobalTestEnvironment(new German);

TEST(FolderAddress, NamesTheLocalFolderOrNone)
{
    const QString home = u8("/home/nutzer");
    for (const auto& [address, folder] : std::initializer_list<std::pair<const char*, const char*>>{
             {"file:///tmp/100%25%20%23a", "/tmp/100% #a"},
             {"file://localhost/tmp", "/tmp"},
             {"/tmp/a/../b/", "/tmp/b"},
             {"/", "/"}})
        EXPECT_EQ(folderForAddress(u8(address), home), u8(folder)) << address;
    // Drive C in the forms kept from the program's Windows days stands for the home folder.
    for (const char* address : {"c:\\", "file:\\\\c:\\", "  file://c:/ "})
        EXPECT_EQ(folderForAddress(u8(address), home), home) << address;
    for (const char* address : {"file:\\\\d:\\", "file://server/share", "http://example.org/", "Bilder", ""})
        EXPECT_EQ(folderForAddress(u8(address), home), QString()) << address;
}

TEST(FolderKinds, DescribeItemsByNameNotByContent)
{
    for (const auto& [name, dir, kind] : std::initializer_list<std::tuple<const char*, bool, const char*>>{
             {"Urlaub.jpg", true, "Dateiordner"},
             {"text.unbekannt123", false, "UNBEKANNT123-Datei"},
             {".bashrc", false, "BASHRC-Datei"},
             {"LIESMICH", false, "Datei"},
             {"punkt.", false, "Datei"}})
        EXPECT_EQ(shellTypeFor(u8(name), dir), u8(kind)) << name;

    TempDir dir;
    EXPECT_EQ(shellType(dir.write(u8("text.unbekannt123"), "Nur Text\n")), u8("UNBEKANNT123-Datei"));
    EXPECT_EQ(shellType(dir.path()), u8("Dateiordner"));
}

// Names a glob pattern stands for: each wildcard filled in, as written, in capitals and after a dot.
QStringList namesFor(QString glob)
{
    const QString name = glob.replace(QRegularExpression(u8(R"(\[[!^][^\]]*\])")), u8("#"))
                             .replace(QRegularExpression(u8(R"(\[(.)[^\]]*\])")), u8("\\1"))
                             .replace(u'*', u'x')
                             .replace(u'?', u'a');
    return {name, name.toUpper(), u8("ab.") + name};
}

TEST(FolderKinds, KindsKeptByExtensionAreTheDatabasesOwnForEveryPatternItKnows)
{
    // The last entry is the empty name.
    QStringList names =
        u8("CMakeLists.txt|cmakelists.TXT|Makefile|MAKEFILE|Makefile.am|foo.tar.gz|FOO.TAR.GZ|"
           "foo.bar.gz|README|README.md|readme.txt|foo.C|foo.c|libfoo.so.1|notiz~|x.1|x.10|"
           "\u0130ndex.txt|\u00dcbersicht.PDF|core|punkt.|.bashrc|003.vdr|a.anim1|")
            .split(u'|');
    for (const QMimeType& mime : QMimeDatabase().allMimeTypes())
        for (const QString& glob : mime.globPatterns())
            names += namesFor(glob);
    for (const QString& name : std::as_const(names)) {
        // A plain name of the same extension first, so that the cache answers wherever it would.
        static_cast<void>(shellTypeFor(u8("plain.") + extensionOf(name), false));
        EXPECT_EQ(shellTypeFor(name, false), shellTypeLookedUp(name, false)) << qPrintable(name);
    }
}

TEST(FolderListingOrder, HiddenFilesStayOutFoldersComeFirstNumbersCountByValue)
{
    TempDir dir;
    // aOrdner first, so that it is also the older one when the date decides.
    QDir().mkpath(dir.filePath(u8("aOrdner")));
    QDir().mkpath(dir.filePath(u8("zOrdner")));
    dir.write(u8(".versteckt"));
    const std::tuple<const char*, const char*, int> files[] = {
        {"Datei10.txt", "zehn", 3}, {"Datei9.txt", "neun!", 1}, {"Foto.jpg", "jpg", 2}};
    for (const auto& [name, content, day] : files) {
        QFile file(dir.write(u8(name), content));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2026, 12, day), QTime(12, 0)),
                                     QFileDevice::FileModificationTime));
    }
    const auto never = [] { return false; };
    // The names in the listing's order, and the row it gives the last.
    const auto names = [&](int column, Qt::SortOrder order) {
        const auto listing = listFolder(dir.path(), column, order, never);
        QStringList got;
        for (const FolderEntry& e : listing->entries)
            got.append(e.name);
        return std::pair(got, listing->rows.value(got.last()));
    };
    for (const auto& [column, order, expected] :
         std::initializer_list<std::tuple<int, Qt::SortOrder, QStringList>>{
             {NameColumn, Qt::AscendingOrder,
              u8s({"aOrdner", "zOrdner", "Datei9.txt", "Datei10.txt", "Foto.jpg"})},
             {SizeColumn, Qt::AscendingOrder,
              u8s({"aOrdner", "zOrdner", "Foto.jpg", "Datei10.txt", "Datei9.txt"})},
             {TypeColumn, Qt::DescendingOrder,
              u8s({"zOrdner", "aOrdner", "Foto.jpg", "Datei10.txt", "Datei9.txt"})},
             {DateColumn, Qt::AscendingOrder,
              u8s({"aOrdner", "zOrdner", "Datei9.txt", "Foto.jpg", "Datei10.txt"})}})
        EXPECT_EQ(names(column, order), std::pair(expected, 4)) << column << " " << order;
    EXPECT_FALSE(listFolder(dir.path(), NameColumn, Qt::AscendingOrder, [] { return true; }));

    // A link counts as what it points to; a link to nothing and a pipe stay out.
    ASSERT_EQ(::symlink("aOrdner", QFile::encodeName(dir.filePath(u8("bVerweis"))).constData()), 0);
    ASSERT_EQ(::symlink("fehlt", QFile::encodeName(dir.filePath(u8("kaputt"))).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(u8("rohr"))).constData(), 0600), 0);
    EXPECT_EQ(names(NameColumn, Qt::AscendingOrder).first,
              u8s({"aOrdner", "bVerweis", "zOrdner", "Datei9.txt", "Datei10.txt", "Foto.jpg"}));
}

} // namespace
