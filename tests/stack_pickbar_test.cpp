#include "platform/ImageStrip.h"
#include "platform/TwipsForm.h"
#include "shell/Gemeinsam.h"
#include "stack/Klickflaeche.h"
#include "stack/Laufwerksliste.h"
#include "stack/frmAuswahlbutton.h"
#include "support/FakeBrowser.h"
#include "support/FakeScreen.h"
#include "support/QtApplicationEnvironment.h"

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using tw::platform::TwipsForm;
using tw::stack::frmAuswahlbutton;
using tw::stack::Laufwerk;
using namespace tw::test;

namespace {

[[maybe_unused]] const auto* const qtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 3000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Volumes the test mounts: a folder belongs to the longest listed or extra root above it.
class FakeLaufwerke : public tw::stack::Laufwerksquelle
{
public:
    QList<Laufwerk> liste = {{s("/"), s("/")}, {s("/mnt/data"), s("/mnt/data [Daten]")}};
    QStringList weitereWurzeln; // mounted but not offered
    mutable int gelesen = 0;

    QList<Laufwerk> laufwerke() const override
    {
        ++gelesen;
        return liste;
    }
    QString wurzelVon(const QString& ordner) const override
    {
        QString beste;
        QStringList wurzeln = weitereWurzeln;
        for (const Laufwerk& l : liste)
            wurzeln << l.wurzel;
        for (const QString& w : wurzeln) {
            const bool darunter = ordner == w || ordner.startsWith(w == s("/") ? w : w + u'/');
            if (darunter && w.size() > beste.size())
                beste = w;
        }
        return beste;
    }
};

void klick(QWidget* w, QEvent::Type type, Qt::MouseButton button = Qt::LeftButton)
{
    const QPointF innen(5, 5);
    QMouseEvent event(type, innen, w->mapToGlobal(innen), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button),
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace

class PickBarWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto b = std::make_unique<FakeBrowser>();
        browser = b.get();
        browser->setLocation(s("/home/bob"));
        gemeinsam.IE = std::move(b);
        auswahl = std::make_unique<TwipsForm>(screen, nullptr, Qt::FramelessWindowHint);
        auswahl->setWidth(15360);
        auswahl->setHeight(5760);
        auswahl->setTop(3840);
    }
    void TearDown() override { delete bar.data(); }

    frmAuswahlbutton& laden()
    {
        bar = new frmAuswahlbutton(screen, gemeinsam, laufwerke);
        bar->setAuswahlfenster(auswahl.get());
        return *bar;
    }
    template <typename T> T* control(const char* name)
    {
        return bar->findChild<T*>(QString::fromLatin1(name));
    }
    int reihe() const { return bar->geometry().y(); }

    FakeScreen screen;
    tw::shell::Gemeinsam gemeinsam;
    FakeBrowser* browser = nullptr;
    FakeLaufwerke laufwerke;
    std::unique_ptr<TwipsForm> auswahl;
    QPointer<frmAuswahlbutton> bar;
};

TEST_F(PickBarWindow, IsABorderlessBarCalledTausch1WithItsControlsAtTheirPlaces)
{
    frmAuswahlbutton& w = laden();
    EXPECT_EQ(w.windowTitle(), s("Tausch1"));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(w.windowType(), Qt::Tool) << "kept out of the task bar";
    EXPECT_EQ(w.size(), QSize(1005, 23));

    ASSERT_NE(control<QComboBox>("Drive1"), nullptr);
    EXPECT_EQ(control<QComboBox>("Drive1")->geometry(), QRect(4, 2, 179, 21));
    EXPECT_EQ(control<QWidget>("EplorerButton")->geometry(), QRect(0, 2, 1024, 21));
    EXPECT_EQ(control<QWidget>("Image2_0")->geometry(), QRect(246, 0, 113, 21));
    EXPECT_EQ(control<QWidget>("Image2_1")->geometry(), QRect(710, 0, 113, 21));
    EXPECT_TRUE(control<QWidget>("Image1")->isHidden());
    EXPECT_EQ(control<QTimer>("Timer1")->interval(), 250);
    EXPECT_TRUE(control<QTimer>("Timer1")->isActive());
    EXPECT_FALSE(w.Ziehen_Explorer);
    EXPECT_TRUE(w.Letztes_Laufwerk.isEmpty());
}

