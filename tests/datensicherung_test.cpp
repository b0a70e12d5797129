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

struct Fall
{
    const char* name;
    int aktion;
    bool zielDa;
    bool ordnerDa;
    bool erfolg;
    const char* zeile; // the monitor line after "<target> wurde "
};

class DateiAendern : public ::testing::TestWithParam<Fall>
{
};

} // namespace

TEST_P(DateiAendern, ResultLineAndFilesOnDisk)
{
    const Fall& f = GetParam();
    TempDir dir;
    const QString quelle = dir.write(QStringLiteral("a/quelle.jpg"), "QUELLE");
    if (f.ordnerDa)
        dir.write(QStringLiteral("b/.keep"));
    const QString ziel = dir.filePath(QStringLiteral("b/ziel.jpg"));
    if (f.zielDa)
        dir.write(QStringLiteral("b/ziel.jpg"), "ALT");

    MonitorTexte monitor;
    const int r = Datei_aendern(quelle, ziel, f.aktion, monitor);
    EXPECT_EQ(r == 0, f.erfolg);
    const QString praefix = f.erfolg ? QStringLiteral("Datei ") : QStringLiteral("Pfad ");
    EXPECT_EQ(monitor.label(MonitorLabel::Label6_0), praefix + ziel + QStringLiteral(" wurde ") + QString::fromUtf8(f.zeile));

    // Nothing is lost: the source stays unless it was moved or renamed; an old target stays unless a
    // copy replaced it.
    const bool quelleWeg = f.erfolg && f.aktion != Kopieren;
    EXPECT_EQ(QFile::exists(quelle), !quelleWeg);
    if (f.erfolg) {
        EXPECT_EQ(dir.read(QStringLiteral("b/ziel.jpg")), QByteArray("QUELLE"));
    } else if (f.zielDa) {
        EXPECT_EQ(dir.read(QStringLiteral("b/ziel.jpg")), QByteArray("ALT"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Datensicherung, DateiAendern,
    ::testing::Values(
        Fall{"Rename", Umbenennen, false, true, true, "umbennant"},
        Fall{"Copy", Kopieren, false, true, true, "kopiert"},
        Fall{"Move", Verschieben, false, true, true, "verschoben"},
        Fall{"RenameOntoExisting", Umbenennen, true, true, false,
             "nicht umbennant wegen Fehler Die Datei ist bereits vorhanden."},
        Fall{"MoveOntoExisting", Verschieben, true, true, false,
             "nicht verschoben wegen Fehler Die Datei ist bereits vorhanden."},
        Fall{"CopyOverExisting", Kopieren, true, true, true, "kopiert"},
        Fall{"RenameIntoMissingFolder", Umbenennen, false, false, false,
             "nicht umbennant wegen Fehler Die Datei oder der Ordner wurde nicht gefunden."},
        Fall{"CopyIntoMissingFolder", Kopieren, false, false, false,
             "nicht kopiert wegen Fehler Die Datei oder der Ordner wurde nicht gefunden."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Datensicherung, CopyOntoItselfIsRefusedAndTheFileKept)
{
    TempDir dir;
    const QString datei = dir.write(QStringLiteral("x.jpg"), "BILD");
    MonitorTexte monitor;
    EXPECT_NE(Datei_aendern(datei, datei, Kopieren, monitor), 0);
    EXPECT_TRUE(monitor.label(MonitorLabel::Label6_0).startsWith(QStringLiteral("Pfad ")));
    EXPECT_EQ(dir.read(QStringLiteral("x.jpg")), QByteArray("BILD"));
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
            items.append({pfad, pfad.section(u'/', -1), QStringLiteral("Klartext"), 6, QDateTime::currentDateTime()});
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
    const QString ordner = dir.filePath(QStringLiteral("Bob's")) + u'/';
    zeige(ordner, QStringLiteral("x.txt"), ordner + QStringLiteral("neu.txt"));
    Aktion_ausfuehren(monitor, Umbenennen, db, &katalog.Katalog);

    EXPECT_TRUE(QFile::exists(ordner + QStringLiteral("neu.txt")));
    EXPECT_EQ(aktionen(db).mid(0, 2), (QStringList{ordner + QStringLiteral("x.txt"), ordner + QStringLiteral("neu.txt")}));
    EXPECT_EQ(aktionen(db)[3], QStringLiteral("Umbenannt"));
    // The two-part filter shows x.txt.old first; only x.txt may leave the catalogue.
    EXPECT_EQ(imKatalog(), (QStringList{ordner + QStringLiteral("x.txt.old"), dir.filePath(QStringLiteral("a.txt"))}));
}

TEST_F(Treiber, AFailedOperationIsRecordedAsFehlerAndStillLeavesTheCatalogue)
{
    const QString a = dir.filePath(QStringLiteral("a.txt"));
    dir.write(QStringLiteral("b.txt"), "anderes");
    zeige(dir.path() + u'/', QStringLiteral("a.txt"), dir.filePath(QStringLiteral("b.txt")));
    Aktion_ausfuehren(monitor, Umbenennen, db, &katalog.Katalog);

    EXPECT_EQ(aktionen(db)[3], QStringLiteral("Fehler"));
    EXPECT_EQ(dir.read(QStringLiteral("a.txt")), QByteArray("inhalt"));
    EXPECT_EQ(dir.read(QStringLiteral("b.txt")), QByteArray("anderes"));
    EXPECT_FALSE(imKatalog().contains(a));
}

TEST_F(Treiber, AFileWithoutARecordRemovesNothing)
{
    const QString fremd = dir.write(QStringLiteral("fremd.txt"), "f");
    zeige(dir.path() + u'/', QStringLiteral("fremd.txt"), dir.filePath(QStringLiteral("fremd2.txt")));
    Aktion_ausfuehren(monitor, Kopieren, db, &katalog.Katalog);
    EXPECT_EQ(imKatalog().size(), 3);
    EXPECT_EQ(aktionen(db)[3], QStringLiteral("Kopiert"));
    EXPECT_TRUE(QFile::exists(fremd));
}
