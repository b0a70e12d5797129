#include "catalogue/Dateiauswahl.h"
#include "journal/DatenBanken.h"
#include "platform/RecordSet.h"
#include "platform/WrapButton.h"
#include "rename/Aenderungen.h"
#include "rename/Ueberwachungsmonitor.h"
#include "support/FakeBrowser.h"
#include "support/FakeClock.h"
#include "support/FakeScreen.h"
#include "support/QtApplicationEnvironment.h"
#include "support/QtPrinters.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempDir.h"

#include <QCoreApplication>
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

[[maybe_unused]] const auto* const qtApplication = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

// A selection window with files taken over and marked, and a rename window opened on it.
class Umbenennfenster : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gemeinsam.IE = std::make_unique<FakeBrowser>();
        gemeinsam.Programmstart = 1;
        dateiauswahl = new catalogue::Dateiauswahl(screen, gemeinsam, messages);
    }

    void TearDown() override
    {
        delete aenderungen.data();
        delete monitor.data();
        delete dateiauswahl.data();
    }

    QStringList dateien(int n, const QString& ordner = QStringLiteral("fotos"))
    {
        QStringList pfade;
        QList<platform::ShellItem> items;
        for (int i = 0; i < n; ++i) {
            const QString pfad = dir.write(QStringLiteral("%1/bild%2.jpg").arg(ordner).arg(i), QByteArray::number(i));
            pfade << pfad;
            items.append({pfad, pfad.section(u'/', -1), QStringLiteral("JPEG-Bild"), 1, QDateTime::currentDateTime()});
        }
        dateiauswahl->logik().Explorerauswahl = platform::ShellItems::fromItems(items);
        dateiauswahl->logik().uebernehmen();
        return pfade;
    }

    void oeffnen(bool alleMarkiert = true)
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
        aenderungen = new rename::Aenderungen(u, *dateiauswahl, *monitor);
        aenderungen->show();
    }

    QStringList journalAktionen()
    {
        platform::RecordSet rs;
        if (!rs.Open(db.journalPfadHeute()) || !rs.MoveFirst())
            return {};
        QStringList alle;
        for (; !rs.Eof(); rs.MoveNext())
            alle << rs.text(u"Ergebnisstring").split(journal::Trennzeichen);
        return alle;
    }

    TempDir dir;
    FakeScreen screen;
    ScriptedMessageBox messages;
    FakeClock clock;
    journal::DatenBanken db{dir.path(), clock};
    shell::Gemeinsam gemeinsam;
    QPointer<catalogue::Dateiauswahl> dateiauswahl;
    QPointer<rename::Ueberwachungsmonitor> monitor;
    QPointer<rename::Aenderungen> aenderungen;
    QString gewaehlterOrdner;
};

} // namespace

TEST_F(Umbenennfenster, LoadTakesTheMarkedEntriesInListOrderAndHidesTheSelection)
{
    const QStringList pfade = dateien(4);
    dateiauswahl->show();
    dateiauswahl->List1->selectionModel()->select(dateiauswahl->List1->model()->index(3, 0), QItemSelectionModel::Select);
    dateiauswahl->List1->selectionModel()->select(dateiauswahl->List1->model()->index(1, 0), QItemSelectionModel::Select);
    oeffnen(false);
    EXPECT_EQ(aenderungen->arbeitsliste().eintraege(), (QStringList{pfade[1], pfade[3]}));
    EXPECT_EQ(aenderungen->arbeitsliste().markierteAnzahl(), 0);
    EXPECT_FALSE(dateiauswahl->isVisible());
    EXPECT_FALSE(dateiauswahl->Timer1->isActive());
    EXPECT_FALSE(*gemeinsam.IE->Visible());
    EXPECT_EQ(aenderungen->windowTitle(), QStringLiteral("Tausch3"));
}

