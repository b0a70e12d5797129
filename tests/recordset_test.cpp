#include "platform/RecordSet.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <random>

using tw::platform::RecordSet;
namespace adType = tw::platform::adType;

namespace {

void add(RecordSet& rs, const QString& pfad)
{
    EXPECT_TRUE(rs.AddNew());
    EXPECT_TRUE(rs.setValue(u"Pfad", pfad));
    EXPECT_TRUE(rs.setValue(u"Endung", pfad.section(u'.', -1)));
    EXPECT_TRUE(rs.Update());
}

RecordSet katalog(const QStringList& pfade = u8s({"/home/u/Bilder/a.jpg", "/home/u/x/Bilder-alt.png",
                                                  "/media/urlaub/BILDER/b.GIF", "/media/urlaub/strand.JPG",
                                                  "/media/urlaub/strand.jpeg", "/tmp/t/Bob's/x.txt",
                                                  "/tmp/t/Bob's/x.txt.old", "/tmp/t/a.txt",
                                                  "/tmp/t/a.txt.bak", "/tmp/t/50% rabatt.pdf",
                                                  "/tmp/t/50 x.pdf"}))
{
    RecordSet rs;
    EXPECT_TRUE(rs.Append(u8("Pfad"), adType::VarWChar, 1000));
    EXPECT_TRUE(rs.Append(u8("Endung"), adType::VarWChar, 100));
    EXPECT_FALSE(rs.Append(u8("PFAD"), adType::VarWChar, 10).ok()) << "names ignore case";
    EXPECT_TRUE(rs.Open());
    for (const QString& pfad : pfade)
        add(rs, pfad);
    return rs;
}

QStringList visible(RecordSet& rs)
{
    QStringList out;
    for (rs.toFirst(); !rs.Eof(); rs.toNext())
        out << rs.text(u"Pfad");
    return out;
}

} // namespace

// The first visible record is current after a filter; an empty view has none. A sort set before the filter
// stays in force, descending and case-blind, equal keys in order of adding: the catalogue's and the
// journal's orders rely on that.
TEST(RecordSetFilter, TextsShowExactlyTheMatchingRecordsFromTheFirstOn)
{
    for (const auto& [filter, expected, sort] :
         std::initializer_list<std::tuple<const char*, QStringList, const char*>>{
             {"Endung= 'txt'", u8s({"/tmp/t/Bob's/x.txt", "/tmp/t/a.txt"}), "Pfad Desc"},
             {"",
              u8s({"/tmp/t/Bob's/x.txt", "/tmp/t/a.txt", "/home/u/x/Bilder-alt.png", "/tmp/t/50% rabatt.pdf",
                   "/tmp/t/50 x.pdf", "/tmp/t/Bob's/x.txt.old", "/home/u/Bilder/a.jpg",
                   "/media/urlaub/strand.JPG", "/media/urlaub/strand.jpeg", "/media/urlaub/BILDER/b.GIF",
                   "/tmp/t/a.txt.bak"}),
              "Endung Desc"},
             {"Pfad Like '*bilder*'",
              u8s({"/home/u/Bilder/a.jpg", "/home/u/x/Bilder-alt.png", "/media/urlaub/BILDER/b.GIF"}), ""},
             {"Endung= 'JPG'", u8s({"/home/u/Bilder/a.jpg", "/media/urlaub/strand.JPG"}), ""},
             {"Pfad Like '/TMP/T/A.TXT'", u8s({"/tmp/t/a.txt"}), ""}, // no asterisk: equality, not a.txt.bak
             {"Pfad= '/tmp/t/Bob''s/x.txt'", u8s({"/tmp/t/Bob's/x.txt"}), ""},
             {"Pfad Like '*50%*'", u8s({"/tmp/t/50% rabatt.pdf"}), ""},
             {"Pfad Like '*a*txt*'", {}, ""}, // an inner asterisk is an ordinary character
             {"pfad LIKE '*URLAUB*' AND endung= 'jpeg'", u8s({"/media/urlaub/strand.jpeg"}), ""},
             {"Pfad Like '*s and t*'", {}, ""}}) {
        SCOPED_TRACE(filter);
        RecordSet rs = katalog();
        ASSERT_TRUE(rs.setSort(u8(sort)).ok());
        ASSERT_TRUE(rs.setFilter(u8(filter)).ok());
        EXPECT_EQ(std::pair(rs.value(u"Pfad").ok(), rs.text(u"Pfad")),
                  std::pair(!expected.isEmpty(), expected.value(0)));
        EXPECT_EQ(rs.MoveFirst().ok(), !expected.isEmpty());
        EXPECT_EQ(std::pair(visible(rs), qsizetype(rs.RecordCount())), std::pair(expected, expected.size()));
    }
}

// The index finds what the filter's case-blind comparison matches, beyond ASCII too.
TEST(RecordSetFilter, CaseVariantsShareTheirIndexKey)
{
    using tw::platform::FoldedText;
    for (const auto& [a, b] : {std::pair(u8("/Ärger/Straße.JPG"), u8("/äRGER/STRAßE.jpg")),
                               std::pair(u8("\U00010400x"), u8("\U00010428X"))})
        EXPECT_TRUE(FoldedText{a} == FoldedText{b} && qHash(FoldedText{a}, 7) == qHash(FoldedText{b}, 7));
    EXPECT_FALSE(FoldedText{u8("a.jpg")} == FoldedText{u8("a.jpeg")});
}

