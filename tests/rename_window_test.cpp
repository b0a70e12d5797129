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
#include "support/QtApplicationEnvironment.h"
#include "support/QtPrinters.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDir>
#include <QFile>
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

// A selection window with files taken over and marked, and a rename window opened on it.
class Umbenennfenster : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto b = std::make_unique<FakeBrowser>();
        browser = b.get();
        gemeinsam.IE = std::move(b);
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
            const QString pfad = dir.write(u8("fotos/bild%1.jpg").arg(i), QByteArray::number(i));
            pfade << pfad;
            items.append({pfad, pfad.section(u'/', -1), u8("JPEG-Bild"), 1, QDateTime::currentDateTime()});
        }
        dateiauswahl->logik().Explorerauswahl = platform::ShellItems::fromItems(items);
        dateiauswahl->logik().uebernehmen();
        return pfade;
    }

    // Loads the rename window as "Dateien umschreiben" does, without showing it.
    void laden(bool alleMarkiert = true)
    {
        if (alleMarkiert)
            dateiauswahl->Command6_Click();
        monitor = new rename::Ueberwachungsmonitor(screen);
        rename::AenderungenUmgebung u;
        u.screen = &screen;
        u.gemeinsam = &gemeinsam;
        u.messages = &messages;
        u.journal = &db;
        u.ordnerWaehlen = [this](QWidget*, const QString&) { return gewaehlterOrdner; };
        u.auswahlbutton = bar;
        if (bar) {
            monitor->setTop(3840);
            monitor->setHeight(0);
        }
        aenderungen = new rename::Aenderungen(u, *dateiauswahl, *monitor);
        if (bar) {
            aenderungen->setTop(dateiauswahl->Top());
            bar->setUmbenennfenster(aenderungen, monitor);
        }
    }

    void oeffnen(bool alleMarkiert = true)
    {
        laden(alleMarkiert);
        aenderungen->show();
    }

    QStringList journalAktionen()
    {
        QStringList alle;
        for (const QStringList& satz : journalRecords(db.journalPfadHeute()))
            alle << satz[3].split(journal::Trennzeichen);
        return alle;
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
};

} // namespace

TEST_F(Umbenennfenster, LoadTakesTheMarkedEntriesInListOrderAndHidesTheSelection)
{
    const QStringList pfade = dateien(4);
    dateiauswahl->show();
    dateiauswahl->List1->selectionModel()->select(dateiauswahl->List1->model()->index(3, 0),
                                                  QItemSelectionModel::Select);
    dateiauswahl->List1->selectionModel()->select(dateiauswahl->List1->model()->index(1, 0),
                                                  QItemSelectionModel::Select);
    oeffnen(false);
    EXPECT_EQ(aenderungen->arbeitsliste().eintraege(), (QStringList{pfade[1], pfade[3]}));
    EXPECT_EQ(aenderungen->arbeitsliste().markierteAnzahl(), 0);
    EXPECT_FALSE(dateiauswahl->isVisible());
    EXPECT_FALSE(dateiauswahl->Timer1->isActive());
    EXPECT_FALSE(*gemeinsam.IE->Visible());
    EXPECT_EQ(aenderungen->windowTitle(), u8("Tausch3"));
}

TEST_F(Umbenennfenster, AStepwiseRunRenamesOneFileAtATime)
{
    const QStringList pfade = dateien(3);
    oeffnen();
    aenderungen->Text1->setText(u8("Urlaub_"));
    aenderungen->Command3_Click();
    EXPECT_EQ(aenderungen->text2[1]->text(), u8("3"));
    aenderungen->Command1_Click(0);
    EXPECT_EQ(aenderungen->Text1->text(), u8("Urlaub_©0 - 3©"));

    aenderungen->Command5_Click();
    EXPECT_EQ(aenderungen->Command5->text(), u8("Umbenennen"));
    EXPECT_EQ(gemeinsam.Sitzung, 1);
    EXPECT_FALSE(aenderungen->Text1->isEnabled());
    EXPECT_EQ(monitor->Label4->text(), u8("bild0.jpg"));
    EXPECT_EQ(monitor->Label5->text(), u8("Urlaub_1.jpg"));
    EXPECT_EQ(monitor->Label6[2]->text(), u8("Noch 3 Dateien zum Umbennen"));
    EXPECT_TRUE(QFile::exists(pfade[0])) << "showing a file does not touch it";

    aenderungen->Command5_Click();
    EXPECT_FALSE(QFile::exists(pfade[0]));
    EXPECT_EQ(dir.read(u8("fotos/Urlaub_1.jpg")), QByteArray("0"));
    EXPECT_EQ(monitor->Label6[0]->text(),
              u8("Datei ") + dir.filePath(u8("fotos/Urlaub_1.jpg")) + u8(" wurde umbennant"));
    EXPECT_EQ(monitor->Label5->text(), u8("Urlaub_2.jpg"));
    EXPECT_EQ(aenderungen->arbeitsliste().anzahl(), 2);
    dateiauswahl->Katalog().setFilter(QString());
    EXPECT_EQ(dateiauswahl->Katalog().RecordCount(), 2) << "the processed file left the catalogue";
}

