#include "catalogue/Dateiauswahl.h"
#include "journal/DatenBanken.h"
#include "platform/ImageStrip.h"
#include "platform/WrapButton.h"
#include "rename/Aenderungen.h"
#include "rename/Ueberwachungsmonitor.h"
#include "stack/Klickflaeche.h"
#include "stack/Laufwerksliste.h"
#include "stack/frmAuswahlbutton.h"
#include "support/AdoJournal.h"
#include "support/FakeBrowser.h"
#include "support/FakeClock.h"
#include "support/FakeLaufwerke.h"
#include "support/FakeScreen.h"
#include "support/IsolatedTrash.h"
#include "support/QtApplicationEnvironment.h"
#include "support/QtPrinters.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

const IsolatedTrash papierkorb;

// A selection window with files taken over and marked, and a rename window opened on it.
class Umbenennfenster : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gemeinsam.IE = std::make_unique<FakeBrowser>();
        browser = static_cast<FakeBrowser*>(gemeinsam.IE.get());
        gemeinsam.Programmstart = 1;
        dateiauswahl = new catalogue::Dateiauswahl(screen, gemeinsam, messages);
    }

    void TearDown() override
    {
        delete aenderungen.data();
        delete monitor.data();
        delete bar.data();
        delete dateiauswahl.data();
    }

    QStringList dateien(int n)
    {
        QStringList pfade;
        QList<platform::ShellItem> items;
        for (int i = 0; i < n; ++i) {
            pfade << dir.write(u8("fotos/bild%1.jpg").arg(i), QByteArray::number(i));
            items.append({pfade.last(), pfade.last().section(u'/', -1), u8("JPEG-Bild"), 1, {}});
        }
        dateiauswahl->logik().Explorerauswahl = platform::ShellItems::fromItems(items);
        dateiauswahl->logik().uebernehmen();
        return pfade;
    }

    // Loads the rename window as "Dateien umschreiben" does.
    void oeffnen(bool alleMarkiert = true, bool zeigen = true)
    {
        if (alleMarkiert)
            dateiauswahl->Command6_Click();
        monitor = new rename::Ueberwachungsmonitor(screen);
        const auto ordnerWaehlen = [this](QWidget*, const QString&) { return gewaehlterOrdner; };
        aenderungen = new rename::Aenderungen({&screen, &gemeinsam, &messages, &db, ordnerWaehlen, bar},
                                              *dateiauswahl, *monitor);
        if (zeigen)
            aenderungen->show();
    }

    TempDir dir;
    FakeScreen screen;
    ScriptedMessageBox messages;
    FakeClock clock;
    journal::DatenBanken db{dir.path(), clock};
    shell::Gemeinsam gemeinsam;
    FakeBrowser* browser = nullptr;
    QPointer<catalogue::Dateiauswahl> dateiauswahl;
    QPointer<stack::frmAuswahlbutton> bar;
    QPointer<rename::Ueberwachungsmonitor> monitor;
    QPointer<rename::Aenderungen> aenderungen;
    QString gewaehlterOrdner;
    FakeLaufwerke laufwerke;
};

} // namespace

