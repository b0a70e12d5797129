#include "catalogue/KatalogLogik.h"
#include "platform/FolderListing.h"
#include "support/FakeKatalogAnsicht.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <tuple>

using tw::catalogue::KatalogLogik;
using tw::catalogue::Pfad_suchen;
using tw::platform::ShellItem;
using tw::test::FakeKatalogAnsicht;

namespace {

ShellItem datei(const QString& pfad, const QString& typ = u8("JPEG-Bild"),
                const QDateTime& zeit = QDateTime(QDate(2026, 12, 1), QTime(12, 0)))
{
    return ShellItem{pfad, pfad.section(u'/', -1), typ, 1000, zeit};
}

class Katalog : public ::testing::Test
{
protected:
    QString uebernimm(const QList<ShellItem>& items)
    {
        logik.Explorerauswahl = tw::platform::ShellItems::fromItems(items);
        return logik.uebernehmen();
    }
    void uebernimm(std::initializer_list<const char*> pfade)
    {
        QList<ShellItem> items;
        for (const char* p : pfade)
            items.append(datei(u8(p)));
        uebernimm(items);
    }
    // A field of one file's record; null when the file has none.
    QString feld(const char* pfad, QStringView name)
    {
        return Pfad_suchen(logik.Katalog, u8(pfad)) ? logik.Katalog.text(name) : QString();
    }
    int gesamt()
    {
        EXPECT_TRUE(logik.Katalog.setFilter(QString()));
        return logik.Katalog.RecordCount();
    }

    FakeKatalogAnsicht ansicht;
    KatalogLogik logik{ansicht};
};

} // namespace

TEST_F(Katalog, TakeOverSkipsFoldersUnknownTypesAndNamesWithoutAnExtension)
{
    // path, type (none: as the browser names it), extension in the catalogue (none: skipped)
    const std::tuple<const char*, const char*, const char*> faelle[] = {
        {"/b/Urlaub", "Dateiordner", nullptr},    {"/b/Alt.x", "Ordner", nullptr},
        {"/b/geheim.bin", "Datei", nullptr},      {"/b/README", "Textdokument", nullptr},
        {"/x.y/readme", "Textdokument", nullptr}, {"/b/archiv.tar.gz", "Gzip-Archiv", "gz"},
        {"/b/a.jpg", "dateiordner", "jpg"},       {"/h/.bashrc", nullptr, "bashrc"}};
    QList<ShellItem> items;
    for (const auto& [pfad, typ, endung] : faelle)
        items.append(
            datei(u8(pfad), typ ? u8(typ) : tw::platform::shellTypeFor(u8(pfad).section(u'/', -1), false)));
    EXPECT_EQ(uebernimm(items), QString()) << "these rules leave files out without a word";
    for (const auto& [pfad, typ, endung] : faelle)
        EXPECT_EQ(feld(pfad, u"Endung"), endung ? u8(endung) : QString()) << pfad;
    EXPECT_EQ(feld("/b/archiv.tar.gz", u"ID"), u8("1000"));
}

TEST_F(Katalog, FilesLeftOutForAReasonTheUserCannotSeeAreNamedOnceAfterTheTakeOver)
{
    // Items the browser read after their file had gone come without a time of last change.
    tw::test::TempDir dir;
    QList<ShellItem> items{datei(u8("/b/b\uFFFDd.jpg")),
                           {dir.write(u8("da.jpg")), u8("da.jpg"), u8("JPEG-Bild"), 0, {}}};
    for (int i = 0; i < 6; ++i)
        items.append({dir.filePath(u8("weg%1.jpg").arg(i)), u8("weg.jpg"), u8("JPEG-Bild"), 0, {}});
    EXPECT_EQ(uebernimm(items).remove(dir.path()),
              u8("7 Dateien wurden nicht übernommen.\n\n"
                 "Der Name ist kein gültiges UTF-8 und ließe sich nicht unverfälscht umbenennen:\n"
                 "    /b/b\uFFFDd.jpg\n"
                 "Die Datei ist seit der Auswahl nicht mehr vorhanden:\n"
                 "    /weg0.jpg\n    /weg1.jpg\n    /weg2.jpg\n    /weg3.jpg\n    /weg4.jpg\n"
                 "    … und 1 weitere"));
    EXPECT_EQ(std::pair(gesamt(), ansicht.anzahl()), std::pair(1, u8("Es wurden 1 Dateien übernommen")));
}

TEST_F(Katalog, DuplicatesAreFoundWithoutRegardToCaseAndTheCountTextsFollowEachOther)
{
    uebernimm({"/a/b.txt.bak", "/a/c.txt"});
    EXPECT_EQ(ansicht.anzahlTexte, u8s({"Es wurden 2 Files übernommen", "Es wurden 2 Dateien übernommen"}));
    uebernimm({"/a/b.txt", "/A/C.TXT"});
    EXPECT_EQ(gesamt(), 3) << "b.txt is new beside b.txt.bak; C.TXT is c.txt";
    uebernimm({"/a/b.txt", "/a/b.txt.bak", "/a/c.txt"});
    EXPECT_EQ(gesamt(), 3) << "the same selection a second time adds nothing";
    EXPECT_EQ(ansicht.anzahlTexte.mid(4),
              u8s({"Es wurden 3 Files übernommen", "Es wurden 3 Dateien übernommen"}));

    ansicht.anzahlTexte.clear();
    logik.Stichwort_eingegeben(u8("nirgends"));
    uebernimm({"/g/4.jpg"});
    EXPECT_EQ(ansicht.anzahlTexte, u8s({"Es wurden 4 Files übernommen"})) << "an empty view keeps the label";
    EXPECT_TRUE(ansicht.liste.isEmpty() && ansicht.combo.isEmpty());
}

