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
#include <functional>
#include <gtest/gtest.h>

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
class Protokoll : public Sitzungsprotokoll
{
public:
    explicit Protokoll(tw::journal::DatenBanken& db) : m_sitzung(db) {}
    Result Aktion_eintragen(const QString& alt, const QString& neu, const QString& aktion) override
    {
        if (++eintraege >= scheitertAb)
            return Result::failure(ENOMEM, u8("Kein Speicher mehr."));
        return m_sitzung.Aktion_eintragen(alt, neu, aktion);
    }
    int eintraege = 0;
    int scheitertAb = 1 << 30;

private:
    Journalsitzung m_sitzung;
};

// The window as the run sees it: inputs, the answers it was given, and what happens between files.
class Fenster : public Laufbegleiter
{
public:
    Laufeingaben eingaben() const override { return e; }
    bool zwischendurch() override
    {
        ++pausen;
        if (zwischen)
            zwischen(pausen);
        return offen;
    }
    bool anzeigen(const Schrittantwort& a) override
    {
        antworten.append(a);
        if (a.fensterSchliessen)
            offen = false;
        return offen;
    }
    QList<Meldung> meldungen() const
    {
        QList<Meldung> m;
        for (const Schrittantwort& a : antworten)
            if (a.meldung != Meldung::Keine)
                m << a.meldung;
        return m;
    }
    int sitzungen() const
    {
        return static_cast<int>(std::count_if(antworten.begin(), antworten.end(),
                                              [](const Schrittantwort& a) { return a.sitzungBegonnen; }));
    }

    Laufeingaben e{u8("neu©0 - 9©"), u8("Ursprungsfad"), FileAction::Rename, 1};
    QList<Schrittantwort> antworten;
    std::function<void(int)> zwischen;
    int pausen = 0;
    bool offen = true;
};