TEST(RecordSetFilter, UnreadableFiltersAndSortsAreRefusedAndTheOldOneStays)
{
    RecordSet rs = katalog();
    ASSERT_TRUE(rs.setFilter(u8("Endung= 'pdf'")).ok());
    for (const char* bad :
         {"Pfad Like '/tmp/t/Bob's/x.txt'", "Pfad Like '*x*' or Endung= 'y'", "Gibtsnicht= 'a'",
          "Pfad Like *x*", "Pfad Like '*x*' and", "Pfad Like '*x", "Pfad 'x'", "= 'x'"}) {
        const auto r = rs.setFilter(QString::fromUtf8(bad));
        EXPECT_EQ(std::tuple(r.ok(), r.message().isEmpty(), rs.Filter(), rs.RecordCount()),
                  std::tuple(false, false, u8("Endung= 'pdf'"), 2))
            << bad;
    }
    for (const char* bad : {"Nix Asc", "Pfad Aufwaerts", "Pfad Asc Desc"})
        EXPECT_FALSE(rs.setSort(QString::fromUtf8(bad)).ok()) << bad;
    EXPECT_TRUE(rs.Sort().isEmpty());
}

// As the rename run removes the records it has processed: Delete, then MoveNext to the next.
TEST(RecordSetDelete, DeletedRecordsLeaveTheFilteredViewAtOnce)
{
    RecordSet rs = katalog();
    ASSERT_TRUE(rs.setFilter(u8("Pfad Like '*t/*'")).ok());
    ASSERT_EQ(rs.RecordCount(), 6);
    EXPECT_TRUE(rs.MoveNext());
    ASSERT_TRUE(rs.Delete().ok()); // Bob's/x.txt.old
    EXPECT_EQ(std::pair(rs.value(u"Pfad").ok(), rs.RecordCount()), std::pair(false, 5))
        << "a deleted record cannot be read";
    for (rs.toNext(); !rs.Eof(); rs.toNext())
        if (rs.text(u"Endung") != u8("pdf")) {
            ASSERT_TRUE(rs.Delete().ok());
        }
    EXPECT_EQ(visible(rs), u8s({"/tmp/t/Bob's/x.txt", "/tmp/t/50% rabatt.pdf", "/tmp/t/50 x.pdf"}));
    EXPECT_EQ(rs.setFilter(QString()).ok() ? rs.RecordCount() : -1, 8);

    // By exact path, as the run removes each file it processed: neither a case variant nor a longer path
    // goes, and a record added afterwards is current.
    EXPECT_FALSE(rs.deleteExact(u"Pfad", u8("/tmp/t/BOB'S/x.txt")));
    EXPECT_TRUE(rs.deleteExact(u"Pfad", u8("/tmp/t/Bob's/x.txt")));
    EXPECT_FALSE(rs.deleteExact(u"Pfad", u8("/tmp/t/Bob's/x.txt")));
    EXPECT_TRUE(rs.deleteExact(u"Pfad", u8("/home/u/Bilder/a.jpg")));
    // Field names ignore case, and a value longer than the defined size is kept whole: a long file name
    // must not be cut.
    const QString lang = u8("/tmp/t/") + QString(3000, u'x') + u8(".txt");
    ASSERT_TRUE(rs.AddNew());
    EXPECT_FALSE(rs.setValue(u"Gibtsnicht", u8("x")).ok());
    EXPECT_TRUE(rs.setValue(u"pFaD", lang));
    EXPECT_TRUE(rs.Update());
    EXPECT_EQ(std::pair(rs.text(u"PFAD"), rs.RecordCount()), std::pair(lang, 7));
    ASSERT_TRUE(rs.setSort(u8("Pfad DESC")).ok());
    EXPECT_TRUE(rs.deleteExact(u"Pfad", lang));
    EXPECT_EQ(std::pair(visible(rs).first(), rs.RecordCount()), std::pair(u8("/tmp/t/50% rabatt.pdf"), 6));
    ASSERT_TRUE(rs.setSort(QString()).ok());
    EXPECT_EQ(visible(rs).first(), u8("/home/u/x/Bilder-alt.png")) << "order of adding";
}

// The exact-match filter is answered from an index; it must agree with a plain scan through adds
// and deletes.
TEST(RecordSetIndex, ExactLookupsAgreeWithAScanThroughChanges)
{
    std::mt19937 rng(7);
    RecordSet rs = katalog({});
    QStringList live; // Pfad of each live record, in order of adding
    auto pathOf = [](unsigned n) { return u8("/d%1/Datei%2.TXT").arg(n % 5).arg(n % 40); };
    for (int step = 0; step < 1500; ++step) {
        const unsigned r = rng();
        if (r % 3 != 0 || live.isEmpty()) {
            add(rs, pathOf(r));
            live << pathOf(r);
            continue;
        }
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
    for (unsigned n = 0; n < 40; ++n)
        EXPECT_EQ(rs.setFilter(u8("Pfad= '%1'").arg(pathOf(n))).ok() ? rs.RecordCount() : -1,
                  live.count(pathOf(n)));
}
