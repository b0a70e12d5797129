#include "shell/DisplayAnpassen.h"
#include "shell/Stapellayout.h"
#include "support/FakeScreen.h"

#include <gtest/gtest.h>
#include <tuple>

using tw::platform::Formular;
using tw::platform::Steuerelement;
using tw::shell::Display_anpassen;
using tw::shell::stapelBerechnen;
using tw::test::FakeScreen;

TEST(Stapellayout, TheStackFillsAFrameOf1024By768OrANarrowerScreen)
{
    // screen, twips per pixel, the selection window's top before it is placed; browser width and top
    // in pixels; bar top, bar width, selection top and height in twips
    struct Fall
    {
        int w, h;
        float tpp, vorher;
        double browserWidth, browserTop;
        float barTop, barWidth, auswahlTop, auswahlHeight;
    };
    for (const Fall& f : {
             Fall{1024, 768, 15, 999, 1024, 256, 3540, 15360, 3840, 5760},
             Fall{1920, 1080, 15, 999, 1024, 256, 3540, 15360, 3840, 5760},
             Fall{800, 600, 15, 1500, 800, 100, 2700, 12000, 3000, 4500}, // browser top from the window
             Fall{1024, 768, 12, 0, 1024, 256, 2772, 12288, 3072, 4608},  // the 300 twips stay 300
         }) {
        SCOPED_TRACE(::testing::Message() << f.w << "x" << f.h << " at " << f.tpp);
        FakeScreen screen(f.w, f.h, f.tpp);
        const auto l = stapelBerechnen(screen, f.vorher);
        EXPECT_EQ(std::tuple(l.browserWidth, l.browserTop, l.browserHeight, l.browserLeft),
                  std::tuple(f.browserWidth, f.browserTop, 0.0, 0.0));
        EXPECT_EQ(std::tuple(l.barTop, l.barWidth, l.auswahlTop, l.auswahlHeight, l.auswahlWidth),
                  std::tuple(f.barTop, f.barWidth, f.auswahlTop, f.auswahlHeight, f.barWidth));
    }
}

namespace {

// A window laid out for 1024 x 768: a list with a font, an image without one, a frame with a font,
// and a timer, which has a place but neither size nor font.
Formular entwurf()
{
    Formular f;
    f.Width = 15075;
    f.Controls = {
        Steuerelement{60.0f, 30.0f, 2685.0f, 315.0f, 8.25},
        Steuerelement{0.0f, 30.0f, 15360.0f, 315.0f, std::nullopt},
        Steuerelement{3690.0f, 1200.0f, 1695.0f, 4800.0f, 12.0},
        Steuerelement{2400.0f, 960.0f, std::nullopt, std::nullopt, std::nullopt},
    };
    return f;
}

void expectScaled(const std::optional<float>& ist, const std::optional<float>& entwurf, double faktor)
{
    ASSERT_EQ(ist.has_value(), entwurf.has_value());
    if (ist) {
        EXPECT_NEAR(*ist, *entwurf * faktor, 0.01);
    }
}

} // namespace

// Each case runs at 15 twips per pixel (96 DPI) and at 12 (120 DPI).
class DisplayAnpassen : public ::testing::TestWithParam<float>
{
protected:
    Formular fitted(int width, int height)
    {
        FakeScreen screen(width, height, GetParam());
        Formular f = entwurf();
        Display_anpassen(f, 0, screen);
        return f;
    }
};

TEST_P(DisplayAnpassen, TheReferenceScreenKeepsTheDesignAndALargerOneOnlyTakesTheWidthOf1024Pixels)
{
    for (const auto& [w, h] : {std::pair{1024, 768}, std::pair{1280, 1024}, std::pair{1280, 720},
                               std::pair{800, 1024}, std::pair{1024, 769}}) {
        SCOPED_TRACE(::testing::Message() << w << "x" << h);
        const Formular f = fitted(w, h);
        // 1024 pixels even on a screen only 800 wide.
        EXPECT_FLOAT_EQ(f.Width, w == 1024 && h == 768 ? 15075 : 1024 * GetParam());
        const Formular e = entwurf();
        for (std::size_t i = 0; i < f.Controls.size(); ++i) {
            EXPECT_EQ(f.Controls[i].Left, e.Controls[i].Left) << i;
            EXPECT_EQ(f.Controls[i].Top, e.Controls[i].Top) << i;
            EXPECT_EQ(f.Controls[i].Width, e.Controls[i].Width) << i;
            EXPECT_EQ(f.Controls[i].Height, e.Controls[i].Height) << i;
            EXPECT_EQ(f.Controls[i].FontSize, e.Controls[i].FontSize) << i;
        }
    }
}

TEST_P(DisplayAnpassen, ASmallerScreenScalesEveryControlButNotTheWindow)
{
    struct Fall
    {
        int width, height;
        double fx, fy;
    };
    for (const Fall c :
         {Fall{800, 600, 0.78125, 0.78125}, Fall{1024, 600, 1.0, 0.78125}, Fall{800, 768, 0.78125, 1.0}}) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height);
        const Formular f = fitted(c.width, c.height);
        const Formular e = entwurf();
        EXPECT_EQ(f.Width, 15075) << "the window's own size stays";
        for (std::size_t i = 0; i < f.Controls.size(); ++i) {
            SCOPED_TRACE(i);
            expectScaled(f.Controls[i].Left, e.Controls[i].Left, c.fx);
            expectScaled(f.Controls[i].Width, e.Controls[i].Width, c.fx);
            expectScaled(f.Controls[i].Top, e.Controls[i].Top, c.fy);
            expectScaled(f.Controls[i].Height, e.Controls[i].Height, c.fy);
        }
        EXPECT_NEAR(*f.Controls[0].FontSize, 8.25 * c.fy, 0.0001);
        EXPECT_NEAR(*f.Controls[2].FontSize, 12 * c.fy, 0.0001);
        EXPECT_FALSE(f.Controls[1].FontSize) << "an image gets no font";
        EXPECT_FALSE(f.Controls[3].Width || f.Controls[3].Height || f.Controls[3].FontSize)
            << "a timer is moved but gets no size and no font";
    }
    const Formular f = fitted(800, 600);
    EXPECT_DOUBLE_EQ(*f.Controls[0].FontSize, 6.4453) << "four decimal places: 8.25 x 0.78125 = 6.4453125";
    EXPECT_DOUBLE_EQ(*f.Controls[2].FontSize, 9.375);
}

INSTANTIATE_TEST_SUITE_P(TwipsPerPixel, DisplayAnpassen, ::testing::Values(15.0f, 12.0f),
                         [](const ::testing::TestParamInfo<float>& info) {
                             return "At" + std::to_string(static_cast<int>(info.param));
                         });
