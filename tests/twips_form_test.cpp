#include "platform/TwipsForm.h"
#include "support/FakeScreen.h"

#include <QCoreApplication>
#include <QLabel>
#include <gtest/gtest.h>
#include <tuple>

using tw::platform::Formular;
using tw::platform::TwipsForm;
using tw::test::FakeScreen;

TEST(TwipsForm,
     WindowAndControlsAreShownInPixelsAFormularAppliesPlacesAndFontsAndTheTwipsPlaceSurvivesShowing)
{
    // At 12 twips per pixel 345 / 12 = 28.75 and 2685 / 12 = 223.75 round up, 30 / 12 = 2.5 rounds away
    // from zero; the end-to-end scripts measure windows at 15.
    {
        FakeScreen screen(1024, 768, 12.0f);
        TwipsForm form(screen);
        form.setLeft(1500);
        form.setTop(3000);
        form.setWidth(15075);
        form.setHeight(345);
        auto* label = new QLabel(&form);
        form.addControl(label, 60, 30, 2685, 315, 8.25);
        EXPECT_EQ(std::pair(form.geometry(), label->geometry()),
                  std::pair(QRect(125, 250, 1256, 29), QRect(5, 3, 224, 26)));
        EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 8.25);
    }

    FakeScreen screen;
    TwipsForm form(screen);
    auto* label = new QLabel(&form);
    auto* bild = new QLabel(&form);
    form.addControl(label, 60, 30, 2685, 315, 8.25);
    form.addControl(bild, 0, 30, 15360, 315);
    const QFont bildFont = bild->font();
    Formular f = form.formular();
    ASSERT_EQ(f.Controls.size(), 2u);
    f.Width = 15360;
    f.Controls[0] = {300.0f, 150.0f, 1500.0f, 600.0f, 12.0};
    f.Controls[1].Top = 45.0f;
    form.setFormular(f);
    EXPECT_EQ(form.width(), 1024);
    EXPECT_EQ(label->geometry(), QRect(20, 10, 100, 40));
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 12.0);
    EXPECT_EQ(bild->geometry(), QRect(0, 3, 1024, 21));
    EXPECT_EQ(bild->font(), bildFont) << "a control without a font size keeps its font";

    TwipsForm fenster(screen, nullptr, Qt::FramelessWindowHint);
    fenster.setWidth(3000);
    fenster.setHeight(1500);
    fenster.setTop(3007); // 200.47 pixels
    fenster.setLeft(-150);
    fenster.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(std::pair(fenster.Left(), fenster.Top()), std::pair(-150.0f, 3007.0f))
        << "the pixel place is only the rounding of the twips place";
    fenster.move(50, 60);
    QCoreApplication::processEvents();
    EXPECT_EQ(std::pair(fenster.Left(), fenster.Top()), std::pair(750.0f, 900.0f))
        << "a foreign move is taken over";
}
