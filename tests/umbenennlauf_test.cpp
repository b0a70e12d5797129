#include "catalogue/KatalogLogik.h"
#include "journal/DatenBanken.h"
#include "rename/Datensicherung.h"
#include "rename/Umbenennlauf.h"
#include "support/FakeClock.h"
#include "support/FakeKatalogAnsicht.h"
#include "support/IsolatedTrash.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <tuple>

using namespace tw::rename;
using tw::platform::FileAction;
using tw::platform::Result;
using tw::test::TempDir;
using Meldung = Schrittantwort::Meldung;

namespace {

const tw::test::IsolatedTrash papierkorb;

// The work list batches its view updates on a timer.
int argc = 1;
char name[] = "test_umbenennlauf";
char* argv[] = {name, nullptr};
QCoreApplication app(argc, argv);

// The journal session, made to fail from a given entry on.
struct Protokoll : Sitzungsprotokoll
{
    explicit Protokoll(tw::journal::DatenBanken& db) : sitzung(db) {}
    Result Aktion_eintragen(const QString& alt, const QString& neu, const QString& aktion) override
    {
        if (++eintraege >= scheitertAb)
            return Result::failure(ENOMEM, u8("Kein Speicher mehr."));
        return sitzung.Aktion_eintragen(alt, neu, aktion);
    }
    Result Aktion_vorhaben(const QString& alt, const QString&, const QString&) override
    {
        if (!QFileInfo::exists(alt))
            ohneDatei << alt;
        return Result::success();
    }
    bool zielUnerheblich(const QString& aktion, const QString& alt, const QString& neu) override
    {
        return sitzung.zielUnerheblich(aktion, alt, neu);
    }
    Journalsitzung sitzung;
    int eintraege = 0, scheitertAb = 1 << 30;
    QStringList ohneDatei; // intents noted while their file was not (yet) there
};

// The window as the run sees it: inputs, the answers it was given, and whether it is still open; it
// closes after `offenFuer` pauses between files.
struct Fenster : Laufbegleiter
{
    Laufeingaben eingaben() const override { return e; }
    bool zwischendurch() override { return offen = offen && ++pausen <= offenFuer; }
    bool anzeigen(const Schrittantwort& a) override
    {
        antworten.append(a);
        sitzungen += a.sitzungBegonnen;
        if (a.meldung != Meldung::Keine)
            meldungen << a.meldung;
        return offen = offen && !a.fensterSchliessen;
    }

    Laufeingaben e{u8("neu©0 - 9©"), u8("Ursprungsfad"), FileAction::Rename, 1};
    QList<Schrittantwort> antworten;
    QList<Meldung> meldungen;
    int pausen = 0, offenFuer = 1 << 30, sitzungen = 0;
    bool offen = true;
};

struct Umgebung
{
    // Files d'/a0.jpg ... in the catalogue and the work list, the first `markiert` of them marked; the
    // apostrophe is one the catalogue's path filter must escape.
    void dateien(int n, int markiert = -1)
    {
        QList<tw::platform::ShellItem> items;
        QStringList pfade;
        for (int i = 0; i < n; ++i) {
            pfade << dir.write(u8("d'/a%1.jpg").arg(i), QByteArray::number(i));
            items.append({pfade.last(), pfade.last().section(u'/', -1), u8("JPEG-Bild"), 1, {}});
        }
        katalog.Explorerauswahl = tw::platform::ShellItems::fromItems(items);
        katalog.uebernehmen();
        liste.setEintraege(pfade);
        for (int i = 0; i < (markiert < 0 ? n : markiert); ++i)
            liste.setMarkiert(i, true);
        db.Sitzung_beginnen();
    }
    QStringList aktionen() const { return db.ergebnisstring().split(tw::journal::Trennzeichen); }
    QStringList imKatalog()
    {
        QStringList pfade;
        EXPECT_TRUE(katalog.Katalog.setFilter(QString()));
        for (katalog.Katalog.toFirst(); !katalog.Katalog.Eof(); katalog.Katalog.toNext())
            pfade << katalog.Katalog.text(u"Pfad").mid(dir.path().size());
        return pfade;
    }

