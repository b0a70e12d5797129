#include "shell/DisplayAnpassen.h"
#include "shell/Stapellayout.h"
#include "support/FakeScreen.h"

#include <gtest/gtest.h>
#include <tuple>

using tw::platform::Formular;
using tw::platform::Steuerelement;
using tw::test::FakeScreen;

TEST(Stapellayout, TheStackFillsAFrameOf1024By768OrANarrowerScreen)
{
    // screen, twips per pixel, the selection window's top before it is placed; browser width and top
    // in pixels; bar top, bar width, selection top and height in twips. At 800 x 600 the browser's top
    // comes from the window; at 12 twips per pixel the 300 twips stay 300.
    for (const auto& [w, h, tpp, vorher, browserWidth, browserTop, barTop, barWidth, auswahlTop,
                      auswahlHeight] : {
             std::tuple{1920, 1080, 15.0f, 999.0f, 1024.0, 256.0, 3540.0f, 15360.0f, 3840.0f, 5760.0f},
             std::tuple{800, 600, 15.0f, 1500.0f, 800.0, 100.0, 2700.0f, 12000.0f, 3000.0f, 4500.0f},
             std::tuple{1024, 768, 12.0f, 0.0f, 1024.0, 256.0, 2772.0f, 12288.0f, 3072.0f, 4608.0f},
         }) {
        SCOPED_TRACE(::testing::Message() << w << "x" << h << " at " << tpp);
        const auto l = tw::shell::stapelBerechnen(FakeScreen(w, h, tpp), vorher);
        EXPECT_EQ(std::tuple(l.browserWidth, l.browserTop, l.browserHeight, l.browserLeft),
                  std::tuple(browserWidth, browserTop, 0.0, 0.0));
        EXPECT_EQ(std::tuple(l.barTop, l.barWidth, l.auswahlTop, l.auswahlHeight, l.auswahlWidth),
                  std::tuple(barTop, barWidth, auswahlTop, auswahlHeight, barWidth));
    }
}

// A window laid out for 1024 x 768: a list with a font, an image without one, a frame with a font, and a
// timer, which has a place but neither size nor font. A larger screen only gives it the width of 1024
// pixels; a smaller one scales every control but not the window.
TEST(DisplayAnpassen, ALargerScreenTakesTheWidthOf1024PixelsASmallerOneScalesTheControls)
{
    const Formular entwurf{15075,
                           {Steuerelement{60.0f, 30.0f, 2685.0f, 315.0f, 8.25},
                            Steuerelement{0.0f, 30.0f, 15360.0f, 315.0f, std::nullopt},
                            Steuerelement{3690.0f, 1200.0f, 1695.0f, 4800.0f, 12.0},
                            Steuerelement{2400.0f, 960.0f, std::nullopt, std::nullopt, std::nullopt}}};
    const auto gleich = [](const auto& ist, const auto& soll, double faktor, double genau) {
        ASSERT_EQ(ist.has_value(), soll.has_value());
        if (ist) {
            EXPECT_NEAR(*ist, *soll * faktor, genau);
        }
    };
    // screen, twips per pixel, factors across and down, the window's width afterwards
    for (const auto& [w, h, tpp, fx, fy, breite] :
         {std::tuple{1024, 768, 12.0f, 1.0, 1.0, 15075.0f}, std::tuple{1280, 720, 12.0f, 1.0, 1.0, 12288.0f},
          std::tuple{800, 1024, 15.0f, 1.0, 1.0, 15360.0f},
          std::tuple{800, 600, 15.0f, 0.78125, 0.78125, 15075.0f},
          std::tuple{1024, 600, 12.0f, 1.0, 0.78125, 15075.0f}}) {
        SCOPED_TRACE(::testing::Message() << w << "x" << h << " at " << tpp);
        Formular f = entwurf;
        tw::shell::Display_anpassen(f, 0, FakeScreen(w, h, tpp));
        EXPECT_FLOAT_EQ(f.Width, breite);
        for (std::size_t i = 0; i < f.Controls.size(); ++i) {
            const Steuerelement &ist = f.Controls[i], &soll = entwurf.Controls[i];
            gleich(ist.Left, soll.Left, fx, 0.01);
            gleich(ist.Width, soll.Width, fx, 0.01);
            gleich(ist.Top, soll.Top, fy, 0.01);
            gleich(ist.Height, soll.Height, fy, 0.01);
            gleich(ist.FontSize, soll.FontSize, fy, 0.0001);
        }
    }
    Formular f = entwurf;
    tw::shell::Display_anpassen(f, 0, FakeScreen(800, 600));
    EXPECT_DOUBLE_EQ(*f.Controls[0].FontSize, 6.4453) << "four decimal places: 8.25 x 0.78125 = 6.4453125";
}
