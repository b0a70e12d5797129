#include "rename/Namensbauer.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace tw::rename;

TEST(Namensbauer, PatternsAndTheNamesAndPathsTheyGiveAnEntryWhichStaysInItsFolder)
{
    EXPECT_EQ(zaehlerEinfuegen(u8("Bild_"), u8("0"), u8("25"), true), u8("Bild_©00 - 25©"));
    EXPECT_EQ(zaehlerEinfuegen(u8("Bild_"), u8(" 0"), u8("25 "), false), u8("Bild_©0 - 25©")) << "no blanks";
    EXPECT_EQ(zaehlerEinfuegen(u8(""), u8("1234"), u8("99"), true), u8("©1234 - 99©"))
        << "a longer start stays";

    Zaehlwerk z;
    z.Zaehler(u8("®x® Nr ©00 - 25©"));
    z.Zaehlerstand = u8s({"07"});
    const auto namen = [&](const char* pfad, const char* muster, const char* ordner) {
        const NeuerName n = Neuen_Pfad_erstellen(u8(pfad), u8(muster), z, u8(ordner));
        return QStringList{n.alterOrdner, n.alterName, n.basisname,  n.endung,
                           n.neuerName,   n.neuerPfad, n.neuerOrdner};
    };
    EXPECT_EQ(namen("/Fotos/urlaub.2019.jpg", "®x® Nr ©00 - 25©", "Ursprungsfad"),
              u8s({"/Fotos/", "urlaub.2019.jpg", "urlaub.2019", "jpg", "urlaub.2019 Nr 07.jpg",
                   "/Fotos/urlaub.2019 Nr 07.jpg", "/Fotos/"}));
    EXPECT_EQ(namen("/Fotos/urlaub.2019.jpg", "®® Nr ©00 - 25©", "/ziel/x").mid(4),
              u8s({"urlaub.2019 Nr 07.jpg", "/ziel/x/urlaub.2019 Nr 07.jpg", "/ziel/x/"}))
        << "an empty placeholder is replaced as well";
    EXPECT_EQ(namen("/d/README", "neu", "Ursprungsfad")[4], u8("neu.README"));
    EXPECT_EQ(namen("/d/a.txt", "neu", "/")[5], u8("//neu.txt"))
        << "the root as target gives a doubled separator";

    for (const auto& [pfad, muster, ordner, bleibt] : {
             std::tuple{"/f/a.jpg", "x", "Ursprungsfad", true}, std::tuple{"/f/a.jpg", "x", "/", true},
             std::tuple{"/f/a.jpg", "../x", "Ursprungsfad", false},
             std::tuple{"/f/a.", ".", "Ursprungsfad", false}, // the name ".."
         })
        EXPECT_EQ(bleibtImOrdner(Neuen_Pfad_erstellen(u8(pfad), u8(muster), z, u8(ordner)), u8(ordner)),
                  bleibt)
            << muster << " in " << ordner;
}