struct Umgebung
{
    // Files a0.jpg ... in the catalogue and the work list, the first `markiert` of them marked.
    void dateien(int n, int markiert = -1)
    {
        QList<tw::platform::ShellItem> items;
        QStringList pfade;
        for (int i = 0; i < n; ++i) {
            pfade << dir.write(u8("d/a%1.jpg").arg(i), QByteArray::number(i));
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
    int imKatalog()
    {
        EXPECT_TRUE(katalog.Katalog.setFilter(QString()));
        return katalog.Katalog.RecordCount();
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
    EXPECT_EQ(monitor.label(MonitorLabel::Label5), u8("neu1.jpg"));
    EXPECT_EQ(monitor.label(MonitorLabel::Label6_2), u8("Noch 2 Dateien zum Umbennen"));
    EXPECT_TRUE(dir.exists(u8("d/a0.jpg"))) << "showing a file does not touch it";

    a = lauf.schritt(fenster);
    EXPECT_FALSE(a.sitzungBegonnen || a.zustandGewechselt);
    EXPECT_EQ(dir.read(u8("d/neu1.jpg")), "0");
    EXPECT_EQ(monitor.label(MonitorLabel::Label6_0),
              u8("Datei ") + dir.filePath(u8("d/neu1.jpg")) + u8(" wurde umbennant"));
    EXPECT_EQ(monitor.label(MonitorLabel::Label5), u8("neu2.jpg"));
    EXPECT_EQ(aktionen().mid(0, 4).join(u'|'), dir.filePath(u8("d/a0.jpg")) + u'|' +
                                                   dir.filePath(u8("d/neu1.jpg")) +
                                                   u8("|05.12.2026 14:03:11|Umbenannt"));
    EXPECT_EQ(liste.anzahl(), 1);
    EXPECT_EQ(imKatalog(), 1);

    lauf.schritt(fenster);
    a = lauf.schritt(fenster);
    EXPECT_EQ(a.meldung, Meldung::KeineDateienMehr);
    EXPECT_EQ(a.text, u8("Es sind Keine Dateien zum Schreiben mehr da"));
    EXPECT_TRUE(a.fensterSchliessen && a.listeFuellen && a.zustandGewechselt);
    EXPECT_TRUE(lauf.zaehlwerk().Zaehlerliste.isEmpty());
    EXPECT_EQ(fenster.pausen, 2) << "pending events run before each file";
}

TEST_F(Lauf, HowARunEnds)
{
    struct Fall
    {
        const char* name;
        int dateien, markiert;
        const char* muster;
        bool anhalten; // "Abbrechen" after the first file
        Meldung meldung;
        int bleiben;
    };
    for (const Fall& f : {
             Fall{"empty pattern", 2, 2, "", false, Meldung::MusterFehlt, 2},
             Fall{"nothing marked", 2, 0, "x", false, Meldung::NichtsMarkiert, 2},
             Fall{"unmarked left", 3, 2, "x©0 - 9©", false, Meldung::NichtsMarkiert, 1},
             Fall{"stopped", 3, 3, "x©0 - 9©", true, Meldung::Keine, 2},
         }) {
        SCOPED_TRACE(f.name);
        Umgebung frisch;
        frisch.dateien(f.dateien, f.markiert);
        frisch.fenster.e.muster = u8(f.muster);
        Schrittantwort a;
        for (int schritt = 0; schritt < 10 && a.meldung == Meldung::Keine; ++schritt) {
            a = frisch.lauf.schritt(frisch.fenster);
            if (f.anhalten && schritt == 1) {
                EXPECT_TRUE(frisch.lauf.anhalten());
                a = frisch.lauf.schritt(frisch.fenster);
                break;
            }
        }
        EXPECT_EQ(a.meldung, f.meldung);
        EXPECT_EQ(frisch.liste.anzahl(), f.bleiben);
        EXPECT_EQ(frisch.lauf.laeuft(), false);
        EXPECT_FALSE(frisch.lauf.abbruch()) << "a stop request ends with the run";
        EXPECT_FALSE(frisch.lauf.anhalten()) << "idle, Abbrechen closes the window instead";
        EXPECT_FALSE(a.fensterSchliessen);
    }
}

// A failed file is recorded as "Fehler", leaves the list and the catalogue, and the run goes on.
TEST_F(Lauf, NoFileIsReplacedThatTheRunMadeOrStillProcessesAndNoNameLeavesTheFolder)
{
    struct Fall
    {
        const char* muster;
        bool inZ; // into z, else in the files' own folder
        FileAction aktion;
        const char* aktionen;
        const char* inhalte; // of d/a0, d/a1, d/a2, d/a3, d/gleich.jpg, z/gleich.jpg ("-": none)
        const char* papierkorb;
        const char* zuletzt; // the end of the last monitor line
    };
    const char* vorhanden = " wegen Fehler Die Datei ist bereits vorhanden.";
    for (const Fall& f : {
             Fall{"gleich", false, FileAction::Rename, "Umbenannt Fehler Fehler", "- 1 2 - 0 alt", "",
                  vorhanden},
             // What stood there goes to the trash; what the run made is never replaced.
             Fall{"gleich", true, FileAction::Copy, "Kopiert Fehler Fehler", "0 1 2 - - 0", "alt", vorhanden},
             // a0 -> a1 and a1 -> a2 would replace sources still to be copied.
             Fall{"a©0 - 9©", false, FileAction::Copy, "Fehler Fehler Kopiert", "0 1 2 2 - alt", "",
                  "/d/a3.jpg wurde kopiert"},
             Fall{"../x©0 - 9©", false, FileAction::Rename, "Fehler Fehler Fehler", "0 1 2 - - alt", "",
                  " wegen Fehler „../x3.jpg“ ist kein Dateiname in diesem Ordner."},
         }) {
        SCOPED_TRACE(f.muster);
        papierkorb.empty();
        Umgebung u;
        u.dateien(3);
        u.dir.write(u8("z/gleich.jpg"), "alt");
        u.fenster.e = {u8(f.muster), f.inZ ? u.dir.filePath(u8("z")) : u8("Ursprungsfad"), f.aktion, 1};
        u.lauf.alle(u.fenster);
        const QStringList a = u.aktionen();
        EXPECT_EQ((QStringList{a.value(3), a.value(7), a.value(11)}).join(u' '), u8(f.aktionen));
        QStringList inhalte, imPapierkorb;
        for (const char* datei :
             {"d/a0.jpg", "d/a1.jpg", "d/a2.jpg", "d/a3.jpg", "d/gleich.jpg", "z/gleich.jpg"})
            inhalte << (u.dir.exists(u8(datei)) ? QString::fromUtf8(u.dir.read(u8(datei))) : u8("-"));
        EXPECT_EQ(inhalte.join(u' '), u8(f.inhalte));
        for (const QString& name : papierkorb.files())
            imPapierkorb << QString::fromUtf8(papierkorb.read(name));
        EXPECT_EQ(imPapierkorb.join(u' '), u8(f.papierkorb));
        EXPECT_TRUE(u.monitor.label(MonitorLabel::Label6_0).endsWith(u8(f.zuletzt)))
            << u.monitor.label(MonitorLabel::Label6_0).toStdString();
        EXPECT_EQ(u.imKatalog(), 0);
        EXPECT_EQ(u.fenster.meldungen(), QList<Meldung>{Meldung::KeineDateienMehr});
        EXPECT_EQ(u.fenster.sitzungen(), 1);
    }
}

TEST_F(Lauf, AnEntryThatCannotBeRecordedStopsTheWholeRun)
{
    dateien(4);
    protokoll.scheitertAb = 2;
    lauf.alle(fenster);
    ASSERT_FALSE(fenster.antworten.isEmpty());
    const Schrittantwort& a = fenster.antworten.last();
    EXPECT_EQ(a.meldung, Meldung::NichtEingetragen);
    EXPECT_TRUE(a.text.contains(dir.filePath(u8("d/a1.jpg"))) && a.text.contains(u8("Kein Speicher mehr.")));
    EXPECT_TRUE(a.zustandGewechselt && a.listeFuellen && !a.fensterSchliessen);
    EXPECT_FALSE(lauf.laeuft());
    EXPECT_EQ(fenster.sitzungen(), 1) << "no new run begins after the stop";
    EXPECT_EQ(protokoll.eintraege, 2);
    EXPECT_TRUE(dir.exists(u8("d/a2.jpg")) && dir.exists(u8("d/a3.jpg"))) << "nothing more was changed";
    EXPECT_EQ(liste.anzahl(), 2) << "the processed file left the list";
}

TEST_F(Lauf, AWindowGoneBetweenFilesEndsTheRunUntouched)
{
    dateien(2);
    fenster.zwischen = [this](int) { fenster.offen = false; };
    lauf.alle(fenster);
    EXPECT_TRUE(dir.exists(u8("d/a0.jpg")) && dir.exists(u8("d/a1.jpg")));
    EXPECT_EQ(protokoll.eintraege, 0);
    EXPECT_EQ(fenster.antworten.size(), 1) << "only the start was shown";
}

// The run's own lines for a rename and a copy are checked above.
TEST(Datensicherung, TheMonitorLineOfAMoveNamesTheTargetAndWhyNot)
{
    TempDir dir;
    MonitorTexte monitor;
    const QString quelle = dir.write(u8("a.jpg"), "A");
    EXPECT_EQ(Datei_aendern(quelle, dir.filePath(u8("fehlt/c.jpg")), Verschieben, monitor), ENOENT);
    EXPECT_EQ(monitor.label(MonitorLabel::Label6_0), u8("Pfad ") + dir.filePath(u8("fehlt/c.jpg")) +
                                                         u8(" wurde nicht verschoben wegen Fehler Die Datei "
                                                            "oder der Ordner wurde nicht gefunden."));
    EXPECT_EQ(Datei_aendern(quelle, dir.filePath(u8("b.jpg")), Verschieben, monitor), 0);
    EXPECT_EQ(monitor.label(MonitorLabel::Label6_0),
              u8("Datei ") + dir.filePath(u8("b.jpg")) + u8(" wurde verschoben"));
}

TEST(Datensicherung, OnlyTheRecordOfExactlyTheProcessedPathLeavesTheCatalogue)
{
    TempDir dir;
    tw::test::FakeKatalogAnsicht ansicht;
    tw::catalogue::KatalogLogik katalog{ansicht};
    QList<tw::platform::ShellItem> items;
    for (const char* name : {"Bob's/x.txt.old", "Bob's/x.txt", "a.txt"}) {
        const QString pfad = dir.write(QString::fromUtf8(name), "inhalt");
        items.append({pfad, pfad.section(u'/', -1), u8("Klartext"), 6, {}});
    }
    katalog.Explorerauswahl = tw::platform::ShellItems::fromItems(items);
    katalog.uebernehmen();
    Katalogtabelle tabelle(katalog.Katalog);
    // The two-part filter for the apostrophe shows x.txt.old first; a path without a record removes nothing.
    tabelle.entfernen(dir.filePath(u8("Bob's/x.txt")));
    tabelle.entfernen(dir.filePath(u8("fremd.txt")));
    EXPECT_TRUE(katalog.Katalog.setFilter(QString()));
    QStringList bleiben;
    for (katalog.Katalog.toFirst(); !katalog.Katalog.Eof(); katalog.Katalog.toNext())
        bleiben << katalog.Katalog.text(u"Pfad");
    EXPECT_EQ(bleiben, (QStringList{dir.filePath(u8("Bob's/x.txt.old")), dir.filePath(u8("a.txt"))}));
}
