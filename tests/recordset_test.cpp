#include "platform/RecordSet.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <random>

using tw::platform::RecordSet;
namespace adType = tw::platform::adType;

namespace {

struct Datei
{
    const char* pfad;
    const char* endung;
};

// A catalogue-shaped set with Pfad, Name and Endung.
RecordSet katalog(std::initializer_list<Datei> dateien)
{
    RecordSet rs;
    EXPECT_TRUE(rs.Append(u8("Pfad"), adType::VarWChar, 1000));
    EXPECT_TRUE(rs.Append(u8("Name"), adType::VarWChar, 100));
    EXPECT_TRUE(rs.Append(u8("Endung"), adType::VarWChar, 100));
    EXPECT_TRUE(rs.Open());
    for (const Datei& d : dateien) {
        const QString pfad = QString::fromUtf8(d.pfad);
        EXPECT_TRUE(rs.AddNew());
        EXPECT_TRUE(rs.setValue(u"Pfad", pfad));
        EXPECT_TRUE(rs.setValue(u"Name", pfad.section(u'/', -1)));
        EXPECT_TRUE(rs.setValue(u"Endung", QString::fromUtf8(d.endung)));
        EXPECT_TRUE(rs.Update());
    }
    return rs;
}

QStringList visible(RecordSet& rs, QStringView field = u"Pfad")
{
    QStringList out;
    if (!rs.MoveFirst())
        return out;
    while (!rs.Eof()) {
        out << rs.text(field);
        EXPECT_TRUE(rs.MoveNext());
    }
    return out;
}

struct FilterCase
{
    const char* name;
    const char* filter;
    QStringList expected;
};

RecordSet filterTable()
{
    return katalog({
        {"/home/u/Bilder/a.jpg", "jpg"},
        {"/home/u/x/Bilder-alt.png", "png"},
        {"/media/urlaub/BILDER/b.GIF", "GIF"},
        {"/media/urlaub/strand.JPG", "JPG"},
        {"/media/urlaub/strand.jpeg", "jpeg"},
        {"/tmp/t/Bob's/x.txt", "txt"},
        {"/tmp/t/Bob's/x.txt.old", "old"},
        {"/tmp/t/a.txt", "txt"},
        {"/tmp/t/a.txt.bak", "bak"},
        {"/tmp/t/50% rabatt.pdf", "pdf"},
        {"/tmp/t/50 x.pdf", "pdf"},
    });
}

} // namespace

TEST(RecordSetFilter, TextsShowExactlyTheMatchingRecords)
{
    RecordSet alle = filterTable();
    const QStringList alles = visible(alle);
    ASSERT_EQ(alles.size(), 11);
    for (const FilterCase& c :
         {FilterCase{"EmptyShowsAll", "", alles},
          FilterCase{"KeywordIgnoresCase", "Pfad Like '*bilder*'",
                     u8s({"/home/u/Bilder/a.jpg", "/home/u/x/Bilder-alt.png", "/media/urlaub/BILDER/b.GIF"})},
          FilterCase{"KeywordAndExtension", "Pfad Like '*urlaub*' and Endung= 'jpg'",
                     u8s({"/media/urlaub/strand.JPG"})},
          FilterCase{"ExtensionOnlyIsWholeValue", "Endung= 'JPG'",
                     u8s({"/home/u/Bilder/a.jpg", "/media/urlaub/strand.JPG"})},
          FilterCase{"LikeWithoutAsteriskIsEquality", "Endung Like 'txt'",
                     u8s({"/tmp/t/Bob's/x.txt", "/tmp/t/a.txt"})},
          FilterCase{"ExactPathDoesNotMatchLongerPath", "Pfad Like '/TMP/T/A.TXT'", u8s({"/tmp/t/a.txt"})},
          FilterCase{"TwoPartApostropheFilter", "Pfad Like '*/tmp/t/Bob*' and Pfad like '*s/x.txt*'",
                     u8s({"/tmp/t/Bob's/x.txt", "/tmp/t/Bob's/x.txt.old"})},
          FilterCase{"DoubledApostropheIsOne", "Pfad= '/tmp/t/Bob''s/x.txt'", u8s({"/tmp/t/Bob's/x.txt"})},
          FilterCase{"PercentIsOrdinary", "Pfad Like '*50%*'", u8s({"/tmp/t/50% rabatt.pdf"})},
          FilterCase{"InnerAsteriskIsOrdinary", "Pfad Like '*a*txt*'", QStringList()},
          FilterCase{"FieldNamesAndKeywordsIgnoreCase", "pfad LIKE '*URLAUB*' AND endung= 'jpeg'",
                     u8s({"/media/urlaub/strand.jpeg"})},
          FilterCase{"AndInsideValueIsText", "Pfad Like '*s and t*'", QStringList()}}) {
        RecordSet rs = filterTable();
        ASSERT_TRUE(rs.setFilter(u8(c.filter)).ok()) << c.name;
        EXPECT_EQ(visible(rs), c.expected) << c.name;
        EXPECT_EQ(rs.RecordCount(), c.expected.size()) << c.name;
    }
}