// The run's states are the run's tests; a whole run to its closing message is the end-to-end workflow's.
TEST_F(Umbenennfenster, LoadTakesTheMarkedEntriesTheButtonsDriveTheRunAndClosingBringsTheSelectionBack)
{
    const QStringList pfade = dateien(3);
    dateiauswahl->show();
    for (int zeile : {2, 0})
        dateiauswahl->List1->selectionModel()->select(dateiauswahl->List1->model()->index(zeile, 0),
                                                      QItemSelectionModel::Select);
    oeffnen(false);
    EXPECT_EQ(aenderungen->arbeitsliste().eintraege(), (QStringList{pfade[0], pfade[2]}));
    EXPECT_FALSE(dateiauswahl->isVisible() || dateiauswahl->Timer1->isActive() || *gemeinsam.IE->Visible());

    aenderungen->Text1->setText(u8("Urlaub_©0 - 2©"));
    aenderungen->Command3_Click();
    aenderungen->Command5_Click();
    EXPECT_EQ(std::tuple(aenderungen->Command5->text(), gemeinsam.Sitzung, aenderungen->Text1->isEnabled(),
                         monitor->Label5->text()),
              std::tuple(u8("Umbenennen"), 1, false, u8("Urlaub_1.jpg")));
    aenderungen->Command5_Click();
    EXPECT_TRUE(dir.read(u8("fotos/Urlaub_1.jpg")) == QByteArray("0") &&
                dateiauswahl->Katalog().setFilter(QString()) && dateiauswahl->Katalog().RecordCount() == 2)
        << "renamed, and the processed file left the catalogue";
    aenderungen->close();
    EXPECT_TRUE(aenderungen->isVisible()) << "a running window does not close";
    aenderungen->Command5_Click();
    EXPECT_EQ(std::pair(aenderungen->Command5->text(), aenderungen->Text1->isEnabled()),
              std::pair(u8("Schrittweise beginnen"), true));

    // A click between two files of a whole run is seen at the next step; the remaining clicks start a
    // new run, which stands at the file.
    QTimer::singleShot(0, aenderungen, [this] { aenderungen->Command2_Click(); });
    aenderungen->Command6_Click();
    EXPECT_EQ(gemeinsam.Sitzung, 3);
    EXPECT_TRUE(aenderungen->laeuft() && dir.exists(u8("fotos/bild2.jpg")) && messages.texts().isEmpty());
    aenderungen->Command2_Click();
    aenderungen->Command5_Click();
    aenderungen->Command2_Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(aenderungen.isNull() || !aenderungen->isVisible()) << "idle, Abbrechen closes";
    EXPECT_TRUE(monitor.isNull() || !monitor->isVisible());
    EXPECT_TRUE(dateiauswahl->isVisible() && dateiauswahl->Timer1->isActive() && *gemeinsam.IE->Visible());
}

// The start field's rule for the click that takes its focus is the end-to-end workflow's.
TEST_F(Umbenennfenster, KeysFocusGuardsAndTheFolderOptionWorkAsTheUserExpects)
{
    dateien(2);
    oeffnen();
    aenderungen->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return aenderungen->isActiveWindow(); }));
    const auto taste = [](QWidget* w, Qt::Key key) {
        QKeyEvent druck(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &druck);
        return QApplication::focusWidget();
    };
    // Space marks the current entry of the work list.
    aenderungen->List1->setFocus();
    aenderungen->List1->setCurrentIndex(aenderungen->List1->model()->index(1, 0));
    taste(aenderungen->List1, Qt::Key_Space);
    EXPECT_EQ(aenderungen->arbeitsliste().markierteEintraege(),
              QStringList{dateiauswahl->markierteTexte()[1]});
    // Tab into the folder options lands on the chosen one.
    for (int gewaehlt : {0, 1}) {
        aenderungen->Option3[gewaehlt]->setChecked(true);
        aenderungen->Command6->setFocus();
        EXPECT_EQ(taste(aenderungen->Command6, Qt::Key_Tab), aenderungen->Option3[gewaehlt]);
    }
    // Another window taking the focus checks nothing.
    aenderungen->text2[1]->setFocus();
    aenderungen->text2[1]->setText(u8("x"));
    QFocusEvent weg(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(aenderungen->text2[1], &weg);
    QCoreApplication::processEvents();
    EXPECT_TRUE(messages.texts().isEmpty() && aenderungen->text2[1]->text() == u8("x"));
    aenderungen->text2[1]->setText(u8("2")); // valid, so that its focus may leave it

    aenderungen->Command5_Click();
    EXPECT_EQ(messages.shown().last().icon, platform::MessageBox::Icon::Critical);
    aenderungen->Text1->setText(u8("Bild_©0 - 2©"));
    aenderungen->Command1_Click(2);
    for (const char* falsch : {"Bild_©0 x- 2©®Urspungsdatei®", "../Bild_©0 - 2©® Urspungsdatei ®"}) {
        aenderungen->Text1->setText(u8(falsch));
        aenderungen->Text1_Geaendert(aenderungen->Text1->text());
    }
    aenderungen->text2[1]->setText(u8("x"));
    aenderungen->text2_LostFocus(1);
    EXPECT_EQ(aenderungen->Text1->text(), u8("Bild_©0 - 2©® Urspungsdatei ®"));
    aenderungen->Command4_Click();
    EXPECT_EQ(std::pair(aenderungen->Text1->text(), aenderungen->text2[1]->text()),
              std::pair(u8("0"), u8("0")));

    for (const QString& ordner : {QString(), dir.filePath(u8("fehlt"))}) {
        gewaehlterOrdner = ordner;
        aenderungen->Option3[2]->setChecked(true);
        aenderungen->Option3_Click(2);
        EXPECT_TRUE(aenderungen->Text3->text() == u8("Ursprungsfad") && aenderungen->Option3[0]->isChecked());
    }
    EXPECT_EQ(
        messages.texts(),
        (QStringList{u8("Sie müssen einen neuen Pfad eingeben"), u8("Eingabe Ungültig"),
                     u8("Eingabe Ungültig"), u8("Sie müssen eine Zahl eingeben"),
                     u8("Der Ordner „%1“ kann nicht geöffnet werden; die Dateien behalten ihren Ordner.")
                         .arg(dir.filePath(u8("fehlt")))}));

    gewaehlterOrdner = dir.filePath(u8("ziel::1")); // a legal name here
    dir.write(u8("ziel::1/.keep"));
    aenderungen->Option3[1]->setChecked(true);
    aenderungen->Option3_Click(1);
    EXPECT_EQ(aenderungen->Text3->text(), gewaehlterOrdner);
    aenderungen->Text1->setText(u8("kopie©0 - 9©"));
    aenderungen->Command3_Click();
    aenderungen->Command6_Click();
    EXPECT_EQ(dir.read(u8("ziel::1/kopie1.jpg")), QByteArray("0"));
    EXPECT_TRUE(dir.exists(u8("fotos/bild0.jpg"))) << "copied, not moved";
}

