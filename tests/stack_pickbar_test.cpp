#include "platform/TwipsForm.h"
#include "shell/Gemeinsam.h"
#include "stack/Klickflaeche.h"
#include "stack/Laufwerksliste.h"
#include "stack/frmAuswahlbutton.h"
#include "support/FakeBrowser.h"
#include "support/FakeLaufwerke.h"
#include "support/FakeScreen.h"
#include "support/QtApplicationEnvironment.h"
#include "support/QtPrinters.h"

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

using tw::platform::TwipsForm;
using tw::stack::frmAuswahlbutton;
using namespace tw::test;

class PickBarWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gemeinsam.IE = std::make_unique<FakeBrowser>();
        browser = static_cast<FakeBrowser*>(gemeinsam.IE.get());
        browser->setLocation(u8("/home/bob"));
        auswahl = std::make_unique<TwipsForm>(screen, nullptr, Qt::FramelessWindowHint);
        auswahl->setWidth(15360);
        auswahl->setHeight(5760);
        auswahl->setTop(3840);
        laufwerke.liste.append({u8("/mnt/data"), u8("/mnt/data [Daten]")});
    }
    void TearDown() override { delete bar.data(); }
    static void klick(QWidget* w)
    {
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(w, &event);
        }
    }

    frmAuswahlbutton& laden()
    {
        bar = new frmAuswahlbutton(screen, gemeinsam, laufwerke);
        bar->setAuswahlfenster(auswahl.get());
        return *bar;
    }

    FakeScreen screen;
    tw::shell::Gemeinsam gemeinsam;
    FakeBrowser* browser = nullptr;
    FakeLaufwerke laufwerke;
    std::unique_ptr<TwipsForm> auswahl;
    QPointer<frmAuswahlbutton> bar;
};

// The places themselves, the browser's with the bar's, are the drag table's and the end-to-end tests'.
TEST_F(PickBarWindow, TheHandleMovesBarAndBrowserOnlyWhileItIsDownAndItsReleaseFocusesTheSelectionWindow)
{
    frmAuswahlbutton& w = laden();
    EXPECT_TRUE(w.findChild<QWidget*>(u8("Image1"))->isHidden()) << "the rename handle only while renaming";
    auswahl->show();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return w.isActiveWindow(); }));
    w.setTop(3540);
    w.EplorerButton_MouseMove(100);
    EXPECT_EQ(w.Top(), 3540) << "no drag without a pressed button";

    w.EplorerButton_MouseDown();
    w.EplorerButton_MouseMove(100);
    w.EplorerButton_MouseMove(246);
    EXPECT_EQ(w.Top(), 1350) << "moved to 100; within 300 twips of the selection window nothing moves";
    w.EplorerButton_MouseUp();
    EXPECT_TRUE(waitUntil([&] { return auswahl->isActiveWindow(); }));
    EXPECT_EQ(QApplication::focusWidget(), auswahl.get());
    w.EplorerButton_MouseMove(120);
    EXPECT_EQ(w.Top(), 1350);

    w.EplorerButton_MouseDown();
    browser->close();
    w.EplorerButton_MouseMove(-20);
    EXPECT_EQ(w.geometry().y(), -30) << "without a browser the bar still moves, above the screen too";
}

TEST_F(PickBarWindow, BackAndForwardWalkTheHistoryAndIgnoreItsEndsAndClosingUnloadsTheBar)
{
    browser->browseTo(u8("/a"));
    browser->browseTo(u8("/b"));
    frmAuswahlbutton& w = laden();
    w.show();
    klick(w.Image2[0]);
    EXPECT_EQ(*browser->locationurl(), u8("file:///a"));
    w.Image2_Click(0);
    EXPECT_EQ(*browser->locationurl(), u8("file:///a")) << "at the start nothing happens";
    klick(w.Image2[1]);
    w.Image2_Click(1);
    EXPECT_EQ(*browser->locationurl(), u8("file:///b"));
    EXPECT_FALSE(w.Ziehen_Explorer) << "a click on the labels is no drag";

    browser->close();
    w.Image2_Click(0);
    gemeinsam.IE.reset();
    w.Image2_Click(1);
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QMessageBox*>(top), nullptr) << "no message";

    QPointer<QTimer> timer = w.Timer1;
    w.close();
    EXPECT_TRUE(!(timer && timer->isActive()) && waitUntil([&] { return bar.isNull(); }));
}

