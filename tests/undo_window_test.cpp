#include "journal/DatenBanken.h"
#include "journal/Zurueck.h"
#include "rename/Datensicherung.h"
#include "support/AdoJournal.h"
#include "support/FakeClock.h"
#include "support/FakeDocumentOpener.h"
#include "support/FakeScreen.h"
#include "support/QtPrinters.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

using tw::journal::Zurueck;
using tw::platform::MessageBox;
using namespace tw::test;

const QString journalName = u8("Sich_05.12.2026.xml");
const QString bitte = u8("Bitte auswählen");

class UndoWindow : public ::testing::Test
{
protected:
    std::unique_ptr<Zurueck> open()
    {
        return std::make_unique<Zurueck>(
            tw::journal::ZurueckUmgebung{dir.path(), &screen, &messages, &opener});
    }
    // Renames daten/<alt> to daten/<neu> and saves it as one session of its own.
    void sitzung(qint16 start, qint32 nummer, const char* alt, const char* neu)
    {
        const QString von = dir.write(u8("daten/") + QLatin1String(alt), alt);
        const QString nach = dir.filePath(u8("daten/") + QLatin1String(neu));
        tw::rename::MonitorTexte m;
        ASSERT_EQ(tw::rename::Datei_aendern(von, nach, tw::rename::Umbenennen, m), 0);
        db.Sitzung_beginnen();
        EXPECT_TRUE(db.Aktion_eintragen(von, nach, u8("Umbenannt")));
        ASSERT_TRUE(db.Sitzung_speichern(start, nummer, u8("Muster ") + QLatin1String(neu)));
        clock.advance(60);
    }
    static void waehle(QComboBox* combo, const QString& text)
    {
        const int i = combo->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        combo->setCurrentIndex(i);
        emit combo->activated(i);
    }
    void waehleSitzung(Zurueck& w, const char* start, const char* nummer)
    {
        w.File1->setCurrentRow(w.File1->row(w.File1->findItems(journalName, Qt::MatchExactly).value(0)));
        waehle(w.Combo1, QString::fromLatin1(start));
        waehle(w.Combo2, QString::fromLatin1(nummer));
    }
    QStringList items(const QComboBox* c) const
    {
        QStringList l;
        for (int i = 0; i < c->count(); ++i)
            l.append(c->itemText(i));
        return l;
    }

    TempDir dir;
    FakeClock clock;
    FakeScreen screen;
    ScriptedMessageBox messages;
    FakeDocumentOpener opener;
    tw::journal::DatenBanken db{dir.path(), clock};
};

} // namespace

TEST_F(UndoWindow, JournalFilesAreListedNothingIsChosenAtFirstAndAFileThatIsNoJournalIsSaidSoCritically)
{
    dir.write(journalName, "<xml>kein Journal</xml>");
    dir.write(u8("Sich_05.12.2026_2.xml")); // a side file
    dir.write(u8("Sicherung.txt"));
    dir.write(u8("Lesen.xml"));
    const auto w = open();
    ASSERT_EQ(w->File1->count(), 2);
    EXPECT_EQ(w->File1->item(1)->text(), u8("Sich_05.12.2026_2.xml"));
    for (const QComboBox* c : {w->Combo1, w->Combo2}) {
        EXPECT_FALSE(c->isEnabled());
        EXPECT_EQ(Zurueck::comboText(c), bitte);
    }
    EXPECT_FALSE(w->Text1->isEnabled());

    w->File1->setCurrentRow(0);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown()[0].text.startsWith(u8("Dies ist keine Datenbank von Tauschwerk\n")));
    EXPECT_TRUE(messages.shown()[0].text.contains(dir.filePath(journalName)));
    EXPECT_EQ(messages.shown()[0].icon, MessageBox::Icon::Critical);
    EXPECT_EQ(w->Sicherungsdaten, nullptr);
    EXPECT_FALSE(w->Combo1->isEnabled());
    EXPECT_EQ(w->Combo1->count(), 0);
}

