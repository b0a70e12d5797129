#include "platform/TwipsForm.h"
#include "support/FakeScreen.h"

#include <QCoreApplication>
#include <QLabel>
#include <gtest/gtest.h>

using tw::platform::Formular;
using tw::platform::TwipsForm;
using tw::test::FakeScreen;

TEST(TwipsForm, WindowAndControlsAreShownInPixelsOfTheScreen)
{
    struct Fall
    {
        float tpp;
        QRect fenster;
        QRect steuerelement;
    };
    // 345 / 12 = 28.75 and 2685 / 12 = 223.75 round up, 30 / 12 = 2.5 rounds away from zero.
    for (const Fall c : {Fall{15, QRect(100, 200, 1005, 23), QRect(4, 2, 179, 21)},
                         Fall{12, QRect(125, 250, 1256, 29), QRect(5, 3, 224, 26)}}) {
        SCOPED_TRACE(c.tpp);
        FakeScreen screen(1024, 768, c.tpp);
        TwipsForm form(screen);
        form.setLeft(1500);
        form.setTop(3000);
        form.setWidth(15075);
        form.setHeight(345);
        auto* label = new QLabel(&form);
        form.addControl(label, 60, 30, 2685, 315, 8.25);
        EXPECT_EQ(form.geometry(), c.fenster);
        EXPECT_EQ(label->geometry(), c.steuerelement);
        EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 8.25);
    }
}

TEST(TwipsForm, SetFormularAppliesPlacesFontSizesAndWidth)
{
    FakeScreen screen;
    TwipsForm form(screen);
    form.setWidth(15075);
    form.setHeight(345);
    auto* label = new QLabel(&form);
    auto* bild = new QLabel(&form);
    form.addControl(label, 60, 30, 2685, 315, 8.25);
    form.addControl(bild, 0, 30, 15360, 315);
    const QFont bildFont = bild->font();

    Formular f = form.formular();
    ASSERT_EQ(f.Controls.size(), 2u);
    EXPECT_EQ(f.Width, 15075);
    f.Width = 15360;
    f.Controls[0] = {300.0f, 150.0f, 1500.0f, 600.0f, 12.0};
    f.Controls[1].Top = 45.0f;
    form.setFormular(f);

    EXPECT_EQ(form.Width(), 15360);
    EXPECT_EQ(form.width(), 1024);
    EXPECT_EQ(label->geometry(), QRect(20, 10, 100, 40));
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 12.0);
    EXPECT_EQ(bild->geometry(), QRect(0, 3, 1024, 21));
    EXPECT_EQ(bild->font(), bildFont) << "a control without a font size keeps its font";
    EXPECT_EQ(form.formular().Controls[0].FontSize, 12.0);
}

TEST(TwipsForm, TheTwipsPlaceSurvivesShowingAndAForeignMoveIsTakenOver)
{
    FakeScreen screen;
    TwipsForm form(screen, nullptr, Qt::FramelessWindowHint);
    form.setWidth(3000);
    form.setHeight(1500);
    form.setTop(3007); // 200.47 pixels
    form.setLeft(-150);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Top(), 3007) << "the pixel place is only the rounding of the twips place";
    EXPECT_EQ(form.Left(), -150);

    form.move(50, 60);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Left(), 750);
    EXPECT_EQ(form.Top(), 900);
}
