#include "journal/DatenBanken.h"
#include "journal/Journalansicht.h"
#include "journal/Rueckgaengig.h"
#include "platform/FileOps.h"
#include "platform/FileTransfer.h"
#include "platform/RecordSet.h"
#include "rename/Datensicherung.h"
#include "support/AdoJournal.h"
#include "support/FakeClock.h"
#include "support/IsolatedTrash.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tw::journal;
using tw::platform::RecordSet;
using tw::platform::Result;
using tw::test::TempDir;

namespace {

const tw::test::IsolatedTrash papierkorb;
const QString U = u8("Umbenannt"), F = u8("Fehler");

Sitzungssatz waehle(const QString& journal, const QString& start, const QString& sitzung)
{
    RecordSet rs;
    EXPECT_TRUE(rs.Open(journal));
    EXPECT_TRUE(rs.setFilter(*auswahlFilter(start, sitzung)));
    EXPECT_TRUE(rs.MoveFirst());
    return Sitzungssatz::lesen(rs);
}

class Undo : public ::testing::Test
{
protected:
    // Does what the rename run does for one file: the operation and its journal entry.
    void tun(const QString& alt, const QString& neu, int aktion)
    {
        tw::rename::MonitorTexte m;
        const bool ok = tw::rename::Datei_aendern(dir.filePath(alt), dir.filePath(neu), aktion, m) == 0;
        EXPECT_TRUE(db.Aktion_eintragen(dir.filePath(alt), dir.filePath(neu),
                                        ok ? tw::rename::aktionstext(aktion) : F));
        clock.advance(1);
    }
    void speichern(qint16 start, qint32 sitzung)
    {
        ASSERT_TRUE(db.Sitzung_speichern(start, sitzung, u8("Urlaub_©00©")).ok());
        db.Sitzung_beginnen();
        clock.advance(60);
    }
    RueckgaengigErgebnis undo(const Sitzungssatz& satz)
    {
        DateiUmkehrer umkehrer;
        tw::platform::AtomicFileWriter writer;
        return Rueckgaengig(journal(), satz, umkehrer, writer);
    }
    RueckgaengigErgebnis undo(const char* start, const char* sitzung)
    {
        return undo(waehle(journal(), QString::fromLatin1(start), QString::fromLatin1(sitzung)));
    }
    QString journal() const { return db.journalPfadHeute(); }
    QStringList dateien(const char* ordner) const
    {
        return QDir(dir.filePath(QString::fromLatin1(ordner))).entryList(QDir::Files, QDir::Name);
    }
    QByteArray journalBytes() const { return dir.read(QFileInfo(journal()).fileName()); }

