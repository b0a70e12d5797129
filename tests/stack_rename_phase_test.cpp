#include "catalogue/Dateiauswahl.h"
#include "journal/DatenBanken.h"
#include "platform/ImageStrip.h"
#include "rename/Aenderungen.h"
#include "rename/Ueberwachungsmonitor.h"
#include "stack/ForgroundWindow.h"
#include "stack/Klickflaeche.h"
#include "stack/Laufwerksliste.h"
#include "stack/QtFensterumgebung.h"
#include "stack/frmAuswahlbutton.h"
#include "support/FakeBrowser.h"
#include "support/FakeClock.h"
#include "support/FakeScreen.h"
#include "support/QtApplicationEnvironment.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

[[maybe_unused]] const auto* const qtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

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

class EinLaufwerk : public stack::Laufwerksquelle
{
public:
    QList<stack::Laufwerk> laufwerke() const override { return {{QStringLiteral("/"), QStringLiteral("/")}}; }
    QString wurzelVon(const QString&) const override { return QStringLiteral("/"); }
};

// The stack of step 1 on a 1024 x 768 screen, with files taken over and marked, and the rename window
// about to open on it: the bar at 236 pixels, the selection and rename windows at 256.
class RenamePhase : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto b = std::make_unique<FakeBrowser>();
        browser = b.get();
        browser->setLocation(dir.path());
        gemeinsam.IE = std::move(b);
        gemeinsam.Programmstart = 1;
        dateiauswahl = new catalogue::Dateiauswahl(screen, gemeinsam, messages);
        dateiauswahl->setTop(3840);
        bar = new stack::frmAuswahlbutton(screen, gemeinsam, laufwerke);
        bar->setWidth(15360);
        bar->setTop(3540);
        bar->setAuswahlfenster(dateiauswahl);
        bar->show();
    }

    void TearDown() override
    {
        delete aenderungen.data();
        delete monitor.data();
        delete bar.data();
        delete dateiauswahl.data();
    }

    void dateien(int n)
    {
        QList<platform::ShellItem> items;
        for (int i = 0; i < n; ++i) {
            const QString pfad = dir.write(QStringLiteral("bild%1.jpg").arg(i), QByteArray::number(i));
            items.append(
                {pfad, pfad.section(u'/', -1), QStringLiteral("JPEG-Bild"), 1, QDateTime::currentDateTime()});
        }
        dateiauswahl->logik().Explorerauswahl = platform::ShellItems::fromItems(items);
        dateiauswahl->logik().uebernehmen();
        dateiauswahl->Command6_Click();
    }

    // Loads the rename window as "Dateien umschreiben" does, without showing it.
    rename::Aenderungen& laden()
    {
        monitor = new rename::Ueberwachungsmonitor(screen);
        monitor->setTop(3840);
        monitor->setHeight(0);
        rename::AenderungenUmgebung u;
        u.screen = &screen;
        u.gemeinsam = &gemeinsam;
        u.messages = &messages;
        u.journal = &db;
        u.auswahlbutton = bar;
        aenderungen = new rename::Aenderungen(u, *dateiauswahl, *monitor);
        aenderungen->setTop(dateiauswahl->Top());
        bar->setUmbenennfenster(aenderungen, monitor);
        return *aenderungen;
    }

    rename::Aenderungen& oeffnen()
    {
        laden();
        monitor->show();
        aenderungen->show();
        aenderungen->activateWindow();
        EXPECT_TRUE(waitUntil([&] { return aenderungen->isActiveWindow(); }));
        return *aenderungen;
    }

    // The bar's control in front at a point of the bar.
    QString vorn(int x, int y) const
    {
        QWidget* c = bar->childAt(x, y);
        while (c && c->parentWidget() != bar)
            c = c->parentWidget();
        return c ? c->objectName() : QString();
    }

    TempDir dir;
    FakeScreen screen;
    ScriptedMessageBox messages;
    FakeClock clock;
    journal::DatenBanken db{dir.path(), clock};
    shell::Gemeinsam gemeinsam;
    FakeBrowser* browser = nullptr;
    EinLaufwerk laufwerke;
    QPointer<catalogue::Dateiauswahl> dateiauswahl;
    QPointer<stack::frmAuswahlbutton> bar;
    QPointer<rename::Ueberwachungsmonitor> monitor;
    QPointer<rename::Aenderungen> aenderungen;
};

} // namespace

TEST_F(RenamePhase, LoadingPutsTheMonitorHandleInFrontAndActivatingHidesTheDriveList)
{
    dateien(2);
    laden();
    EXPECT_TRUE(bar->Image1->isVisible());
    EXPECT_FALSE(bar->Image2[0]->isEnabled());
    EXPECT_FALSE(bar->Image2[1]->isEnabled());
    EXPECT_FALSE(bar->Drive1->isHidden()) << "the drive list goes only when the rename window is activated";
    for (int x : {300, 512, 766, 1000})
        EXPECT_EQ(vorn(x, 10), QStringLiteral("Image1")) << x;
    EXPECT_EQ(vorn(50, 10), QStringLiteral("Drive1"));

    monitor->show();
    aenderungen->show();
    aenderungen->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return aenderungen->isActiveWindow(); }));
    EXPECT_TRUE(bar->Drive1->isHidden());
    EXPECT_EQ(vorn(50, 10), QStringLiteral("Image1"));
}