TEST_F(Katalog, ClicksWhileATakeOverRunsNeitherRepeatNorRemoveNorChangeItsSelection)
{
    QList<ShellItem> items;
    for (int i = 0; i < 50; ++i)
        items.append(datei(u8("/n/%1.jpg").arg(i)));
    uebernimm(items.mid(0, 10));
    logik.Explorerauswahl = tw::platform::ShellItems::fromItems(items);
    // Window messages run as the take-over begins.
    ansicht.beiNachricht = [&](int n) {
        if (n != 2)
            return;
        logik.uebernehmen(); // a second click on the take-over
        ansicht.markiereAlle();
        logik.Sub_Loeschen();
        logik.Explorerauswahl = tw::platform::ShellItems::fromItems(items.mid(0, 5)); // a poll
    };
    logik.uebernehmen();
    EXPECT_EQ(std::tuple(gesamt(), ansicht.liste.size(), logik.uebernahmeLaeuft()),
              std::tuple(50, 50, false));
}

TEST_F(Katalog, CombosCountEveryExtensionWholeOverTheWholeTableUnderItsFirstSpelling)
{
    uebernimm({datei(u8("/d/A.TXT"), u8("Textdokument")), datei(u8("/d/b.txt"), u8("Klartext")),
               datei(u8("/d/brief.docx"), u8("Word 2007")), datei(u8("/d/alt.doc"), u8("Word 97"))});
    EXPECT_EQ(logik.Endungsliste, u8("TXT§$§docx§$§doc§$§"));
    EXPECT_EQ(ansicht.combo,
              u8s({"TXT ---- 2 ---- Textdokument", "docx ---- 1 ---- Word 2007", "doc ---- 1 ---- Word 97"}));

    // The combo counts over the whole table even while the list shows one extension.
    logik.Go_Click(u8("brief"));
    EXPECT_EQ(std::pair(ansicht.liste, ansicht.combo.size()),
              std::pair(u8s({"/d/brief.docx"}), qsizetype(3)));

    // An extension whose records are all gone keeps its place in the list but gets no entry.
    logik.Command5_Click();
    ansicht.markiert = {2};
    logik.Sub_Loeschen();
    EXPECT_EQ(logik.Endungsliste, u8("TXT§$§docx§$§doc§$§"));
    EXPECT_EQ(ansicht.combo, u8s({"TXT ---- 2 ---- Textdokument", "doc ---- 1 ---- Word 97"}));

    // Extensions with asterisks count only themselves.
    ansicht.markiereAlle();
    logik.Sub_Loeschen();
    uebernimm({datei(u8("/s/a.x*"), u8("X-Datei")), datei(u8("/s/b.xls"), u8("Tabelle")),
               datei(u8("/s/c.*"), u8("Stern"))});
    EXPECT_EQ(ansicht.combo,
              u8s({"x* ---- 1 ---- X-Datei", "xls ---- 1 ---- Tabelle", "* ---- 1 ---- Stern"}));
    ansicht.comboEdit = ansicht.combo[0];
    logik.Combo1_Click();
    EXPECT_EQ(ansicht.liste, u8s({"/s/a.x*"})) << "not xls";
}

