#include "stack/MonitorZiehen.h"

#include <gtest/gtest.h>
#include <tuple>

using tw::stack::browserAufMonitor;
using tw::stack::monitorZiehen;

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
