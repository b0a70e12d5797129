#include "catalogue/Dateiauswahl.h"
#include "journal/DatenBanken.h"
#include "platform/ImageStrip.h"
#include "platform/WrapButton.h"
#include "rename/Aenderungen.h"
#include "rename/Ueberwachungsmonitor.h"
#include "shell/ProgrammStart.h"
#include "stack/frmAuswahlbutton.h"
#include "support/FakeBrowser.h"
#include "support/FakeClock.h"
#include "support/FakeDocumentOpener.h"
#include "support/FakeLaufwerke.h"
#include "support/FakeScreen.h"
#include "support/QtPrinters.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

platform::ShellItem datei(const QString& pfad)
{
    return {pfad, pfad.section(u'/', -1), u8("JPEG-Bild"), 10, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))};
}

class Schritt1 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shell::StartDependencies deps;
        deps.programFolder = folder.path();
        deps.clock = &clock;
        deps.screen = &screen;
        deps.messages = &messages;
        deps.opener = &opener;
        deps.laufwerke = &laufwerke;
        deps.browserErstellen = [this] {
            auto b = std::make_unique<FakeBrowser>();
            browser = b.get();
            ++browserErstellt;
            return b;
        };
        start = std::make_unique<shell::ProgrammStart>(deps);
        start->show();
    }

    void TearDown() override
    {
        start->close();
        QCoreApplication::processEvents();
    }

    void schritt1()
    {
        start->Command1_Click(0);
        ASSERT_NE(start->dateiauswahl(), nullptr);
    }

    catalogue::Dateiauswahl& auswahl() { return *start->dateiauswahl(); }

    TempDir folder;
    FakeClock clock;
    FakeScreen screen;
    ScriptedMessageBox messages;
    FakeDocumentOpener opener;
    FakeLaufwerke laufwerke;
    FakeBrowser* browser = nullptr;
    int browserErstellt = 0;
    std::unique_ptr<shell::ProgrammStart> start;
};

} // namespace

TEST_F(Schritt1, OpensTheStackInTheFrameOf1024By768)
{
    schritt1();
    EXPECT_FALSE(start->isVisible());
    EXPECT_EQ(browser->navigations().value(0), u8("file://C:\\"));
    EXPECT_TRUE(browser->fullscreen());
    EXPECT_EQ(*browser->Height(), 0);
    EXPECT_EQ(*browser->Top(), 256);
    EXPECT_TRUE(*browser->Visible());

    stack::frmAuswahlbutton* bar = start->auswahlbutton();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->geometry(), QRect(0, 236, 1024, 23));

    EXPECT_TRUE(auswahl().isVisible());
    EXPECT_EQ(auswahl().geometry(), QRect(0, 256, 1024, 384)) << "from a third to five sixths of the frame";
    EXPECT_EQ(auswahl().Verschieben->geometry().bottom(), 383) << "the drag bar at the bottom edge";
}

TEST_F(Schritt1, ThePollMirrorsTheSelectionOnlyWhenItsEndsOrCountChange)
{
    schritt1();
    browser->setSelection({datei(u8("/b/1.jpg")), datei(u8("/b/2.jpg")), datei(u8("/b/3.jpg"))});
    auswahl().Timer1_Timer();
    EXPECT_EQ(auswahl().linkeListe(), u8s({"/b/1.jpg\r\n", "/b/2.jpg\r\n", "/b/3.jpg\r\n"}));
    EXPECT_EQ(auswahl().Label1[1]->text(), u8("Es wurden 3 Objekte makiert"));
    EXPECT_TRUE(auswahl().Timer1->isActive());

    // Another middle item with the same first, last and count is not noticed by the poll...
    browser->setSelection({datei(u8("/b/1.jpg")), datei(u8("/b/9.jpg")), datei(u8("/b/3.jpg"))});
    auswahl().Timer1_Timer();
    EXPECT_EQ(auswahl().linkeListe().value(1), u8("/b/2.jpg\r\n"));
    // ...but the take-over uses the current selection.
    auswahl().Command1_Click(1);
    EXPECT_TRUE(auswahl().rechteListe().contains(u8("/b/9.jpg")));

    // An entry marked by keyboard shows its time as the tip, as a click does.
    QListView* list = auswahl().List1;
    list->selectionModel()->setCurrentIndex(list->model()->index(1, 0), QItemSelectionModel::NoUpdate);
    QKeyEvent leertaste(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, u8(" "));
    QCoreApplication::sendEvent(list, &leertaste);
    EXPECT_EQ(auswahl().markierteTexte(), u8s({"/b/9.jpg"}));
    EXPECT_EQ(list->toolTip(), u8("03:04:05"));

    browser->setSelection(QList<platform::ShellItem>{});
    auswahl().Timer1_Timer();
    EXPECT_TRUE(auswahl().linkeListe().isEmpty());
    EXPECT_EQ(auswahl().Label1[1]->text(), u8("Es wurden 0 Objekte makiert"));
    auswahl().Command1_Click(1);
    EXPECT_EQ(messages.texts().last(), u8("Es müssen erst Daten in das Linke Listenfeld übernommen werden"));

    // The same files marked again after an empty selection are a change.
    browser->setSelection({datei(u8("/b/1.jpg")), datei(u8("/b/9.jpg")), datei(u8("/b/3.jpg"))});
    auswahl().Timer1_Timer();
    EXPECT_EQ(auswahl().Label1[1]->text(), u8("Es wurden 3 Objekte makiert"));
}

