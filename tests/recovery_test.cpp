#include "journal/DatenBanken.h"
#include "journal/Wiederherstellung.h"
#include "platform/FileOutcome.h"
#include "platform/Trash.h"
#include "rename/Datensicherung.h"
#include "rename/Umbenennlauf.h"
#include "support/AdoJournal.h"
#include "support/FakeClock.h"
#include "support/IsolatedTrash.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tw;
using namespace tw::test;
using journal::DatenBanken;

namespace {

const IsolatedTrash papierkorb;

// The work list batches its view updates on a timer.
int argc = 1;
char name[] = "test_recovery";
char* argv[] = {name, nullptr};
QCoreApplication app(argc, argv);

const QString heute = u8("Sich_05.12.2026.xml");

// A run's window that lets every step go on and keeps the last answer.
struct Fenster : rename::Laufbegleiter
{
    rename::Laufeingaben e;
    rename::Schrittantwort letzte;
    rename::Laufeingaben eingaben() const override { return e; }
    bool zwischendurch() override { return true; }
    bool anzeigen(const rename::Schrittantwort& a) override
    {
        letzte = a;
        return true;
    }
};

} // namespace

// Names that hold every kind of character a path can, and one that no file system holds.
TEST(Recovery, TheRecoveredRecordIsTheOneTheSaveWouldHaveWrittenAndATornEndIsReadUpToIt)
{
    TempDir a, b;
    FakeClock clock;
    const QByteArray frueher =
        adoJournalXml({{u8("1"), u8("1"), u8("x"), u8("/a¢/b¢t¢Umbenannt¢"), u8("z")}});
    a.write(heute, frueher);
    b.write(heute, frueher);
    DatenBanken db(a.path(), clock);
    db.Sitzung_beginnen();
    db.Sitzungsstand(3, 1, u8("Bild_©0©"));
    const QStringList namen = {u8("zeile\numbruch"), u8("tab\tund\\rück\r"), u8("ü😀\x01\x7f"),
                               QString(QChar(0xD800)) + u8("lone")};
    for (const QString& n : namen) {
        const QString alt = a.write(u8("d/") + n, n.toUtf8());
        const QString neu = a.filePath(u8("d/neu ") + n);
        ASSERT_TRUE(db.Aktion_vorhaben(alt, neu, u8("Umbenannt")));
        const platform::FileOutcome r = platform::performFileAction(platform::FileAction::Rename, alt, neu);
        ASSERT_TRUE(db.Aktion_eintragen(alt, neu, r.done() ? u8("Umbenannt") : u8("Fehler")));
    }
    db.Sitzungsstand(3, 2, u8("Urlaub\t©0©\n"));
    // What a crash at this moment leaves.
    ASSERT_TRUE(QFile::copy(db.vorabPfad(), b.filePath(u8("Sitzung_1_1.offen"))));
    const QByteArray vorab = b.read(u8("Sitzung_1_1.offen"));
    // The check sum stays the one earlier versions wrote, so that their files stay readable.
    for (const QByteArray& z : vorab.split('\n')) {
        if (!z.isEmpty()) {
            EXPECT_EQ(z.right(4).toUShort(nullptr, 16), qChecksum(z.first(z.size() - 5))) << z.toStdString();
        }
    }
    ASSERT_TRUE(db.Sitzung_speichern(3, 2, u8("Urlaub\t©0©\n")));

    DatenBanken neustart(b.path(), clock);
    const journal::Wiederherstellung w = journal::offeneSitzungenWiederherstellen(neustart);
    EXPECT_EQ(journalRecords(b.filePath(heute)), journalRecords(a.filePath(heute)));
    EXPECT_EQ(
        journal::startMeldung(w, std::nullopt),
        u8("Eine unterbrochene Sitzung wurde wiederhergestellt: Programmstart 3, Sitzung 2 mit 4 Aktionen, "
           "gespeichert in %1.\nSie kann unter „Verwaltung“ rückgängig gemacht werden.")
            .arg(b.filePath(heute)));

    // Cut anywhere in the last record, or followed by what a power cut leaves: the last outcome is
    // missing, its intent stays open, and all before it is there.
    const qsizetype letzte = vorab.lastIndexOf("\nE\t") + 1;
    for (qsizetype bis = letzte + 1; bis <= vorab.indexOf('\n', letzte); ++bis) {
        for (const QByteArray& rest : {QByteArray(), QByteArray(512, '\0'), QByteArray("x\t0000\n\xff\n")}) {
            const auto s = journal::vorabLesen(vorab.left(bis) + rest);
            ASSERT_TRUE(s) << bis << s.error().message().toStdString();
            ASSERT_EQ(s->aktionen.size(), 4);
            EXPECT_TRUE(s->aktionen[3].offen && s->abgerissen);
            EXPECT_EQ(s->aktionen[2].eintrag.AlterPfad, a.filePath(u8("d/") + namen[2]));
        }
    }
    QByteArray mitte = vorab;
    mitte[letzte - 3] = 'X';
    for (const QByteArray& kaputt :
         {QByteArray(), vorab.mid(1), QByteArray("Tauschwerk-Sitzung\t1\n"), mitte})
        EXPECT_FALSE(journal::vorabLesen(kaputt)) << kaputt.left(40).toStdString();
}

