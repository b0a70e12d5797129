#include "rename/Namensbauer.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tw::rename;

namespace {

// The counter texts as the names carry them, for each step of a run over the pattern.
QStringList namen(const QString& muster, int breite, int schritte)
{
    Zaehlwerk z;
    z.Zaehler(muster);
    QStringList out;
    for (int i = 0; i < schritte; ++i) {
        z.Umbenennen(breite);
        const QString name = Neuen_Pfad_erstellen(u8("/f/a.jpg"), muster, z, Ursprungsfad).neuerName;
        out << name.chopped(4);
    }
    return out;
}

} // namespace

TEST(Namensbauer, InsertingACounterAndThePlaceholder)
{
    EXPECT_EQ(zaehlerEinfuegen(u8("Bild_"), u8("0"), u8("25"), true), u8("Bild_©00 - 25©"));
    EXPECT_EQ(zaehlerEinfuegen(u8("Bild_"), u8("0"), u8("25"), false), u8("Bild_©0 - 25©"));
    EXPECT_EQ(zaehlerEinfuegen(u8(""), u8("1234"), u8("99"), true), u8("©1234 - 99©"))
        << "a longer start stays";
    EXPECT_EQ(nameEinfuegen(u8("x")), u8("x® Urspungsdatei ®"));
}

TEST(Namensbauer, NamesAndPathsOfAnEntry)
{
    Zaehlwerk z;
    z.Zaehler(u8("®x® Nr ©00 - 25©"));
    z.Zaehlerstand = u8s({"07"});
    const NeuerName n =
        Neuen_Pfad_erstellen(u8("/Fotos/urlaub.2019.jpg"), u8("®x® Nr ©00 - 25©"), z, Ursprungsfad);
    EXPECT_EQ(n.alterOrdner, u8("/Fotos/"));
    EXPECT_EQ(n.alterName, u8("urlaub.2019.jpg"));
    EXPECT_EQ(n.basisname, u8("urlaub.2019"));
    EXPECT_EQ(n.endung, u8("jpg"));
    EXPECT_EQ(n.neuerName, u8("urlaub.2019 Nr 07.jpg"));
    EXPECT_EQ(n.neuerPfad, u8("/Fotos/urlaub.2019 Nr 07.jpg"));
    EXPECT_EQ(n.neuerOrdner, u8("/Fotos/"));

    const NeuerName kopie =
        Neuen_Pfad_erstellen(u8("/Fotos/urlaub.2019.jpg"), u8("®® Nr ©00 - 25©"), z, u8("/ziel/x"));
    EXPECT_EQ(kopie.neuerName, u8("urlaub.2019 Nr 07.jpg")) << "an empty placeholder is replaced as well";
    EXPECT_EQ(kopie.neuerPfad, u8("/ziel/x/urlaub.2019 Nr 07.jpg"));
    EXPECT_EQ(kopie.neuerOrdner, u8("/ziel/x/"));

    EXPECT_EQ(Neuen_Pfad_erstellen(u8("/d/README"), u8("neu"), z, Ursprungsfad).neuerName, u8("neu.README"));
    EXPECT_EQ(Neuen_Pfad_erstellen(u8("/d/a.txt"), u8("neu"), z, u8("/")).neuerPfad, u8("//neu.txt"))
        << "the root as target gives a doubled separator";
}

TEST(Namensbauer, PaddedCountersRunFromStartPlusOneToTheEndAndWrap)
{
    const QStringList n = namen(u8("©000 - 100©"), 3, 101);
    EXPECT_EQ(n.first(), u8("001"));
    EXPECT_EQ(n[98], u8("099"));
    EXPECT_EQ(n[99], u8("100"));
    EXPECT_EQ(n[100], u8("000")) << "the file after 100 gets 000";
}

TEST(Namensbauer, PlainCountersCarryNoLeadingZeros)
{
    const QStringList n = namen(u8("©0 - 100©"), 3, 101);
    EXPECT_EQ(n.first(), u8("1"));
    EXPECT_EQ(n[8], u8("9"));
    EXPECT_EQ(n[99], u8("100"));
    EXPECT_EQ(n[100], u8("0"));
}

TEST(Namensbauer, TheRightmostCounterAdvancesFirst)
{
    Zaehlwerk z;
    z.Zaehler(u8("©1 - 3©_©0 - 2©"));
    QStringList folge;
    for (int i = 0; i < 9; ++i) {
        z.Umbenennen(1);
        folge << z.Zaehlerstand.join(u',');
    }
    EXPECT_EQ(folge, u8s({"1,1", "1,2", "2,0", "2,1", "2,2", "3,0", "3,1", "3,2", "1,0"}));
}