TEST_F(Schritt1, BeendenDuringATakeOverStopsItAndTheWindowGoesOnceItHasEnded)
{
    schritt1();
    QList<platform::ShellItem> items;
    for (int i = 0; i < 2000; ++i)
        items.append(datei(u8("/b/%1.jpg").arg(i)));
    browser->setSelection(items);
    auswahl().Timer1_Timer();
    QPointer<catalogue::Dateiauswahl> fenster = start->dateiauswahl();
    bool gesperrt = false;
    // From the event loop, as a real click comes; the second runs while the take-over lets messages run.
    QTimer::singleShot(0, fenster, [&] { fenster->Command1_Click(1); });
    QTimer::singleShot(0, fenster, [&] {
        // What would change or hand over the catalogue waits; the poll stays off.
        gesperrt = !fenster->Command1[1]->isEnabled() && !fenster->Command1[0]->isEnabled() &&
                   !fenster->Command2->isEnabled() && fenster->Command3->isEnabled();
        fenster->Text1->clicked({});
        EXPECT_FALSE(fenster->Timer1->isActive());
        fenster->Command3->click();
    });
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gesperrt);
    EXPECT_TRUE(fenster.isNull());
    EXPECT_TRUE(start->isVisible());
    EXPECT_EQ(browser->quitCalls(), 1);
}

TEST_F(Schritt1, ClosingStoresTheSettingsAndTheNextStep1AppliesThem)
{
    schritt1();
    start->auswahlbutton()->setTop(1500);
    browser->setTop(120);
    browser->setHeight(300);
    auswahl().setTop(6600);
    browser->browseTo(u8("/home/nutzer/Bilder"));
    auswahl().close();
    QCoreApplication::processEvents();

    EXPECT_TRUE(start->isVisible());
    EXPECT_EQ(browser->quitCalls(), 1);
    const shell::Einstellungen& e = start->einstellungen;
    EXPECT_EQ(e.Item(u8("Button_top")), u8("1500"));
    EXPECT_EQ(e.Item(u8("Datei_top")), u8("6600"));
    EXPECT_EQ(e.Item(u8("IE_Top")), u8("120"));
    EXPECT_EQ(e.Item(u8("IE_Height")), u8("300"));
    EXPECT_EQ(e.Item(u8("ie_Pfad")), u8("file:///home/nutzer/Bilder"));

    schritt1();
    EXPECT_EQ(browserErstellt, 2);
    EXPECT_FLOAT_EQ(start->auswahlbutton()->Top(), 1500);
    EXPECT_FLOAT_EQ(auswahl().Top(), 6600);
    EXPECT_EQ(*browser->Top(), 120);
    EXPECT_EQ(*browser->Height(), 300);
    EXPECT_EQ(browser->navigations().last(), u8("file:///home/nutzer/Bilder"));
}

TEST_F(Schritt1, ABrowserWithoutLocationIsStoredAsTheStandIn)
{
    schritt1();
    browser->close(); // the user closed it: every member fails
    auswahl().close();
    QCoreApplication::processEvents();
    EXPECT_EQ(start->einstellungen.Item(u8("ie_Pfad")), u8("c:\\"));
    EXPECT_FALSE(start->einstellungen.contains(u8("IE_Top")));
    schritt1();
    EXPECT_EQ(browser->navigations().last(), u8("c:\\"));
}

TEST_F(Schritt1, TheHandOverNeedsFullPathsAndPlacesMonitorAndRenameWindow)
{
    schritt1();
    browser->setSelection({datei(folder.write(u8("a.jpg"))), datei(folder.write(u8("b.jpg")))});
    auswahl().Timer1_Timer();
    auswahl().Command1_Click(1);
    auswahl().Command6_Click();
    auswahl().Option1[1]->click();
    auswahl().Command2_Click();
    EXPECT_EQ(messages.texts().last(), u8("Bitte Anzeigeoption auf Pfadname stellen"));
    EXPECT_EQ(start->aenderungen(), nullptr);

    auswahl().Option1[0]->click();
    auswahl().Command6_Click();
    browser->setHeight(200);
    auswahl().Command2_Click();
    ASSERT_NE(start->aenderungen(), nullptr);
    EXPECT_EQ(start->aenderungen()->arbeitsliste().anzahl(), 2);
    EXPECT_EQ(start->ueberwachungsmonitor()->geometry(), QRect(0, 256, 1024, 200))
        << "on the browser's place";
    EXPECT_EQ(start->aenderungen()->geometry(), auswahl().geometry());
    EXPECT_FALSE(auswahl().isVisible());

    // Closing the start window closes the rename window first, which saves its session.
    start->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(start->aenderungen(), nullptr);
    EXPECT_EQ(start->dateiauswahl(), nullptr);
    EXPECT_EQ(browser->quitCalls(), 1);
}