    TempDir dir;
    tw::test::FakeClock clock;
    tw::journal::DatenBanken db{dir.path(), clock};
    Protokoll protokoll{db};
    tw::test::FakeKatalogAnsicht ansicht;
    tw::catalogue::KatalogLogik katalog{ansicht};
    Katalogtabelle tabelle{katalog.Katalog};
    Arbeitsliste liste;
    MonitorTexte monitor;
    Umbenennlauf lauf{liste, monitor, protokoll, &tabelle};
    Fenster fenster;
};

class Lauf : public ::testing::Test, public Umgebung
{
};

} // namespace

TEST_F(Lauf, StepWiseEachClickProcessesTheShownFileAndShowsTheNext)
{
    dateien(2);
    Schrittantwort a = lauf.schritt(fenster);
    EXPECT_TRUE(a.sitzungBegonnen && a.zustandGewechselt);
    EXPECT_EQ(std::pair(monitor.label(MonitorLabel::Label5), monitor.label(MonitorLabel::Label6_2)),
              std::pair(u8("neu1.jpg"), u8("Noch 2 Dateien zum Umbennen")));
    EXPECT_TRUE(dir.exists(u8("d'/a0.jpg"))) << "showing a file does not touch it";

    a = lauf.schritt(fenster);
    EXPECT_FALSE(a.sitzungBegonnen || a.zustandGewechselt);
    EXPECT_EQ(dir.read(u8("d'/neu1.jpg")), "0");
    EXPECT_EQ(std::pair(monitor.label(MonitorLabel::Label6_0).remove(dir.path()),
                        monitor.label(MonitorLabel::Label5)),
              std::pair(u8("Datei /d'/neu1.jpg wurde umbennant"), u8("neu2.jpg")));
    EXPECT_EQ(aktionen().mid(0, 4).join(u'|').remove(dir.path()),
              u8("/d'/a0.jpg|/d'/neu1.jpg|05.12.2026 14:03:11|Umbenannt"));
    EXPECT_EQ(std::pair(liste.anzahl(), imKatalog()), std::pair(1, u8s({"/d'/a1.jpg"})));

    lauf.schritt(fenster);
    a = lauf.schritt(fenster);
    EXPECT_EQ(std::pair(a.meldung, a.text),
              std::pair(Meldung::KeineDateienMehr, u8("Es sind Keine Dateien zum Schreiben mehr da")));
    EXPECT_TRUE(a.fensterSchliessen && a.listeFuellen && a.zustandGewechselt &&
                lauf.zaehlwerk().Zaehlerliste.isEmpty());
    EXPECT_EQ(fenster.pausen, 2) << "pending events run before each file";
}

