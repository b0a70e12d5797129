#include "stack/ExplorerZiehen.h"
#include "stack/Laufwerke.h"

#include <gtest/gtest.h>
#include <tuple>

using tw::stack::adresseVon;
using tw::stack::Einhaengung;
using tw::stack::explorerZiehen;
using tw::stack::Laufwerk;
using tw::stack::Laufwerk_abgleichen;
using tw::stack::laufwerkeAus;
using tw::stack::ordnerAusAdresse;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// The selection window's top at 256 pixels, as step 1 places it on a 1024 x 768 screen.
constexpr float auswahlTop = 3840;

} // namespace

TEST(PickBarDrag, TheBarFollowsThePointerAndTheBrowserFillsTheGapDownToTheSelectionWindow)
{
    // y, twips per pixel, bar top, browser top, browser height
    for (const auto& [y, tpp, barTop, browserTop, browserHeight] : {
             std::tuple{100, 15.0f, 1350, 110, 146},
             std::tuple{245, 15.0f, 3525, 255, 1}, // the last row before the limit
             std::tuple{0, 15.0f, -150, 10, 246},  // upwards there is no limit
             std::tuple{-40, 15.0f, -750, -30, 286},
             std::tuple{100, 12.0f, 1350, 110, 3840 / 12 - 110}, // the bar keeps the fixed 15
         }) {
        SCOPED_TRACE(::testing::Message() << "y " << y << " at " << tpp);
        const auto zug = explorerZiehen(y, auswahlTop, tpp);
        ASSERT_TRUE(zug.bewegt);
        EXPECT_EQ(zug.barTop, barTop);
        EXPECT_EQ(zug.browserTop, browserTop);
        EXPECT_EQ(zug.browserHeight, browserHeight);
    }
}

TEST(PickBarDrag, NothingMovesWithinThreeHundredTwipsOfTheSelectionWindow)
{
    for (int y : {246, 247, 400, 2000}) {
        EXPECT_FALSE(explorerZiehen(y, auswahlTop, 15).bewegt) << y;
        EXPECT_FALSE(explorerZiehen(y, auswahlTop, 12).bewegt) << y << ", the limit is in twips";
    }
}

TEST(PickBarDrag, TheBrowserHeightIsRoundedToWholePixelsHalvesToEven)
{
    EXPECT_EQ(explorerZiehen(100, 3850, 15).browserHeight, 147) << "146.67";
    EXPECT_EQ(explorerZiehen(100, 3845, 15).browserHeight, 146) << "146.33";
    EXPECT_EQ(explorerZiehen(100, 3847.5f, 15).browserHeight, 146) << "146.5";
    EXPECT_EQ(explorerZiehen(100, 3862.5f, 15).browserHeight, 148) << "147.5";
}

TEST(PickBarDrives, OnlyVolumesWithRealFileSystemsAreListed)
{
    const QList<Einhaengung> mounts = {
        {s("/"), "overlay", {}, true},
        {s("/proc"), "proc", {}, true},
        {s("/sys/fs/cgroup/memory"), "cgroup", {}, true},
        {s("/dev/shm"), "tmpfs", {}, true},
        {s("/etc/hosts"), "ext4", {}, false},
        {s("/run/user/1000/gvfs"), "fuse.gvfsd-fuse", {}, true},
        {s("/run/media/bob/Kamera"), "exfat", s("Kamera"), true},
        {s("/snap/core22/1122"), "squashfs", {}, true},
        {s("/var/lib/docker/overlay2/4f1/merged"), "overlay", {}, true},
        {s("/boot/efi"), "vfat", {}, true},
        {s("/mnt/data/"), "ext4", s("Datenplatte"), true},
        {s("/home"), "btrfs", {}, true},
        {s("/media/bob/USB STICK"), "vfat", s("USB STICK"), true},
        {s("/net/archiv"), "nfs4", {}, true},
    };
    QStringList texte;
    for (const Laufwerk& l : laufwerkeAus(mounts))
        texte << l.wurzel + u'|' + l.text;
    EXPECT_EQ(texte, (QStringList{s("/|/"), s("/home|/home"),
                                  s("/media/bob/USB STICK|/media/bob/USB STICK [USB STICK]"),
                                  s("/mnt/data|/mnt/data [Datenplatte]"), s("/net/archiv|/net/archiv"),
                                  s("/run/media/bob/Kamera|/run/media/bob/Kamera [Kamera]")}));
}

TEST(PickBarDrives, TheRootIsAlwaysListedAndAFolderMountedTwiceOnceAsItShowsNow)
{
    const QList<Laufwerk> liste = laufwerkeAus({
        {s("/"), "tmpfs", {}, true},
        {s("/mnt/a"), "ext4", s("alt"), true},
        {s("/mnt/a"), "ext4", s("neu"), true},
        {s("/mnt/b"), "ext4", {}, true},
        {s("/mnt/b"), "tmpfs", {}, true}, // covers the disk below
    });
    ASSERT_EQ(liste.size(), 2);
    EXPECT_EQ(liste[0].wurzel, s("/"));
    EXPECT_EQ(liste[1].text, s("/mnt/a [neu]"));
}

TEST(PickBarDrives, AddressesAndFoldersConvertBothWays)
{
    EXPECT_EQ(ordnerAusAdresse(s("file:///")), s("/"));
    EXPECT_EQ(ordnerAusAdresse(s("file:///mnt/data/")), s("/mnt/data"));
    EXPECT_EQ(ordnerAusAdresse(s("/tmp/x/../y/")), s("/tmp/y"));
    EXPECT_EQ(ordnerAusAdresse(QString()), QString());
    EXPECT_EQ(ordnerAusAdresse(s("https://example.org/")), QString());

    EXPECT_EQ(adresseVon(s("/")), s("file:///"));
    for (const char* wurzel : {"/media/bob/USB STICK", "/mnt/100%", "/mnt/a#b", "/media/Jürgen/Fotos?"})
        EXPECT_EQ(ordnerAusAdresse(adresseVon(s(wurzel))), s(wurzel)) << wurzel;
}

TEST(PickBarDrives, ASyncSelectsTheVolumeWhoseRootTheBrowserShowsOnce)
{
    const QList<Laufwerk> liste = {{s("/"), s("/")}, {s("/mnt/data"), s("/mnt/data")}};
    QString letztes;

    EXPECT_EQ(Laufwerk_abgleichen(s("/mnt/data"), s("/mnt/data"), liste, letztes), 1);
    EXPECT_EQ(letztes, s("/mnt/data"));
    EXPECT_EQ(Laufwerk_abgleichen(s("/mnt/data"), s("/mnt/data"), liste, letztes), -1)
        << "the same drive again";

    EXPECT_EQ(Laufwerk_abgleichen(s("/mnt/data/Bilder"), s("/mnt/data"), liste, letztes), -1) << "not a root";
    EXPECT_EQ(Laufwerk_abgleichen(s("/home/bob"), s("/"), liste, letztes), -1) << "not a root";
    EXPECT_EQ(letztes, s("/mnt/data"));

    EXPECT_EQ(Laufwerk_abgleichen(s("/srv"), s("/srv"), liste, letztes), -1) << "a root not in the list";
    EXPECT_EQ(letztes, s("/srv"));
    EXPECT_EQ(Laufwerk_abgleichen(s("/mnt/data"), s("/mnt/data"), liste, letztes), 1) << "differs from /srv";

    EXPECT_EQ(Laufwerk_abgleichen(s("/weg"), QString(), liste, letztes), -1) << "no volume known";
    EXPECT_EQ(letztes, s("/mnt/data"));
}