TEST_F(PickBarWindow, ChoosingADriveSendsTheBrowserToItsRootAndOpeningTheListReadsTheVolumesAgain)
{
    browser->setLocation(u8("/mnt/data/Bilder"));
    EXPECT_EQ(laden().Drive1->currentIndex(), 1) << "the list starts on the volume the browser shows";
    delete bar.data();
    browser->setLocation(u8("/home/bob"));
    frmAuswahlbutton& w = laden();
    w.show();
    EXPECT_EQ(std::tuple(w.Drive1->count(), w.Drive1->itemText(1), w.Drive1->currentIndex()),
              std::tuple(2, u8("/mnt/data [Daten]"), 0));
    EXPECT_TRUE(browser->navigations().isEmpty()) << "loading sends the browser nowhere";

    w.Drive1->setCurrentIndex(1);
    EXPECT_EQ(browser->navigations(), u8s({"file:///mnt/data"}));
    laufwerke.liste.prepend({u8("/boot"), u8("/boot")});
    w.Drive1->showPopup();
    w.Drive1->hidePopup();
    EXPECT_EQ(std::pair(w.Drive1->count(), w.Drive1->currentText()), std::pair(3, u8("/mnt/data [Daten]")))
        << "the entry shown stays";
    w.Drive1->setCurrentIndex(1);
    EXPECT_EQ(browser->navigations(), u8s({"file:///mnt/data", "file:///"}));

    browser->close();
    w.Drive1->setCurrentIndex(2);
    EXPECT_EQ(browser->navigations().size(), 2) << "a closed browser goes nowhere";
    gemeinsam.IE.reset();
    w.Drive1->setCurrentIndex(0);
}

TEST_F(PickBarWindow, TheSyncShowsTheDriveWhoseRootTheBrowserShowsWithoutSendingItThere)
{
    laufwerke.weitereWurzeln = {u8("/srv")};
    frmAuswahlbutton& w = laden();
    browser->browseTo(u8("/mnt/data"));
    EXPECT_TRUE(waitUntil([&] { return w.Drive1->currentIndex() == 1; }, 1000)) << "within 250 ms";
    w.Drive1->blockSignals(true);
    w.Drive1->setCurrentIndex(0);
    w.Drive1->blockSignals(false);
    w.Timer1_Timer();
    EXPECT_EQ(w.Drive1->currentIndex(), 0) << "the same drive as at the last sync selects nothing";
    browser->browseTo(u8("/mnt/data/Bilder"));
    w.Timer1_Timer();
    EXPECT_EQ(w.Drive1->currentIndex(), 0) << "a folder that is no root changes nothing";

    // A root missing from the list is looked for once more, and otherwise only remembered.
    const int gelesen = laufwerke.gelesen;
    browser->browseTo(u8("/srv"));
    w.Timer1_Timer();
    w.Timer1_Timer();
    EXPECT_EQ(std::tuple(w.Drive1->currentIndex(), w.Letztes_Laufwerk, laufwerke.gelesen),
              std::tuple(0, u8("/srv"), gelesen + 1))
        << "looked for once, not at every tick";
    laufwerke.liste.append({u8("/media/bob/STICK"), u8("/media/bob/STICK")}); // mounted after loading
    browser->browseTo(u8("/media/bob/STICK"));
    w.Timer1_Timer();
    EXPECT_TRUE(w.Drive1->currentText() == u8("/media/bob/STICK") && browser->navigations().isEmpty());

    browser->browseTo(u8("/mnt/data"));
    browser->close();
    w.Timer1_Timer();
    gemeinsam.IE.reset();
    w.Timer1_Timer();
    EXPECT_EQ(w.Drive1->currentText(), u8("/media/bob/STICK")) << "without a browser nothing happens";
}