TEST_F(Umbenennfenster, AStepwiseRunRenamesOneFileAtATime)
{
    const QStringList pfade = dateien(3);
    oeffnen();
    aenderungen->Text1->setText(QStringLiteral("Urlaub_"));
    aenderungen->Command3_Click();
    EXPECT_EQ(aenderungen->text2[1]->text(), QStringLiteral("3"));
    aenderungen->Command1_Click(0);
    EXPECT_EQ(aenderungen->Text1->text(), QStringLiteral("Urlaub_©0 - 3©"));

    aenderungen->Command5_Click();
    EXPECT_EQ(aenderungen->Command5->text(), QStringLiteral("Umbenennen"));
    EXPECT_EQ(gemeinsam.Sitzung, 1);
    EXPECT_FALSE(aenderungen->Text1->isEnabled());
    EXPECT_EQ(monitor->Label4->text(), QStringLiteral("bild0.jpg"));
    EXPECT_EQ(monitor->Label5->text(), QStringLiteral("Urlaub_1.jpg"));
    EXPECT_EQ(monitor->Label6[2]->text(), QStringLiteral("Noch 3 Dateien zum Umbennen"));
    EXPECT_TRUE(QFile::exists(pfade[0])) << "showing a file does not touch it";

    aenderungen->Command5_Click();
    EXPECT_FALSE(QFile::exists(pfade[0]));
    EXPECT_EQ(dir.read(QStringLiteral("fotos/Urlaub_1.jpg")), QByteArray("0"));
    EXPECT_EQ(monitor->Label6[0]->text(), QStringLiteral("Datei ") + dir.filePath(QStringLiteral("fotos/Urlaub_1.jpg")) +
                                              QStringLiteral(" wurde umbennant"));
    EXPECT_EQ(monitor->Label5->text(), QStringLiteral("Urlaub_2.jpg"));
    EXPECT_EQ(aenderungen->arbeitsliste().anzahl(), 2);
    dateiauswahl->Katalog().setFilter(QString());
    EXPECT_EQ(dateiauswahl->Katalog().RecordCount(), 2) << "the processed file left the catalogue";
}

TEST_F(Umbenennfenster, AllFilesEndsTheRunClosesTheWindowAndSavesOneSession)
{
    const QStringList pfade = dateien(5);
    oeffnen();
    aenderungen->Text1->setText(QStringLiteral("neu"));
    aenderungen->Command1_Click(2);
    aenderungen->Command3_Click();
    aenderungen->Command1_Click(0);
    aenderungen->Command6_Click();

    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Es sind Keine Dateien zum Schreiben mehr da")});
    QCoreApplication::processEvents();
    EXPECT_TRUE(aenderungen.isNull() || !aenderungen->isVisible());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("fotos/neubild%1%2.jpg").arg(i).arg(i + 1))))
            << dir.entries().join(u' ').toStdString();
    const QStringList aktionen = journalAktionen();
    ASSERT_EQ(aktionen.size(), 4 * 5 + 1);
    EXPECT_EQ(aktionen[0], pfade[0]);
    EXPECT_EQ(aktionen[3], QStringLiteral("Umbenannt"));
    EXPECT_TRUE(dateiauswahl->isVisible());
    EXPECT_TRUE(*gemeinsam.IE->Visible());
    EXPECT_TRUE(dateiauswahl->Timer1->isActive());
    EXPECT_TRUE(monitor.isNull() || !monitor->isVisible());
}

TEST_F(Umbenennfenster, UnmarkedEntriesLeftEndTheRunWithTheMarkingMessage)
{
    dateien(3);
    oeffnen();
    aenderungen->Text1->setText(QStringLiteral("x©0 - 9©"));
    aenderungen->List1_Click(0);
    aenderungen->Command6_Click();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Sie müssen eine Datei makieren!")});
    EXPECT_TRUE(aenderungen->isVisible());
    EXPECT_EQ(aenderungen->arbeitsliste().anzahl(), 2);
    EXPECT_EQ(aenderungen->Command5->text(), QStringLiteral("Schrittweise beginnen"));
    EXPECT_TRUE(aenderungen->Text1->isEnabled());
}