// The pick bar's rename phase in the stack of step 1 on a 1024 x 768 screen: the bar at 236 pixels, the
// selection and rename windows at 256. The handle's drag is the stack end-to-end script's; where a session
// goes while the journal cannot be read is the journal's.
TEST_F(Umbenennfenster,
       TheRenamePhaseMovesBarAndMonitorKeepsAnUnsavedSessionAndGivesTheBrowserTheMonitorsPlace)
{
    browser->setLocation(dir.path());
    dateiauswahl->setTop(3840);
    bar = new stack::frmAuswahlbutton(screen, gemeinsam, laufwerke);
    bar->setWidth(15360);
    bar->setTop(3540);
    bar->setAuswahlfenster(dateiauswahl);
    bar->show();
    dateien(2);
    oeffnen(true, false);
    monitor->setTop(1650); // where a drag of the handle to 100 leaves it
    monitor->setHeight(2145);
    aenderungen->setTop(dateiauswahl->Top());
    bar->setUmbenennfenster(aenderungen, monitor);
    const auto vorn = [this](int x) {
        QWidget* c = bar->childAt(x, 10);
        while (c && c->parentWidget() != bar)
            c = c->parentWidget();
        return c ? c->objectName() : QString();
    };
    EXPECT_FALSE(bar->Image2[0]->isEnabled());
    EXPECT_FALSE(bar->Drive1->isHidden()) << "the drive list goes only when the rename window is activated";
    for (int x : {300, 512, 766, 1000})
        EXPECT_EQ(vorn(x), u8("Image1")) << x;
    monitor->show();
    aenderungen->show();
    aenderungen->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return aenderungen->isActiveWindow(); }));
    EXPECT_EQ(vorn(50), u8("Image1"));

    aenderungen->Text1->setText(u8("neu"));
    aenderungen->List1_Click(0);
    aenderungen->Command6_Click(); // one file renamed; the unmarked one keeps the window open
    // The day's journal cannot be written: a folder stands in its place.
    const QString journal = db.journalPfadHeute();
    QDir().mkdir(journal);
    const int browserTop = *browser->Top();
    aenderungen->Command2_Click();
    ASSERT_TRUE(aenderungen->isVisible()) << "closing must not drop the session";
    EXPECT_EQ(messages.shown().last().icon, platform::MessageBox::Icon::Warning);
    EXPECT_TRUE(bar->Image1->isVisible() && *browser->Top() == browserTop);

    QDir().rmdir(journal);
    dir.write(QFileInfo(journal).fileName(), "kein XML");
    aenderungen->Command2_Click();
    ASSERT_TRUE(waitUntil([&] { return aenderungen.isNull(); }));
    EXPECT_TRUE(messages.shown().last().text.contains(u8("Sich_05.12.2026_2.xml")))
        << messages.shown().last().text.toStdString();
    EXPECT_TRUE(bar->Image2[0]->isEnabled() && bar->Image2[1]->isEnabled() && !bar->Drive1->isHidden());
    EXPECT_EQ(vorn(512), u8("EplorerButton"));
    EXPECT_EQ(std::pair(*browser->Top(), *browser->Height()), std::pair(110, 143));
}