TEST(RecordSetFilter, UnreadableFiltersAndSortsAreRefusedAndTheOldOneStays)
{
    RecordSet rs = filterTable();
    ASSERT_TRUE(rs.setFilter(u8("Endung= 'pdf'")).ok());
    for (const char* bad : {"Pfad Like '/tmp/t/Bob's/x.txt'", "Pfad Like '*x*' or Endung= 'y'",
                            "Gibtsnicht= 'a'", "Pfad Like *x*", "Pfad Like '*x*' and", "Pfad Like '*x",
                            "Pfad 'x'", "= 'x'", "Pfad Like '*x*' Endung= 'y'", "Pfad Like '*Bob's*'"}) {
        const auto r = rs.setFilter(QString::fromUtf8(bad));
        EXPECT_FALSE(r.ok()) << bad;
        EXPECT_FALSE(r.message().isEmpty());
        EXPECT_EQ(rs.Filter(), u8("Endung= 'pdf'"));
        EXPECT_EQ(rs.RecordCount(), 2) << bad;
    }
    for (const char* bad : {"Nix Asc", "Pfad Aufwaerts", "Pfad Asc Desc"})
        EXPECT_FALSE(rs.setSort(QString::fromUtf8(bad)).ok()) << bad;
    EXPECT_TRUE(rs.Sort().isEmpty());
}

TEST(RecordSetNavigation, AFilterMakesTheFirstVisibleCurrentAndAnEmptyViewHasNone)
{
    RecordSet rs = filterTable();
    ASSERT_TRUE(rs.setFilter(u8("Endung= 'pdf'")).ok());
    EXPECT_EQ(rs.text(u"Pfad"), u8("/tmp/t/50% rabatt.pdf"));
    EXPECT_TRUE(rs.setFilter(u8("Endung= 'doc'")));
    EXPECT_FALSE(rs.MoveFirst().ok());
    EXPECT_TRUE(rs.Eof());
    EXPECT_FALSE(rs.value(u"Pfad").ok());
    EXPECT_TRUE(rs.text(u"Pfad").isEmpty());
}

// As the rename run removes the records it has processed: Delete, then MoveNext to the next.
TEST(RecordSetDelete, DeletedRecordsLeaveTheFilteredViewAtOnce)
{
    RecordSet rs = filterTable();
    ASSERT_TRUE(rs.setFilter(u8("Pfad Like '*t/*'")).ok());
    ASSERT_EQ(rs.RecordCount(), 6);
    EXPECT_TRUE(rs.MoveNext());
    ASSERT_TRUE(rs.Delete().ok()); // Bob's/x.txt.old
    EXPECT_FALSE(rs.value(u"Pfad").ok()) << "a deleted record cannot be read";
    EXPECT_EQ(rs.RecordCount(), 5);
    for (rs.toNext(); !rs.Eof(); rs.toNext()) {
        if (rs.text(u"Endung") != u8("pdf")) {
            ASSERT_TRUE(rs.Delete().ok());
        }
    }
    EXPECT_EQ(visible(rs), u8s({"/tmp/t/Bob's/x.txt", "/tmp/t/50% rabatt.pdf", "/tmp/t/50 x.pdf"}));
    EXPECT_TRUE(rs.setFilter(QString()));
    EXPECT_EQ(rs.RecordCount(), 8);
}

