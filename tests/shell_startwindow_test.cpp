#include "catalogue/Dateiauswahl.h"
#include "journal/Zurueck.h"
#include "platform/WrapButton.h"
#include "rename/Aenderungen.h"
#include "rename/Ueberwachungsmonitor.h"
#include "shell/ProgrammStart.h"
#include "stack/frmAuswahlbutton.h"
#include "support/AdoJournal.h"
#include "support/FakeBrowser.h"
#include "support/FakeClock.h"
#include "support/FakeDocumentOpener.h"
#include "support/FakeLaufwerke.h"
#include "support/FakeScreen.h"
#include "support/QtApplicationEnvironment.h"
#include "support/QtPrinters.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;
using platform::MessageBox;

namespace {

const QString heuteJournal = u8("Sich_05.12.2026.xml");

platform::ShellItem datei(const QString& pfad)
{
    return {pfad, pfad.section(u'/', -1), u8("JPEG-Bild"), 10, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))};
}

// A day's journal whose only session is of the given program start, saved at the given time.
QByteArray tagesjournal(const char* programmstart, const char* zeit)
{
    return adoJournalXml({{u8(programmstart), u8("1"), u8("Urlaub_©00 - 25©"),
                           u8("/tmp/a.jpg¢/tmp/Urlaub_01.jpg¢%1¢Umbenannt¢").arg(u8(zeit)), u8(zeit)}});
}

class Start : public ::testing::Test
{
protected:
    std::unique_ptr<shell::ProgrammStart> open()
    {
        const auto browserErstellen = [this] {
            auto b = std::make_unique<FakeBrowser>();
            browser = b.get();
            ++browserErstellt;
            return b;
        };
        return std::make_unique<shell::ProgrammStart>(shell::StartDependencies{
            folder.path(), &clock, &screen, &messages, &opener, folder.filePath(u8("Tauschwerk.html")),
            browserErstellen, &laufwerke, nullptr});
    }

    void TearDown() override
    {
        if (start)
            start->close();
        QCoreApplication::processEvents();
    }

    void schritt1()
    {
        if (!start) {
            start = open();
            start->show();
        }
        start->Command1_Click(0);
        ASSERT_NE(start->dateiauswahl(), nullptr);
    }

    catalogue::Dateiauswahl& auswahl() { return *start->dateiauswahl(); }
    static QPushButton* button(const shell::ProgrammStart& w, int index)
    {
        return w.findChild<QPushButton*>(u8("Command1_%1").arg(index));
    }
    static QLabel* label1(const shell::ProgrammStart& w) { return w.findChild<QLabel*>(u8("Label1")); }

    TempDir folder;
    FakeClock clock; // 05.12.2026 14:03:11
    FakeScreen screen;
    ScriptedMessageBox messages;
    FakeDocumentOpener opener;
    FakeLaufwerke laufwerke;
    FakeBrowser* browser = nullptr;
    int browserErstellt = 0;
    std::unique_ptr<shell::ProgrammStart> start;
};

} // namespace

// The count itself is the journal's; the window shows it and writes nothing.
TEST_F(Start, TheWindowShowsItsTextsAndTheStartsNumberAndDokumentationOpensTheGuideOrWarnsWhyNot)
{
    const auto w = open();
    EXPECT_EQ(w->windowTitle(), u8("Tauschwerk © TW-Team"));
    const QStringList texts = u8s({"Schritt1 _ Datenauswählen", "Verwaltung", "Dokumentation"});
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(button(*w, i), nullptr);
        EXPECT_EQ(button(*w, i)->text(), texts[i]);
        EXPECT_LE(button(*w, i)->sizeHint().width(), button(*w, i)->width()) << i;
    }
    ASSERT_NE(label1(*w), nullptr);
    EXPECT_LE(label1(*w)->sizeHint().width(), label1(*w)->width());
    EXPECT_FALSE(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "the user cannot resize it";
    EXPECT_EQ(std::pair(label1(*w)->text(), folder.entries()), std::pair(u8("1"), QStringList()))
        << "the first start writes nothing";
    // The count goes on from the day's journal, which the start reads and leaves as it is.
    for (const auto& [content, expected] : {std::pair{tagesjournal("2", "05.12.2026 08:40:00"), 3},
                                            std::pair{tagesjournal("32766", "05.12.2026 10:00:00"), 32767}}) {
        folder.write(heuteJournal, content);
        const auto w = open();
        EXPECT_EQ(std::pair(label1(*w)->text(), int(w->Programmstart)),
                  std::pair(QString::number(expected), expected));
        EXPECT_EQ(folder.read(heuteJournal), content);
    }

    // Dokumentation: one warning that names what is missing, else the guide beside the program.
    const auto warnt = [this](const char* was) {
        ASSERT_EQ(messages.shown().size(), 1);
        EXPECT_EQ(messages.shown()[0].icon, MessageBox::Icon::Warning);
        EXPECT_TRUE(messages.shown()[0].text.contains(u8(was)));
        messages.clear();
    };
    button(*w, 2)->click();
    EXPECT_TRUE(opener.opened().isEmpty());
    warnt("Tauschwerk.html");
    const QString page = folder.write(u8("Tauschwerk.html"), "<html></html>");
    button(*w, 2)->click();
    EXPECT_EQ(opener.opened(), QStringList{page});
    opener.failWith(u8("Kein Programm für HTML-Seiten eingerichtet."));
    button(*w, 2)->click();
    warnt("Kein Programm für HTML-Seiten eingerichtet.");
}