TEST_F(RenamePhase, ClosingRestoresTheSelectionPhaseAndPutsTheBrowserOnTheMonitorsPlace)
{
    dateien(2);
    oeffnen();
    monitor->setTop(1650);
    monitor->setHeight(2145);
    browser->setVisible(false);
    aenderungen->Command2_Click();
    ASSERT_TRUE(waitUntil([&] { return aenderungen.isNull(); }));

    EXPECT_TRUE(bar->Image1->isHidden());
    EXPECT_TRUE(bar->Image2[0]->isEnabled());
    EXPECT_TRUE(bar->Image2[1]->isEnabled());
    EXPECT_FALSE(bar->Drive1->isHidden());
    EXPECT_EQ(vorn(300, 10), QStringLiteral("Image2_0"));
    EXPECT_EQ(vorn(512, 10), QStringLiteral("EplorerButton"));
    EXPECT_EQ(*browser->Top(), 110);
    EXPECT_EQ(*browser->Height(), 143);
    EXPECT_TRUE(*browser->Visible());

    // With the rename window and the monitor gone the handle has nothing to move.
    const float top = bar->Top();
    bar->Image1_MouseDown();
    bar->Image1_MouseMove(100);
    bar->Image1_MouseUp();
    bar->Versch();
    EXPECT_EQ(bar->Top(), top);
    EXPECT_EQ(*browser->Top(), 110);
}

TEST_F(RenamePhase, AWindowKeptOpenAfterAFailedJournalSaveStaysInTheRenamePhase)
{
    dateien(2);
    oeffnen();
    aenderungen->Text1->setText(QStringLiteral("neu"));
    aenderungen->List1_Click(0);
    aenderungen->Command5_Click();
    aenderungen->Command5_Click();
    aenderungen->Command2_Click();
    aenderungen->Command5_Click(); // the run ends with one unmarked entry left
    // The day's journal cannot be written: a folder stands in its place.
    QDir(dir.path()).mkdir(QStringLiteral("Sich_05.12.2026.xml"));
    messages.answerNo();
    const int browserTop = *browser->Top();
    aenderungen->close();
    ASSERT_TRUE(aenderungen->isVisible());
    EXPECT_TRUE(bar->Image1->isVisible());
    EXPECT_FALSE(bar->Image2[0]->isEnabled());
    EXPECT_TRUE(bar->Drive1->isHidden());
    EXPECT_EQ(*browser->Top(), browserTop);
    QDir(dir.path()).rmdir(QStringLiteral("Sich_05.12.2026.xml"));
}

TEST_F(RenamePhase, TheHandleMovesTheBarAndTheMonitorDownToTheLimitAndUpWithoutOne)
{
    dateien(1);
    oeffnen();
    bar->Image1_MouseMove(100);
    EXPECT_EQ(bar->Top(), 3540) << "no drag without a pressed button";

    bar->Image1_MouseDown();
    EXPECT_TRUE(bar->Ziehen_Monitor);
    EXPECT_FALSE(bar->Ziehen_Explorer);
    bar->Image1_MouseMove(100);
    EXPECT_EQ(bar->Top(), 1350);
    EXPECT_EQ(bar->geometry().y(), 90);
    EXPECT_EQ(monitor->Top(), 1650);
    EXPECT_EQ(monitor->Height(), 2145);
    EXPECT_EQ(monitor->geometry(), QRect(0, 110, 1024, 143));

    bar->Image1_MouseMove(246);
    EXPECT_EQ(bar->Top(), 1350) << "within 300 twips of the rename window nothing moves";
    EXPECT_EQ(monitor->Height(), 2145);

    bar->Image1_MouseMove(-40);
    EXPECT_EQ(bar->geometry().y(), -50) << "above the top of the screen";
    EXPECT_EQ(monitor->Top(), -450);
    EXPECT_EQ(monitor->Height(), 4245);
    EXPECT_EQ(aenderungen->Top(), 3840) << "the rename window stays";
}

TEST_F(RenamePhase, AfterTheHandleAndAfterAClickOnTheMonitorTheRenameWindowHasTheFocusBackWhereItWas)
{
    dateien(1);
    oeffnen();
    aenderungen->Text1->setFocus();
    bar->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return bar->isActiveWindow(); }));
    bar->Image1_MouseDown();
    bar->Image1_MouseMove(120);
    bar->Image1_MouseUp();
    EXPECT_FALSE(bar->Ziehen_Monitor);
    EXPECT_TRUE(waitUntil([&] { return aenderungen->isActiveWindow(); }));
    EXPECT_EQ(QApplication::focusWidget(), aenderungen->Text1) << "the name pattern keeps the focus";

    // The watcher over the program's windows, as the start window's timer drives it.
    QTimer timer;
    stack::QtFensterumgebung::Formulare formulare;
    formulare.auswahlbutton = [this] { return bar.data(); };
    formulare.dateiauswahl = [this] { return dateiauswahl.data(); };
    formulare.aenderungen = [this] { return aenderungen.data(); };
    stack::QtFensterumgebung fenster(gemeinsam, timer, formulare);
    stack::ForgroundWindow waechter(fenster);
    waechter.Fenster_pruefen();
    EXPECT_EQ(waechter.Letztes_Fenster, aenderungen->winId());
    monitor->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return monitor->isActiveWindow(); }));
    waechter.Fenster_pruefen();
    EXPECT_TRUE(waitUntil([&] { return aenderungen->isActiveWindow(); }));
    EXPECT_EQ(QApplication::focusWidget(), aenderungen->Text1);
    EXPECT_TRUE(timer.isActive());
}
