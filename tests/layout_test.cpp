#include "catalogue/Verschieben.h"
#include "shell/Stapellayout.h"
#include "support/FakeScreen.h"

#include <gtest/gtest.h>

using tw::catalogue::Stapel;
using tw::catalogue::verschiebenSchritt;
using tw::shell::stapelBerechnen;
using tw::test::FakeScreen;

TEST(Stapellayout, WideScreensKeepTheFrameOf1024By768AtTheTopLeft)
{
    for (const auto& [w, h] : {std::pair{1024, 768}, std::pair{1280, 1024}, std::pair{1920, 1080}}) {
        FakeScreen screen(w, h);
        const auto l = stapelBerechnen(screen, 999);
        EXPECT_EQ(l.browserWidth, 1024) << w;
        EXPECT_EQ(l.browserHeight, 0);
        EXPECT_EQ(l.browserTop, 256);
        EXPECT_EQ(l.browserLeft, 0);
        EXPECT_FLOAT_EQ(l.barTop, 3840 - 300);
        EXPECT_FLOAT_EQ(l.barWidth, 15360);
        EXPECT_FLOAT_EQ(l.auswahlTop, 3840);
        EXPECT_FLOAT_EQ(l.auswahlHeight, 5760) << "down to five sixths of the frame";
        EXPECT_FLOAT_EQ(l.auswahlWidth, 15360);
    }
}

TEST(Stapellayout, ANarrowScreenIsFilledInTheSameProportions)
{
    FakeScreen screen(800, 600);
    const auto l = stapelBerechnen(screen, 1500);
    EXPECT_EQ(l.browserWidth, 800);
    EXPECT_EQ(l.browserTop, 100) << "taken from the selection window's top before it is placed";
    EXPECT_FLOAT_EQ(l.barTop, 9000.0f / 3 - 300);
    EXPECT_FLOAT_EQ(l.barWidth, 12000);
    EXPECT_FLOAT_EQ(l.auswahlTop, 3000);
    EXPECT_FLOAT_EQ(l.auswahlHeight, 4500);
    EXPECT_FLOAT_EQ(l.auswahlWidth, 12000);
}

TEST(Stapellayout, TwipsPerPixelOtherThanFifteen)
{
    FakeScreen screen(1024, 768, 12.0f);
    const auto l = stapelBerechnen(screen, 0);
    EXPECT_FLOAT_EQ(l.barWidth, 12288);
    EXPECT_FLOAT_EQ(l.auswahlTop, 3072);
    EXPECT_FLOAT_EQ(l.barTop, 3072 - 300) << "the 300 twips stay 300 twips";
}

namespace {

Stapel nachSchritt1()
{
    // Pick bar 345 twips high at 3540, browser 256 px with a height of 0, selection window at 3840.
    return Stapel{3540, 345, 3840, 5760, 256, 0};
}

} // namespace

TEST(Verschieben, FirstMoveWithTheBrowserFlatLiftsBarAndBrowser)
{
    Stapel s = nachSchritt1();
    ASSERT_TRUE(verschiebenSchritt(s, 600));
    EXPECT_EQ(s.browserTop, 253) << "(3840 + 0) / 15 - 3";
    EXPECT_FLOAT_EQ(s.barTop, 15 * 253 - 345);
    EXPECT_FLOAT_EQ(s.fensterTop, 3840) << "the window itself stays";
}

TEST(Verschieben, WithTheBrowserAboveTheWindowFollowsThePointer)
{
    Stapel s{3450, 345, 3840, 5760, 253, 0};
    ASSERT_TRUE(verschiebenSchritt(s, 700));
    EXPECT_EQ(s.browserTop, 253) << "just under the pick bar: (3450 + 345) / 15";
    EXPECT_FLOAT_EQ(s.fensterTop, 700 * 15 - 5760 + 150) << "the bottom edge 150 twips below the pointer";
    EXPECT_EQ(s.browserHeight, 4890 / 15 - 253) << "the browser fills the space down to the window";
    EXPECT_FLOAT_EQ(s.barTop, 3450);
}

TEST(Verschieben, BrowserPositionsAreWholePixels)
{
    Stapel s{3451, 344, 3840, 5760, 200, 0};
    ASSERT_TRUE(verschiebenSchritt(s, 700));
    EXPECT_EQ(s.browserTop, 253) << "3795 / 15 = 253";
    s = Stapel{3458, 345, 3840, 5760, 200, 0};
    verschiebenSchritt(s, 700);
    EXPECT_EQ(s.browserTop, 254) << "3803 / 15 = 253.53 rounds to 254";
}

TEST(Verschieben, ReachingTheTopOfTheScreenEndsTheDragAndStacksTheWindows)
{
    Stapel s{1, 345, 4000, 5760, 30, 200};
    EXPECT_FALSE(verschiebenSchritt(s, 5));
    EXPECT_FLOAT_EQ(s.barTop, 10);
    EXPECT_EQ(s.browserTop, 24) << "(10 + 345) / 15 = 23.7";
    EXPECT_FLOAT_EQ(s.fensterTop, (24 + 200) * 15);
    Stapel negativ{-300, 345, 4000, 5760, 30, 200};
    EXPECT_FALSE(verschiebenSchritt(negativ, 5)) << "a bar above the screen's edge ends it as well";
}
