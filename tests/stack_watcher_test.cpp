#include "stack/ForgroundWindow.h"
#include "support/QtPrinters.h"

#include <QMap>
#include <QStringList>
#include <gtest/gtest.h>

using tw::platform::Expected;
using tw::platform::Result;
using tw::stack::Fensterhandle;
using tw::stack::ForgroundWindow;

namespace {

constexpr Fensterhandle fremd = 0, startfenster = 1, bar = 2, dateiauswahl = 3, aenderungen = 4, monitor = 5,
                        browser = 9;

// The stack's windows on a desktop the test controls. Every operation is written to a log; the front
// window changes only where an operation brings a window to the front.
class FakeFenster : public tw::stack::Fensterumgebung
{
public:
    Fensterhandle vorn = fremd;
    bool browserOffen = true;
    bool obenHolt = false; // Windows' way: raising a top-level window brings it to the front
    QMap<Fensterhandle, QString> titel{{dateiauswahl, u8("Tausch2")}};
    mutable int abfragen = 0, titelGelesen = 0;
    QStringList log;

    Fensterhandle Vordergrundfenster() const override { return ++abfragen, vorn; }
    QString Fenstertext(Fensterhandle f) const override { return ++titelGelesen, titel.value(f); }
    Expected<Fensterhandle> Browserfenster() const override
    {
        return browserOffen ? Expected<Fensterhandle>(browser)
                            : Result::failure(u8("Der Browser antwortet nicht."));
    }
    Fensterhandle Auswahlbuttonfenster() const override { return bar; }
    Fensterhandle Aenderungenfenster() const override { return aenderungen; }
    void SetForegroundWindow(Fensterhandle f) override { nachVorn(u8("vorn %1").arg(f), f); }
    void BringWindowToTop(Fensterhandle f) override { nachVorn(u8("oben %1").arg(f), obenHolt ? f : vorn); }
    void Dateiauswahl_fokussieren() override { nachVorn(u8("fokus Dateiauswahl"), dateiauswahl); }
    void Aenderungen_fokussieren() override { nachVorn(u8("fokus Aenderungen"), aenderungen); }
    void Timer_schalten(bool an) override { log << (an ? u8("timer an") : u8("timer aus")); }
    void nachVorn(const QString& operation, Fensterhandle f) { log << operation, vorn = f; }
};

// One check with the given window in front; the operations between switching the timer off and on again.
QStringList pruefen(FakeFenster& fenster, ForgroundWindow& waechter, Fensterhandle vorn)
{
    fenster.vorn = vorn;
    fenster.log.clear();
    waechter.Fenster_pruefen();
    EXPECT_EQ(fenster.log.value(0), u8("timer aus"));
    EXPECT_EQ(fenster.log.value(fenster.log.size() - 1), u8("timer an"));
    return fenster.log.mid(1, fenster.log.size() - 2);
}

} // namespace

// The browser's title is a folder's name, which may look like a stack caption. The browser covered by
// another application is raised a bounded number of times; the selection window the user clicked stays
// active. The window remembered is read after the watcher's own changes.
TEST(Watcher, EachWindowInFrontGetsItsOwnAnswer)
{
    struct Fall
    {
        Fensterhandle letztes, vorn;
        const char* titel;
        QStringList erwartet;
        Fensterhandle danach;
    };
    for (const Fall& fall : QList<Fall>{
             {dateiauswahl, dateiauswahl, "Tausch2", {}, dateiauswahl}, // nothing changed
             {dateiauswahl, fremd, "", {}, fremd},                      // another application
             {fremd, dateiauswahl, "Tausch2", u8s({"oben 9", "oben 9", "oben 9", "fokus Dateiauswahl"}),
              dateiauswahl},
             {fremd, aenderungen, "Tausch3", {u8("oben 4"), u8("fokus Aenderungen")}, aenderungen},
             {fremd, monitor, "Tausch4", {u8("fokus Aenderungen")}, aenderungen},
             {fremd, bar, "Tausch1", {}, bar},
             {fremd, startfenster, "Tauschwerk © TW-Team", {}, startfenster},
             {dateiauswahl, browser, "Tausch2", {u8("oben 2"), u8("vorn 9")}, browser},
         }) {
        SCOPED_TRACE(::testing::Message() << fall.vorn << " " << fall.titel);
        FakeFenster fenster;
        ForgroundWindow waechter{fenster};
        fenster.titel[fall.vorn] = u8(fall.titel);
        waechter.Letztes_Fenster = fall.letztes;
        EXPECT_EQ(pruefen(fenster, waechter, fall.vorn), fall.erwartet);
        EXPECT_EQ(waechter.Letztes_Fenster, fall.danach);
        if (fall.letztes == fall.vorn || fall.vorn == fremd) {
            EXPECT_EQ(std::pair(fenster.titelGelesen, fenster.abfragen),
                      std::pair(0, fall.letztes == fall.vorn ? 1 : 2))
                << "no caption to read";
        }
        EXPECT_TRUE(pruefen(fenster, waechter, fenster.vorn).isEmpty())
            << "its own changes are none for the next";
    }

    // The wait for the browser ends when it is in front or gone, without a message; the focus stays.
    FakeFenster fenster;
    ForgroundWindow waechter{fenster};
    fenster.obenHolt = true;
    EXPECT_EQ(pruefen(fenster, waechter, dateiauswahl), u8s({"oben 9", "fokus Dateiauswahl"}));
    fenster.browserOffen = false;
    waechter.Letztes_Fenster = fremd;
    EXPECT_EQ(pruefen(fenster, waechter, dateiauswahl), u8s({"fokus Dateiauswahl"}));
}