// The orders the program uses are the catalogue's and the journal's; here what they rely on.
TEST(RecordSetSort, DescendingAndEqualKeysInOrderOfAddingAndAFilterKeepsTheSort)
{
    RecordSet rs = filterTable();
    EXPECT_TRUE(rs.setSort(u8("Pfad Desc")));
    EXPECT_TRUE(rs.setFilter(u8("Endung= 'txt'")));
    EXPECT_EQ(visible(rs), u8s({"/tmp/t/Bob's/x.txt", "/tmp/t/a.txt"}));
    EXPECT_TRUE(rs.setSort(u8("Endung Desc")));
    EXPECT_TRUE(rs.setFilter(u8("Endung= 'pdf'")));
    EXPECT_EQ(visible(rs), u8s({"/tmp/t/50% rabatt.pdf", "/tmp/t/50 x.pdf"}));
    EXPECT_TRUE(rs.setFilter(QString()));
    EXPECT_EQ(rs.Sort(), u8("Endung Desc"));
    EXPECT_EQ(visible(rs).mid(0, 3), u8s({"/tmp/t/Bob's/x.txt", "/tmp/t/a.txt", "/home/u/x/Bilder-alt.png"}));
    ASSERT_TRUE(rs.setSort(QString()).ok());
    EXPECT_EQ(visible(rs).first(), u8("/home/u/Bilder/a.jpg")) << "order of adding";
}

TEST(RecordSetFields, DefinitionsAndAssignmentRules)
{
    RecordSet rs;
    ASSERT_TRUE(rs.Append(u8("Pfad"), adType::VarWChar, 1000).ok());
    EXPECT_FALSE(rs.Append(u8("PFAD"), adType::VarWChar, 10).ok()) << "names ignore case";
    ASSERT_TRUE(rs.Open().ok());
    EXPECT_TRUE(rs.AddNew());
    EXPECT_FALSE(rs.setValue(u"Gibtsnicht", u8("x")).ok());
    // A value longer than the defined size is kept whole: a long file name must not be cut.
    EXPECT_TRUE(rs.setValue(u"pFaD", QString(3000, u'x')));
    EXPECT_TRUE(rs.Update());
    EXPECT_EQ(rs.text(u"PFAD").size(), 3000);
}

// The exact-match filter is answered from an index; it must agree with a plain scan through adds,
// deletes and edits.
TEST(RecordSetIndex, ExactLookupsAgreeWithAScanThroughChanges)
{
    std::mt19937 rng(7);
    RecordSet rs = katalog({});
    QStringList live; // Pfad of each live record, in order of adding
    auto pathOf = [](unsigned n) { return u8("/d%1/Datei%2.TXT").arg(n % 5).arg(n % 40); };
    for (int step = 0; step < 1500; ++step) {
        const unsigned r = rng();
        if (r % 3 != 0 || live.isEmpty()) {
            EXPECT_TRUE(rs.AddNew());
            EXPECT_TRUE(rs.setValue(u"Pfad", pathOf(r)));
            EXPECT_TRUE(rs.Update());
            live << pathOf(r);
        } else {
            const QString target = live[static_cast<int>(r % live.size())];
            const QString probe = (r & 8) ? target.toLower() : target;
            ASSERT_TRUE(rs.setFilter(u8("Pfad Like '%1'").arg(probe)).ok());
            ASSERT_EQ(rs.RecordCount(), live.count(target)) << probe.toStdString();
            EXPECT_TRUE(rs.MoveFirst());
            ASSERT_EQ(rs.text(u"Pfad"), target);
            EXPECT_TRUE(rs.Delete());
            live.removeAt(live.indexOf(target));
            EXPECT_TRUE(rs.setFilter(QString()));
        }
    }
    for (unsigned n = 0; n < 40; ++n) {
        EXPECT_TRUE(rs.setFilter(u8("Pfad= '%1'").arg(pathOf(n))));
        EXPECT_EQ(rs.RecordCount(), live.count(pathOf(n)));
    }
}
