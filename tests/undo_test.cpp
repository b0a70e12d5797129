#include "journal/DatenBanken.h"
#include "journal/Journalansicht.h"
#include "journal/Rueckgaengig.h"
#include "platform/FileOps.h"
#include "platform/FileTransfer.h"
#include "platform/RecordSet.h"
#include "rename/Datensicherung.h"
#include "support/AdoJournal.h"
#include "support/FakeClock.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tw::journal;
using tw::platform::RecordSet;
using tw::platform::Result;
using tw::test::TempDir;

namespace {

QStringList sl(std::initializer_list<const char*> werte)
{
    QStringList l;
    for (const char* w : werte)
        l.append(QString::fromUtf8(w));
    return l;
}

const QString U = QStringLiteral("Umbenannt"), F = QStringLiteral("Fehler");

// Every record of a journal file, five values each.
QList<QStringList> lies(const QString& path)
{
    QList<QStringList> out;
    RecordSet rs;
    if (!rs.Open(path))
        return out;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        out.append({rs.text(u"Programmstart"), rs.text(u"Sitzung"), rs.text(u"Aktionsstring"),
                    rs.text(u"Ergebnisstring"), rs.text(u"Zeit")});
    return out;
}

Sitzungssatz waehle(const QString& journal, const QString& start, const QString& sitzung)
{
    RecordSet rs;
    rs.Open(journal);
    rs.setFilter(*auswahlFilter(start, sitzung));
    rs.MoveFirst();
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
        db.Aktion_eintragen(dir.filePath(alt), dir.filePath(neu), ok ? tw::rename::aktionstext(aktion) : F);
        clock.advance(1);
    }
    void speichern(qint16 start, qint32 sitzung)
    {
        ASSERT_TRUE(db.Sitzung_speichern(start, sitzung, QStringLiteral("Urlaub_©00©")).ok());
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

TEST(UndoErgebnisstring, SplitsIntoWholeRecordsAndBack)
{
    const QString text = tw::test::ergebnis({sl({"/a/1.jpg", "/a/x.jpg", "05.12.2026 14:03:11", "Umbenannt"}),
                                             sl({"/a/2.jpg", "", "05.12.2026 14:03:12", "Fehler"})});
    const auto aktionen = aktionenLesen(text);
    ASSERT_TRUE(aktionen);
    ASSERT_EQ(aktionen->size(), 2);
    EXPECT_EQ((*aktionen)[1].AlterPfad, QStringLiteral("/a/2.jpg"));
    EXPECT_EQ((*aktionen)[1].NeuerPfad, QString());
    EXPECT_EQ(ergebnisstringBilden(*aktionen), text);
    EXPECT_EQ(aktionenLesen(QString())->size(), 0);
}

TEST(UndoErgebnisstring, RefusesWhatDoesNotSplitIntoWholeRecords)
{
    for (const QString& kaputt : {
             // A path that held the separator shifts every later value.
             QStringLiteral("/a/1¢5.jpg¢/a/x.jpg¢t¢Umbenannt¢"),
             QStringLiteral("/a/1.jpg¢/a/x.jpg¢t¢Umbenannt"),        // no closing separator
             QStringLiteral("/a/1.jpg¢/a/x.jpg¢t¢umbenannt¢"),       // not an action text
             QStringLiteral("/a/1¢2¢3¢4.jpg¢/a/x.jpg¢t¢Umbenannt¢"), // 4n + 1 pieces, shifted
             QStringLiteral("nur Text"),
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
        rows.append(
            {QString::number(start), QStringLiteral("1"), {}, QStringLiteral("a¢b¢t¢Umbenannt¢"), {}});
        rows.append(
            {QString::number(start), QStringLiteral("2"), {}, QStringLiteral("a¢b¢t¢Umbenannt¢"), {}});
    }
    rows.append({QStringLiteral("3"), QStringLiteral("2"), {}, {}, {}});
    rows.append({QStringLiteral("3"), QStringLiteral("1"), {}, {}, {}});
    RecordSet rs;
    ASSERT_TRUE(
        journalOeffnen(dir.write(QStringLiteral("Sich_01.01.2027.xml"), tw::test::adoJournalXml(rows)), rs));
    QStringList eins_bis_zwoelf;
    for (int i = 1; i <= 12; ++i)
        eins_bis_zwoelf.append(QString::number(i));
    EXPECT_EQ(Programmstarts(rs), eins_bis_zwoelf);
    ASSERT_TRUE(rs.setFilter(*auswahlFilter(QStringLiteral("3"))));
    EXPECT_EQ(Sitzungen(rs), sl({"1", "2", "1"}));

    EXPECT_EQ(*auswahlFilter(QStringLiteral("3"), QStringLiteral("2")),
              QStringLiteral("Programmstart= '3' and Sitzung= '2'"));
    EXPECT_FALSE(auswahlFilter(QStringLiteral("3' or Sitzung= '1")));
}

TEST(UndoAuswahl, FilesThatAreNoJournalAreRefused)
{
    TempDir dir;
    const QStringList ok = sl({"1", "1", "x", "a¢b¢t¢Umbenannt¢", "05.12.2026 10:00:00"});
    for (const auto& [name, inhalt] : std::initializer_list<std::pair<const char*, QByteArray>>{
             {"noXml", "kein XML"},
             {"noRecords", tw::test::adoJournalXml({})},
             {"startZero", tw::test::adoJournalXml({sl({"0", "1", "x", "", ""})})},
             {"otherTable", QByteArray(tw::test::adoJournalXml({ok}).replace("Ergebnisstring", "Ergebnis"))},
         }) {
        RecordSet rs;
        EXPECT_FALSE(journalOeffnen(dir.write(QString::fromLatin1(name), inhalt), rs)) << name;
    }
    RecordSet rs;
    EXPECT_TRUE(journalOeffnen(dir.write(QStringLiteral("gut"), tw::test::adoJournalXml({ok})), rs));
}

// ---------------------------------------------------------------------------------------------
// Reversing a session

namespace {

class Protokoll : public Umkehrer
{
public:
    Result zurueckbenennen(const QString& neu, const QString& alt) override
    {
        return log(QStringLiteral("benennen ") + neu + u'>' + alt);
    }
    Result zurueckverschieben(const QString& neu, const QString& alt) override
    {
        return log(QStringLiteral("verschieben ") + neu + u'>' + alt);
    }
    Result kopieLoeschen(const QString& kopie, const QString&) override
    {
        return log(QStringLiteral("löschen ") + kopie);
    }
    Result log(const QString& s)
    {
        aufrufe.append(s);
        return s.contains(u'!') ? Result::failure(QStringLiteral("nein")) : Result::success();
    }
    QStringList aufrufe;
};

} // namespace

TEST(UndoAktionen, RunInListOrderSkippingFehlerAndReportEveryFailure)
{
    Protokoll p;
    const auto aktionen = aktionenLesen(
        tw::test::ergebnis({sl({"a", "b", "t", "Umbenannt"}), sl({"c", "d", "t", "Fehler"}),
                            sl({"e", "f", "t", "Kopiert"}), sl({"g", "h!", "t", "Verschoben"})}));
    const auto fehl = aktionenUmkehren(*aktionen, p);
    EXPECT_EQ(p.aufrufe, sl({"benennen b>a", "löschen f", "verschieben h!>g"}));
    ASSERT_EQ(fehl.size(), 1);
    EXPECT_EQ(fehl[0].aktion.AlterPfad, QStringLiteral("g"));
    EXPECT_EQ(fehl[0].grund, QStringLiteral("nein"));
}

TEST_F(Undo, ARenameACopyAndAMoveGoBackAndTheOnlySessionTakesTheFileWithIt)
{
    dir.write(QStringLiteral("d/a.jpg"), "A");
    dir.write(QStringLiteral("d/c.jpg"), "C");
    dir.write(QStringLiteral("d/e.jpg"), "E");
    dir.write(QStringLiteral("z/.keep"));
    db.Sitzung_beginnen();
    tun(QStringLiteral("d/a.jpg"), QStringLiteral("d/Urlaub_01.jpg"), tw::rename::Umbenennen);
    tun(QStringLiteral("d/c.jpg"), QStringLiteral("z/c.jpg"), tw::rename::Kopieren);
    tun(QStringLiteral("d/e.jpg"), QStringLiteral("z/e.jpg"), tw::rename::Verschieben);
    tun(QStringLiteral("d/fehlt.jpg"), QStringLiteral("d/c.jpg"),
        tw::rename::Umbenennen); // recorded "Fehler"
    speichern(1, 1);

    const RueckgaengigErgebnis e = undo("1", "1");
    EXPECT_EQ(e.stand, RueckgaengigErgebnis::Stand::Ausgefuehrt);
    EXPECT_EQ(e.umzukehren, 3);
    EXPECT_TRUE(e.fehlgeschlagen.isEmpty());
    EXPECT_TRUE(e.journal.ok()) << e.journal.message().toStdString();
    EXPECT_EQ(dateien("d"), sl({"a.jpg", "c.jpg", "e.jpg"}));
    EXPECT_EQ(dir.read(QStringLiteral("d/a.jpg")), "A");
    EXPECT_EQ(dir.read(QStringLiteral("d/c.jpg")), "C") << "the Fehler action's paths are left alone";
    EXPECT_EQ(dateien("z"), QStringList());
    EXPECT_TRUE(e.journalGeloescht);
    EXPECT_EQ(dir.entries(), QStringList()) << "no journal, lock or temporary file left";
    EXPECT_EQ(ergebnisMeldung(e), QStringLiteral("Es wurde die Sitzung rückgängig gemacht!"));
}

TEST_F(Undo, UndoingOneOfSeveralKeepsEveryOtherRecordAsItWas)
{
    dir.write(QStringLiteral("d/a.jpg"), "A");
    dir.write(QStringLiteral("d/b.jpg"), "B");
    dir.write(QStringLiteral("d/c.jpg"), "C");
    const char* namen[3][2] = {{"d/a.jpg", "d/1.jpg"}, {"d/b.jpg", "d/2.jpg"}, {"d/c.jpg", "d/3.jpg"}};
    const qint16 starts[3] = {1, 1, 2};
    for (int i = 0; i < 3; ++i) {
        tun(QString::fromLatin1(namen[i][0]), QString::fromLatin1(namen[i][1]), tw::rename::Umbenennen);
        speichern(starts[i], i + 1);
    }
    auto vorher = lies(journal());
    ASSERT_EQ(vorher.size(), 3);

    EXPECT_TRUE(undo("1", "2").journal.ok());
    EXPECT_EQ(dateien("d"), sl({"1.jpg", "3.jpg", "b.jpg"}));
    vorher.removeAt(1);
    EXPECT_EQ(lies(journal()), vorher);
}

TEST_F(Undo, ASessionAnotherProcessSavedMeanwhileIsKept)
{
    tw::platform::SystemClock echt;
    DatenBanken heute(dir.path(), echt);
    dir.write(QStringLiteral("d/a.jpg"), "A");
    heute.Sitzung_beginnen();
    tw::rename::MonitorTexte m;
    ASSERT_EQ(tw::rename::Datei_aendern(dir.filePath(QStringLiteral("d/a.jpg")),
                                        dir.filePath(QStringLiteral("d/b.jpg")), 0, m),
              0);
    heute.Aktion_eintragen(dir.filePath(QStringLiteral("d/a.jpg")), dir.filePath(QStringLiteral("d/b.jpg")),
                           U);
    ASSERT_TRUE(heute.Sitzung_speichern(1, 1, QStringLiteral("x")));
    const QString pfad = heute.journalPfadHeute();
    const Sitzungssatz gewaehlt = waehle(pfad, QStringLiteral("1"), QStringLiteral("1"));

    QProcess anderer;
    anderer.start(QStringLiteral(JOURNAL_WRITER), {dir.path(), QStringLiteral("7"), QStringLiteral("3")});
    ASSERT_TRUE(anderer.waitForFinished(60000));
    ASSERT_EQ(anderer.exitCode(), 0) << anderer.readAllStandardError().toStdString();
    if (heute.journalPfadHeute() != pfad)
        GTEST_SKIP() << "midnight passed";

    DateiUmkehrer umkehrer;
    tw::platform::AtomicFileWriter writer;
    EXPECT_TRUE(Rueckgaengig(pfad, gewaehlt, umkehrer, writer).journal.ok());
    EXPECT_TRUE(dir.exists(QStringLiteral("d/a.jpg")));
    const auto bleiben = lies(pfad);
    ASSERT_EQ(bleiben.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bleiben[i].mid(0, 2), (QStringList{QStringLiteral("7"), QString::number(i + 1)}));
}

TEST_F(Undo, WhatCouldNotBeReversedStaysInTheRecordAndALaterUndoRetriesIt)
{
    for (const char* n : {"1", "2", "3", "4"})
        dir.write(QStringLiteral("d/%1.jpg").arg(QLatin1String(n)), QByteArray(n));
    // Renamed in an order that a list-order undo cannot fully reverse at once: 2 -> 5 makes room for 1 -> 2.
    tun(QStringLiteral("d/2.jpg"), QStringLiteral("d/5.jpg"), tw::rename::Umbenennen);
    tun(QStringLiteral("d/1.jpg"), QStringLiteral("d/2.jpg"), tw::rename::Umbenennen);
    tun(QStringLiteral("d/3.jpg"), QStringLiteral("d/6.jpg"), tw::rename::Umbenennen);
    tun(QStringLiteral("d/4.jpg"), QStringLiteral("d/7.jpg"), tw::rename::Umbenennen);
    speichern(1, 1);
    const QString ganz = lies(journal())[0][3];
    QFile::remove(dir.filePath(QStringLiteral("d/7.jpg"))); // the user deleted one meanwhile

    const RueckgaengigErgebnis e = undo("1", "1");
    ASSERT_EQ(e.fehlgeschlagen.size(), 2);
    EXPECT_EQ(e.fehlgeschlagen[0].grund, QStringLiteral("Die Datei ist bereits vorhanden."));
    EXPECT_EQ(e.fehlgeschlagen[1].grund, QStringLiteral("Die Datei oder der Ordner wurde nicht gefunden."));
    EXPECT_EQ(dir.read(QStringLiteral("d/5.jpg")), "2") << "nothing at an old path is replaced";
    EXPECT_EQ(dir.read(QStringLiteral("d/1.jpg")), "1");
    EXPECT_EQ(dir.read(QStringLiteral("d/3.jpg")), "3");
    const auto aktionen = *aktionenLesen(ganz);
    auto satz = lies(journal());
    ASSERT_EQ(satz.size(), 1);
    EXPECT_EQ(satz[0][3], ergebnisstringBilden({aktionen[0], aktionen[3]}));
    const QString meldung = ergebnisMeldung(e);
    EXPECT_TRUE(meldung.contains(QStringLiteral("2 von 4 Aktionen"))) << meldung.toStdString();
    EXPECT_TRUE(meldung.contains(dir.filePath(QStringLiteral("d/7.jpg")))) << meldung.toStdString();
    EXPECT_FALSE(meldung.contains(QStringLiteral("Es wurde die Sitzung rückgängig gemacht!")));

    const RueckgaengigErgebnis wieder = undo("1", "1");
    ASSERT_EQ(wieder.fehlgeschlagen.size(), 1);
    EXPECT_EQ(dir.read(QStringLiteral("d/2.jpg")), "2");
    EXPECT_EQ(lies(journal())[0][3], ergebnisstringBilden({aktionen[3]}));
}

TEST_F(Undo, NothingChangesForABrokenListAndForASessionAlreadyUndone)
{
    dir.write(QStringLiteral("d/b¢x.jpg"), "B");
    dir.write(QStringLiteral("d/c.jpg"), "C");
    tun(QStringLiteral("d/b¢x.jpg"), QStringLiteral("d/B.jpg"), tw::rename::Umbenennen);
    speichern(1, 1);
    tun(QStringLiteral("d/c.jpg"), QStringLiteral("d/C.jpg"), tw::rename::Umbenennen);
    speichern(1, 2);
    const QByteArray anfang = journalBytes();

    const RueckgaengigErgebnis kaputt = undo("1", "1");
    EXPECT_EQ(kaputt.stand, RueckgaengigErgebnis::Stand::Beschaedigt);
    EXPECT_TRUE(ergebnisMeldung(kaputt).endsWith(QStringLiteral("Es wurde nichts geändert.")));
    EXPECT_EQ(journalBytes(), anfang);
    EXPECT_EQ(dateien("d"), sl({"B.jpg", "C.jpg"}));

    const Sitzungssatz zweite = waehle(journal(), QStringLiteral("1"), QStringLiteral("2"));
    ASSERT_TRUE(undo(zweite).journal.ok());
    const QByteArray danach = journalBytes();
    dir.write(QStringLiteral("d/C.jpg"), "neu"); // a new file under the name the session gave
    EXPECT_EQ(undo(zweite).stand, RueckgaengigErgebnis::Stand::NichtGefunden);
    EXPECT_EQ(dateien("d"), sl({"B.jpg", "C.jpg", "c.jpg"}));
    EXPECT_EQ(dir.read(QStringLiteral("d/C.jpg")), "neu");
    EXPECT_EQ(journalBytes(), danach);
}

namespace {

class FailingWriter : public tw::platform::AtomicFileWriter
{
protected:
    Result commit(const QString&, const QString&) override
    {
        return Result::failure(EIO, QStringLiteral("E/A-Fehler"));
    }
};

} // namespace

TEST_F(Undo, AJournalThatCannotBeRewrittenIsReportedAndKept)
{
    dir.write(QStringLiteral("d/a.jpg"), "A");
    tun(QStringLiteral("d/a.jpg"), QStringLiteral("d/b.jpg"), tw::rename::Umbenennen);
    speichern(1, 1);
    tun(QStringLiteral("d/b.jpg"), QStringLiteral("d/c.jpg"), tw::rename::Umbenennen);
    speichern(1, 2);
    const auto vorher = lies(journal());
    DateiUmkehrer umkehrer;
    FailingWriter writer;
    const RueckgaengigErgebnis e = Rueckgaengig(
        journal(), waehle(journal(), QStringLiteral("1"), QStringLiteral("2")), umkehrer, writer);
    EXPECT_FALSE(e.journal.ok());
    EXPECT_TRUE(ergebnisMeldung(e).contains(QStringLiteral("E/A-Fehler")));
    EXPECT_EQ(lies(journal()), vorher);
}

TEST(UndoKopie, OnlyAnUnchangedCopyBesideItsOriginalIsDeleted)
{
    const auto weg = [](TempDir& d, const char* name) {
        QFile::remove(d.filePath(QString::fromLatin1(name)));
    };
    const std::vector<std::pair<const char*, std::function<void(TempDir&)>>> faelle = {
        {"unchanged", [](TempDir&) {}},
        {"copyEdited", [](TempDir& d) { d.write(QStringLiteral("k.jpg"), "ORIGINAX"); }},
        {"originalGone", [&](TempDir& d) { weg(d, "o.jpg"); }},
        {"sameFile",
         [&](TempDir& d) {
             weg(d, "k.jpg");
             ::link(QFile::encodeName(d.filePath(QStringLiteral("o.jpg"))).constData(),
                    QFile::encodeName(d.filePath(QStringLiteral("k.jpg"))).constData());
         }},
    };
    for (const auto& [name, danach] : faelle) {
        TempDir d;
        const QString original = d.write(QStringLiteral("o.jpg"), "ORIGINAL");
        const QString kopie = d.filePath(QStringLiteral("k.jpg"));
        ASSERT_TRUE(tw::platform::copyFile(original, kopie));
        danach(d);
        const QStringList vorher = QDir(d.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        DateiUmkehrer u;
        const Result r = u.kopieLoeschen(kopie, original);
        const bool sollGehen = std::string(name) == "unchanged";
        EXPECT_EQ(r.ok(), sollGehen) << name;
        EXPECT_TRUE(r.ok() || !r.message().isEmpty()) << name;
        EXPECT_EQ(QDir(d.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  sollGehen ? QStringList{QStringLiteral("o.jpg")} : vorher)
            << name;
    }
}

// ---------------------------------------------------------------------------------------------
// The page of a session

namespace {

Sitzungssatz satzMit(const QString& ergebnisstring)
{
    return {QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("x"), ergebnisstring,
            QStringLiteral("z")};
}

const QString zellen = QStringLiteral("</td><td>");
const QString zeilenende = QStringLiteral("</td></tr><tr><td>");

} // namespace

TEST(UndoSeite, OneActionGivesThreeLinesAndThreeActionsFive)
{
    const QString kopf = QStringLiteral("<html><body><table border=1><tr><td>");
    const QString ende = QStringLiteral("</td></tr></table></body></html>");
    EXPECT_EQ(seitenZeilen(satzMit(QStringLiteral("/a/1.jpg¢/a/x.jpg¢t¢Umbenannt¢"))),
              (QStringList{kopf,
                           zellen + QStringLiteral("/a/1.jpg") + zellen + QStringLiteral("/a/x.jpg") +
                               zellen + QStringLiteral("Umbenannt") + zellen + QStringLiteral("3") + zellen +
                               QStringLiteral("2") + zeilenende,
                           ende}));
    const QStringList drei =
        seitenZeilen(satzMit(QStringLiteral("a¢b¢t¢Umbenannt¢c¢d¢t¢Kopiert¢e¢f¢t¢Fehler¢")));
    ASSERT_EQ(drei.size(), 5);
    EXPECT_EQ(drei[3], zellen + QStringLiteral("e") + zellen + QStringLiteral("f") + zellen +
                           QStringLiteral("Fehler") + zeilenende);
    EXPECT_EQ(seitenZeilen(std::nullopt), (QStringList{kopf, ende}));
}

TEST(UndoSeite, ValuesAreEscapedAndTheTextIsUtf8WithBomAndCrLf)
{
    const QStringList zeilen = seitenZeilen(
        satzMit(QStringLiteral("/a/<script>x</script>.jpg¢/a/Tom & \"Jerry\" ä.jpg¢t¢Umbenannt¢")));
    EXPECT_TRUE(zeilen[1].contains(QStringLiteral("/a/&lt;script&gt;x&lt;/script&gt;.jpg")));
    EXPECT_TRUE(zeilen[1].contains(QStringLiteral("/a/Tom &amp; &quot;Jerry&quot; ä.jpg")));
    EXPECT_FALSE(zeilen[1].contains(QStringLiteral("<script")));
    EXPECT_EQ(seitenText({QStringLiteral("ä"), QStringLiteral("b")}),
              QByteArray("\xEF\xBB\xBF\xC3\xA4\r\nb\r\n"));
}

TEST(UndoSeite, WritesTheWholePageRemovesLesenXmlAndRefusesAnEmptySession)
{
    TempDir dir;
    tw::platform::AtomicFileWriter writer;
    dir.write(QStringLiteral("Lesen.xml"), "alt");
    const auto seite = Anzeigen(dir.path(), satzMit(QStringLiteral("a¢b¢t¢Umbenannt¢")), writer);
    ASSERT_TRUE(seite);
    EXPECT_EQ(*seite, dir.filePath(QStringLiteral("versionen.html")));
    EXPECT_EQ(dir.read(QStringLiteral("versionen.html")),
              seitenText(seitenZeilen(satzMit(QStringLiteral("a¢b¢t¢Umbenannt¢")))));
    EXPECT_FALSE(dir.exists(QStringLiteral("Lesen.xml")));

    ASSERT_TRUE(Anzeigen(dir.path(), satzMit(QStringLiteral("c¢d¢t¢Kopiert¢")), writer));
    EXPECT_TRUE(dir.read(QStringLiteral("versionen.html")).contains("Kopiert")) << "replaced at every call";

    const QByteArray vorher = dir.read(QStringLiteral("versionen.html"));
    EXPECT_FALSE(Anzeigen(dir.path(), satzMit(QString()), writer));
    EXPECT_EQ(dir.read(QStringLiteral("versionen.html")), vorher);

    TempDir gesperrt;
    gesperrt.write(QStringLiteral("versionen.html/x"));
    const auto nicht = Anzeigen(gesperrt.path(), satzMit(QStringLiteral("a¢b¢t¢Umbenannt¢")), writer);
    ASSERT_FALSE(nicht);
    EXPECT_TRUE(nicht.error().message().contains(QStringLiteral("versionen.html")));
}

// ---------------------------------------------------------------------------------------------
// A journal that ADO itself wrote

TEST_F(Undo, AJournalAsAdoSavesItIsListedViewedAndUndoneAndTheRestStillReads)
{
    const QString a = dir.write(QStringLiteral("d/Tom's & <Jerry>.jpg"), "A");
    const QString b = dir.write(QStringLiteral("d/b.jpg"), "B");
    const QString aNeu = dir.filePath(QStringLiteral("d/Urlaub \"1\".jpg"));
    const QString bNeu = dir.filePath(QStringLiteral("d/Urlaub 2.jpg"));
    ASSERT_TRUE(tw::platform::renameFile(a, aNeu));
    ASSERT_TRUE(tw::platform::renameFile(b, bNeu));
    const QString t = QStringLiteral("05.12.2026 09:00:00");
    const QList<QStringList> rows = {
        {QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("Muster & Co"),
         tw::test::ergebnis({{b, bNeu, t, U}}), t},
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("Urlaub_©0©"),
         tw::test::ergebnis({{a, aNeu, t, U}}), t},
        {QStringLiteral("2"), QStringLiteral("1"), QString(), QStringLiteral("x¢y¢t¢Fehler¢"), t},
    };
    dir.write(QFileInfo(journal()).fileName(), tw::test::adoJournalXml(rows));

    RecordSet rs;
    ASSERT_TRUE(journalOeffnen(journal(), rs));
    EXPECT_EQ(Programmstarts(rs), sl({"1", "2"}));
    rs.setFilter(*auswahlFilter(QStringLiteral("1")));
    EXPECT_EQ(Sitzungen(rs), sl({"1", "2"}));
    const Sitzungssatz satz = waehle(journal(), QStringLiteral("1"), QStringLiteral("2"));
    EXPECT_EQ(tw::platform::valueText(satz.Aktionsstring), QStringLiteral("Urlaub_©0©"));
    EXPECT_TRUE(seitenZeilen(satz)[1].contains(QStringLiteral("Tom's &amp; &lt;Jerry&gt;.jpg")));

    const RueckgaengigErgebnis e = undo(satz);
    EXPECT_TRUE(e.fehlgeschlagen.isEmpty());
    EXPECT_TRUE(e.journal.ok()) << e.journal.message().toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("d/Tom's & <Jerry>.jpg")), "A");
    EXPECT_EQ(lies(journal()), (QList<QStringList>{rows[0], rows[2]}));
}