// The clicks: 's' on "Schrittweise beginnen", 'a' on "Alle Dateien umbennen", 'x' on "Abbrechen" while
// running; 'j': the journal takes no entry from the second on.
TEST_F(Lauf, HowARunEnds)
{
    // name, files, marked, pattern, clicks, the last message, files left, runs begun, journal entries
    for (const auto& [fall, n, markiert, muster, klicks, meldung, bleiben, sitzungen, eintraege] : {
             std::tuple{"empty pattern", 2, 2, "", "s", Meldung::MusterFehlt, 2, 0, 0},
             std::tuple{"nothing marked", 2, 0, "x", "s", Meldung::NichtsMarkiert, 2, 0, 0},
             std::tuple{"unmarked left", 3, 2, "x©0 - 9©", "ssss", Meldung::NichtsMarkiert, 1, 1, 2},
             std::tuple{"stopped", 3, 3, "x©0 - 9©", "ssxs", Meldung::Keine, 2, 1, 1},
             // The second file finds the first one's new name taken: the stop does not hide it.
             std::tuple{"stopped after a failure", 3, 3, "x", "sssxs", Meldung::Fehlgeschlagen, 1, 1, 2},
             // No new run begins after the stop, and nothing more is changed.
             std::tuple{"entry not recorded", 4, 4, "x©0 - 9©", "jsss", Meldung::NichtEingetragen, 2, 1, 2},
         }) {
        SCOPED_TRACE(fall);
        Umgebung u;
        u.dateien(n, markiert);
        u.fenster.e.muster = u8(muster);
        for (const char* k = klicks; *k; ++k) {
            if (*k == 's')
                u.fenster.anzeigen(u.lauf.schritt(u.fenster));
            else if (*k == 'a')
                u.lauf.alle(u.fenster);
            else if (*k == 'x')
                EXPECT_TRUE(u.lauf.anhalten());
            else
                u.protokoll.scheitertAb = 2;
        }
        const Schrittantwort a = u.fenster.antworten.last();
        EXPECT_EQ(std::tuple(a.meldung, u.liste.anzahl(), u.fenster.sitzungen, u.protokoll.eintraege),
                  std::tuple(meldung, bleiben, sitzungen, eintraege));
        EXPECT_FALSE(u.lauf.laeuft() || u.lauf.abbruch() || a.fensterSchliessen)
            << "a stop ends with the run";
        EXPECT_FALSE(u.lauf.anhalten()) << "idle, Abbrechen closes the window instead";
        EXPECT_EQ(a.zustandGewechselt && a.listeFuellen, *muster != '\0') << "each end but a refused start";
        EXPECT_EQ(a.fehlerGemeldet, meldung == Meldung::Fehlgeschlagen);
        EXPECT_EQ(a.text.contains(u.dir.filePath(u8("d'/a1.jpg"))) &&
                      a.text.contains(u8("Kein Speicher mehr.")),
                  meldung == Meldung::NichtEingetragen);
    }
    // "Alle Dateien umbennen" learns of a failed entry only after the files handed over before it are
    // renamed: they are entered as far as entries can be made, and the rest stay in the list, untouched.
    {
        Umgebung u;
        u.dateien(4);
        u.fenster.e.muster = u8("x©0 - 9©");
        u.protokoll.scheitertAb = 2;
        u.lauf.alle(u.fenster);
        EXPECT_EQ(std::tuple(u.fenster.meldungen.last(), u.liste.anzahl() + u.protokoll.eintraege),
                  std::tuple(Meldung::NichtEingetragen, 4));
        for (const QString& pfad : u.liste.eintraege())
            EXPECT_TRUE(QFileInfo::exists(pfad)) << pfad.toStdString();
    }
    // A window gone between files: only the start was shown, and nothing is changed.
    dateien(2);
    fenster.offenFuer = 0;
    lauf.alle(fenster);
    EXPECT_EQ(std::tuple(protokoll.eintraege, fenster.antworten.size(), liste.anzahl()), std::tuple(0, 1, 2));
}