// A move that may go through a second link or a copy, as onto another file system.
struct UeberLinkOderKopie : DatenBanken
{
    using DatenBanken::DatenBanken;
    bool einSchritt(const QString&, const QString&) const override { return false; }
};

// The one file in flight when the program ended: what the disk shows decides, and what a half-done
// operation left goes, so that the undo of the recorded action restores the tree.
TEST(Recovery, TheFileInFlightIsSettledByTheDisk)
{
    // Steps on d/a and its target d/z/b: "mv" renames d/a to d/b, "ln" links d/a as d/z/b, "trash" puts d/z/b
    // in the trash as replaced by d/a, any other word is written to d/z/b.
    const auto tue = [](TempDir& d, const char* schritte) {
        const QByteArray a = QFile::encodeName(d.filePath(u8("d/a"))),
                         z = QFile::encodeName(d.filePath(u8("d/z/b")));
        for (const QString& s : u8(schritte).split(u' ', Qt::SkipEmptyParts)) {
            if (s == u8("mv"))
                ASSERT_EQ(::rename(a.constData(), QFile::encodeName(d.filePath(u8("d/b"))).constData()), 0);
            else if (s == u8("ln"))
                ASSERT_EQ(::link(a.constData(), z.constData()), 0);
            else if (s == u8("trash"))
                ASSERT_TRUE(platform::trashReplaced(d.filePath(u8("d/z/b")), d.filePath(u8("d/a"))));
            else
                d.write(u8("d/z/b"), s.toUtf8());
        }
    };
    // The case, the action, the steps before it is noted and after, its outcome, the tree of d afterwards.
    const struct
    {
        const char *name, *aktion, *vorher, *nachher, *ergebnis;
        QStringList baum;
    } faelle[] = {
        {"rename done", "Umbenannt", "", "mv", "Umbenannt", u8s({"b: ABCD", "z"})},
        {"rename not begun", "Umbenannt", "", "", "Fehler", u8s({"a: ABCD", "z"})},
        {"move in one step onto a file that stood there", "Verschoben!", "AB", "", "Fehler",
         u8s({"a: ABCD", "z", "z/b: AB"})},
        {"move half through a second link", "Verschoben", "", "ln", "Fehler", u8s({"a: ABCD", "z"})},
        {"move copied part-way", "Verschoben", "", "AB", "Fehler", u8s({"a: ABCD", "z"})},
        {"move copied, source not yet gone", "Verschoben", "", "ABCD", "Fehler", u8s({"a: ABCD", "z"})},
        {"move onto a file that stood there", "Verschoben", "AB", "", "Fehler",
         u8s({"a: ABCD", "z", "z/b: AB"})},
        {"copy placed", "Kopiert", "X", "trash ABCD", "Kopiert", u8s({"a: ABCD", "z", "z/b: ABCD"})},
        {"copy not placed", "Kopiert", "X", "", "Fehler", u8s({"a: ABCD", "z", "z/b: X"})},
        {"copy whose target is in the trash already", "Kopiert", "X", "trash", "Fehler",
         u8s({"a: ABCD", "z", "z/b: X"})},
    };
    for (const auto& f : faelle) {
        SCOPED_TRACE(f.name);
        papierkorb.empty();
        TempDir dir;
        FakeClock clock;
        dir.write(u8("d/a"), "ABCD");
        QDir().mkpath(dir.filePath(u8("d/z")));
        tue(dir, f.vorher);
        const QString neu = dir.filePath(u8(QByteArray(f.aktion) == "Umbenannt" ? "d/b" : "d/z/b"));
        {
            // "!": the move as it is between folders of one file system here.
            const bool einSchritt = QByteArray(f.aktion).endsWith('!');
            std::unique_ptr<DatenBanken> db = einSchritt ? std::make_unique<DatenBanken>(dir.path(), clock)
                                                         : std::make_unique<UeberLinkOderKopie>(dir.path(), clock);
            db->Sitzung_beginnen();
            ASSERT_TRUE(db->Aktion_vorhaben(dir.filePath(u8("d/a")), neu, u8(f.aktion).remove(u'!')));
            tue(dir, f.nachher);
        }
        DatenBanken neustart(dir.path(), clock);
        ASSERT_EQ(journal::offeneSitzungenWiederherstellen(neustart).sitzungen.size(), 1);
        const auto records = journalRecords(dir.filePath(heute));
        ASSERT_EQ(records.size(), 1);
        EXPECT_EQ(records[0][3].split(journal::Trennzeichen).value(3), u8(f.ergebnis));
        EXPECT_EQ(tree(dir.filePath(u8("d"))), f.baum);
    }
}

