#include "rename/Namensbauer.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tw::rename;

namespace {

QString m(const char* text)
{
    return QString::fromUtf8(text);
}

// The counter texts as the names carry them, for each step of a run over the pattern.
QStringList namen(const QString& muster, int breite, int schritte)
{
    Zaehlwerk z;
    z.Zaehler(muster);
    QStringList out;
    for (int i = 0; i < schritte; ++i) {
        z.Umbenennen(breite);
        const QString name = Neuen_Pfad_erstellen(QStringLiteral("/f/a.jpg"), muster, z, Ursprungsfad).neuerName;
        out << name.chopped(4);
    }
    return out;
}

} // namespace

TEST(Namensbauer, InsertingACounterAndThePlaceholder)
{
    EXPECT_EQ(zaehlerEinfuegen(m("Bild_"), m("0"), m("25"), true), m("Bild_©00 - 25©"));
    EXPECT_EQ(zaehlerEinfuegen(m("Bild_"), m("0"), m("25"), false), m("Bild_©0 - 25©"));
    EXPECT_EQ(zaehlerEinfuegen(m(""), m("1234"), m("99"), true), m("©1234 - 99©")) << "a longer start stays";
    EXPECT_EQ(nameEinfuegen(m("x")), m("x® Urspungsdatei ®"));
}

TEST(Namensbauer, NamesAndPathsOfAnEntry)
{
    Zaehlwerk z;
    z.Zaehler(m("®x® Nr ©00 - 25©"));
    z.Zaehlerstand = QStringList{m("07")};
    const NeuerName n = Neuen_Pfad_erstellen(m("/Fotos/urlaub.2019.jpg"), m("®x® Nr ©00 - 25©"), z, Ursprungsfad);
    EXPECT_EQ(n.alterOrdner, m("/Fotos/"));
    EXPECT_EQ(n.alterName, m("urlaub.2019.jpg"));
    EXPECT_EQ(n.basisname, m("urlaub.2019"));
    EXPECT_EQ(n.endung, m("jpg"));
    EXPECT_EQ(n.neuerName, m("urlaub.2019 Nr 07.jpg"));
    EXPECT_EQ(n.neuerPfad, m("/Fotos/urlaub.2019 Nr 07.jpg"));
    EXPECT_EQ(n.neuerOrdner, m("/Fotos/"));

    const NeuerName kopie = Neuen_Pfad_erstellen(m("/Fotos/urlaub.2019.jpg"), m("®® Nr ©00 - 25©"), z, m("/ziel/x"));
    EXPECT_EQ(kopie.neuerName, m("urlaub.2019 Nr 07.jpg")) << "an empty placeholder is replaced as well";
    EXPECT_EQ(kopie.neuerPfad, m("/ziel/x/urlaub.2019 Nr 07.jpg"));
    EXPECT_EQ(kopie.neuerOrdner, m("/ziel/x/"));

    EXPECT_EQ(Neuen_Pfad_erstellen(m("/d/README"), m("neu"), z, Ursprungsfad).neuerName, m("neu.README"));
    EXPECT_EQ(Neuen_Pfad_erstellen(m("/d/a.txt"), m("neu"), z, m("/")).neuerPfad, m("//neu.txt"))
        << "the root as target gives a doubled separator";
}

TEST(Namensbauer, PaddedCountersRunFromStartPlusOneToTheEndAndWrap)
{
    const QStringList n = namen(m("©000 - 100©"), 3, 101);
    EXPECT_EQ(n.first(), m("001"));
    EXPECT_EQ(n[98], m("099"));
    EXPECT_EQ(n[99], m("100"));
    EXPECT_EQ(n[100], m("000")) << "the file after 100 gets 000";
}

TEST(Namensbauer, PlainCountersCarryNoLeadingZeros)
{
    const QStringList n = namen(m("©0 - 100©"), 3, 101);
    EXPECT_EQ(n.first(), m("1"));
    EXPECT_EQ(n[8], m("9"));
    EXPECT_EQ(n[99], m("100"));
    EXPECT_EQ(n[100], m("0"));
}

TEST(Namensbauer, TheRightmostCounterAdvancesFirst)
{
    Zaehlwerk z;
    z.Zaehler(m("©1 - 3©_©0 - 2©"));
    QStringList folge;
    for (int i = 0; i < 9; ++i) {
        z.Umbenennen(1);
        folge << z.Zaehlerstand.join(u',');
    }
    EXPECT_EQ(folge, (QStringList{m("1,1"), m("1,2"), m("2,0"), m("2,1"), m("2,2"), m("3,0"), m("3,1"), m("3,2"),
                                  m("1,0")}));
}