TEST(Namensbauer, CountersRunFromStartPlusOneToTheEndWrapAndTheRightmostAdvancesFirst)
{
    // Steps 1, 9, 99, 100 and 101 of a run: the counter texts as the names carry them.
    const auto stellen = [](const char* muster) {
        Zaehlwerk z;
        z.Zaehler(u8(muster));
        QStringList out;
        for (int i = 1; i <= 101; ++i) {
            z.Umbenennen(3);
            if (i == 1 || i == 9 || i >= 99)
                out << Neuen_Pfad_erstellen(u8("/f/a"), u8(muster), z, Ursprungsfad).neuerName.chopped(2);
        }
        return out;
    };
    EXPECT_EQ(stellen("©000 - 100©"), u8s({"001", "009", "099", "100", "000"}));
    EXPECT_EQ(stellen("©0 - 100©"), u8s({"1", "9", "99", "100", "0"}))
        << "plain counters carry no leading zeros";

    // The counter positions after each step of a run.
    const auto folge = [](Zaehlwerk& z, const char* muster, int schritte, int ziffern) {
        z.Zaehler(u8(muster));
        QStringList out;
        for (int i = 0; i < schritte; ++i) {
            z.Umbenennen(ziffern);
            out << z.Zaehlerstand.join(u',');
        }
        return out;
    };
    Zaehlwerk z, gross, riesig;
    EXPECT_EQ(folge(z, "©1 - 3©_©0 - 2©", 9, 1),
              u8s({"1,1", "1,2", "2,0", "2,1", "2,2", "3,0", "3,1", "3,2", "1,0"}));
    z.Collection_leeren();
    EXPECT_EQ(folge(z, "©0 - 5©", 7, 2).last(), u8("07")) << "05 is not 5, so the counter goes on";
    EXPECT_EQ(folge(gross, "©2147483645 - 2147483647©", 3, 10),
              u8s({"2147483646", "2147483647", "2147483645"}))
        << "no overflow";
    // Found by fuzzing: a start beyond every counter stepped past the largest number.
    EXPECT_EQ(folge(riesig, "©9223372036854775807 - 1©", 1, 1), u8s({"9223372036854775807"}));
}

// The text check keeps marked segments from being edited by typing; then the counter fields' rules.
TEST(Namensbauer, TheInputRules)
{
    for (const auto& [vorher, nachher, angenommen] : {
             std::tuple{"Bild_©00 - 25©", "Bild_x©00 - 25©", true},  // typing outside the markers
             std::tuple{"Bild_©00 - 25©", "Bild_©00 - 25", false},   // an odd number of markers
             std::tuple{"a©1 - 5©b©00 - 25©", "a©1 - 5©b", true},    // the last counter deleted whole
             std::tuple{"a©1 - 5©b©00 - 25©", "ab©00 - 25©", false}, // an earlier counter deleted
             std::tuple{"a©1 - 5©b©1 - 5©", "ab©1 - 5©", true},      // an earlier one of equal text
             std::tuple{"®x®", "®xy®", false},                       // an edit inside the placeholder
             std::tuple{"a©1 - 5©", "", true},                       // every marker removed at once
             std::tuple{"a", "a©1 - 5©", false},                     // a new counter pasted
             std::tuple{"a", "../a", false},                         // no name holds "/"
         }) {
        const QString neu = u8(nachher), alt = u8(vorher);
        EXPECT_EQ(text_check(neu, alt, ZaehlerMarke) && text_check(neu, alt, NameMarke) &&
                      nurNamenszeichen(neu),
                  angenommen)
            << vorher << " -> " << nachher;
    }

    const char* zahl = "Sie müssen eine Zahl eingeben";
    const char* reihe = "Der Zählerbeginn muß kleiner sein als als das Zählerende!";
    // field, start, end, then the start, end, message and focus that leaving the field gives
    for (const auto& [feld, von, bis, neuVon, neuBis, meldung, fokus] : {
             std::tuple{0, "5", "0", "5", "17", "", -1}, // start plus all entries of the list
             std::tuple{0, "2147483647", "", "2147483647", "2147483647", "", -1}, // an end the field accepts
             std::tuple{1, "10", "9", "10", "22", reihe, 1},
             std::tuple{1, "9", " 10", "9", "10", "", -1}, // compared as numbers
             std::tuple{1, "9", "9", "9", "9", "", -1},    // equal is accepted
             std::tuple{1, "0", "2147483648", "0", "0", zahl, 1},
             std::tuple{0, "", "7", "0", "7", zahl, 0},    // nothing else changes
             std::tuple{0, "1.5", "7", "0", "7", zahl, 0}, // no number read leniently, as atoi or toDouble do
         }) {
        const Feldpruefung p = zaehlerfeldVerlassen(feld, u8(von), u8(bis), 12);
        EXPECT_EQ(std::tuple(p.von, p.bis, p.meldung, p.fokus, p.fehlerSymbol),
                  std::tuple(u8(neuVon), u8(neuBis), u8(meldung), fokus, meldung == reihe))
            << feld << ": " << von << " / " << bis;
    }
}