TEST_F(Umbenennfenster, AllFilesEndsTheRunClosesTheWindowAndSavesOneSession)
{
    const QStringList pfade = dateien(5);
    oeffnen();
    aenderungen->Text1->setText(u8("neu"));
    aenderungen->Command1_Click(2);
    aenderungen->Command3_Click();
    aenderungen->Command1_Click(0);
    aenderungen->Command6_Click();

    EXPECT_EQ(messages.texts(), u8s({"Es sind Keine Dateien zum Schreiben mehr da"}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(aenderungen.isNull() || !aenderungen->isVisible());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(QFile::exists(dir.filePath(u8("fotos/neubild%1%2.jpg").arg(i).arg(i + 1))))
            << dir.entries().join(u' ').toStdString();
    const QStringList aktionen = journalAktionen();
    ASSERT_EQ(aktionen.size(), 4 * 5 + 1);
    EXPECT_EQ(aktionen[0], pfade[0]);
    EXPECT_EQ(aktionen[3], u8("Umbenannt"));
    EXPECT_TRUE(dateiauswahl->isVisible());
    EXPECT_TRUE(*gemeinsam.IE->Visible());
    EXPECT_TRUE(dateiauswahl->Timer1->isActive());
    EXPECT_TRUE(monitor.isNull() || !monitor->isVisible());
}

TEST_F(Umbenennfenster, UnmarkedEntriesLeftEndTheRunWithTheMarkingMessage)
{
    dateien(3);
    oeffnen();
    aenderungen->Text1->setText(u8("x©0 - 9©"));
    aenderungen->List1_Click(0);
    aenderungen->Command6_Click();
    EXPECT_EQ(messages.texts(), u8s({"Sie müssen eine Datei makieren!"}));
    EXPECT_TRUE(aenderungen->isVisible());
    EXPECT_EQ(aenderungen->arbeitsliste().anzahl(), 2);
    EXPECT_EQ(aenderungen->Command5->text(), u8("Schrittweise beginnen"));
    EXPECT_TRUE(aenderungen->Text1->isEnabled());
}

TEST_F(Umbenennfenster, AbbrechenInAStepwiseRunEndsItAtTheNextClickWithoutProcessing)
{
    const QStringList pfade = dateien(2);
    oeffnen();
    aenderungen->Text1->setText(u8("n©0 - 9©"));
    aenderungen->Command3_Click();
    aenderungen->Command5_Click();
    aenderungen->Command2_Click();
    EXPECT_TRUE(aenderungen->isVisible()) << "Abbrechen during a run does not close";
    aenderungen->Command5_Click();
    EXPECT_TRUE(QFile::exists(pfade[0]));
    EXPECT_TRUE(messages.texts().isEmpty()) << "no marking message after Abbrechen";
    EXPECT_EQ(aenderungen->Command5->text(), u8("Schrittweise beginnen"));
    EXPECT_FALSE(aenderungen->Abbruch);

    aenderungen->Command2_Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(aenderungen.isNull() || !aenderungen->isVisible()) << "idle, Abbrechen closes";
}

TEST_F(Umbenennfenster, AbbrechenDuringAllFilesStopsTheRunBetweenFiles)
{
    dateien(6);
    oeffnen();
    aenderungen->Text1->setText(u8("n©0 - 9©"));
    aenderungen->Command3_Click();
    QTimer::singleShot(0, aenderungen, [this] { aenderungen->Command2_Click(); });
    aenderungen->Command6_Click();
    EXPECT_GE(gemeinsam.Sitzung, 2) << "the remaining clicks started a new run";
    EXPECT_GT(aenderungen->arbeitsliste().anzahl(), 0) << "not every file was processed";
    EXPECT_FALSE(messages.texts().contains(u8("Sie müssen eine Datei makieren!")));
}

TEST_F(Umbenennfenster, CopyIntoAFolderKeepsTheSourceAndRecordsKopiert)
{
    const QStringList pfade = dateien(1);
    gewaehlterOrdner = dir.filePath(u8("ziel"));
    dir.write(u8("ziel/.keep"));
    oeffnen();
    aenderungen->Option3[1]->setChecked(true);
    aenderungen->Option3_Click(1);
    EXPECT_EQ(aenderungen->Text3->text(), gewaehlterOrdner);
    aenderungen->Text1->setText(u8("kopie"));
    aenderungen->Command3_Click();
    aenderungen->Command6_Click();
    EXPECT_TRUE(QFile::exists(pfade[0]));
    EXPECT_EQ(dir.read(u8("ziel/kopie.jpg")), QByteArray("0"));
    EXPECT_EQ(journalAktionen().value(3), u8("Kopiert"));
}

TEST_F(Umbenennfenster, AFailedRenameIsShownAndRecordedAndNothingIsLost)
{
    const QStringList pfade = dateien(2);
    oeffnen();
    aenderungen->Text1->setText(u8("gleich"));
    aenderungen->Command3_Click();
    aenderungen->Command6_Click();
    // Both files get the same name: the first rename succeeds, the second must not replace it.
    EXPECT_EQ(dir.read(u8("fotos/gleich.jpg")), QByteArray("0"));
    EXPECT_EQ(dir.read(u8("fotos/bild1.jpg")), QByteArray("1"));
    const QStringList aktionen = journalAktionen();
    ASSERT_EQ(aktionen.size(), 9);
    EXPECT_EQ(aktionen[3], u8("Umbenannt"));
    EXPECT_EQ(aktionen[7], u8("Fehler"));
    EXPECT_TRUE(monitor.isNull() ||
                monitor->Label6[0]->text().contains(u8("wurde nicht umbennant wegen Fehler")));
}

TEST_F(Umbenennfenster, FolderChooserCancelledFallsBackToTheOwnFolder)
{
    dateien(1);
    oeffnen();
    aenderungen->Option3[2]->setChecked(true);
    aenderungen->Option3_Click(2);
    EXPECT_EQ(aenderungen->Text3->text(), u8("Ursprungsfad"));
    EXPECT_TRUE(aenderungen->Option3[0]->isChecked());
}

TEST_F(Umbenennfenster, PatternAndCounterFieldGuards)
{
    dateien(2);
    oeffnen();
    aenderungen->Command5_Click();
    EXPECT_EQ(messages.texts(), u8s({"Sie müssen einen neuen Pfad eingeben"}));

    aenderungen->Text1->setText(u8("Bild_"));
    aenderungen->Command1_Click(0);
    const QString muster = aenderungen->Text1->text();
    aenderungen->Text1->setText(u8("Bild_©0 x- 0©"));
    aenderungen->Text1_Geaendert(aenderungen->Text1->text());
    EXPECT_EQ(aenderungen->Text1->text(), muster);
    EXPECT_EQ(messages.texts().last(), u8("Eingabe Ungültig"));

    aenderungen->text2[0]->setText(u8("10"));
    aenderungen->text2_LostFocus(0);
    EXPECT_EQ(aenderungen->text2[1]->text(), u8("12"));
    aenderungen->text2[1]->setText(u8("9"));
    aenderungen->text2_LostFocus(1);
    EXPECT_EQ(messages.texts().last(), u8("Der Zählerbeginn muß kleiner sein als als das Zählerende!"));
    EXPECT_EQ(aenderungen->text2[1]->text(), u8("12"));

    aenderungen->Command4_Click();
    EXPECT_EQ(aenderungen->Text1->text(), u8("0"));
    EXPECT_EQ(aenderungen->text2[1]->text(), u8("0"));
    EXPECT_EQ(aenderungen->arbeitsliste().markierteAnzahl(), 0);
}

TEST_F(Umbenennfenster, ClosingSavesTheSessionAndAFailedSaveAsksBeforeClosing)
{
    dateien(1);
    oeffnen();
    aenderungen->Text1->setText(u8("neu"));
    aenderungen->Command3_Click();
    aenderungen->Command5_Click();
    aenderungen->Command5_Click(); // renames the file
    aenderungen->Command2_Click(); // stop request
    aenderungen->Command5_Click(); // run ends: the list is empty, the window closes
    QCoreApplication::processEvents();
    EXPECT_EQ(journalAktionen().size(), 5);
    EXPECT_EQ(dateiauswahl->Label1[0]->text(), u8("Aktion durchgeführt!"));
}

// ---------------------------------------------------------------------------------------------
// The pick bar's rename phase

namespace {

// The stack of step 1 on a 1024 x 768 screen: the bar at 236 pixels, the selection and rename windows
// at 256.
class RenamePhase : public Umbenennfenster
{
protected:
    void SetUp() override
    {
        Umbenennfenster::SetUp();
        browser->setLocation(dir.path());
        dateiauswahl->setTop(3840);
        bar = new stack::frmAuswahlbutton(screen, gemeinsam, laufwerke);
        bar->setWidth(15360);
        bar->setTop(3540);
        bar->setAuswahlfenster(dateiauswahl);
        bar->show();
    }

    void aktivieren()
    {
        monitor->show();
        aenderungen->show();
        aenderungen->activateWindow();
        ASSERT_TRUE(waitUntil([&] { return aenderungen->isActiveWindow(); }));
    }

    // The bar's control in front at a point of the bar.
    QString vorn(int x, int y) const
    {
        QWidget* c = bar->childAt(x, y);
        while (c && c->parentWidget() != bar)
            c = c->parentWidget();
        return c ? c->objectName() : QString();
    }

    FakeLaufwerke laufwerke;
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
        EXPECT_EQ(vorn(x, 10), u8("Image1")) << x;
    EXPECT_EQ(vorn(50, 10), u8("Drive1"));

    aktivieren();
    EXPECT_TRUE(bar->Drive1->isHidden());
    EXPECT_EQ(vorn(50, 10), u8("Image1"));
}

TEST_F(RenamePhase, ClosingRestoresTheSelectionPhaseAndPutsTheBrowserOnTheMonitorsPlace)
{
    dateien(2);
    laden();
    aktivieren();
    monitor->setTop(1650);
    monitor->setHeight(2145);
    browser->setVisible(false);
    aenderungen->Command2_Click();
    ASSERT_TRUE(waitUntil([&] { return aenderungen.isNull(); }));

    EXPECT_TRUE(bar->Image1->isHidden());
    EXPECT_TRUE(bar->Image2[0]->isEnabled());
    EXPECT_TRUE(bar->Image2[1]->isEnabled());
    EXPECT_FALSE(bar->Drive1->isHidden());
    EXPECT_EQ(vorn(300, 10), u8("Image2_0"));
    EXPECT_EQ(vorn(512, 10), u8("EplorerButton"));
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

TEST_F(RenamePhase, AJournalThatCannotBeWrittenKeepsTheWindowOpenOnNoAndInTheRenamePhase)
{
    dateien(2);
    laden();
    aktivieren();
    aenderungen->Text1->setText(u8("neu"));
    aenderungen->List1_Click(0);
    aenderungen->Command5_Click();
    aenderungen->Command5_Click();
    aenderungen->Command2_Click();
    aenderungen->Command5_Click(); // the run ends with one unmarked entry left
    // The day's journal cannot be written: a folder stands in its place.
    QDir(dir.path()).mkdir(u8("Sich_05.12.2026.xml"));
    messages.answerNo();
    const int browserTop = *browser->Top();
    aenderungen->close();
    ASSERT_TRUE(aenderungen->isVisible());
    EXPECT_TRUE(messages.shown().last().question);
    EXPECT_TRUE(bar->Image1->isVisible());
    EXPECT_FALSE(bar->Image2[0]->isEnabled());
    EXPECT_TRUE(bar->Drive1->isHidden());
    EXPECT_EQ(*browser->Top(), browserTop);

    QDir(dir.path()).rmdir(u8("Sich_05.12.2026.xml"));
    aenderungen->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(journalAktionen().size(), 5) << "closing again saved the session";
}

TEST_F(RenamePhase, TheHandleMovesTheBarAndTheMonitorButNotTheRenameWindow)
{
    dateien(1);
    laden();
    aktivieren();
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
    EXPECT_EQ(aenderungen->Top(), 3840) << "the rename window stays";
}

TEST_F(RenamePhase, AfterTheHandleTheRenameWindowHasTheFocusBackWhereItWas)
{
    dateien(1);
    laden();
    aktivieren();
    aenderungen->Text1->setFocus();
    bar->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return bar->isActiveWindow(); }));
    bar->Image1_MouseDown();
    bar->Image1_MouseMove(120);
    bar->Image1_MouseUp();
    EXPECT_FALSE(bar->Ziehen_Monitor);
    EXPECT_TRUE(waitUntil([&] { return aenderungen->isActiveWindow(); }));
    EXPECT_EQ(QApplication::focusWidget(), aenderungen->Text1) << "the name pattern keeps the focus";
}