TEST_F(PickBarWindow, TheDriveListLiesAboveTheClickAreasAndTheyAboveTheHandle)
{
    frmAuswahlbutton& w = laden();
    w.show();
    auto oben = [&](int x, int y) {
        QWidget* c = w.childAt(x, y);
        while (c && c->parentWidget() != &w)
            c = c->parentWidget();
        return c ? c->objectName() : QString();
    };
    EXPECT_EQ(oben(50, 10), s("Drive1"));
    EXPECT_EQ(oben(300, 10), s("Image2_0"));
    EXPECT_EQ(oben(766, 10), s("Image2_1"));
    EXPECT_EQ(oben(512, 10), s("EplorerButton"));
    EXPECT_EQ(oben(200, 10), s("EplorerButton"));
}

TEST_F(PickBarWindow, LoadFitsTheBarToTheScreen)
{
    screen.setSize(1280, 1024);
    EXPECT_EQ(laden().width(), 1024);
    delete bar.data();

    screen.setSize(800, 600);
    frmAuswahlbutton& w = laden();
    EXPECT_EQ(w.width(), 1005) << "the window's own width stays on a smaller screen";
    EXPECT_EQ(w.Drive1->geometry(), QRect(3, 2, 140, 16));
    EXPECT_NEAR(w.Drive1->font().pointSizeF(), 6.4453, 0.001);
    EXPECT_EQ(w.EplorerButton->geometry(), QRect(0, 2, 800, 16));
}

TEST_F(PickBarWindow, TheHandleShowsItsLabelsUnderTheClickAreas)
{
    // Dark pixels (text or arrows) in a column range of the picture.
    auto beschriftet = [](const QImage& bild, int von, int bis) {
        for (int x = von; x < bis; ++x) {
            for (int y = 0; y < bild.height(); ++y) {
                if (qGray(bild.pixel(x, y)) < 60)
                    return true;
            }
        }
        return false;
    };
    const QImage explorer = laden().EplorerButton->image();
    ASSERT_EQ(explorer.size(), QSize(1024, 20));
    EXPECT_TRUE(beschriftet(explorer, 246, 359)) << "<<< zurück <<<";
    EXPECT_TRUE(beschriftet(explorer, 440, 584)) << "the title between its arrows";
    EXPECT_TRUE(beschriftet(explorer, 710, 823)) << ">>> vorwärts >>>";
    EXPECT_FALSE(beschriftet(explorer, 0, 200)) << "nothing under the drive list";
    EXPECT_FALSE(beschriftet(explorer, 900, 1024));
    const QImage monitor = bar->Image1->image();
    ASSERT_EQ(monitor.size(), QSize(1024, 20));
    EXPECT_TRUE(beschriftet(monitor, 420, 604));
}

TEST_F(PickBarWindow, DraggingTheHandleMovesTheBarAndTheBrowserDownToTheLimitAndUpWithoutOne)
{
    frmAuswahlbutton& w = laden();
    w.setTop(3540);
    w.EplorerButton_MouseMove(100);
    EXPECT_EQ(w.Top(), 3540) << "no drag without a pressed button";

    w.EplorerButton_MouseDown();
    EXPECT_TRUE(w.Ziehen_Explorer);
    w.EplorerButton_MouseMove(100);
    EXPECT_EQ(w.Top(), 1350);
    EXPECT_EQ(w.geometry().y(), 90);
    EXPECT_EQ(*browser->Top(), 110);
    EXPECT_EQ(*browser->Height(), 146);

    w.EplorerButton_MouseMove(246);
    EXPECT_EQ(w.Top(), 1350) << "within 300 twips of the selection window nothing moves";
    EXPECT_EQ(*browser->Height(), 146);

    w.EplorerButton_MouseMove(-20);
    EXPECT_EQ(w.geometry().y(), -30) << "above the top of the screen";
    EXPECT_EQ(*browser->Top(), -10);
    EXPECT_EQ(*browser->Height(), 266);

    w.EplorerButton_MouseUp();
    EXPECT_FALSE(w.Ziehen_Explorer);
    w.EplorerButton_MouseMove(120);
    EXPECT_EQ(w.Top(), -450);

    w.EplorerButton_MouseDown();
    browser->close();
    w.EplorerButton_MouseMove(100);
    EXPECT_EQ(w.Top(), 1350) << "without a browser the bar still moves";
}