// That a second press loads no second window is the end-to-end tests'.
TEST_F(Start, VerwaltungShowsOneUndoWindowAFreshOneAfterItsAbbrechenAndClosesItWithTheStart)
{
    const auto w = open();
    w->show();
    button(*w, 1)->click();
    QPointer<journal::Zurueck> zurueck = w->zurueck();
    ASSERT_NE(zurueck, nullptr);
    EXPECT_TRUE(zurueck->isVisible() && w->isVisible()) << "the start window stays usable beside it";
    zurueck->hide();
    button(*w, 1)->click();
    EXPECT_TRUE(w->zurueck() == zurueck.data() && zurueck->isVisible()) << "shown again, not loaded twice";

    zurueck->Command3->click();
    EXPECT_TRUE(waitUntil([&zurueck] { return zurueck.isNull(); }) && !w->zurueck());
    button(*w, 1)->click();
    zurueck = w->zurueck();
    ASSERT_TRUE(zurueck && zurueck->isVisible());
    w->close();
    EXPECT_TRUE(waitUntil([&zurueck] { return zurueck.isNull(); }) && messages.shown().isEmpty());
}

TEST_F(Start, ThePollMirrorsTheSelectionOnlyWhenItsEndsOrCountChange)
{
    schritt1();
    browser->setSelection({datei(u8("/b/1.jpg")), datei(u8("/b/2.jpg")), datei(u8("/b/3.jpg"))});
    auswahl().Timer1_Timer();
    EXPECT_EQ(auswahl().linkeListe(), u8s({"/b/1.jpg\r\n", "/b/2.jpg\r\n", "/b/3.jpg\r\n"}));
    EXPECT_EQ(auswahl().Label1[1]->text(), u8("Es wurden 3 Objekte makiert"));

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
    EXPECT_EQ(std::pair(auswahl().markierteTexte(), list->toolTip()),
              std::pair(u8s({"/b/9.jpg"}), u8("03:04:05")));

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

TEST_F(Start, BeendenDuringATakeOverStopsItAndTheWindowGoesOnceItHasEnded)
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
    EXPECT_TRUE(waitUntil([&] { return fenster.isNull(); }) && gesperrt && start->isVisible() &&
                browser->quitCalls() == 1);
}

// The places of the stack are the end-to-end workflow's.
TEST_F(Start, Step1OpensTheStackWithAFlatBrowserAtHomeClosingStoresTheSettingsAndTheNextStep1AppliesThem)
{
    schritt1();
    EXPECT_EQ(std::tuple(browser->navigations().value(0), *browser->Top(), *browser->Height()),
              std::tuple(u8("file://C:\\"), 256, 0));
    ASSERT_NE(start->auswahlbutton(), nullptr);
    EXPECT_TRUE(!start->isVisible() && browser->fullscreen() && *browser->Visible() &&
                start->auswahlbutton()->isVisible() && auswahl().isVisible());

    start->auswahlbutton()->setTop(1500);
    EXPECT_TRUE(browser->setTop(120) && browser->setHeight(300));
    auswahl().setTop(6600);
    browser->browseTo(u8("/home/nutzer/Bilder"));
    auswahl().close();
    QCoreApplication::processEvents();

    EXPECT_TRUE(start->isVisible() && browser->quitCalls() == 1);
    const shell::Einstellungen& e = start->einstellungen;
    QStringList gespeichert;
    for (const char* name : {"Button_top", "Datei_top", "IE_Top", "IE_Height", "ie_Pfad"})
        gespeichert << e.Item(u8(name));
    EXPECT_EQ(gespeichert, u8s({"1500", "6600", "120", "300", "file:///home/nutzer/Bilder"}));

    schritt1();
    EXPECT_EQ(browserErstellt, 2);
    EXPECT_EQ(std::pair(start->auswahlbutton()->Top(), auswahl().Top()), std::pair(1500.0f, 6600.0f));
    EXPECT_EQ(std::tuple(*browser->Top(), *browser->Height(), browser->navigations().last()),
              std::tuple(120, 300, u8("file:///home/nutzer/Bilder")));

    browser->close(); // the user closed it: every member fails
    auswahl().close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(e.Item(u8("ie_Pfad")) == u8("c:\\") && !e.contains(u8("IE_Top")))
        << "a browser without a location is stored as the stand-in";
    schritt1();
    EXPECT_EQ(browser->navigations().last(), u8("c:\\"));
}

// The monitor on the browser's place is the end-to-end workflow's.
TEST_F(Start, TheHandOverNeedsFullPathsAndPlacesMonitorAndRenameWindow)
{
    schritt1();
    browser->setSelection({datei(folder.write(u8("a.jpg"))), datei(folder.write(u8("b.jpg")))});
    auswahl().Timer1_Timer();
    auswahl().Command1_Click(1);
    auswahl().Command6_Click();
    auswahl().Option1[1]->click();
    auswahl().Command2_Click();
    EXPECT_EQ(std::pair(messages.texts().last(), start->aenderungen()),
              std::pair(u8("Bitte Anzeigeoption auf Pfadname stellen"),
                        static_cast<rename::Aenderungen*>(nullptr)));

    auswahl().Option1[0]->click();
    auswahl().Command6_Click();
    auswahl().Command2_Click();
    ASSERT_NE(start->aenderungen(), nullptr);
    EXPECT_EQ(start->aenderungen()->arbeitsliste().anzahl(), 2);
    EXPECT_TRUE(start->aenderungen()->geometry() == auswahl().geometry() && !auswahl().isVisible());

    // Closing the start window closes the rename window first, which saves its session.
    start->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(!start->aenderungen() && !start->dateiauswahl() && browser->quitCalls() == 1);
}