TEST(Namensbauer, ACounterPaddedWiderThanItsEndNeverWraps)
{
    Zaehlwerk z;
    z.Zaehler(m("©0 - 5©"));
    for (int i = 0; i < 7; ++i)
        z.Umbenennen(2);
    EXPECT_EQ(z.Zaehlerstand.first(), m("07")) << "05 is not 5, so the counter goes on";
    z.Collection_leeren();
    EXPECT_TRUE(z.Zaehlerliste.isEmpty());
}

TEST(Namensbauer, LargeCountersDoNotOverflow)
{
    Zaehlwerk z;
    z.Zaehler(m("©2147483645 - 2147483647©"));
    z.Umbenennen(10);
    z.Umbenennen(10);
    EXPECT_EQ(z.Zaehlerstand.first(), m("2147483647"));
    z.Umbenennen(10);
    EXPECT_EQ(z.Zaehlerstand.first(), m("2147483645"));
}

struct Eingabe
{
    const char* name;
    const char* vorher;
    const char* nachher;
    bool angenommen;
};

class TextCheck : public ::testing::TestWithParam<Eingabe>
{
};

TEST_P(TextCheck, MarkedSegmentsCannotBeEditedByTyping)
{
    const QString nachher = m(GetParam().nachher);
    const QString vorher = m(GetParam().vorher);
    const bool ok = text_check(nachher, vorher, ZaehlerMarke) && text_check(nachher, vorher, NameMarke);
    EXPECT_EQ(ok, GetParam().angenommen);
}

INSTANTIATE_TEST_SUITE_P(
    Namensbauer, TextCheck,
    ::testing::Values(Eingabe{"TypingOutsideMarkers", "Bild_©00 - 25©", "Bild_x©00 - 25©", true},
                      Eingabe{"BlankBetweenCounterMarkers", "Bild_©00 - 25©", "Bild_©00  - 25©", false},
                      Eingabe{"OddNumberOfMarkers", "Bild_©00 - 25©", "Bild_©00 - 25", false},
                      Eingabe{"DeletingTheLastCounterWhole", "a©1 - 5©b©00 - 25©", "a©1 - 5©b", true},
                      Eingabe{"DeletingAnEarlierCounter", "a©1 - 5©b©00 - 25©", "ab©00 - 25©", false},
                      Eingabe{"DeletingAnEarlierCounterOfEqualText", "a©1 - 5©b©1 - 5©", "ab©1 - 5©", true},
                      Eingabe{"EditInsideThePlaceholder", "®x®", "®xy®", false},
                      Eingabe{"RemovingAllMarkersAtOnce", "a©1 - 5©", "", true},
                      Eingabe{"PastingANewCounter", "a", "a©1 - 5©", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Namensbauer, CounterFieldRules)
{
    auto p = zaehlerfeldVerlassen(0, m("5"), m("0"), 12);
    EXPECT_EQ(p.bis, m("17")) << "start plus all entries of the list";
    EXPECT_TRUE(p.meldung.isEmpty());

    p = zaehlerfeldVerlassen(1, m("10"), m("9"), 3);
    EXPECT_EQ(p.meldung, m("Der Zählerbeginn muß kleiner sein als als das Zählerende!"));
    EXPECT_TRUE(p.fehlerSymbol);
    EXPECT_EQ(p.bis, m("13"));
    EXPECT_EQ(p.fokus, 1);

    EXPECT_TRUE(zaehlerfeldVerlassen(1, m("9"), m("10"), 3).meldung.isEmpty()) << "compared as numbers";
    EXPECT_TRUE(zaehlerfeldVerlassen(1, m("9"), m("9"), 3).meldung.isEmpty()) << "equal is accepted";

    for (const char* falsch : {"abc", "", "-1", "1.5", "2147483648", "1e3"}) {
        const auto q = zaehlerfeldVerlassen(0, m(falsch), m("7"), 3);
        EXPECT_EQ(q.meldung, m("Sie müssen eine Zahl eingeben")) << falsch;
        EXPECT_EQ(q.von, m("0"));
        EXPECT_EQ(q.bis, m("7")) << "nothing else changes";
        EXPECT_EQ(q.fokus, 0);
    }
    EXPECT_EQ(zaehlerfeldVerlassen(0, m("2147483647"), m(""), 1).bis, m("2147483648"));
    EXPECT_EQ(zaehlerfeldVerlassen(1, m("0"), m("2147483648"), 1).meldung, m("Sie müssen eine Zahl eingeben"));
}