TEST_F(Umbenennfenster, AbbrechenInAStepwiseRunEndsItAtTheNextClickWithoutProcessing)
{
    const QStringList pfade = dateien(2);
    oeffnen();
    aenderungen->Text1->setText(QStringLiteral("n©0 - 9©"));
    aenderungen->Command3_Click();
    aenderungen->Command5_Click();
    aenderungen->Command2_Click();
    EXPECT_TRUE(aenderungen->isVisible()) << "Abbrechen during a run does not close";
    aenderungen->Command5_Click();
    EXPECT_TRUE(QFile::exists(pfade[0]));
    EXPECT_TRUE(messages.texts().isEmpty()) << "no marking message after Abbrechen";
    EXPECT_EQ(aenderungen->Command5->text(), QStringLiteral("Schrittweise beginnen"));
    EXPECT_FALSE(aenderungen->Abbruch);

    aenderungen->Command2_Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(aenderungen.isNull() || !aenderungen->isVisible()) << "idle, Abbrechen closes";
}

TEST_F(Umbenennfenster, AbbrechenDuringAllFilesStopsTheRunBetweenFiles)
{
    dateien(6);
    oeffnen();
    aenderungen->Text1->setText(QStringLiteral("n©0 - 9©"));
    aenderungen->Command3_Click();
    QTimer::singleShot(0, aenderungen, [this] { aenderungen->Command2_Click(); });
    aenderungen->Command6_Click();
    EXPECT_GE(gemeinsam.Sitzung, 2) << "the remaining clicks started a new run";
    EXPECT_GT(aenderungen->arbeitsliste().anzahl(), 0) << "not every file was processed";
    EXPECT_FALSE(messages.texts().contains(QStringLiteral("Sie müssen eine Datei makieren!")));
}

TEST_F(Umbenennfenster, CopyIntoAFolderKeepsTheSourceAndRecordsKopiert)
{
    const QStringList pfade = dateien(1);
    gewaehlterOrdner = dir.filePath(QStringLiteral("ziel"));
    dir.write(QStringLiteral("ziel/.keep"));
    oeffnen();
    aenderungen->Option3[1]->setChecked(true);
    aenderungen->Option3_Click(1);
    EXPECT_EQ(aenderungen->Text3->text(), gewaehlterOrdner);
    aenderungen->Text1->setText(QStringLiteral("kopie"));
    aenderungen->Command3_Click();
    aenderungen->Command6_Click();
    EXPECT_TRUE(QFile::exists(pfade[0]));
    EXPECT_EQ(dir.read(QStringLiteral("ziel/kopie.jpg")), QByteArray("0"));
    EXPECT_EQ(journalAktionen().value(3), QStringLiteral("Kopiert"));
}

TEST_F(Umbenennfenster, AFailedRenameIsShownAndRecordedAndNothingIsLost)
{
    const QStringList pfade = dateien(2);
    oeffnen();
    aenderungen->Text1->setText(QStringLiteral("gleich"));
    aenderungen->Command3_Click();
    aenderungen->Command6_Click();
    // Both files get the same name: the first rename succeeds, the second must not replace it.
    EXPECT_EQ(dir.read(QStringLiteral("fotos/gleich.jpg")), QByteArray("0"));
    EXPECT_EQ(dir.read(QStringLiteral("fotos/bild1.jpg")), QByteArray("1"));
    const QStringList aktionen = journalAktionen();
    ASSERT_EQ(aktionen.size(), 9);
    EXPECT_EQ(aktionen[3], QStringLiteral("Umbenannt"));
    EXPECT_EQ(aktionen[7], QStringLiteral("Fehler"));
    EXPECT_TRUE(monitor.isNull() || monitor->Label6[0]->text().contains(QStringLiteral("wurde nicht umbennant wegen Fehler")));
}

