#include "stack/ExplorerZiehen.h"
#include "stack/Laufwerke.h"
#include "stack/MonitorZiehen.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace tw::stack;

namespace {

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
        {u8("/"), "overlay", {}, true},
        {u8("/proc"), "proc", {}, true},
        {u8("/etc/hosts"), "ext4", {}, false},
        {u8("/run/user/1000/gvfs"), "fuse.gvfsd-fuse", {}, true},
        {u8("/run/media/bob/Kamera"), "exfat", u8("Kamera"), true},
        {u8("/var/lib/docker/overlay2/4f1/merged"), "overlay", {}, true},
        {u8("/boot/efi"), "vfat", {}, true},
        {u8("/mnt/data/"), "ext4", u8("Datenplatte"), true},
        {u8("/home"), "btrfs", {}, true},
        {u8("/media/bob/USB STICK"), "vfat", u8("USB STICK"), true},
        {u8("/net/archiv"), "nfs4", {}, true},
    };
    QStringList texte;
    for (const Laufwerk& l : laufwerkeAus(mounts))
        texte << l.wurzel + u'|' + l.text;
    EXPECT_EQ(texte, u8s({"/|/", "/home|/home", "/media/bob/USB STICK|/media/bob/USB STICK [USB STICK]",
                          "/mnt/data|/mnt/data [Datenplatte]", "/net/archiv|/net/archiv",
                          "/run/media/bob/Kamera|/run/media/bob/Kamera [Kamera]"}));
}

TEST(PickBarDrives, TheRootIsAlwaysListedAndAFolderMountedTwiceOnceAsItShowsNow)
{
    const QList<Laufwerk> liste = laufwerkeAus({
        {u8("/"), "tmpfs", {}, true},
        {u8("/mnt/a"), "ext4", u8("alt"), true},
        {u8("/mnt/a"), "ext4", u8("neu"), true},
        {u8("/mnt/b"), "ext4", {}, true},
        {u8("/mnt/b"), "tmpfs", {}, true}, // covers the disk below
    });
    ASSERT_EQ(liste.size(), 2);
    EXPECT_EQ(liste[0].wurzel, u8("/"));
    EXPECT_EQ(liste[1].text, u8("/mnt/a [neu]"));
}

TEST(PickBarDrives, AddressesAndFoldersConvertBothWays)
{
    EXPECT_EQ(ordnerAusAdresse(u8("file:///")), u8("/"));
    EXPECT_EQ(ordnerAusAdresse(u8("file:///mnt/data/")), u8("/mnt/data"));
    EXPECT_EQ(ordnerAusAdresse(u8("/tmp/x/../y/")), u8("/tmp/y"));
    EXPECT_EQ(ordnerAusAdresse(QString()), QString());
    EXPECT_EQ(ordnerAusAdresse(u8("https://example.org/")), QString());

    EXPECT_EQ(adresseVon(u8("/")), u8("file:///"));
    for (const char* wurzel : {"/media/bob/USB STICK", "/mnt/100%", "/mnt/a#b", "/media/Jürgen/Fotos?"})
        EXPECT_EQ(ordnerAusAdresse(adresseVon(u8(wurzel))), u8(wurzel)) << wurzel;
}

TEST(PickBarDrives, ASyncSelectsTheVolumeWhoseRootTheBrowserShowsOnce)
{
    const QList<Laufwerk> liste = {{u8("/"), u8("/")}, {u8("/mnt/data"), u8("/mnt/data")}};
    QString letztes;

    EXPECT_EQ(Laufwerk_abgleichen(u8("/mnt/data"), u8("/mnt/data"), liste, letztes), 1);
    EXPECT_EQ(letztes, u8("/mnt/data"));
    EXPECT_EQ(Laufwerk_abgleichen(u8("/mnt/data"), u8("/mnt/data"), liste, letztes), -1)
        << "the same drive again";

    EXPECT_EQ(Laufwerk_abgleichen(u8("/mnt/data/Bilder"), u8("/mnt/data"), liste, letztes), -1)
        << "not a root";
    EXPECT_EQ(Laufwerk_abgleichen(u8("/home/bob"), u8("/"), liste, letztes), -1) << "not a root";
    EXPECT_EQ(letztes, u8("/mnt/data"));

    EXPECT_EQ(Laufwerk_abgleichen(u8("/srv"), u8("/srv"), liste, letztes), -1) << "a root not in the list";
    EXPECT_EQ(letztes, u8("/srv"));
    EXPECT_EQ(Laufwerk_abgleichen(u8("/mnt/data"), u8("/mnt/data"), liste, letztes), 1)
        << "differs from /srv";

    EXPECT_EQ(Laufwerk_abgleichen(u8("/weg"), QString(), liste, letztes), -1) << "no volume known";
    EXPECT_EQ(letztes, u8("/mnt/data"));
}

TEST(MonitorDrag, TheBarFollowsThePointerAndTheMonitorFillsTheSpaceDownToTheRenameWindow)
{
    // The rename window at 256 pixels, the bar 23 pixels high, as on a 1024 x 768 screen.
    // y, bar top, monitor top, monitor height
    for (const auto& [y, barTop, monitorTop, monitorHeight] : {
             std::tuple{100, 1350, 1650.0f, 2145.0f},
             std::tuple{240, 3450, 3750.0f, 45.0f},
             std::tuple{245, 3525, 3825.0f, 0.0f}, // the bar's bottom edge is past the rename window's top
             std::tuple{0, -150, 150.0f, 3645.0f}, // upwards there is no limit
             std::tuple{-40, -750, -450.0f, 4245.0f},
         }) {
        SCOPED_TRACE(::testing::Message() << "y " << y);
        const auto zug = monitorZiehen(y, 3840, 345);
        ASSERT_TRUE(zug.bewegt);
        EXPECT_EQ(zug.barTop, barTop);
        EXPECT_EQ(zug.monitorTop, monitorTop);
        EXPECT_EQ(zug.monitorHeight, monitorHeight);
    }
    EXPECT_EQ(monitorZiehen(100, 3840, 270).monitorHeight, 2220.0f) << "the bar's own height counts";
}

TEST(MonitorDrag, NothingMovesWithinThreeHundredTwipsOfTheRenameWindow)
{
    for (int y : {246, 247, 2000})
        EXPECT_FALSE(monitorZiehen(y, 3840, 345).bewegt) << y;
    EXPECT_TRUE(monitorZiehen(246, 3840.5f, 345).bewegt) << "3540 + 300 is below 3840.5";
}

TEST(Versch, TheBrowserTakesTheMonitorsPlaceAtFifteenTwipsAPixel)
{
    // monitor top, monitor height, browser top, browser height
    for (const auto& [top, height, browserTop, browserHeight] : {
             std::tuple{1650.0f, 2145.0f, 110, 143},
             std::tuple{-450.0f, 4245.0f, -30, 283},
             std::tuple{1657.5f, 2137.5f, 110, 142}, // halves go to the even neighbour
             std::tuple{1672.5f, 2122.5f, 112, 142},
             std::tuple{1650.0f, -30.0f, 110, 0},
         }) {
        SCOPED_TRACE(::testing::Message() << top << ", " << height);
        const auto platz = browserAufMonitor(top, height);
        EXPECT_EQ(platz.top, browserTop);
        EXPECT_EQ(platz.height, browserHeight);
    }
}
