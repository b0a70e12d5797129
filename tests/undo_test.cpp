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
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <tuple>
#include <unistd.h>

using namespace tw::journal;
using tw::platform::RecordSet;
using tw::platform::Result;
using tw::test::TempDir;

namespace {

const tw::test::IsolatedTrash papierkorb;
const QString U = u8("Umbenannt");

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
    void tun(const char* alt, const char* neu, int aktion = tw::rename::Umbenennen)
    {
        tw::rename::MonitorTexte m;
        const bool ok =
            tw::rename::Datei_aendern(dir.filePath(u8(alt)), dir.filePath(u8(neu)), aktion, m) == 0;
        EXPECT_TRUE(db.Aktion_eintragen(dir.filePath(u8(alt)), dir.filePath(u8(neu)),
                                        ok ? tw::rename::aktionstext(aktion) : u8("Fehler")));
        clock.advance(1);
    }
    void speichern(qint16 start, qint32 sitzung)
    {
        ASSERT_TRUE(db.Sitzung_speichern(start, sitzung, u8("Urlaub_©00©")).ok());
        db.Sitzung_beginnen();
        clock.advance(60);
    }
    RueckgaengigErgebnis undo(const Sitzungssatz& satz, tw::platform::AtomicFileWriter&& writer = {})
    {
        DateiUmkehrer umkehrer;
        return Rueckgaengig(journal(), satz, umkehrer, writer);
    }
    RueckgaengigErgebnis undo(const char* start, const char* sitzung)
    {
        return undo(waehle(journal(), u8(start), u8(sitzung)));
    }
    QString journal() const { return db.journalPfadHeute(); }
    QStringList dateien(const char* ordner = "d") const
    {
        return QDir(dir.filePath(u8(ordner))).entryList(QDir::Files, QDir::Name);
    }
    QByteArray journalBytes() const { return dir.read(QFileInfo(journal()).fileName()); }

    TempDir dir;
    tw::test::FakeClock clock;
    DatenBanken db{dir.path(), clock};
};

} // namespace