TEST_F(PickBarWindow, TheDragMeasuresAgainstTheSelectionWindowInTheScreensTwips)
{
    screen.setTwipsPerPixel(12);
    frmAuswahlbutton& w = laden();
    auswahl->setTop(6000);
    w.EplorerButton_MouseDown();
    w.EplorerButton_MouseMove(300);
    EXPECT_EQ(w.Top(), 4350);
    EXPECT_EQ(*browser->Height(), 6000 / 12 - 310);
    w.EplorerButton_MouseMove(390);
    EXPECT_EQ(w.Top(), 4350) << "5700 + 300 is not above 6000";
}

TEST_F(PickBarWindow, TheHandleFollowsThePointerNotTheEvent)
{
    frmAuswahlbutton& w = laden();
    w.show();
    QCursor::setPos(500, 100);
    if (QCursor::pos() != QPoint(500, 100))
        GTEST_SKIP() << "this platform does not move the pointer";
    klick(w.EplorerButton, QEvent::MouseButtonPress);
    EXPECT_TRUE(w.Ziehen_Explorer);
    klick(w.EplorerButton, QEvent::MouseMove);
    EXPECT_EQ(w.Top(), 1350);
    klick(w.EplorerButton, QEvent::MouseButtonRelease);
    EXPECT_FALSE(w.Ziehen_Explorer);
}

TEST_F(PickBarWindow, ReleasingTheHandleGivesTheSelectionWindowTheFocus)
{
    frmAuswahlbutton& w = laden();
    auswahl->show();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return w.isActiveWindow(); }));
    w.EplorerButton_MouseDown();
    w.EplorerButton_MouseMove(100);
    w.EplorerButton_MouseUp();
    EXPECT_TRUE(waitUntil([&] { return auswahl->isActiveWindow(); }));
    EXPECT_EQ(QApplication::focusWidget(), auswahl.get());
}

TEST_F(PickBarWindow, BackAndForwardWalkTheHistoryAndIgnoreItsEnds)
{
    browser->browseTo(s("/a"));
    browser->browseTo(s("/b"));
    frmAuswahlbutton& w = laden();
    w.show();

    klick(w.Image2[0], QEvent::MouseButtonPress);
    klick(w.Image2[0], QEvent::MouseButtonRelease);
    EXPECT_EQ(*browser->locationurl(), s("file:///a"));
    w.Image2_Click(0);
    w.Image2_Click(0);
    EXPECT_EQ(*browser->locationurl(), s("file:///a")) << "at the start nothing happens";

    klick(w.Image2[1], QEvent::MouseButtonPress);
    klick(w.Image2[1], QEvent::MouseButtonRelease);
    w.Image2_Click(1);
    EXPECT_EQ(*browser->locationurl(), s("file:///b"));
    EXPECT_FALSE(w.Ziehen_Explorer) << "a click on the labels is no drag";

    browser->close();
    w.Image2_Click(0);
    gemeinsam.IE.reset();
    w.Image2_Click(1);
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QMessageBox*>(top), nullptr) << "no message";
}

TEST_F(PickBarWindow, ChoosingADriveSendsTheBrowserToItsRoot)
{
    frmAuswahlbutton& w = laden();
    EXPECT_EQ(w.Drive1->count(), 2);
    EXPECT_EQ(w.Drive1->itemText(1), s("/mnt/data [Daten]"));
    EXPECT_EQ(w.Drive1->currentIndex(), 0) << "the volume of the folder the browser shows";
    EXPECT_TRUE(browser->navigations().isEmpty()) << "loading sends the browser nowhere";

    w.Drive1->setCurrentIndex(1);
    EXPECT_EQ(browser->navigations(), QStringList{s("file:///mnt/data")});
    w.Drive1->setCurrentIndex(0);
    EXPECT_EQ(browser->navigations().last(), s("file:///"));

    browser->close();
    w.Drive1->setCurrentIndex(1);
    EXPECT_EQ(browser->navigations().size(), 2) << "a closed browser goes nowhere";
    gemeinsam.IE.reset();
    w.Drive1->setCurrentIndex(0);
}