TEST_F(Umbenennfenster, FolderChooserCancelledFallsBackToTheOwnFolder)
{
    dateien(1);
    oeffnen();
    aenderungen->Option3[2]->setChecked(true);
    aenderungen->Option3_Click(2);
    EXPECT_EQ(aenderungen->Text3->text(), QStringLiteral("Ursprungsfad"));
    EXPECT_TRUE(aenderungen->Option3[0]->isChecked());
}

TEST_F(Umbenennfenster, PatternAndCounterFieldGuards)
{
    dateien(2);
    oeffnen();
    aenderungen->Command5_Click();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Sie müssen einen neuen Pfad eingeben")});

    aenderungen->Text1->setText(QStringLiteral("Bild_"));
    aenderungen->Command1_Click(0);
    const QString muster = aenderungen->Text1->text();
    aenderungen->Text1->setText(QStringLiteral("Bild_©0 x- 0©"));
    aenderungen->Text1_Geaendert(aenderungen->Text1->text());
    EXPECT_EQ(aenderungen->Text1->text(), muster);
    EXPECT_EQ(messages.texts().last(), QStringLiteral("Eingabe Ungültig"));

    aenderungen->text2[0]->setText(QStringLiteral("10"));
    aenderungen->text2_LostFocus(0);
    EXPECT_EQ(aenderungen->text2[1]->text(), QStringLiteral("12"));
    aenderungen->text2[1]->setText(QStringLiteral("9"));
    aenderungen->text2_LostFocus(1);
    EXPECT_EQ(messages.texts().last(), QStringLiteral("Der Zählerbeginn muß kleiner sein als als das Zählerende!"));
    EXPECT_EQ(aenderungen->text2[1]->text(), QStringLiteral("12"));

    aenderungen->Command4_Click();
    EXPECT_EQ(aenderungen->Text1->text(), QStringLiteral("0"));
    EXPECT_EQ(aenderungen->text2[1]->text(), QStringLiteral("0"));
    EXPECT_EQ(aenderungen->arbeitsliste().markierteAnzahl(), 0);
}

TEST_F(Umbenennfenster, ClosingSavesTheSessionAndAFailedSaveAsksBeforeClosing)
{
    dateien(1);
    oeffnen();
    aenderungen->Text1->setText(QStringLiteral("neu"));
    aenderungen->Command3_Click();
    aenderungen->Command5_Click();
    aenderungen->Command5_Click(); // renames the file
    aenderungen->Command2_Click(); // stop request
    aenderungen->Command5_Click(); // run ends: the list is empty, the window closes
    QCoreApplication::processEvents();
    EXPECT_EQ(journalAktionen().size(), 5);
    EXPECT_EQ(dateiauswahl->Label1[0]->text(), QStringLiteral("Aktion durchgeführt!"));
}

TEST_F(Umbenennfenster, AJournalThatCannotBeWrittenKeepsTheWindowOpenOnNo)
{
    dateien(2);
    oeffnen();
    aenderungen->Text1->setText(QStringLiteral("neu"));
    aenderungen->List1_Click(0);
    aenderungen->Command5_Click();
    aenderungen->Command5_Click();
    aenderungen->Command2_Click();
    aenderungen->Command5_Click(); // run ends with one unmarked entry left
    // The day's file cannot be written: a folder stands in its place.
    QDir(dir.path()).mkdir(QStringLiteral("Sich_05.12.2026.xml"));
    messages.answerNo();
    aenderungen->close();
    EXPECT_TRUE(aenderungen->isVisible());
    EXPECT_TRUE(messages.shown().last().question);
    QDir(dir.path()).rmdir(QStringLiteral("Sich_05.12.2026.xml"));
    aenderungen->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(journalAktionen().size(), 5) << "closing again saved the session";
}