// Betrachten leaves the sort "Programmstart Desc" set; neither the lists nor the record acted on change.
TEST_F(UndoWindow, ChoosingFillsTheListsAndBetrachtenAndTheUndoActOnTheRecordShown)
{
    sitzung(1, 1, "a", "A");
    sitzung(1, 2, "b", "B");
    sitzung(1, 1, "c", "C"); // the same program start and session once more
    sitzung(1, 3, "d", "D");
    sitzung(2, 1, "e", "E");
    const auto w = open();
    w->File1->setCurrentRow(0);
    EXPECT_EQ(items(w->Combo1), u8s({"1", "2"}));
    EXPECT_EQ(Zurueck::comboText(w->Combo1), bitte);
    waehle(w->Combo1, u8("1"));
    waehle(w->Combo2, u8("1"));
    EXPECT_EQ(w->Text1->text(), u8("Muster A"));
    w->Command1->click();
    EXPECT_EQ(opener.opened(), QStringList{dir.filePath(u8("versionen.html"))});
    EXPECT_TRUE(dir.read(u8("versionen.html")).contains("daten/A"));
    EXPECT_FALSE(dir.read(u8("versionen.html")).contains("daten/C"));
    opener.failWith(u8("Kein Programm für HTML-Seiten."));
    w->Command1->click();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(messages.shown()[0].text.contains(u8("Kein Programm für HTML-Seiten.")));
    messages.clear();

    waehle(w->Combo1, u8("2"));
    EXPECT_EQ(Zurueck::comboText(w->Combo2), bitte) << "a new program start resets the session";
    EXPECT_TRUE(w->Text1->text().isEmpty());
    waehle(w->Combo1, u8("1"));
    EXPECT_EQ(items(w->Combo2), u8s({"1", "2", "1", "3"}));
    waehle(w->Combo2, u8("1"));
    EXPECT_EQ(w->Text1->text(), u8("Muster A"));
    sitzung(3, 1, "f", "F"); // the rename window of another start saves meanwhile
    messages.answerYes();
    w->Command2->click();
    ASSERT_EQ(messages.shown().size(), 2);
    EXPECT_EQ(messages.shown()[1].text, u8("Es wurde die Sitzung rückgängig gemacht!"));
    EXPECT_EQ(messages.shown()[1].icon, MessageBox::Icon::None);
    EXPECT_TRUE(dir.exists(u8("daten/a")));
    EXPECT_TRUE(dir.exists(u8("daten/C")));
    const auto bleiben = journalRecords(dir.filePath(journalName));
    ASSERT_EQ(bleiben.size(), 5);
    EXPECT_EQ(bleiben[1][2], u8("Muster C"));
    EXPECT_EQ(items(w->Combo1), u8s({"1", "2", "3"})) << "reloaded from the file";
    EXPECT_EQ(Zurueck::comboText(w->Combo1), bitte);
    EXPECT_FALSE(w->Combo2->isEnabled());
}

TEST_F(UndoWindow, ButtonsAskForEveryChoiceFirstAndNoChangesNothing)
{
    sitzung(1, 1, "a", "b");
    const QByteArray vorher = dir.read(journalName);
    const auto w = open();
    const auto bitteErst = [&] {
        for (QPushButton* b : {w->Command1, w->Command2}) {
            messages.clear();
            b->click();
            ASSERT_EQ(messages.shown().size(), 1);
            EXPECT_EQ(messages.shown()[0].text, u8("Bitte erst alle Eingaben machen"));
            EXPECT_EQ(messages.shown()[0].icon, MessageBox::Icon::Information);
        }
    };
    bitteErst();
    w->File1->setCurrentRow(0);
    waehle(w->Combo1, u8("1"));
    bitteErst();

    waehle(w->Combo2, u8("1"));
    messages.clear();
    messages.answerNo();
    w->Command2->click();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].text, u8("Möchten Sie wirklich diese Sitzung rückgängig machen"));
    EXPECT_TRUE(messages.shown()[0].question);
    EXPECT_EQ(dir.read(journalName), vorher);
    EXPECT_TRUE(dir.exists(u8("daten/b")));
    EXPECT_TRUE(opener.opened().isEmpty());
}

TEST_F(UndoWindow, APartialUndoSaysWhichFailedAndTheLastSessionTakesTheFile)
{
    sitzung(1, 1, "a", "b");
    dir.write(u8("daten/a"), "neu"); // a new file where the old one stood
    const auto w = open();
    waehleSitzung(*w, "1", "1");
    messages.answerYes();
    w->Command2->click();
    ASSERT_EQ(messages.shown().size(), 2);
    EXPECT_EQ(messages.shown()[1].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(messages.shown()[1].text.contains(u8("1 von 1 Aktionen")));

    QFile::remove(dir.filePath(u8("daten/a")));
    waehleSitzung(*w, "1", "1");
    messages.answerYes();
    w->Command2->click();
    EXPECT_EQ(messages.shown().last().text, u8("Es wurde die Sitzung rückgängig gemacht!"));
    EXPECT_FALSE(dir.exists(journalName));
    EXPECT_EQ(w->File1->count(), 0);
    EXPECT_FALSE(w->Combo1->isEnabled());
}