// A live session's file is left alone; the dead one's is taken once: the first case and the kill tests.
TEST(Recovery, AnUnreadableFileIsSetAsideAndTheOneMessageNamesEveryFileThatCannotBeReadOnce)
{
    TempDir dir;
    FakeClock clock;
    dir.write(u8("Sitzung_7_1.offen"), "kein Protokoll\n");
    dir.write(heute, "<xml><kaputt");
    {
        DatenBanken db(dir.path(), clock);
        db.Sitzung_beginnen();
        ASSERT_TRUE(db.Aktion_eintragen(u8("/a"), u8("/b"), u8("Fehler")));
    }
    DatenBanken lebt(dir.path(), clock);
    lebt.Sitzung_beginnen();
    ASSERT_TRUE(lebt.Aktion_eintragen(u8("/c"), u8("/d"), u8("Fehler")));
    const QString offen = QFileInfo(lebt.vorabPfad()).fileName();
    const QByteArray vorher = dir.read(offen);

    DatenBanken db(dir.path(), clock);
    const journal::Wiederherstellung w = journal::offeneSitzungenWiederherstellen(db);
    EXPECT_TRUE(w.sitzungen.size() == 1 && w.nichtGespeichert.isEmpty());
    EXPECT_EQ(dir.read(offen), vorher);
    std::optional<journal::UnlesbaresJournal> unlesbar;
    EXPECT_EQ(db.Programmstart_ermitteln(&unlesbar), 2) << "the recovered session counts";
    const QString text = journal::startMeldung(w, unlesbar);

    QStringList dateien = dir.entries();
    EXPECT_EQ(dateien.removeAll(offen), 1);
    EXPECT_EQ(dateien, u8s({"Sich_05.12.2026.xml", "Sich_05.12.2026_2.xml", "Sitzung_7_1.offen.unlesbar"}));
    EXPECT_EQ(dir.read(u8("Sitzung_7_1.offen.unlesbar")), "kein Protokoll\n");
    EXPECT_EQ(text.count(dir.filePath(heute)), 1) << text.toStdString();
    for (const char* teil :
         {"Die Wiederherstellungsdatei ", "Sitzung_7_1.offen kann nicht ganz gelesen werden", "heißt jetzt ",
          "gespeichert in ", "Sich_05.12.2026_2.xml"})
        EXPECT_TRUE(text.contains(u8(teil))) << teil << "\n" << text.toStdString();
    EXPECT_EQ(journal::startMeldung({}, std::nullopt), QString());
}

