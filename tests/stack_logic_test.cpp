#include "stack/Laufwerke.h"
#include "stack/Stapelziehen.h"
#include "support/QtPrinters.h"

#include <array>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace tw::stack;

// The stack of step 1 on a 1024 x 768 screen: pick bar 345 twips high at 3540, selection and rename
// windows at 3840 (256 pixels). The drags the end-to-end workflow and the window tests make are not
// repeated here.
TEST(StackDrag, TheHandlesMoveBarBrowserAndMonitorDownToThreeHundredTwipsAboveTheWindowInWholePixels)
{
    // y, twips per pixel, selection window's top, moves, bar top, browser top, browser height
    for (const auto& [y, tpp, top, bewegt, barTop, browserTop, browserHeight] : {
             std::tuple{245, 15.0f, 3840.0f, true, 3525, 255, 1},   // the last row before the limit
             std::tuple{-40, 15.0f, 3840.0f, true, -750, -30, 286}, // upwards there is no limit
             std::tuple{100, 12.0f, 3840.0f, true, 1350, 110, 210}, // the bar keeps 15
             std::tuple{100, 15.0f, 3847.5f, true, 1350, 110, 146}, // 146.5: halves to even
             std::tuple{100, 15.0f, 3862.5f, true, 1350, 110, 148}, // 147.5
             std::tuple{246, 12.0f, 3840.0f, false, 0, 0, 0},       // the limit is in twips
         }) {
        const ExplorerZug zug = explorerZiehen(y, top, tpp);
        EXPECT_EQ(std::tuple(zug.bewegt, zug.barTop, zug.browserTop, zug.browserHeight),
                  std::tuple(bewegt, barTop, browserTop, browserHeight))
            << "y " << y << " at " << tpp << ", window at " << top;
    }
    // y, rename window's top, bar height, moves, bar top, monitor top, monitor height
    for (const auto& [y, top, barHeight, bewegt, barTop, monitorTop, monitorHeight] : {
             std::tuple{245, 3840.0f, 345.0f, true, 3525, 3825.0f, 0.0f}, // bar's bottom past the window
             std::tuple{-40, 3840.0f, 345.0f, true, -750, -450.0f, 4245.0f},
             std::tuple{100, 3840.0f, 270.0f, true, 1350, 1650.0f, 2220.0f}, // the bar's height counts
             std::tuple{246, 3840.5f, 345.0f, true, 3540, 3840.0f, 0.0f},    // 3540 + 300 < 3840.5
             std::tuple{246, 3840.0f, 345.0f, false, 0, 0.0f, 0.0f},
         }) {
        const MonitorZug zug = monitorZiehen(y, top, barHeight);
        EXPECT_EQ(std::tuple(zug.bewegt, zug.barTop, zug.monitorTop, zug.monitorHeight),
                  std::tuple(bewegt, barTop, monitorTop, monitorHeight))
            << "y " << y << ", window at " << top;
    }
    for (const auto& [top, height, browserTop, browserHeight] : {
             std::tuple{1657.5f, 2137.5f, 110, 142}, // halves go to the even neighbour
             std::tuple{1672.5f, 2122.5f, 112, 142},
             std::tuple{1650.0f, -30.0f, 110, 0},
         }) {
        const BrowserPlatz platz = browserAufMonitor(top, height);
        EXPECT_EQ(std::pair(platz.top, platz.height), std::pair(browserTop, browserHeight))
            << top << ", " << height;
    }
}

TEST(StackDrag, TheSelectionAndRenameWindowBars)
{
    // Selection window's bar. In: bar top and height, window top and height, browser top and height
    // (pixels), pointer row; out: the drag goes on, bar top, window top, browser top and height.
    for (const auto& f : std::vector<std::array<double, 12>>{
             {3540, 345, 3840, 5760, 256, 0, 600, 1, 15 * 253 - 345, 3840, 253, 0}, // browser flat: it rises
             {3458, 345, 3840, 5760, 200, 0, 700, 1, 3458, 4890, 254, 72}, // window follows, whole pixels
             {1, 345, 4000, 5760, 30, 200, 5, 0, 10, 3360, 24, 200},       // top of the screen
         }) {
        Stapel s{float(f[0]), float(f[1]), float(f[2]), float(f[3]), f[4], f[5]};
        const bool weiter = verschiebenSchritt(s, int(f[6]));
        EXPECT_EQ(std::tuple(weiter, double(s.barTop), double(s.fensterTop), s.browserTop, s.browserHeight),
                  std::tuple(f[7] != 0, f[8], f[9], f[10], f[11]))
            << f[0] << " " << f[6];
    }
    // Rename window's bar, all in twips. In: bar top and height, monitor top and height, window top and
    // height, pointer row; out: the drag goes on, bar top, monitor top and height, window top.
    for (const auto& f : std::vector<std::array<float, 12>>{
             {1350, 345, 1650, 2145, 3840, 5775, 700, 1, 1350, 1650, 3225, 4875}, // monitor above: it grows
             {1350, 345, 1650, 2145, 3840, 5775, 450, 1, 2775, 3120, 2145, 1125}, // window above the monitor
             {1, 345, 1650, 2145, 3840, 5775, 5, 0, 10, 355, 2145, 2500},         // top of the screen
         }) {
        Renamestapel s{f[0], f[1], f[2], f[3], f[4], f[5]};
        const bool weiter = renamestapelZiehen(s, int(f[6]));
        EXPECT_EQ(std::tuple(weiter, s.barTop, s.monitorTop, s.monitorHeight, s.fensterTop),
                  std::tuple(f[7] != 0, f[8], f[9], f[10], f[11]))
            << f[6];
    }
}

// The root is always listed; a later mount on the same folder hides the earlier one.
TEST(PickBarDrives, OnlyVolumesWithRealFileSystemsAreListedEachOnceAndAddressesAndFoldersConvertBothWays)
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
        {u8("/mnt/a"), "ext4", u8("alt"), true},
        {u8("/mnt/a"), "ext4", u8("neu"), true},
        {u8("/mnt/b"), "ext4", {}, true},
        {u8("/mnt/b"), "tmpfs", {}, true},
        {u8("/"), "tmpfs", {}, true},
    };
    QStringList texte;
    for (const Laufwerk& l : laufwerkeAus(mounts))
        texte << l.wurzel + u'|' + l.text;
    EXPECT_EQ(texte,
              u8s({"/|/", "/home|/home", "/media/bob/USB STICK|/media/bob/USB STICK [USB STICK]",
                   "/mnt/a|/mnt/a [neu]", "/mnt/data|/mnt/data [Datenplatte]", "/net/archiv|/net/archiv",
                   "/run/media/bob/Kamera|/run/media/bob/Kamera [Kamera]"}));

    QStringList ordner;
    for (const char* adresse : {"file:///", "file:///mnt/data/", "/tmp/x/../y/", "", "https://example.org/"})
        ordner << ordnerAusAdresse(u8(adresse));
    EXPECT_EQ(ordner, u8s({"/", "/mnt/data", "/tmp/y", "", ""}));

    EXPECT_EQ(adresseVon(u8("/")), u8("file:///"));
    for (const char* wurzel : {"/media/bob/USB STICK", "/mnt/100%", "/mnt/a#b", "/media/Jürgen/Fotos?"})
        EXPECT_EQ(ordnerAusAdresse(adresseVon(u8(wurzel))), u8(wurzel)) << wurzel;
}
