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

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

using tw::journal::Zurueck;
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
    // The day's journal, the program start and, unless none is given, the session.
    static void waehleSitzung(Zurueck& w, const char* start, const char* nummer = nullptr)
    {
        w.File1->setCurrentRow(0);
        waehle(w.Combo1, QString::fromLatin1(start));
        if (nummer)
            waehle(w.Combo2, QString::fromLatin1(nummer));
    }
    // The messages shown since the last look, each as its kind and its first line.
    QStringList gesagt()
    {
        QStringList out;
        for (const auto& m : messages.shown())
            out << (m.question ? u8("Frage")
                               : u8s({"Hinweis", "Info", "Warnung", "Fehler"}).value(int(m.icon))) +
                       u8(": ") + m.text.section(u'\n', 0, 0);
        messages.clear();
        return out;
    }
    static QStringList items(const QComboBox* c)
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

// Betrachten leaves the sort "Programmstart Desc" set; neither the lists nor the record acted on change.
// The page itself and the undo's files are the end-to-end undo's.
TEST_F(UndoWindow, ChoosingFillsTheListsAndBetrachtenAndTheUndoActOnTheRecordShown)
{
    for (const auto& [start, nummer, alt, neu] : {std::tuple{1, 1, "a", "A"}, std::tuple{1, 2, "b", "B"},
                                                  std::tuple{1, 1, "c", "C"}, // the same once more
                                                  std::tuple{1, 3, "d", "D"}, std::tuple{2, 1, "e", "E"}})
        sitzung(qint16(start), nummer, alt, neu);
    const auto w = open();
    w->File1->setCurrentRow(0);
    EXPECT_EQ(items(w->Combo1), u8s({"1", "2"}));
    waehleSitzung(*w, "1", "1");
    EXPECT_EQ(w->Text1->text(), u8("Muster A"));
    w->Command1->click();
    const QByteArray seite = dir.read(u8("versionen.html"));
    EXPECT_TRUE(seite.contains("daten/A") && !seite.contains("daten/C")) << "the record shown, not its twin";
    opener.failWith(u8("Kein Programm für HTML-Seiten."));
    w->Command1->click();
    EXPECT_EQ(messages.texts(),
              u8s({"Die Seite konnte nicht geöffnet werden.\nKein Programm für HTML-Seiten."}));
    EXPECT_EQ(gesagt(), u8s({"Warnung: Die Seite konnte nicht geöffnet werden."}));

    waehle(w->Combo1, u8("2"));
    EXPECT_TRUE(Zurueck::comboText(w->Combo2) == bitte && w->Text1->text().isEmpty())
        << "a new program start resets the session";
    waehle(w->Combo1, u8("1"));
    EXPECT_EQ(items(w->Combo2), u8s({"1", "2", "1", "3"}));
    waehle(w->Combo2, u8("1"));
    sitzung(3, 1, "f", "F"); // the rename window of another start saves meanwhile
    messages.answerYes();
    w->Command2->click();
    EXPECT_EQ(gesagt(), u8s({"Frage: Möchten Sie wirklich diese Sitzung rückgängig machen",
                             "Hinweis: Es wurde die Sitzung rückgängig gemacht!"}));
    EXPECT_TRUE(dir.exists(u8("daten/a")) && dir.exists(u8("daten/C")));
    const auto bleiben = journalRecords(dir.filePath(journalName));
    EXPECT_EQ(std::pair(bleiben.size(), bleiben.value(1).value(2)), std::pair(qsizetype(5), u8("Muster C")));
    EXPECT_EQ(std::tuple(items(w->Combo1), Zurueck::comboText(w->Combo1), w->Combo2->isEnabled()),
              std::tuple(u8s({"1", "2", "3"}), bitte, false))
        << "reloaded from the file";
}

// Journal files are listed, a file that is no journal is said so critically, and nothing is chosen at first.
TEST_F(UndoWindow, ButtonsAskForEveryChoiceFirstNoChangesNothingAndAPartialUndoSaysWhichFailed)
{
    sitzung(1, 1, "a", "b");
    dir.write(u8("daten/a"), "neu"); // a new file where the old one stood
    const QString seite = dir.write(u8("Sich_05.12.2026_2.xml"), "<xml>kein Journal</xml>");
    dir.write(u8("Sicherung.txt"));
    dir.write(u8("Lesen.xml"));
    const QByteArray vorher = dir.read(journalName);
    const auto w = open();
    ASSERT_EQ(w->File1->count(), 2);
    EXPECT_EQ(w->File1->item(1)->text(), u8("Sich_05.12.2026_2.xml"));
    EXPECT_TRUE(!w->Combo1->isEnabled() && !w->Combo2->isEnabled() && !w->Text1->isEnabled() &&
                Zurueck::comboText(w->Combo1) == bitte && Zurueck::comboText(w->Combo2) == bitte);
    w->File1->setCurrentRow(1);
    EXPECT_TRUE(messages.texts().value(0).contains(seite));
    EXPECT_EQ(gesagt(), u8s({"Fehler: Dies ist keine Datenbank von Tauschwerk"}));
    EXPECT_TRUE(!w->Combo1->isEnabled() && w->Combo1->count() == 0);
    EXPECT_TRUE(w->File1->item(1)->toolTip().startsWith(u8("Nicht lesbar: "))) << "the list says so too";
    EXPECT_TRUE(w->File1->item(0)->toolTip().isEmpty());

    for (const bool startGewaehlt : {false, true}) {
        if (startGewaehlt)
            waehleSitzung(*w, "1");
        w->Command1->click();
        w->Command2->click();
        EXPECT_EQ(gesagt(),
                  u8s({"Info: Bitte erst alle Eingaben machen", "Info: Bitte erst alle Eingaben machen"}));
    }
    waehle(w->Combo2, u8("1"));
    messages.answerNo();
    w->Command2->click();
    EXPECT_EQ(gesagt(), u8s({"Frage: Möchten Sie wirklich diese Sitzung rückgängig machen"}));
    EXPECT_TRUE(dir.read(journalName) == vorher && dir.exists(u8("daten/b")) && opener.opened().isEmpty());

    messages.answerYes();
    w->Command2->click();
    EXPECT_EQ(gesagt().value(1),
              u8("Warnung: Die Sitzung wurde nicht ganz rückgängig gemacht: 1 von 1 Aktionen "
                 "konnten nicht rückgängig gemacht werden."));
    // Once the old name is free, the retry undoes the last session, and its journal goes.
    QFile::remove(dir.filePath(u8("daten/a")));
    waehleSitzung(*w, "1", "1");
    messages.answerYes();
    w->Command2->click();
    EXPECT_EQ(gesagt().value(1), u8("Hinweis: Es wurde die Sitzung rückgängig gemacht!"));
    EXPECT_TRUE(!dir.exists(journalName) && w->File1->count() == 1 && !w->Combo1->isEnabled());
}