TEST_F(PickBarWindow, TheListStartsOnTheBrowsersVolume)
{
    browser->setLocation(s("/mnt/data/Bilder"));
    EXPECT_EQ(laden().Drive1->currentIndex(), 1);
}

TEST_F(PickBarWindow, TheSyncShowsTheDriveWhoseRootTheBrowserShowsWithoutSendingItThere)
{
    frmAuswahlbutton& w = laden();
    browser->browseTo(s("/mnt/data"));
    EXPECT_TRUE(waitUntil([&] { return w.Drive1->currentIndex() == 1; }, 1000)) << "within 250 ms";
    EXPECT_EQ(w.Letztes_Laufwerk, s("/mnt/data"));

    w.Drive1->blockSignals(true);
    w.Drive1->setCurrentIndex(0);
    w.Drive1->blockSignals(false);
    w.Timer1_Timer();
    EXPECT_EQ(w.Drive1->currentIndex(), 0) << "the same drive as at the last sync selects nothing";

    browser->browseTo(s("/mnt/data/Bilder"));
    w.Timer1_Timer();
    EXPECT_EQ(w.Drive1->currentIndex(), 0) << "a folder that is no root changes nothing";
    EXPECT_TRUE(browser->navigations().isEmpty());

    browser->browseTo(s("/mnt/data"));
    browser->close();
    w.Timer1_Timer();
    gemeinsam.IE.reset();
    w.Timer1_Timer();
    EXPECT_EQ(w.Drive1->currentIndex(), 0) << "without a browser nothing happens";
}

TEST_F(PickBarWindow, ARootMissingFromTheListIsLookedForOnceMoreAndOtherwiseOnlyRemembered)
{
    laufwerke.weitereWurzeln = {s("/srv")};
    frmAuswahlbutton& w = laden();
    const int gelesen = laufwerke.gelesen;
    browser->browseTo(s("/srv"));
    w.Timer1_Timer();
    w.Timer1_Timer();
    EXPECT_EQ(w.Drive1->currentIndex(), 0);
    EXPECT_EQ(w.Letztes_Laufwerk, s("/srv"));
    EXPECT_EQ(laufwerke.gelesen, gelesen + 1) << "once, not at every tick";

    // A stick mounted after the bar was loaded.
    laufwerke.liste.append({s("/media/bob/STICK"), s("/media/bob/STICK")});
    browser->browseTo(s("/media/bob/STICK"));
    w.Timer1_Timer();
    EXPECT_EQ(w.Drive1->currentText(), s("/media/bob/STICK"));
    EXPECT_TRUE(browser->navigations().isEmpty());
}

TEST_F(PickBarWindow, OpeningTheListReadsTheVolumesAgainAndKeepsTheEntryShown)
{
    frmAuswahlbutton& w = laden();
    w.show();
    w.Drive1->blockSignals(true);
    w.Drive1->setCurrentIndex(1);
    w.Drive1->blockSignals(false);
    laufwerke.liste.prepend({s("/boot"), s("/boot")});
    w.Drive1->showPopup();
    w.Drive1->hidePopup();
    EXPECT_EQ(w.Drive1->count(), 3);
    EXPECT_EQ(w.Drive1->currentText(), s("/mnt/data [Daten]"));
    EXPECT_TRUE(browser->navigations().isEmpty());
}

TEST_F(PickBarWindow, ClosingUnloadsTheBar)
{
    frmAuswahlbutton& w = laden();
    w.show();
    QPointer<QTimer> timer = w.Timer1;
    w.close();
    EXPECT_FALSE(timer && timer->isActive());
    EXPECT_TRUE(waitUntil([&] { return bar.isNull(); }));
}
