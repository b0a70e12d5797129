#include "stack/ForgroundWindow.h"
#include "support/QtPrinters.h"

#include <QMap>
#include <QStringList>
#include <gtest/gtest.h>

using tw::platform::Expected;
using tw::platform::Result;
using tw::stack::Fensterhandle;
using tw::stack::ForgroundWindow;
using tw::stack::istTauschfenster;

namespace {

enum : Fensterhandle
{
    fremd = 0,
    startfenster = 1,
    bar,
    dateiauswahl,
    aenderungen,
    monitor,
    anderes,
    browser = 9
};

// The stack's windows on a desktop the test controls. Every operation is written to a log; the front
// window changes only where an operation brings a window to the front.
class FakeFenster : public tw::stack::Fensterumgebung
{
public:
    Fensterhandle vorn = fremd;
    bool browserOffen = true;
    bool obenHolt = false; // Windows' way: raising a top-level window brings it to the front
    QMap<Fensterhandle, QString> titel{{startfenster, u8("Tauschwerk © TW-Team")},
                                       {bar, u8("Tausch1")},
                                       {dateiauswahl, u8("Tausch2")},
                                       {aenderungen, u8("Tausch3")},
                                       {monitor, u8("Tausch4")},
                                       {browser, u8("bob")}};
    mutable int abfragen = 0;
    mutable int titelGelesen = 0;
    QStringList log;

    Fensterhandle Vordergrundfenster() const override
    {
        ++abfragen;
        return vorn;
    }
    QString Fenstertext(Fensterhandle f) const override
    {
        ++titelGelesen;
        return titel.value(f);
    }
    Expected<Fensterhandle> Browserfenster() const override
    {
        if (!browserOffen)
            return Result::failure(u8("Der Browser antwortet nicht."));
        return browser;
    }
    Fensterhandle Auswahlbuttonfenster() const override { return bar; }
    Fensterhandle Aenderungenfenster() const override { return aenderungen; }
    void SetForegroundWindow(Fensterhandle f) override
    {
        log << u8("vorn %1").arg(f);
        vorn = f;
    }
    void BringWindowToTop(Fensterhandle f) override
    {
        log << u8("oben %1").arg(f);
        if (obenHolt)
            vorn = f;
    }
    void Dateiauswahl_fokussieren() override
    {
        log << u8("fokus Dateiauswahl");
        vorn = dateiauswahl;
    }
    void Aenderungen_fokussieren() override
    {
        log << u8("fokus Aenderungen");
        vorn = aenderungen;
    }
    void Timer_schalten(bool an) override { log << (an ? u8("timer an") : u8("timer aus")); }
};

class Watcher : public ::testing::Test
{
protected:
    // The operations of one check, which always begins with the timer off and ends with it on.
    QStringList pruefen(Fensterhandle vorn)
    {
        fenster.vorn = vorn;
        fenster.log.clear();
        waechter.Fenster_pruefen();
        EXPECT_GE(fenster.log.size(), 2);
        EXPECT_EQ(fenster.log.first(), u8("timer aus"));
        EXPECT_EQ(fenster.log.last(), u8("timer an"));
        return fenster.log.mid(1, fenster.log.size() - 2);
    }

    FakeFenster fenster;
    ForgroundWindow waechter{fenster};
};

} // namespace

TEST(TauschCaption, CountsOnlyTauschFollowedByExactlyOneCharacter)
{
    for (const char* titel : {"Tausch1", "Tausch2", "Tausch3", "Tausch4", "Tauschx"})
        EXPECT_TRUE(istTauschfenster(u8(titel))) << titel;
    for (const char* titel : {"", "Tausch", "Tausch12", "Tauschwerk © TW-Team", "tausch2", " Tausch2"})
        EXPECT_FALSE(istTauschfenster(u8(titel))) << titel;
}

TEST_F(Watcher, NothingChangedCostsOneLookupAndTouchesNoWindow)
{
    waechter.Letztes_Fenster = dateiauswahl;
    EXPECT_TRUE(pruefen(dateiauswahl).isEmpty());
    EXPECT_EQ(fenster.abfragen, 1);
    EXPECT_EQ(fenster.titelGelesen, 0);
}

TEST_F(Watcher, AnotherApplicationInFrontTouchesNothingAndIsRemembered)
{
    waechter.Letztes_Fenster = dateiauswahl;
    EXPECT_TRUE(pruefen(fremd).isEmpty());
    EXPECT_EQ(waechter.Letztes_Fenster, fremd);
    EXPECT_FALSE(pruefen(dateiauswahl).isEmpty()) << "coming back is a change again";
}

TEST_F(Watcher, TheBrowserInFrontRaisesTheBarAndKeepsTheFocusWhateverFolderItShows)
{
    for (const char* ordner : {"bob", "Tausch2", "Tausch4"}) {
        SCOPED_TRACE(ordner);
        fenster.titel[browser] = u8(ordner);
        waechter.Letztes_Fenster = dateiauswahl;
        EXPECT_EQ(pruefen(browser), u8s({"oben 2", "vorn 9"}));
        EXPECT_EQ(waechter.Letztes_Fenster, browser);
        EXPECT_TRUE(pruefen(browser).isEmpty()) << "its own raise is no change for the next check";
    }
}

TEST_F(Watcher, EachStackCaptionGetsItsOwnAnswerAndOtherCaptionsNone)
{
    struct Fall
    {
        Fensterhandle vorn;
        const char* titel;
        QStringList erwartet;
        Fensterhandle danach;
    };
    const QList<Fall> faelle = {
        // The browser, covered by another application, is raised a bounded number of times; the
        // selection window the user clicked stays active.
        {dateiauswahl,
         "Tausch2",
         {u8("oben 9"), u8("oben 9"), u8("oben 9"), u8("fokus Dateiauswahl")},
         dateiauswahl},
        {aenderungen, "Tausch3", {u8("oben 4"), u8("fokus Aenderungen")}, aenderungen},
        {monitor, "Tausch4", {u8("fokus Aenderungen")}, aenderungen},
        {bar, "Tausch1", {}, bar},
        {startfenster, "Tauschwerk © TW-Team", {}, startfenster},
        {anderes, "Tausch12", {}, anderes},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.titel);
        fenster.titel[fall.vorn] = u8(fall.titel);
        waechter.Letztes_Fenster = fremd;
        EXPECT_EQ(pruefen(fall.vorn), fall.erwartet);
        EXPECT_EQ(waechter.Letztes_Fenster, fall.danach) << "read after the watcher's own changes";
    }
}

TEST_F(Watcher, TheWaitForTheBrowserEndsWhenItIsInFrontOrGoneWithoutAMessage)
{
    fenster.obenHolt = true;
    EXPECT_EQ(pruefen(dateiauswahl), u8s({"oben 9", "fokus Dateiauswahl"}));

    fenster.browserOffen = false;
    waechter.Letztes_Fenster = fremd;
    EXPECT_EQ(pruefen(dateiauswahl), u8s({"fokus Dateiauswahl"}));
    EXPECT_EQ(fenster.vorn, dateiauswahl) << "the selection window stays active";
}