// Copies reach their names in groups. Once an entry fails, the copies written since are not placed:
// nothing changes on disk without its entry.
TEST_F(Lauf, ACopyRunStoppedByAFailedEntryPlacesNoMoreCopies)
{
    dateien(600);
    QDir().mkpath(dir.filePath(u8("k")));
    // After the first file it waits for that copy to stand, so that its failed entry is seen while later
    // copies are still on their way, however slow the machine.
    struct Wartend : Fenster
    {
        bool zwischendurch() override
        {
            for (int i = 0; liste->anzahl() < 600 && ziel.isEmpty(QDir::Files) && i < 10000; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return Fenster::zwischendurch();
        }
        QDir ziel;
        const Arbeitsliste* liste = nullptr;
    } wartend;
    wartend.ziel = QDir(dir.filePath(u8("k")));
    wartend.liste = &liste;
    wartend.e = {nameEinfuegen({}), dir.filePath(u8("k")), FileAction::Copy, 1};
    protokoll.scheitertAb = 1;
    lauf.alle(wartend);
    const int platziert = int(QDir(dir.filePath(u8("k"))).entryList(QDir::Files | QDir::Hidden).size());
    const int bearbeitet = 600 - liste.anzahl();
    EXPECT_EQ(wartend.meldungen.last(), Meldung::NichtEingetragen);
    EXPECT_GT(platziert, 0);
    EXPECT_LT(platziert, bearbeitet) << "copies written after the failed entry were placed";
    EXPECT_FALSE(lauf.laeuft());
}

// A window gone in the middle of a copy run takes its run along: the copies placed in the meantime are
// entered all the same, and the rest leave nothing.
TEST_F(Lauf, ACopyRunCutOffEntersEveryCopyItPlaced)
{
    dateien(600);
    QDir().mkpath(dir.filePath(u8("k")));
    // It closes once the first copies stand.
    struct Langsam : Fenster
    {
        bool zwischendurch() override
        {
            for (int i = 0; pausen == offenFuer && ziel.isEmpty(QDir::Files) && i < 10000; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return Fenster::zwischendurch();
        }
        QDir ziel;
    } langsam;
    langsam.ziel = QDir(dir.filePath(u8("k")));
    langsam.e = {nameEinfuegen({}), dir.filePath(u8("k")), FileAction::Copy, 1};
    langsam.offenFuer = 400;
    {
        Umbenennlauf kurz{liste, monitor, protokoll, &tabelle};
        kurz.alle(langsam);
    }
    const int platziert = int(QDir(dir.filePath(u8("k"))).entryList(QDir::Files | QDir::Hidden).size());
    EXPECT_GT(platziert, 0);
    EXPECT_EQ(aktionen().count(u8("Kopiert")), platziert);
}

// A file that a rename on its way is to bring to its place waits for it: an intent is noted only once its
// file stands there, so that after a crash the disk alone tells what became of each.
TEST_F(Lauf, AFileTheRunIsStillBringingToItsPlaceWaitsForIt)
{
    dateien(1);
    liste.setEintraege({dir.filePath(u8("d'/a0.jpg")), dir.filePath(u8("d'/x1.jpg"))});
    liste.alleMarkieren(true);
    fenster.e.muster = u8("x©0 - 9©");
    lauf.alle(fenster);
    EXPECT_EQ(std::tuple(protokoll.ohneDatei, aktionen().count(u8("Umbenannt")), dir.read(u8("d'/x2.jpg"))),
              std::tuple(QStringList(), 2, QByteArray("0")));
}

// A failed file is recorded as "Fehler", leaves the list and the catalogue, and the run goes on.
TEST_F(Lauf, NoFileIsReplacedThatTheRunMadeOrStillProcessesAndNoNameLeavesTheFolder)
{
    // pattern, into z (else the files' own folder), action, the actions recorded, then what d'/a0, d'/a1,
    // d'/a2, d'/a3, d'/gleich.jpg and z/gleich.jpg hold ("-": none), the trash, and the last monitor line
    for (const auto& [muster, inZ, aktion, aktionen, inhalte, imPapierkorb, zuletzt] : {
             std::tuple{"gleich", false, FileAction::Rename, "Umbenannt Fehler Fehler", "- 1 2 - 0 alt", "",
                        u8("Pfad /d'/gleich.jpg wurde nicht umbennant wegen Fehler Die Datei ist bereits "
                           "vorhanden.")},
             // What stood there goes to the trash; what the run made is never replaced.
             std::tuple{
                 "gleich", true, FileAction::Copy, "Kopiert Fehler Fehler", "0 1 2 - - 0", "alt",
                 u8("Pfad /z/gleich.jpg wurde nicht kopiert wegen Fehler Die Datei ist bereits vorhanden.")},
             // a0 -> a1 and a1 -> a2 would replace sources still to be copied.
             std::tuple{"a©0 - 9©", false, FileAction::Copy, "Fehler Fehler Kopiert", "0 1 2 2 - alt", "",
                        u8("Datei /d'/a3.jpg wurde kopiert")},
             std::tuple{"m©0 - 9©", true, FileAction::Move, "Verschoben Verschoben Verschoben",
                        "- - - - - alt", "", u8("Datei /z/m3.jpg wurde verschoben")},
             std::tuple{"../x©0 - 9©", false, FileAction::Rename, "Fehler Fehler Fehler", "0 1 2 - - alt", "",
                        u8("Pfad /d'/../x3.jpg wurde nicht umbennant wegen Fehler „../x3.jpg“ ist kein "
                           "Dateiname in diesem Ordner.")},
         }) {
        SCOPED_TRACE(muster);
        papierkorb.empty();
        Umgebung u;
        u.dateien(3);
        u.dir.write(u8("z/gleich.jpg"), "alt");
        u.fenster.e = {u8(muster), inZ ? u.dir.filePath(u8("z")) : u8("Ursprungsfad"), FileAction(aktion), 1};
        u.lauf.alle(u.fenster);
        const QStringList a = u.aktionen();
        EXPECT_EQ((QStringList{a.value(3), a.value(7), a.value(11)}).join(u' '), u8(aktionen));
        QStringList gefunden, weg;
        for (const char* datei :
             {"d'/a0.jpg", "d'/a1.jpg", "d'/a2.jpg", "d'/a3.jpg", "d'/gleich.jpg", "z/gleich.jpg"})
            gefunden << (u.dir.exists(u8(datei)) ? QString::fromUtf8(u.dir.read(u8(datei))) : u8("-"));
        EXPECT_EQ(gefunden.join(u' '), u8(inhalte));
        for (const QString& name : papierkorb.files())
            weg << QString::fromUtf8(papierkorb.read(name));
        EXPECT_EQ(weg.join(u' '), u8(imPapierkorb));
        EXPECT_EQ(u.monitor.label(MonitorLabel::Label6_0).remove(u.dir.path()), zuletzt);
        EXPECT_EQ(std::tuple(u.imKatalog(), u.fenster.meldungen, u.fenster.sitzungen),
                  std::tuple(QStringList(), QList<Meldung>{Meldung::KeineDateienMehr}, 1));
        const bool fehler = QString::fromUtf8(aktionen).contains(u8("Fehler"));
        EXPECT_EQ(u.fenster.antworten.last().fehlerGemeldet, fehler);
        EXPECT_EQ(u.fenster.antworten.last().text.contains(u8(" → %1/z/").arg(u.dir.path())), fehler && inZ)
            << "a new path in another folder is shown whole";
    }
}

TEST_F(Lauf, TheEndMessageOfARunWithFailuresSaysHowManyOfHowManyAndTheFirstFewWithTheirReason)
{
    dateien(8, 7);
    fenster.e.muster = u8("x");
    lauf.alle(fenster);
    EXPECT_EQ(fenster.antworten.last().text.remove(dir.path()),
              u8("Sie müssen eine Datei makieren!\n\n"
                 "6 von 7 Dateien dieses Laufs wurden nicht umbenannt:\n"
                 "\n/d'/a1.jpg → x.jpg\n    Die Datei ist bereits vorhanden."
                 "\n/d'/a2.jpg → x.jpg\n    Die Datei ist bereits vorhanden."
                 "\n/d'/a3.jpg → x.jpg\n    Die Datei ist bereits vorhanden."
                 "\n/d'/a4.jpg → x.jpg\n    Die Datei ist bereits vorhanden."
                 "\n/d'/a5.jpg → x.jpg\n    Die Datei ist bereits vorhanden."
                 "\n… und 1 weitere.\n\n"
                 "In der Sicherungsdatei werden sie als „Fehler“ geführt."));

    // The next run counts afresh.
    liste.alleMarkieren(true);
    fenster.e.muster = u8("y");
    lauf.alle(fenster);
    EXPECT_EQ(std::pair(fenster.antworten.last().text, fenster.antworten.last().fehlerGemeldet),
              std::pair(u8("Es sind Keine Dateien zum Schreiben mehr da"), false));
}