TEST(UndoAuswahl, ListsEachProgramStartOnceAndRunsOfEqualSessionsOnceAndRefusesFilesThatAreNoJournal)
{
    TempDir dir;
    QList<QStringList> rows;
    for (int start = 1; start <= 12; ++start)
        for (const char* sitzung : {"1", "2"})
            rows.append({QString::number(start), u8(sitzung), {}, u8("a¢b¢t¢Umbenannt¢"), {}});
    rows.append({u8("3"), u8("2"), {}, {}, {}});
    rows.append({u8("3"), u8("1"), {}, {}, {}});
    RecordSet rs;
    ASSERT_TRUE(journalOeffnen(dir.write(u8("Sich_01.01.2027.xml"), tw::test::adoJournalXml(rows)), rs));
    EXPECT_EQ(Programmstarts(rs), u8s({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
    ASSERT_TRUE(rs.setFilter(*auswahlFilter(u8("3"))));
    EXPECT_EQ(Sitzungen(rs), u8s({"1", "2", "1"}));
    EXPECT_FALSE(auswahlFilter(u8("3' or Sitzung= '1")));

    const QStringList ok = u8s({"1", "1", "x", "a¢b¢t¢Umbenannt¢", "05.12.2026 10:00:00"});
    for (const auto& [name, inhalt] : std::initializer_list<std::pair<const char*, QByteArray>>{
             {"noRecords", tw::test::adoJournalXml({})},
             {"startZero", tw::test::adoJournalXml({u8s({"0", "1", "x", "", ""})})},
             {"otherTable", QByteArray(tw::test::adoJournalXml({ok}).replace("Ergebnisstring", "Ergebnis"))},
         }) {
        RecordSet geoeffnet;
        EXPECT_FALSE(journalOeffnen(dir.write(u8(name), inhalt), geoeffnet)) << name;
    }
}

// The rename, the copy and the move of a whole session go back in the end-to-end undo.
TEST_F(Undo, NothingChangesForABrokenOrAGoneSessionAndWhatCouldNotBeReversedStaysForALaterUndo)
{
    for (const char* n : {"1", "2", "3", "4"})
        dir.write(u8("d/%1.jpg").arg(QLatin1String(n)), QByteArray(n));
    dir.write(u8("e/b¢x.jpg"), "B");
    dir.write(u8("e/c.jpg"), "C");
    // Renamed in an order that a list-order undo cannot fully reverse at once: 2 -> 5 makes room for 1 -> 2.
    tun("d/2.jpg", "d/5.jpg");
    tun("d/1.jpg", "d/2.jpg");
    tun("d/fehlt.jpg", "d/3.jpg"); // recorded "Fehler": its paths are left alone
    tun("d/3.jpg", "d/6.jpg");
    tun("d/4.jpg", "d/7.jpg");
    speichern(1, 1);
    tun("e/b¢x.jpg", "e/B.jpg"); // a path with the separator breaks the list
    speichern(1, 2);
    tun("e/c.jpg", "e/C.jpg");
    speichern(1, 3);
    const QByteArray anfang = journalBytes();
    const RueckgaengigErgebnis kaputt = undo("1", "2");
    EXPECT_EQ(kaputt.stand, RueckgaengigErgebnis::Stand::Beschaedigt);
    EXPECT_TRUE(ergebnisMeldung(kaputt).endsWith(u8("Es wurde nichts geändert.")));
    EXPECT_EQ(journalBytes(), anfang);
    EXPECT_EQ(dateien("e"), u8s({"B.jpg", "C.jpg"}));

    const Sitzungssatz dritte = waehle(journal(), u8("1"), u8("3"));
    ASSERT_TRUE(undo(dritte).journal.ok());
    const QByteArray danach = journalBytes();
    dir.write(u8("e/C.jpg"), "neu"); // a new file under the name the session gave
    EXPECT_EQ(undo(dritte).stand, RueckgaengigErgebnis::Stand::NichtGefunden);
    EXPECT_EQ(dateien("e"), u8s({"B.jpg", "C.jpg", "c.jpg"}));
    EXPECT_EQ(dir.read(u8("e/C.jpg")), "neu");
    EXPECT_EQ(journalBytes(), danach);

    const auto aktionen = *aktionenLesen(tw::test::journalRecords(journal())[0][3]);
    QFile::remove(dir.filePath(u8("d/7.jpg"))); // the user deleted one meanwhile
    const RueckgaengigErgebnis e = undo("1", "1");
    ASSERT_EQ(e.fehlgeschlagen.size(), 2);
    EXPECT_EQ(e.fehlgeschlagen[0].grund, u8("Die Datei ist bereits vorhanden."));
    EXPECT_EQ(e.fehlgeschlagen[1].grund, u8("Die Datei oder der Ordner wurde nicht gefunden."));
    EXPECT_EQ(dateien(), u8s({"1.jpg", "3.jpg", "5.jpg"})) << "nothing at an old path is replaced";
    auto satz = tw::test::journalRecords(journal());
    ASSERT_EQ(satz.size(), 2);
    EXPECT_EQ(satz[0][3], ergebnisstringBilden({aktionen[0], aktionen[4]}));
    const QString meldung = ergebnisMeldung(e);
    EXPECT_TRUE(meldung.contains(u8("2 von 4 Aktionen")) && meldung.contains(dir.filePath(u8("d/7.jpg"))))
        << meldung.toStdString();

    // A retry reverses the rest but cannot rewrite the journal: that is said, and the record stays whole.
    dir.write(u8("d/7.jpg"), "4");
    const RueckgaengigErgebnis wieder = undo(waehle(journal(), u8("1"), u8("1")), tw::test::FailingWriter());
    EXPECT_TRUE(wieder.fehlgeschlagen.isEmpty());
    EXPECT_EQ(dateien(), u8s({"1.jpg", "2.jpg", "3.jpg", "4.jpg"}));
    EXPECT_TRUE(!wieder.journal.ok() && ergebnisMeldung(wieder).contains(u8("Ein-/Ausgabefehler")));
    EXPECT_EQ(tw::test::journalRecords(journal())[0][3], satz[0][3]);
}

// Beside the window: its events run while a file operation waits, and the outcome is the same.
TEST_F(Undo, BesideTheWindowItsEventsRunWhileAFileOperationWaits)
{
    dir.write(u8("d/1.jpg"), "1");
    tun("d/1.jpg", "d/2.jpg");
    speichern(1, 1);
    struct : DateiUmkehrer
    {
        Result zurueckbenennen(const QString& neu, const QString& alt) override
        {
            andererFaden = std::this_thread::get_id() != hauptfaden;
            // As a file system waiting for its journal would hold the operation.
            for (int i = 0; i < 500 && !pausen; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            gewartet = pausen.load();
            return DateiUmkehrer::zurueckbenennen(neu, alt);
        }
        std::thread::id hauptfaden = std::this_thread::get_id();
        std::atomic<int> pausen{0};
        int gewartet = 0;
        bool andererFaden = false;
    } umkehrer;
    tw::platform::AtomicFileWriter writer;
    const RueckgaengigErgebnis e = RueckgaengigNebenher(journal(), waehle(journal(), u8("1"), u8("1")),
                                                        umkehrer, writer, [&] { ++umkehrer.pausen; });
    EXPECT_TRUE(umkehrer.andererFaden && umkehrer.gewartet > 0) << "the events waited for the file";
    EXPECT_TRUE(e.fehlgeschlagen.isEmpty() && e.journal.ok());
    EXPECT_EQ(dateien(), u8s({"1.jpg"}));
    EXPECT_FALSE(QFile::exists(journal())) << "its only session undone, the journal goes";
}

// Another program's save during the undo replaces the journal; that save's session stays.
TEST_F(Undo, ASessionSavedElsewhereWhileTheFilesAreReversedStaysInTheJournal)
{
    dir.write(u8("d/1.jpg"), "1");
    dir.write(u8("d/3.jpg"), "3");
    tun("d/1.jpg", "d/2.jpg");
    speichern(1, 1);
    const QByteArray nurErste = journalBytes();
    tun("d/3.jpg", "d/4.jpg");
    speichern(1, 2);
    const QString beide = dir.write(u8("beide.xml"), journalBytes());
    const QString erste = dir.write(u8("erste.xml"), nurErste);
    ASSERT_EQ(::rename(QFile::encodeName(erste).constData(), QFile::encodeName(journal()).constData()), 0);
    struct : DateiUmkehrer
    {
        Result zurueckbenennen(const QString& neu, const QString& alt) override
        {
            ::rename(QFile::encodeName(von).constData(), QFile::encodeName(nach).constData());
            return DateiUmkehrer::zurueckbenennen(neu, alt);
        }
        QString von, nach;
    } umkehrer;
    umkehrer.von = beide;
    umkehrer.nach = journal();
    tw::platform::AtomicFileWriter writer;
    ASSERT_TRUE(Rueckgaengig(journal(), waehle(journal(), u8("1"), u8("1")), umkehrer, writer).journal.ok());
    const auto saetze = tw::test::journalRecords(journal());
    ASSERT_EQ(saetze.size(), 1);
    EXPECT_TRUE(saetze[0][3].contains(u8("4.jpg"))) << "the second session was lost";
}

// A copy edited since is the random sessions' of the collision test.
TEST(UndoKopie, OnlyAnUnchangedCopyIsDeletedAndWhatItReplacedComesBack)
{
    // The copy replaced k.jpg "ALT", which went to the trash. The case, the year of the journal's time of
    // the copy, whether the undo succeeds, what k.jpg holds afterwards ("-": none), the files in the trash:
    for (const auto& [fall, jahr, ok, kopie, imPapierkorb] : {
             std::tuple{"unchanged", 2100, true, "ALT", 0},
             std::tuple{"originalGone", 2100, false, "ORIGINAL", 1},
             std::tuple{"sameFile", 2100, false, "ORIGINAL", 1},
             std::tuple{"copyGone", 2100, true, "ALT", 0}, // an undo that stopped after deleting the copy
             std::tuple{"trashedAfterTheCopy", 2000, true, "-", 1},
         }) {
        const std::string name = fall;
        SCOPED_TRACE(name);
        papierkorb.empty();
        TempDir d;
        const QString original = d.write(u8("o.jpg"), "ORIGINAL"), k = d.write(u8("k.jpg"), "ALT");
        ASSERT_TRUE(tw::platform::copyFile(original, k));
        if (name == "originalGone")
            QFile::remove(original);
        if (name == "sameFile" || name == "copyGone")
            QFile::remove(k);
        if (name == "sameFile")
            ::link(QFile::encodeName(original).constData(), QFile::encodeName(k).constData());
        DateiUmkehrer u;
        const Result r = u.kopieLoeschen(k, original, u8("01.01.%1 00:00:00").arg(jahr));
        EXPECT_EQ(std::pair(r.ok(), r.message().isEmpty()), std::pair(ok, ok)) << r.message().toStdString();
        EXPECT_EQ(d.exists(u8("k.jpg")) ? d.read(u8("k.jpg")) : QByteArray("-"), QByteArray(kopie));
        EXPECT_EQ(papierkorb.files().size(), imPapierkorb);
    }
}

// A session's list splits into whole records and back, and its page shows them escaped.
TEST(UndoListe, SplitsIntoWholeRecordsOrNoneAndThePageShowsThemEscaped)
{
    const QString text =
        tw::test::ergebnis({u8s({"/a/1.jpg", "/a/x.jpg", "05.12.2026 14:03:11", "Umbenannt"}),
                            u8s({"/a/2.jpg", "", "05.12.2026 14:03:12", "Fehler"})});
    const auto aktionen = aktionenLesen(text);
    ASSERT_TRUE(aktionen && aktionen->size() == 2);
    EXPECT_EQ(std::pair((*aktionen)[1].AlterPfad, (*aktionen)[1].NeuerPfad),
              std::pair(u8("/a/2.jpg"), QString()));
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

    const auto satzMit = [](const QString& ergebnisstring) {
        return Sitzungssatz{u8("3"), u8("2"), u8("x"), ergebnisstring, u8("z")};
    };
    const auto zeile = [](const char* alt, const char* neu, const char* aktion, const char* rest = "") {
        return u8("</td><td>%1</td><td>%2</td><td>%3%4</td></tr><tr><td>")
            .arg(u8(alt), u8(neu), u8(aktion), u8(rest));
    };
    EXPECT_EQ(
        seitenZeilen(satzMit(u8("/a/<x>.jpg¢/a/Tom & \"J\" ä.jpg¢t¢Umbenannt¢c¢d¢t¢Kopiert¢e¢f¢t¢Fehler¢"))),
        (QStringList{u8("<html><body><table border=1><tr><td>"),
                     zeile("/a/&lt;x&gt;.jpg", "/a/Tom &amp; &quot;J&quot; ä.jpg", "Umbenannt",
                           "</td><td>3</td><td>2"),
                     zeile("c", "d", "Kopiert"), zeile("e", "f", "Fehler"),
                     u8("</td></tr></table></body></html>")}));
    EXPECT_EQ(seitenText({u8("ä"), u8("b")}), QByteArray("\xEF\xBB\xBF\xC3\xA4\r\nb\r\n"));

    // The page's writing and opening is the undo window's and the end-to-end undo's.
    TempDir dir;
    tw::platform::AtomicFileWriter writer;
    dir.write(u8("Lesen.xml"), "alt");
    dir.write(u8("versionen.html/x")); // a folder where the page goes
    EXPECT_EQ(Anzeigen(dir.path(), satzMit(QString()), writer).error().message(),
              u8("Diese Sitzung enthält keine Aktionen."));
    EXPECT_FALSE(dir.exists(u8("Lesen.xml")));
    const auto nicht = Anzeigen(dir.path(), satzMit(u8("a¢b¢t¢Umbenannt¢")), writer);
    EXPECT_TRUE(!nicht && nicht.error().message().contains(u8("versionen.html")));
}

// Reading and choosing such a file is the journal reader's; the rewrite keeps every other record exactly.
TEST_F(Undo, AJournalAsAdoSavesItIsUndoneAndTheRestStillReadsButOneThatCannotBeDecodedIsLeftAlone)
{
    const QString a = dir.write(u8("d/Tom's & <Jerry>.jpg"), "A"), b = dir.write(u8("d/b.jpg"), "B");
    const QString aNeu = dir.filePath(u8("d/Urlaub \"1\".jpg")), bNeu = dir.filePath(u8("d/Urlaub 2.jpg"));
    ASSERT_TRUE(tw::platform::renameFile(a, aNeu));
    ASSERT_TRUE(tw::platform::renameFile(b, bNeu));
    const QString t = u8("05.12.2026 09:00:00");
    const QList<QStringList> rows = {
        {u8("1"), u8("1"), u8("Muster & Co"), tw::test::ergebnis({{b, bNeu, t, U}}), t},
        {u8("1"), u8("2"), u8("Urlaub_©0©"), tw::test::ergebnis({{a, aNeu, t, U}}), t},
        {u8("2"), u8("1"), QString(), u8("x¢y¢t¢Fehler¢"), t},
    };
    dir.write(QFileInfo(journal()).fileName(), tw::test::adoJournalXml(rows));

    const RueckgaengigErgebnis e = undo("1", "2");
    EXPECT_TRUE(e.fehlgeschlagen.isEmpty() && e.journal.ok()) << e.journal.message().toStdString();
    EXPECT_EQ(dir.read(u8("d/Tom's & <Jerry>.jpg")), "A");
    EXPECT_EQ(tw::test::journalRecords(journal()), (QList<QStringList>{rows[0], rows[2]}));

    // Read with stand-ins for that byte, the rewrite would make the damage permanent.
    QByteArray bytes = tw::test::adoJournalXml({rows[0], {u8("1"), u8("2"), u8("MARKE")}});
    bytes.replace("MARKE", "Gr\xFC\xDF");
    dir.write(QFileInfo(journal()).fileName(), bytes);
    const RueckgaengigErgebnis kaputt = undo({rows[0][0], rows[0][1], rows[0][2], rows[0][3], rows[0][4]});
    EXPECT_EQ(kaputt.stand, RueckgaengigErgebnis::Stand::NichtLesbar);
    EXPECT_TRUE(ergebnisMeldung(kaputt).contains(journal())) << ergebnisMeldung(kaputt).toStdString();
    EXPECT_EQ(journalBytes(), bytes);
    EXPECT_TRUE(QFile::exists(bNeu));
}