TEST_F(Katalog, KeywordAndExtensionNarrowTheListAndShowAllWidensIt)
{
    uebernimm({"/m/urlaub/a.jpg", "/m/urlaub/b.png", "/m/Arbeit/c.jpg", "/m/URLAUB2/d.JPG"});
    logik.Go_Click(u8("Stichwortsuche"));
    EXPECT_EQ(ansicht.liste.size(), 4) << "the placeholder filters nothing";

    logik.Go_Click(u8("urlaub"));
    EXPECT_EQ(ansicht.liste, u8s({"/m/urlaub/a.jpg", "/m/urlaub/b.png", "/m/URLAUB2/d.JPG"}));
    ansicht.comboEdit = u8("jpg ---- 3 ---- JPEG-Bild");
    logik.Combo1_Click();
    EXPECT_EQ(ansicht.liste, u8s({"/m/urlaub/a.jpg", "/m/URLAUB2/d.JPG"}));
    EXPECT_EQ(std::pair(ansicht.comboEdit, ansicht.fokus), std::pair(u8("jpg ---- 3 ---- JPEG-Bild"), 1))
        << "the choice is shown again, the list has the focus";
    EXPECT_EQ(logik.Katalog.Filter(), u8("Pfad Like '*urlaub*' and Endung= 'jpg'"))
        << "a combo choice leaves the table filtered by the view";

    logik.Go_Click(u8("Bob's"));
    EXPECT_TRUE(ansicht.liste.isEmpty() && ansicht.combo.isEmpty())
        << "an apostrophe in the keyword empties both lists";

    logik.Command5_Click();
    EXPECT_EQ(std::tuple(ansicht.liste.size(), ansicht.stichwort, ansicht.comboEdit),
              std::tuple(4, u8("Stichwortsuche"), u8("Endung - Anwendung")));

    // The removal takes exactly the marked entries of the list as shown.
    logik.Stichwort_eingegeben(u8("urlaub")); // typed, not yet applied
    ansicht.markiert = {0, 2};
    logik.Sub_Loeschen();
    EXPECT_EQ(std::pair(ansicht.liste, ansicht.anzahl()),
              std::pair(u8s({"/m/urlaub/b.png", "/m/URLAUB2/d.JPG"}), u8("Es wurden 2 Files ausgewählt")));
    logik.Option1_Click(1);
    EXPECT_EQ(ansicht.liste, u8s({"b.png", "d.JPG"})) << "display names";
    ansicht.markiert = {0};
    logik.Datumtipp();
    EXPECT_EQ(ansicht.tipp, u8("12:00:00"));
    logik.Sub_Loeschen();
    EXPECT_EQ(ansicht.liste, u8s({"d.JPG"}));
    ansicht.markiereAlle();
    logik.Sub_Loeschen();
    EXPECT_EQ(std::pair(gesamt(), ansicht.anzahl()), std::pair(0, u8("Es wurden 0 Files ausgewählt")));
}

// A take-over shows the table in the order of its records again; an unknown option keeps the sort.
TEST_F(Katalog, SortsByNameWithoutRegardToCaseFolderTypeAndTimeOfDayUntilTheNextTakeOver)
{
    uebernimm({datei(u8("/z/B.jpg"), u8("JPEG-Bild"), QDateTime(QDate(2026, 12, 1), QTime(10, 0))),
               datei(u8("/a/c.png"), u8("PNG-Bild"), QDateTime(QDate(2026, 12, 3), QTime(9, 0))),
               datei(u8("/m/a.txt"), u8("Klartext"), QDateTime(QDate(2026, 11, 1), QTime(23, 0)))});
    for (const auto& [option, liste] : std::initializer_list<std::pair<int, QStringList>>{
             {2, u8s({"/m/a.txt", "/z/B.jpg", "/a/c.png"})},
             {3, u8s({"/a/c.png", "/m/a.txt", "/z/B.jpg"})},
             {4, u8s({"/z/B.jpg", "/m/a.txt", "/a/c.png"})},
             {7, u8s({"/a/c.png", "/z/B.jpg", "/m/a.txt"})}, // 09:00 on a later day first
             {5, u8s({"/a/c.png", "/z/B.jpg", "/m/a.txt"})}}) {
        ansicht.comboEdit = u8("gewählt");
        logik.Option1_Click(option);
        EXPECT_EQ(std::pair(ansicht.liste, ansicht.comboEdit), std::pair(liste, QString())) << option;
    }
    uebernimm({"/s/d.jpg"});
    EXPECT_EQ(ansicht.liste, u8s({"/z/B.jpg", "/a/c.png", "/m/a.txt", "/s/d.jpg"}));
    ansicht.comboEdit = u8("gewählt");
    logik.Go_Click(u8("s"));
    EXPECT_EQ(ansicht.comboEdit, u8("gewählt")) << "Go keeps the combo text";
}

TEST_F(Katalog, DateTipAndRemovalTakeTheExactRecordNotANeighbourSortedFirst)
{
    const auto um = [](int stunde) { return QDateTime(QDate(2026, 1, 1), QTime(stunde, 0)); };
    uebernimm({datei(u8("/t/Bob's/x.txt.old"), u8("Alt"), um(1)), datei(u8("/t/alt.txt"), u8("Text"), um(2)),
               datei(u8("/t/Bob's/x.txt"), u8("Text"), um(3)),
               datei(u8("/t/Bob's/Ann's x.txt"), u8("Text"), um(4)),
               datei(u8("/t/alt.txt*"), u8("Text"), um(5))});
    ansicht.markiert = {0, 1};
    logik.Datumtipp();
    EXPECT_TRUE(ansicht.tipp.isEmpty()) << "no tip for two marked entries";

    for (const auto& [pfad, zeit] :
         std::initializer_list<std::pair<const char*, const char*>>{{"/t/Bob's/x.txt", "03:00:00"},
                                                                    {"/t/alt.txt*", "05:00:00"},
                                                                    {"/t/Bob's/Ann's x.txt", "04:00:00"}}) {
        ansicht.markiert = {static_cast<int>(ansicht.liste.indexOf(u8(pfad)))};
        logik.Datumtipp();
        EXPECT_EQ(ansicht.tipp, u8(zeit)) << pfad;
        const qsizetype vorher = ansicht.liste.size();
        logik.Sub_Loeschen();
        EXPECT_TRUE(!ansicht.liste.contains(u8(pfad)) && ansicht.liste.size() == vorher - 1) << pfad;
    }
}