    TempDir dir;
    tw::test::FakeClock clock;
    DatenBanken db{dir.path(), clock};
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Splitting Ergebnisstring

TEST(UndoErgebnisstring, SplitsIntoWholeRecordsAndBackAndRefusesAnythingElse)
{
    const QString text =
        tw::test::ergebnis({u8s({"/a/1.jpg", "/a/x.jpg", "05.12.2026 14:03:11", "Umbenannt"}),
                            u8s({"/a/2.jpg", "", "05.12.2026 14:03:12", "Fehler"})});
    const auto aktionen = aktionenLesen(text);
    ASSERT_TRUE(aktionen);
    ASSERT_EQ(aktionen->size(), 2);
    EXPECT_EQ((*aktionen)[1].AlterPfad, u8("/a/2.jpg"));
    EXPECT_EQ((*aktionen)[1].NeuerPfad, QString());
    EXPECT_EQ(ergebnisstringBilden(*aktionen), text);
    EXPECT_EQ(aktionenLesen(QString())->size(), 0);
    for (const QString& kaputt : {
             // A path that held the separator shifts every later value.
             u8("/a/1¢5.jpg¢/a/x.jpg¢t¢Umbenannt¢"),
             u8("/a/1.jpg¢/a/x.jpg¢t¢Umbenannt"),        // no closing separator
             u8("/a/1.jpg¢/a/x.jpg¢t¢umbenannt¢"),       // not an action text
             u8("/a/1¢2¢3¢4.jpg¢/a/x.jpg¢t¢Umbenannt¢"), // 4n + 1 pieces, shifted
             u8("nur Text"),
         })
        EXPECT_FALSE(aktionenLesen(kaputt)) << kaputt.toStdString();
}

// ---------------------------------------------------------------------------------------------
// Choosing a session

TEST(UndoAuswahl, ListsEachProgramStartOnceAndRunsOfEqualSessionsOnce)
{
    TempDir dir;
    QList<QStringList> rows;
    for (int start = 1; start <= 12; ++start) {
        rows.append({QString::number(start), u8("1"), {}, u8("a¢b¢t¢Umbenannt¢"), {}});
        rows.append({QString::number(start), u8("2"), {}, u8("a¢b¢t¢Umbenannt¢"), {}});
    }
    rows.append({u8("3"), u8("2"), {}, {}, {}});
    rows.append({u8("3"), u8("1"), {}, {}, {}});
    RecordSet rs;
    ASSERT_TRUE(journalOeffnen(dir.write(u8("Sich_01.01.2027.xml"), tw::test::adoJournalXml(rows)), rs));
    EXPECT_EQ(Programmstarts(rs), u8s({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
    ASSERT_TRUE(rs.setFilter(*auswahlFilter(u8("3"))));
    EXPECT_EQ(Sitzungen(rs), u8s({"1", "2", "1"}));

    EXPECT_EQ(*auswahlFilter(u8("3"), u8("2")), u8("Programmstart= '3' and Sitzung= '2'"));
    EXPECT_FALSE(auswahlFilter(u8("3' or Sitzung= '1")));
}

TEST(UndoAuswahl, FilesThatAreNoJournalAreRefused)
{
    TempDir dir;
    const QStringList ok = u8s({"1", "1", "x", "a¢b¢t¢Umbenannt¢", "05.12.2026 10:00:00"});
    for (const auto& [name, inhalt] : std::initializer_list<std::pair<const char*, QByteArray>>{
             {"noXml", "kein XML"},
             {"noRecords", tw::test::adoJournalXml({})},
             {"startZero", tw::test::adoJournalXml({u8s({"0", "1", "x", "", ""})})},
             {"otherTable", QByteArray(tw::test::adoJournalXml({ok}).replace("Ergebnisstring", "Ergebnis"))},
         }) {
        RecordSet rs;
        EXPECT_FALSE(journalOeffnen(dir.write(QString::fromLatin1(name), inhalt), rs)) << name;
    }
    RecordSet rs;
    EXPECT_TRUE(journalOeffnen(dir.write(u8("gut"), tw::test::adoJournalXml({ok})), rs));
}

// ---------------------------------------------------------------------------------------------
// Reversing a session

TEST_F(Undo, ARenameACopyAndAMoveGoBackAndTheOnlySessionTakesTheFileWithIt)
{
    dir.write(u8("d/a.jpg"), "A");
    dir.write(u8("d/c.jpg"), "C");
    dir.write(u8("d/e.jpg"), "E");
    dir.write(u8("z/.keep"));
    db.Sitzung_beginnen();
    tun(u8("d/a.jpg"), u8("d/Urlaub_01.jpg"), tw::rename::Umbenennen);
    tun(u8("d/c.jpg"), u8("z/c.jpg"), tw::rename::Kopieren);
    tun(u8("d/e.jpg"), u8("z/e.jpg"), tw::rename::Verschieben);
    tun(u8("d/fehlt.jpg"), u8("d/c.jpg"),
        tw::rename::Umbenennen); // recorded "Fehler"
    speichern(1, 1);

    const RueckgaengigErgebnis e = undo("1", "1");
    EXPECT_EQ(e.stand, RueckgaengigErgebnis::Stand::Ausgefuehrt);
    EXPECT_EQ(e.umzukehren, 3);
    EXPECT_TRUE(e.fehlgeschlagen.isEmpty());
    EXPECT_TRUE(e.journal.ok()) << e.journal.message().toStdString();
    EXPECT_EQ(dateien("d"), u8s({"a.jpg", "c.jpg", "e.jpg"}));
    EXPECT_EQ(dir.read(u8("d/a.jpg")), "A");
    EXPECT_EQ(dir.read(u8("d/c.jpg")), "C") << "the Fehler action's paths are left alone";
    EXPECT_EQ(dateien("z"), QStringList());
    EXPECT_TRUE(e.journalGeloescht);
    EXPECT_EQ(dir.entries(), QStringList()) << "no journal, lock or temporary file left";
    EXPECT_EQ(ergebnisMeldung(e), u8("Es wurde die Sitzung rückgängig gemacht!"));
}

TEST_F(Undo, WhatCouldNotBeReversedStaysInTheRecordAndALaterUndoRetriesIt)
{
    for (const char* n : {"1", "2", "3", "4"})
        dir.write(u8("d/%1.jpg").arg(QLatin1String(n)), QByteArray(n));
    // Renamed in an order that a list-order undo cannot fully reverse at once: 2 -> 5 makes room for 1 -> 2.
    tun(u8("d/2.jpg"), u8("d/5.jpg"), tw::rename::Umbenennen);
    tun(u8("d/1.jpg"), u8("d/2.jpg"), tw::rename::Umbenennen);
    tun(u8("d/3.jpg"), u8("d/6.jpg"), tw::rename::Umbenennen);
    tun(u8("d/4.jpg"), u8("d/7.jpg"), tw::rename::Umbenennen);
    speichern(1, 1);
    const QString ganz = tw::test::journalRecords(journal())[0][3];
    QFile::remove(dir.filePath(u8("d/7.jpg"))); // the user deleted one meanwhile

    const RueckgaengigErgebnis e = undo("1", "1");
    ASSERT_EQ(e.fehlgeschlagen.size(), 2);
    EXPECT_EQ(e.fehlgeschlagen[0].grund, u8("Die Datei ist bereits vorhanden."));
    EXPECT_EQ(e.fehlgeschlagen[1].grund, u8("Die Datei oder der Ordner wurde nicht gefunden."));
    EXPECT_EQ(dir.read(u8("d/5.jpg")), "2") << "nothing at an old path is replaced";
    EXPECT_EQ(dir.read(u8("d/1.jpg")), "1");
    EXPECT_EQ(dir.read(u8("d/3.jpg")), "3");
    const auto aktionen = *aktionenLesen(ganz);
    auto satz = tw::test::journalRecords(journal());
    ASSERT_EQ(satz.size(), 1);
    EXPECT_EQ(satz[0][3], ergebnisstringBilden({aktionen[0], aktionen[3]}));
    const QString meldung = ergebnisMeldung(e);
    EXPECT_TRUE(meldung.contains(u8("2 von 4 Aktionen"))) << meldung.toStdString();
    EXPECT_TRUE(meldung.contains(dir.filePath(u8("d/7.jpg")))) << meldung.toStdString();
    EXPECT_FALSE(meldung.contains(u8("Es wurde die Sitzung rückgängig gemacht!")));

    const RueckgaengigErgebnis wieder = undo("1", "1");
    ASSERT_EQ(wieder.fehlgeschlagen.size(), 1);
    EXPECT_EQ(dir.read(u8("d/2.jpg")), "2");
    EXPECT_EQ(tw::test::journalRecords(journal())[0][3], ergebnisstringBilden({aktionen[3]}));
}

TEST_F(Undo, NothingChangesForABrokenListAndForASessionAlreadyUndone)
{
    dir.write(u8("d/b¢x.jpg"), "B");
    dir.write(u8("d/c.jpg"), "C");
    tun(u8("d/b¢x.jpg"), u8("d/B.jpg"), tw::rename::Umbenennen);
    speichern(1, 1);
    tun(u8("d/c.jpg"), u8("d/C.jpg"), tw::rename::Umbenennen);
    speichern(1, 2);
    const QByteArray anfang = journalBytes();

    const RueckgaengigErgebnis kaputt = undo("1", "1");
    EXPECT_EQ(kaputt.stand, RueckgaengigErgebnis::Stand::Beschaedigt);
    EXPECT_TRUE(ergebnisMeldung(kaputt).endsWith(u8("Es wurde nichts geändert.")));
    EXPECT_EQ(journalBytes(), anfang);
    EXPECT_EQ(dateien("d"), u8s({"B.jpg", "C.jpg"}));

    const Sitzungssatz zweite = waehle(journal(), u8("1"), u8("2"));
    ASSERT_TRUE(undo(zweite).journal.ok());
    const QByteArray danach = journalBytes();
    dir.write(u8("d/C.jpg"), "neu"); // a new file under the name the session gave
    EXPECT_EQ(undo(zweite).stand, RueckgaengigErgebnis::Stand::NichtGefunden);
    EXPECT_EQ(dateien("d"), u8s({"B.jpg", "C.jpg", "c.jpg"}));
    EXPECT_EQ(dir.read(u8("d/C.jpg")), "neu");
    EXPECT_EQ(journalBytes(), danach);
}

// Read with stand-ins for that byte, the rewrite would make the damage permanent.
TEST_F(Undo, AJournalThatCannotBeDecodedIsNeitherUndoneNorRewritten)
{
    const QString a = dir.write(u8("d/a.jpg"), "A");
    const QString b = dir.filePath(u8("d/b.jpg"));
    ASSERT_TRUE(tw::platform::renameFile(a, b));
    const Sitzungssatz satz{u8("1"), u8("1"), u8("x"), tw::test::ergebnis({{a, b, u8("t"), U}}), u8("z")};
    QByteArray bytes = tw::test::adoJournalXml(
        {{u8("1"), u8("1"), u8("x"), tw::test::ergebnis({{a, b, u8("t"), U}}), u8("z")},
         {u8("1"), u8("2"), u8("MARKE")}});
    bytes.replace("MARKE", "Gr\xFC\xDF");
    dir.write(QFileInfo(journal()).fileName(), bytes);

    const RueckgaengigErgebnis e = undo(satz);
    EXPECT_EQ(e.stand, RueckgaengigErgebnis::Stand::NichtLesbar);
    EXPECT_TRUE(ergebnisMeldung(e).contains(journal())) << ergebnisMeldung(e).toStdString();
    EXPECT_EQ(journalBytes(), bytes);
    EXPECT_EQ(dateien("d"), u8s({"b.jpg"}));
}

TEST_F(Undo, AJournalThatCannotBeRewrittenIsReportedAndKept)
{
    dir.write(u8("d/a.jpg"), "A");
    tun(u8("d/a.jpg"), u8("d/b.jpg"), tw::rename::Umbenennen);
    speichern(1, 1);
    tun(u8("d/b.jpg"), u8("d/c.jpg"), tw::rename::Umbenennen);
    speichern(1, 2);
    const auto vorher = tw::test::journalRecords(journal());
    DateiUmkehrer umkehrer;
    tw::test::FailingWriter writer;
    const RueckgaengigErgebnis e =
        Rueckgaengig(journal(), waehle(journal(), u8("1"), u8("2")), umkehrer, writer);
    EXPECT_FALSE(e.journal.ok());
    EXPECT_TRUE(ergebnisMeldung(e).contains(u8("Ein-/Ausgabefehler")));
    EXPECT_EQ(tw::test::journalRecords(journal()), vorher);
}

// The copy replaced k.jpg "ALT", which went to the trash.
TEST(UndoKopie, OnlyAnUnchangedCopyIsDeletedAndWhatItReplacedComesBack)
{
    struct Fall
    {
        const char* name;
        int jahr; // of the journal's time of the copy
        bool ok;
        const char* kopie; // what k.jpg holds afterwards ("-": none)
        int imPapierkorb;
    };
    for (const Fall& f : {
             Fall{"unchanged", 2100, true, "ALT", 0},
             Fall{"copyEdited", 2100, false, "ORIGINAX", 1},
             Fall{"originalGone", 2100, false, "ORIGINAL", 1},
             Fall{"sameFile", 2100, false, "ORIGINAL", 1},
             Fall{"copyGone", 2100, true, "ALT", 0}, // an undo that stopped after deleting the copy
             Fall{"trashedAfterTheCopy", 2000, true, "-", 1},
         }) {
        const std::string name = f.name;
        SCOPED_TRACE(name);
        papierkorb.empty();
        TempDir d;
        const QString original = d.write(u8("o.jpg"), "ORIGINAL"), kopie = d.write(u8("k.jpg"), "ALT");
        ASSERT_TRUE(tw::platform::copyFile(original, kopie));
        if (name == "copyEdited")
            d.write(u8("k.jpg"), "ORIGINAX");
        if (name == "originalGone")
            QFile::remove(original);
        if (name == "sameFile" || name == "copyGone")
            QFile::remove(kopie);
        if (name == "sameFile")
            ::link(QFile::encodeName(original).constData(), QFile::encodeName(kopie).constData());
        DateiUmkehrer u;
        const Result r = u.kopieLoeschen(kopie, original, u8("01.01.%1 00:00:00").arg(f.jahr));
        EXPECT_EQ(r.ok(), f.ok) << r.message().toStdString();
        EXPECT_TRUE(r.ok() || !r.message().isEmpty());
        EXPECT_EQ(d.exists(u8("k.jpg")) ? d.read(u8("k.jpg")) : QByteArray("-"), QByteArray(f.kopie));
        EXPECT_EQ(papierkorb.files().size(), f.imPapierkorb);
    }
}

// ---------------------------------------------------------------------------------------------
// The page of a session

namespace {

Sitzungssatz satzMit(const QString& ergebnisstring)
{
    return {u8("3"), u8("2"), u8("x"), ergebnisstring, u8("z")};
}

const QString zellen = u8("</td><td>");
const QString zeilenende = u8("</td></tr><tr><td>");

} // namespace

TEST(UndoSeite, OneActionGivesThreeLinesThreeActionsFiveAndValuesAreEscaped)
{
    const QString kopf = u8("<html><body><table border=1><tr><td>");
    const QString ende = u8("</td></tr></table></body></html>");
    EXPECT_EQ(seitenZeilen(satzMit(u8("/a/1.jpg¢/a/x.jpg¢t¢Umbenannt¢"))),
              (QStringList{kopf,
                           zellen + u8("/a/1.jpg") + zellen + u8("/a/x.jpg") + zellen + u8("Umbenannt") +
                               zellen + u8("3") + zellen + u8("2") + zeilenende,
                           ende}));
    const QStringList drei = seitenZeilen(satzMit(u8("a¢b¢t¢Umbenannt¢c¢d¢t¢Kopiert¢e¢f¢t¢Fehler¢")));
    ASSERT_EQ(drei.size(), 5);
    EXPECT_EQ(drei[3], zellen + u8("e") + zellen + u8("f") + zellen + u8("Fehler") + zeilenende);
    EXPECT_EQ(seitenZeilen(std::nullopt), (QStringList{kopf, ende}));

    const QStringList zeilen =
        seitenZeilen(satzMit(u8("/a/<script>x</script>.jpg¢/a/Tom & \"Jerry\" ä.jpg¢t¢Umbenannt¢")));
    EXPECT_TRUE(zeilen[1].contains(u8("/a/&lt;script&gt;x&lt;/script&gt;.jpg")));
    EXPECT_TRUE(zeilen[1].contains(u8("/a/Tom &amp; &quot;Jerry&quot; ä.jpg")));
    EXPECT_FALSE(zeilen[1].contains(u8("<script")));
    EXPECT_EQ(seitenText({u8("ä"), u8("b")}), QByteArray("\xEF\xBB\xBF\xC3\xA4\r\nb\r\n"));
}

TEST(UndoSeite, WritesTheWholePageRemovesLesenXmlAndRefusesAnEmptySession)
{
    TempDir dir;
    tw::platform::AtomicFileWriter writer;
    dir.write(u8("Lesen.xml"), "alt");
    const auto seite = Anzeigen(dir.path(), satzMit(u8("a¢b¢t¢Umbenannt¢")), writer);
    ASSERT_TRUE(seite);
    EXPECT_EQ(*seite, dir.filePath(u8("versionen.html")));
    EXPECT_EQ(dir.read(u8("versionen.html")), seitenText(seitenZeilen(satzMit(u8("a¢b¢t¢Umbenannt¢")))));
    EXPECT_FALSE(dir.exists(u8("Lesen.xml")));

    ASSERT_TRUE(Anzeigen(dir.path(), satzMit(u8("c¢d¢t¢Kopiert¢")), writer));
    EXPECT_TRUE(dir.read(u8("versionen.html")).contains("Kopiert")) << "replaced at every call";

    const QByteArray vorher = dir.read(u8("versionen.html"));
    EXPECT_FALSE(Anzeigen(dir.path(), satzMit(QString()), writer));
    EXPECT_EQ(dir.read(u8("versionen.html")), vorher);

    TempDir gesperrt;
    gesperrt.write(u8("versionen.html/x"));
    const auto nicht = Anzeigen(gesperrt.path(), satzMit(u8("a¢b¢t¢Umbenannt¢")), writer);
    ASSERT_FALSE(nicht);
    EXPECT_TRUE(nicht.error().message().contains(u8("versionen.html")));
}

// ---------------------------------------------------------------------------------------------
// A journal that ADO itself wrote

TEST_F(Undo, AJournalAsAdoSavesItIsListedViewedAndUndoneAndTheRestStillReads)
{
    const QString a = dir.write(u8("d/Tom's & <Jerry>.jpg"), "A");
    const QString b = dir.write(u8("d/b.jpg"), "B");
    const QString aNeu = dir.filePath(u8("d/Urlaub \"1\".jpg"));
    const QString bNeu = dir.filePath(u8("d/Urlaub 2.jpg"));
    ASSERT_TRUE(tw::platform::renameFile(a, aNeu));
    ASSERT_TRUE(tw::platform::renameFile(b, bNeu));
    const QString t = u8("05.12.2026 09:00:00");
    const QList<QStringList> rows = {
        {u8("1"), u8("1"), u8("Muster & Co"), tw::test::ergebnis({{b, bNeu, t, U}}), t},
        {u8("1"), u8("2"), u8("Urlaub_©0©"), tw::test::ergebnis({{a, aNeu, t, U}}), t},
        {u8("2"), u8("1"), QString(), u8("x¢y¢t¢Fehler¢"), t},
    };
    dir.write(QFileInfo(journal()).fileName(), tw::test::adoJournalXml(rows));

    RecordSet rs;
    ASSERT_TRUE(journalOeffnen(journal(), rs));
    EXPECT_EQ(Programmstarts(rs), u8s({"1", "2"}));
    EXPECT_TRUE(rs.setFilter(*auswahlFilter(u8("1"))));
    EXPECT_EQ(Sitzungen(rs), u8s({"1", "2"}));
    const Sitzungssatz satz = waehle(journal(), u8("1"), u8("2"));
    EXPECT_EQ(tw::platform::valueText(satz.Aktionsstring), u8("Urlaub_©0©"));
    EXPECT_TRUE(seitenZeilen(satz)[1].contains(u8("Tom's &amp; &lt;Jerry&gt;.jpg")));

    const RueckgaengigErgebnis e = undo(satz);
    EXPECT_TRUE(e.fehlgeschlagen.isEmpty());
    EXPECT_TRUE(e.journal.ok()) << e.journal.message().toStdString();
    EXPECT_EQ(dir.read(u8("d/Tom's & <Jerry>.jpg")), "A");
    EXPECT_EQ(tw::test::journalRecords(journal()), (QList<QStringList>{rows[0], rows[2]}));
}
