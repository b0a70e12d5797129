#include "catalogue/KatalogLogik.h"
#include "journal/DatenBanken.h"
#include "rename/Datensicherung.h"
#include "support/FakeClock.h"
#include "support/FakeKatalogAnsicht.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace tw::rename;
using tw::journal::DatenBanken;
using tw::test::TempDir;

namespace {

QStringList aktionen(DatenBanken& db)
{
    return db.ergebnisstring().split(tw::journal::Trennzeichen);
}

} // namespace

TEST(Datensicherung, EachOperationGivesItsResultLineAndLosesNothingOnDisk)
{
    struct Fall
    {
        int aktion;
        bool zielDa, ordnerDa, erfolg;
        const char* zeile; // the monitor line after "<target> wurde "
    };
    for (const Fall& f : {
             Fall{Umbenennen, false, true, true, "umbennant"},
             Fall{Kopieren, false, true, true, "kopiert"},
             Fall{Verschieben, false, true, true, "verschoben"},
             Fall{Umbenennen, true, true, false,
                  "nicht umbennant wegen Fehler Die Datei ist bereits vorhanden."},
             Fall{Verschieben, true, true, false,
                  "nicht verschoben wegen Fehler Die Datei ist bereits vorhanden."},
             Fall{Kopieren, true, true, true, "kopiert"},
             Fall{Umbenennen, false, false, false,
                  "nicht umbennant wegen Fehler Die Datei oder der Ordner wurde nicht gefunden."},
             Fall{Kopieren, false, false, false,
                  "nicht kopiert wegen Fehler Die Datei oder der Ordner wurde nicht gefunden."},
         }) {
        SCOPED_TRACE(::testing::Message() << f.aktion << (f.zielDa ? " onto a file" : "")
                                          << (f.ordnerDa ? "" : " into no folder"));
        TempDir dir;
        const QString quelle = dir.write(u8("a/quelle.jpg"), "QUELLE");
        if (f.ordnerDa)
            dir.write(u8("b/.keep"));
        const QString ziel = dir.filePath(u8("b/ziel.jpg"));
        if (f.zielDa)
            dir.write(u8("b/ziel.jpg"), "ALT");

        MonitorTexte monitor;
        EXPECT_EQ(Datei_aendern(quelle, ziel, f.aktion, monitor) == 0, f.erfolg);
        EXPECT_EQ(monitor.label(MonitorLabel::Label6_0),
                  (f.erfolg ? u8("Datei ") : u8("Pfad ")) + ziel + u8(" wurde ") + u8(f.zeile));
        // The source stays unless it was moved or renamed; an old target stays unless a copy replaced it.
        EXPECT_EQ(QFile::exists(quelle), !(f.erfolg && f.aktion != Kopieren));
        if (f.erfolg) {
            EXPECT_EQ(dir.read(u8("b/ziel.jpg")), QByteArray("QUELLE"));
        } else if (f.zielDa) {
            EXPECT_EQ(dir.read(u8("b/ziel.jpg")), QByteArray("ALT"));
        }
    }
}

TEST(Datensicherung, CopyOntoItselfIsRefusedAndTheFileKept)
{
    TempDir dir;
    const QString datei = dir.write(u8("x.jpg"), "BILD");
    MonitorTexte monitor;
    EXPECT_NE(Datei_aendern(datei, datei, Kopieren, monitor), 0);
    EXPECT_TRUE(monitor.label(MonitorLabel::Label6_0).startsWith(u8("Pfad ")));
    EXPECT_EQ(dir.read(u8("x.jpg")), QByteArray("BILD"));
}

namespace {

class Treiber : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QList<tw::platform::ShellItem> items;
        for (const char* name : {"Bob's/x.txt.old", "Bob's/x.txt", "a.txt"}) {
            const QString pfad = dir.write(QString::fromUtf8(name), "inhalt");
            items.append({pfad, pfad.section(u'/', -1), u8("Klartext"), 6, QDateTime::currentDateTime()});
        }
        katalog.Explorerauswahl = tw::platform::ShellItems::fromItems(items);
        katalog.uebernehmen();
        db.Sitzung_beginnen();
    }

    void zeige(const QString& ordner, const QString& name, const QString& neu)
    {
        monitor.setLabel(MonitorLabel::Label2, ordner);
        monitor.setLabel(MonitorLabel::Label4, name);
        monitor.setLabel(MonitorLabel::Label3, neu);
    }

    QStringList imKatalog()
    {
        katalog.Katalog.setFilter(QString());
        QStringList out;
        for (katalog.Katalog.MoveFirst(); !katalog.Katalog.Eof(); katalog.Katalog.MoveNext())
            out << katalog.Katalog.text(u"Pfad");
        return out;
    }

    TempDir dir;
    tw::test::FakeKatalogAnsicht ansicht;
    tw::catalogue::KatalogLogik katalog{ansicht};
    tw::test::FakeClock clock;
    DatenBanken db{dir.path(), clock};
    MonitorTexte monitor;
};

} // namespace

TEST_F(Treiber, ProcessesWhatTheMonitorShowsAndRemovesExactlyThatRecord)
{
    const QString ordner = dir.filePath(u8("Bob's")) + u'/';
    zeige(ordner, u8("x.txt"), ordner + u8("neu.txt"));
    Aktion_ausfuehren(monitor, Umbenennen, db, &katalog.Katalog);

    EXPECT_TRUE(QFile::exists(ordner + u8("neu.txt")));
    EXPECT_EQ(aktionen(db).mid(0, 2), (QStringList{ordner + u8("x.txt"), ordner + u8("neu.txt")}));
    EXPECT_EQ(aktionen(db)[3], u8("Umbenannt"));
    // The two-part filter shows x.txt.old first; only x.txt may leave the catalogue.
    EXPECT_EQ(imKatalog(), (QStringList{ordner + u8("x.txt.old"), dir.filePath(u8("a.txt"))}));
}

TEST_F(Treiber, AFailedOperationIsRecordedAsFehlerAndStillLeavesTheCatalogue)
{
    const QString a = dir.filePath(u8("a.txt"));
    dir.write(u8("b.txt"), "anderes");
    zeige(dir.path() + u'/', u8("a.txt"), dir.filePath(u8("b.txt")));
    Aktion_ausfuehren(monitor, Umbenennen, db, &katalog.Katalog);

    EXPECT_EQ(aktionen(db)[3], u8("Fehler"));
    EXPECT_EQ(dir.read(u8("a.txt")), QByteArray("inhalt"));
    EXPECT_EQ(dir.read(u8("b.txt")), QByteArray("anderes"));
    EXPECT_FALSE(imKatalog().contains(a));
}

TEST_F(Treiber, AFileWithoutARecordRemovesNothing)
{
    const QString fremd = dir.write(u8("fremd.txt"), "f");
    zeige(dir.path() + u'/', u8("fremd.txt"), dir.filePath(u8("fremd2.txt")));
    Aktion_ausfuehren(monitor, Kopieren, db, &katalog.Katalog);
    EXPECT_EQ(imKatalog().size(), 3);
    EXPECT_EQ(aktionen(db)[3], u8("Kopiert"));
    EXPECT_TRUE(QFile::exists(fremd));
}