// A run hands over every file; the monitor draws at most once per frame, but what it says is always the
// latest, and the last file of a burst reaches the screen without another call. At the browser's place of
// the end-to-end workflow, 186 pixels high, the result line shows and covers no other label.
TEST(Ueberwachungsmonitor, ABurstShowsItsLastFileALaterTextIsNotOverwrittenAndTheResultLineShows)
{
    FakeScreen screen;
    rename::Ueberwachungsmonitor monitor(screen);
    const auto datei = [](const char* name) {
        return rename::NeuerName{
            u8("/fotos/") + u8(name), u8("/fotos/"), u8(name), {}, {}, u8("neu_") + u8(name), {}, {}};
    };
    monitor.dateiZeigen(datei("a.jpg"), 3);
    EXPECT_EQ(monitor.Label5->text(), u8("neu_a.jpg"));
    monitor.dateiZeigen(datei("b.jpg"), 2);
    monitor.dateiZeigen(datei("c.jpg"), 1);
    EXPECT_TRUE(waitUntil([&] { return monitor.Label5->text() == u8("neu_c.jpg"); }, 1000));
    EXPECT_EQ(monitor.Label6[2]->text(), u8("Noch 1 Dateien zum Umbennen"));

    monitor.dateiZeigen(datei("d.jpg"), 0);
    EXPECT_EQ(monitor.label(rename::MonitorLabel::Label4), u8("d.jpg"));
    monitor.dateiZeigen(datei("e.jpg"), 0);
    monitor.setLabel(rename::MonitorLabel::Label4, u8("fertig"));
    waitUntil([] { return false; }, 40); // the frame that was pending when the text came passes
    EXPECT_EQ(monitor.Label4->text(), u8("fertig"));

    monitor.setHeight(186 * 15);
    const auto platz = [&](QLabel* l) { return QRect(l->mapTo(&monitor, QPoint()), l->size()); };
    const QRect zeile = platz(monitor.Label6[0]);
    EXPECT_TRUE(monitor.rect().contains(zeile)) << zeile.bottom();
    for (QLabel* l : monitor.findChildren<QLabel*>())
        EXPECT_TRUE(l == monitor.Label6[0] || !platz(l).intersects(zeile)) << l->objectName().toStdString();
}

// The save of a large session lets events run; a second close or a run started meanwhile does nothing.
TEST_F(Umbenennfenster, ASecondCloseOrRunDuringTheSaveOfALargeSessionDoesNothing)
{
    const QStringList pfade = dateien(2);
    oeffnen();
    aenderungen->Text1->setText(u8("neu"));
    aenderungen->Command3_Click();
    for (int i = 0; i < 20000; ++i)
        ASSERT_TRUE(db.Aktion_eintragen(u8("/a/b/c/d/e/IMG_%1.jpg").arg(i), u8("/a/b/c/d/e/x%1.jpg").arg(i),
                                        u8("Umbenannt")));
    bool waehrend = false;
    QTimer::singleShot(0, aenderungen, [&] {
        waehrend = !QFile::exists(db.journalPfadHeute());
        aenderungen->close();
        aenderungen->Command6_Click();
    });
    EXPECT_TRUE(aenderungen->close() && waehrend) << "the events ran before the journal was in place";
    EXPECT_EQ(journalRecords(db.journalPfadHeute()).size(), 1);
    EXPECT_TRUE(QFile::exists(pfade[0]) && QFile::exists(pfade[1])) << "no run started";
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'\n').toStdString();
}