// The session is noted before its first file is touched; a note that cannot be made stops the run there.
TEST(Recovery, ARunTouchesNoFileWhoseIntentCouldNotBeNoted)
{
    struct : rename::Sitzungsprotokoll
    {
        platform::Result Aktion_vorhaben(const QString& alt, const QString&, const QString&) override
        {
            vorher.append(QFile::exists(alt));
            return vorher.size() < 2 ? platform::Result::success()
                                     : platform::Result::failure(EIO, u8("kaputt"));
        }
        platform::Result Aktion_eintragen(const QString&, const QString&, const QString&) override
        {
            return platform::Result::success();
        }
        QList<bool> vorher;
    } protokoll;
    Fenster fenster;
    fenster.e = {u8("n©0 - 9©"), rename::Ursprungsfad};
    TempDir dir;
    rename::Arbeitsliste liste;
    liste.setEintraege({dir.write(u8("d/a.jpg")), dir.write(u8("d/b.jpg"))});
    liste.alleMarkieren(true);
    rename::MonitorTexte monitor;
    rename::Umbenennlauf lauf(liste, monitor, protokoll, nullptr);
    lauf.alle(fenster);
    EXPECT_EQ(protokoll.vorher, (QList<bool>{true, true}));
    EXPECT_EQ(tree(dir.filePath(u8("d"))), u8s({"b.jpg: ", "n1.jpg: "}));
    EXPECT_EQ(liste.anzahl(), 1) << "the untouched file stays in the work list";
    EXPECT_FALSE(lauf.laeuft());
    EXPECT_TRUE(fenster.letzte.text.contains(u8("Die Datei wurde nicht verändert")))
        << fenster.letzte.text.toStdString();
}

// Copies reach the disk in groups. A program ending in the middle of placing a group leaves the copies
// already placed and their intents: they are recovered as done, the rest as failed, and what the rest
// had written goes.
TEST(Recovery, ACopyRunEndedWhilePlacingItsGroupIsRecoveredFileByFile)
{
    TempDir dir;
    FakeClock clock;
    QStringList quellen;
    for (int i = 0; i < 5; ++i)
        quellen << dir.write(u8("d/a%1.jpg").arg(i), QByteArray(3000 + i, char('a' + i)));
    QDir().mkpath(dir.filePath(u8("z")));
    const pid_t kind = ::fork();
    ASSERT_GE(kind, 0);
    if (kind == 0) {
        // The program ends as its third copy is about to take its name. Its copies are hidden files, as
        // where the file system has no files without a name.
        struct : platform::FileTransfer
        {
            bool unnamedTemporaries() const override { return false; }
            platform::Result placeCopy(const QByteArray& temp, const QByteArray& to) override
            {
                if (++platziert == 3)
                    ::_exit(0);
                return FileTransfer::placeCopy(temp, to);
            }
            int platziert = 0;
        } uebertragung;
        Fenster fenster;
        fenster.e = {rename::nameEinfuegen({}), dir.filePath(u8("z")), platform::FileAction::Copy, 1};
        DatenBanken db(dir.path(), clock);
        db.Sitzung_beginnen();
        rename::Journalsitzung protokoll(db);
        rename::Arbeitsliste liste;
        liste.setEintraege(quellen);
        liste.alleMarkieren(true);
        rename::MonitorTexte monitor;
        rename::Umbenennlauf lauf(liste, monitor, protokoll, nullptr, &uebertragung);
        lauf.alle(fenster);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(kind, &status, 0), kind);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the run never reached its third copy";
    ASSERT_EQ(QDir(dir.filePath(u8("z"))).entryList(QDir::Files | QDir::Hidden).size(), 5)
        << "two copies placed, three written beside them";

    DatenBanken neustart(dir.path(), clock);
    ASSERT_EQ(journal::offeneSitzungenWiederherstellen(neustart).sitzungen.size(), 1);
    const auto records = journalRecords(dir.filePath(heute));
    ASSERT_EQ(records.size(), 1);
    QStringList ergebnisse;
    for (const QString& teil : records[0][3].split(journal::Trennzeichen).mid(3))
        if (teil == u8("Kopiert") || teil == u8("Fehler"))
            ergebnisse << teil;
    EXPECT_EQ(ergebnisse, u8s({"Kopiert", "Kopiert", "Fehler", "Fehler", "Fehler"}));
    EXPECT_EQ(tree(dir.filePath(u8("z"))),
              (QStringList{u8("a0.jpg: ") + QString(3000, u'a'), u8("a1.jpg: ") + QString(3001, u'b')}))
        << "and what the rest had written, hidden, is gone";
}