TEST(Namensbauer, ACounterPaddedWiderThanItsEndNeverWraps)
{
    Zaehlwerk z;
    z.Zaehler(u8("©0 - 5©"));
    for (int i = 0; i < 7; ++i)
        z.Umbenennen(2);
    EXPECT_EQ(z.Zaehlerstand.first(), u8("07")) << "05 is not 5, so the counter goes on";
    z.Collection_leeren();
    EXPECT_TRUE(z.Zaehlerliste.isEmpty());
}

TEST(Namensbauer, LargeCountersDoNotOverflow)
{
    Zaehlwerk z;
    z.Zaehler(u8("©2147483645 - 2147483647©"));
    z.Umbenennen(10);
    z.Umbenennen(10);
    EXPECT_EQ(z.Zaehlerstand.first(), u8("2147483647"));
    z.Umbenennen(10);
    EXPECT_EQ(z.Zaehlerstand.first(), u8("2147483645"));
}

TEST(Namensbauer, TextCheckKeepsMarkedSegmentsFromBeingEditedByTyping)
{
    struct Eingabe
    {
        const char* vorher;
        const char* nachher;
        bool angenommen;
    };
    for (const Eingabe& e : {
             Eingabe{"Bild_©00 - 25©", "Bild_x©00 - 25©", true},  // typing outside the markers
             Eingabe{"Bild_©00 - 25©", "Bild_©00  - 25©", false}, // a blank between counter markers
             Eingabe{"Bild_©00 - 25©", "Bild_©00 - 25", false},   // an odd number of markers
             Eingabe{"a©1 - 5©b©00 - 25©", "a©1 - 5©b", true},    // the last counter deleted whole
             Eingabe{"a©1 - 5©b©00 - 25©", "ab©00 - 25©", false}, // an earlier counter deleted
             Eingabe{"a©1 - 5©b©1 - 5©", "ab©1 - 5©", true},      // an earlier one of equal text
             Eingabe{"®x®", "®xy®", false},                       // an edit inside the placeholder
             Eingabe{"a©1 - 5©", "", true},                       // every marker removed at once
             Eingabe{"a", "a©1 - 5©", false},                     // a new counter pasted
         }) {
        const QString nachher = u8(e.nachher), vorher = u8(e.vorher);
        EXPECT_EQ(text_check(nachher, vorher, ZaehlerMarke) && text_check(nachher, vorher, NameMarke),
                  e.angenommen)
            << e.vorher << " -> " << e.nachher;
    }
}

TEST(Namensbauer, CounterFieldRules)
{
    auto p = zaehlerfeldVerlassen(0, u8("5"), u8("0"), 12);
    EXPECT_EQ(p.bis, u8("17")) << "start plus all entries of the list";
    EXPECT_TRUE(p.meldung.isEmpty());

    p = zaehlerfeldVerlassen(1, u8("10"), u8("9"), 3);
    EXPECT_EQ(p.meldung, u8("Der Zählerbeginn muß kleiner sein als als das Zählerende!"));
    EXPECT_TRUE(p.fehlerSymbol);
    EXPECT_EQ(p.bis, u8("13"));
    EXPECT_EQ(p.fokus, 1);

    EXPECT_TRUE(zaehlerfeldVerlassen(1, u8("9"), u8("10"), 3).meldung.isEmpty()) << "compared as numbers";
    EXPECT_TRUE(zaehlerfeldVerlassen(1, u8("9"), u8("9"), 3).meldung.isEmpty()) << "equal is accepted";

    for (const char* falsch : {"abc", "", "-1", "1.5", "2147483648", "1e3"}) {
        const auto q = zaehlerfeldVerlassen(0, u8(falsch), u8("7"), 3);
        EXPECT_EQ(q.meldung, u8("Sie müssen eine Zahl eingeben")) << falsch;
        EXPECT_EQ(q.von, u8("0"));
        EXPECT_EQ(q.bis, u8("7")) << "nothing else changes";
        EXPECT_EQ(q.fokus, 0);
    }
    EXPECT_EQ(zaehlerfeldVerlassen(0, u8("2147483647"), u8(""), 1).bis, u8("2147483648"));
    EXPECT_EQ(zaehlerfeldVerlassen(1, u8("0"), u8("2147483648"), 1).meldung,
              u8("Sie müssen eine Zahl eingeben"));
}
