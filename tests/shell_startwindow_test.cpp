#include "journal/DatenBanken.h"
#include "journal/Zurueck.h"
#include "shell/Einstellungen.h"
#include "shell/ProgrammStart.h"
#include "support/AdoJournal.h"
#include "support/FakeClock.h"
#include "support/FakeDocumentOpener.h"
#include "support/FakeScreen.h"
#include "support/QtApplicationEnvironment.h"
#include "support/QtPrinters.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

using tw::platform::MessageBox;
using tw::shell::Einstellungen;
using tw::shell::ProgrammStart;
using namespace tw::test;

[[maybe_unused]] const auto* const qtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

const QDateTime heute(QDate(2026, 12, 5), QTime(14, 3, 11));
const QString heuteJournal = QStringLiteral("Sich_05.12.2026.xml");

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class shell_StartWindow : public ::testing::Test
{
protected:
    std::unique_ptr<ProgrammStart> open()
    {
        tw::shell::StartDependencies deps;
        deps.programFolder = folder.path();
        deps.clock = &clock;
        deps.screen = &screen;
        deps.messages = &messages;
        deps.opener = &opener;
        deps.documentation = folder.filePath(QStringLiteral("Tauschwerk.html"));
        return std::make_unique<ProgrammStart>(deps);
    }

    static QPushButton* button(const ProgrammStart& w, int index)
    {
        return w.findChild<QPushButton*>(QStringLiteral("Command1_%1").arg(index));
    }
    static QLabel* label1(const ProgrammStart& w) { return w.findChild<QLabel*>(QStringLiteral("Label1")); }

    // Saves one session the way the rename window does, as the given program start.
    void saveSession(qint16 programmstart, qint32 sitzung = 1)
    {
        tw::journal::DatenBanken journal(folder.path(), clock);
        journal.Sitzung_beginnen();
        ASSERT_TRUE(journal.Aktion_eintragen(folder.filePath(QStringLiteral("alt.jpg")),
                                             folder.filePath(QStringLiteral("Urlaub_01.jpg")),
                                             QString::fromLatin1(tw::journal::AktionUmbenannt)));
        const auto saved =
            journal.Sitzung_speichern(programmstart, sitzung, QStringLiteral("Urlaub_©00 - 25©"));
        ASSERT_TRUE(saved) << saved.message().toStdString();
    }

    TempDir folder;
    FakeClock clock{heute};
    FakeScreen screen;
    ScriptedMessageBox messages;
    FakeDocumentOpener opener;
};

QStringList row(const QString& programmstart, const QString& zeit)
{
    return {programmstart, QStringLiteral("1"), QStringLiteral("Urlaub_©00 - 25©"),
            QStringLiteral("/tmp/a.jpg¢/tmp/Urlaub_01.jpg¢%1¢Umbenannt¢").arg(zeit), zeit};
}

// ---------------------------------------------------------------------------------------------
// What the window shows

TEST_F(shell_StartWindow, ShowsItsTitleButtonTextsAndNoMinimiseOrMaximise)
{
    const auto w = open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tauschwerk © TW-Team"));
    ASSERT_NE(button(*w, 0), nullptr);
    ASSERT_NE(button(*w, 1), nullptr);
    ASSERT_NE(button(*w, 2), nullptr);
    ASSERT_NE(label1(*w), nullptr);
    EXPECT_EQ(button(*w, 0)->text(), QStringLiteral("Schritt1 _ Datenauswählen"));
    EXPECT_EQ(button(*w, 1)->text(), QStringLiteral("Verwaltung"));
    EXPECT_EQ(button(*w, 2)->text(), QStringLiteral("Dokumentation"));

    EXPECT_FALSE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    // A fixed frame: the user cannot resize it.
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
}

TEST_F(shell_StartWindow, ButtonTextsFitTheirButtons)
{
    const auto w = open();
    for (int i = 0; i < 3; ++i)
        EXPECT_LE(button(*w, i)->sizeHint().width(), button(*w, i)->width())
            << button(*w, i)->text().toStdString();
    EXPECT_LE(label1(*w)->sizeHint().width(), label1(*w)->width());
}

struct Layout
{
    const char* name;
    float twipsX;
    float twipsY;
    QRect schritt1, verwaltung, dokumentation, label1;
    QSize client;
};

void PrintTo(const Layout& layout, std::ostream* os)
{
    *os << layout.name;
}

class shell_StartWindowLayout : public shell_StartWindow, public ::testing::WithParamInterface<Layout>
{
};

TEST_P(shell_StartWindowLayout, PlacesEveryControlInPixelsOfTheScreen)
{
    const Layout& expected = GetParam();
    screen.setTwipsPerPixel(expected.twipsX, expected.twipsY);
    const auto w = open();
    EXPECT_EQ(button(*w, 0)->geometry(), expected.schritt1);
    EXPECT_EQ(button(*w, 1)->geometry(), expected.verwaltung);
    EXPECT_EQ(button(*w, 2)->geometry(), expected.dokumentation);
    EXPECT_EQ(label1(*w)->geometry(), expected.label1);
    EXPECT_EQ(w->size(), expected.client);
}

INSTANTIATE_TEST_SUITE_P(
    Screen, shell_StartWindowLayout,
    ::testing::Values(
        // 96 DPI.
        Layout{"twips15", 15.0f, 15.0f, QRect(18, 22, 275, 41), QRect(18, 82, 275, 41),
               QRect(19, 144, 275, 41), QRect(284, 186, 31, 23), QSize(312, 230)},
        // 120 DPI; halves round away from zero.
        Layout{"twips12", 12.0f, 12.0f, QRect(23, 27, 344, 51), QRect(23, 102, 344, 51),
               QRect(23, 179, 344, 51), QRect(355, 233, 39, 29), QSize(390, 288)},
        // Each axis with its own factor.
        Layout{"twipsX15Y12", 15.0f, 12.0f, QRect(18, 27, 275, 51), QRect(18, 102, 275, 51),
               QRect(19, 179, 275, 51), QRect(284, 233, 31, 29), QSize(312, 288)}),
    [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

TEST_F(shell_StartWindow, FocusStartsOnDokumentationAndTabGoesToVerwaltungThenSchritt1)
{
    const auto w = open();
    w->show();
    w->activateWindow();
    ASSERT_EQ(w->focusWidget(), button(*w, 2));

    auto tab = [&w] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(w->focusWidget(), &press);
        return w->focusWidget();
    };
    EXPECT_EQ(tab(), button(*w, 1));
    EXPECT_EQ(tab(), button(*w, 0));
    // Label1 takes no focus, so the round starts again.
    EXPECT_EQ(tab(), button(*w, 2));
}

// ---------------------------------------------------------------------------------------------
// The number of this program start

TEST_F(shell_StartWindow, FirstStartOfTheDayShowsOneAndWritesNothing)
{
    const auto w = open();
    EXPECT_EQ(label1(*w)->text(), QStringLiteral("1"));
    EXPECT_EQ(w->Programmstart, 1);
    EXPECT_EQ(w->Sitzung, 0);
    EXPECT_TRUE(folder.entries().isEmpty());
}

TEST_F(shell_StartWindow, EachStartOfTheDayCountsOneMoreThanTheLastSavedSession)
{
    for (int expected = 1; expected <= 3; ++expected) {
        const auto w = open();
        ASSERT_EQ(label1(*w)->text(), QString::number(expected));
        clock.advance(60);
        saveSession(w->Programmstart);
    }
    EXPECT_TRUE(folder.exists(heuteJournal));
}

TEST_F(shell_StartWindow, ASessionSavedBeforeMidnightDoesNotCountForTheNextDay)
{
    clock.set(QDateTime(QDate(2026, 12, 5), QTime(23, 59, 50)));
    saveSession(4);
    EXPECT_EQ(label1(*open())->text(), QStringLiteral("5"));

    clock.advance(20);
    EXPECT_EQ(label1(*open())->text(), QStringLiteral("1"));
}

struct JournalCase
{
    const char* name;
    QByteArray content;
    const char* expected;
};

// Binary bytes with an embedded NUL, then an unfinished element.
const char garbage[] = "\x00\x01PK\x03\x04 kein XML <xml";

void PrintTo(const JournalCase& c, std::ostream* os)
{
    *os << c.name;
}

class shell_StartWindowJournal : public shell_StartWindow, public ::testing::WithParamInterface<JournalCase>
{
};

TEST_P(shell_StartWindowJournal, Label1ShowsTheNumberOfThisStart)
{
    const JournalCase& c = GetParam();
    folder.write(heuteJournal, c.content);
    const auto w = open();
    EXPECT_EQ(label1(*w)->text(), QString::fromLatin1(c.expected));
    EXPECT_EQ(w->Programmstart, QString::fromLatin1(c.expected).toInt());
    // Reading the journal never changes it.
    EXPECT_EQ(folder.read(heuteJournal), c.content);
    EXPECT_TRUE(messages.shown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    TodaysJournal, shell_StartWindowJournal,
    ::testing::Values(
        // The newest record by its time decides, not the last row nor the largest number.
        JournalCase{"newestByTime",
                    adoJournalXml({row(QStringLiteral("5"), QStringLiteral("05.12.2026 11:30:00")),
                                   row(QStringLiteral("8"), QStringLiteral("05.12.2026 09:15:00"))}),
                    "6"},
        JournalCase{"pendingInsertsAsAdoWritesThem",
                    adoJournalXml({row(QStringLiteral("1"), QStringLiteral("05.12.2026 08:00:00")),
                                   row(QStringLiteral("2"), QStringLiteral("05.12.2026 08:40:00"))}),
                    "3"},
        JournalCase{"largestCountableStart",
                    adoJournalXml({row(QStringLiteral("32766"), QStringLiteral("05.12.2026 10:00:00"))}),
                    "32767"},
        JournalCase{"counterAtItsLimit",
                    adoJournalXml({row(QStringLiteral("32767"), QStringLiteral("05.12.2026 10:00:00"))}),
                    "1"},
        JournalCase{"startIsNoNumber",
                    adoJournalXml({row(QStringLiteral("zwei"), QStringLiteral("05.12.2026 10:00:00"))}), "1"},
        JournalCase{"startIsEmpty", adoJournalXml({row(QString(), QStringLiteral("05.12.2026 10:00:00"))}),
                    "1"},
        JournalCase{"noRecords", adoJournalXml({}), "1"},
        JournalCase{"garbage", QByteArray(garbage, sizeof garbage - 1), "1"},
        JournalCase{"emptyFile", QByteArray(), "1"}),
    [](const ::testing::TestParamInfo<JournalCase>& info) { return std::string(info.param.name); });

TEST_F(shell_StartWindow, JournalsOfOtherDaysDoNotCount)
{
    folder.write(QStringLiteral("Sich_04.12.2026.xml"),
                 adoJournalXml({row(QStringLiteral("9"), QStringLiteral("04.12.2026 18:00:00"))}));
    EXPECT_EQ(label1(*open())->text(), QStringLiteral("1"));
}

// ---------------------------------------------------------------------------------------------
// The timer

TEST_F(shell_StartWindow, Timer1RunsEvery20MsAndCallsTheWatcher)
{
    const auto w = open();
    const auto* timer = w->findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 20);

    int calls = 0;
    w->fensterPruefen = [&calls] { ++calls; };
    EXPECT_TRUE(waitUntil([&calls] { return calls >= 3; }));
}

TEST_F(shell_StartWindow, Timer1TicksHarmlesslyBeforeTheWatcherIsSet)
{
    const auto w = open();
    const auto* timer = w->findChild<QTimer*>(QStringLiteral("Timer1"));
    int ticks = 0;
    QObject::connect(timer, &QTimer::timeout, [&ticks] { ++ticks; });
    EXPECT_TRUE(waitUntil([&ticks] { return ticks >= 2; }));
}

// ---------------------------------------------------------------------------------------------
// The buttons

TEST_F(shell_StartWindow, DokumentationOpensTheGuideBesideTheProgram)
{
    const QString page = folder.write(QStringLiteral("Tauschwerk.html"), "<html></html>");
    const auto w = open();
    button(*w, 2)->click();
    EXPECT_EQ(opener.opened(), QStringList{page});
    EXPECT_TRUE(messages.shown().isEmpty());
}

TEST_F(shell_StartWindow, DokumentationWarnsWhenTheGuideIsMissing)
{
    const auto w = open();
    button(*w, 2)->click();
    EXPECT_TRUE(opener.opened().isEmpty());
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(messages.shown()[0].text.contains(QStringLiteral("Tauschwerk.html")));
}

TEST_F(shell_StartWindow, DokumentationWarnsWithTheReasonWhenTheGuideCannotBeOpened)
{
    folder.write(QStringLiteral("Tauschwerk.html"), "<html></html>");
    opener.failWith(QStringLiteral("Kein Programm für HTML-Seiten eingerichtet."));
    const auto w = open();
    button(*w, 2)->click();
    EXPECT_EQ(opener.opened().size(), 1);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(
        messages.shown()[0].text.contains(QStringLiteral("Kein Programm für HTML-Seiten eingerichtet.")));
}

TEST_F(shell_StartWindow, VerwaltungOpensTheUndoWindowOnceAndClosingTheStartWindowClosesIt)
{
    const auto w = open();
    w->show();
    button(*w, 1)->click();
    QPointer<tw::journal::Zurueck> zurueck = w->zurueck();
    ASSERT_NE(zurueck, nullptr);
    EXPECT_TRUE(zurueck->isVisible());
    EXPECT_TRUE(w->isVisible()) << "the start window stays usable beside it";

    zurueck->hide();
    button(*w, 1)->click();
    EXPECT_EQ(w->zurueck(), zurueck.data()) << "shown again, not loaded twice";
    EXPECT_TRUE(zurueck->isVisible());
    const QWidgetList fenster = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(fenster.begin(), fenster.end(),
                            [](const QWidget* t) { return t->objectName() == QStringLiteral("Zurueck"); }),
              1);

    w->close();
    EXPECT_TRUE(waitUntil([&zurueck] { return zurueck.isNull(); }));
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_TRUE(folder.entries().isEmpty());
}

TEST_F(shell_StartWindow, VerwaltungLoadsAFreshUndoWindowAfterItsAbbrechen)
{
    saveSession(1);
    const auto w = open();
    button(*w, 1)->click();
    QPointer<tw::journal::Zurueck> erstes = w->zurueck();
    ASSERT_NE(erstes, nullptr);
    EXPECT_EQ(erstes->File1->count(), 1) << "it lists the journals of the program folder";
    erstes->Command3->click();
    EXPECT_TRUE(waitUntil([&erstes] { return erstes.isNull(); }));
    EXPECT_EQ(w->zurueck(), nullptr);

    button(*w, 1)->click();
    ASSERT_NE(w->zurueck(), nullptr);
    EXPECT_TRUE(w->zurueck()->isVisible());
}

// ---------------------------------------------------------------------------------------------
// The window settings

QStringList keysOf(const Einstellungen& e)
{
    QStringList keys;
    for (int i = 1; i <= e.Count(); ++i)
        keys.append(e.key(i));
    return keys;
}

const QStringList fiveKeys = {QStringLiteral("Button_top"), QStringLiteral("Datei_top"),
                              QStringLiteral("IE_Top"), QStringLiteral("IE_Height"),
                              QStringLiteral("ie_Pfad")};

TEST_F(shell_StartWindow, StartsWithTheFiveSettingsEmptyAndInOrder)
{
    const auto w = open();
    EXPECT_EQ(keysOf(w->einstellungen), fiveKeys);
    for (const QString& key : fiveKeys) {
        EXPECT_TRUE(w->einstellungen.contains(key));
        EXPECT_TRUE(w->einstellungen.Item(key).isEmpty());
    }
}

TEST(shell_Einstellungen, KeysCompareWithoutRegardToCase)
{
    Einstellungen e = Einstellungen::leer();
    EXPECT_TRUE(e.contains(QStringLiteral("ie_pfad")));
    EXPECT_TRUE(e.contains(QStringLiteral("BUTTON_TOP")));
    EXPECT_FALSE(e.contains(QStringLiteral("ie_Pfad ")));

    EXPECT_FALSE(e.Add(QStringLiteral("IE_PFAD"), QStringLiteral("/home")));
    EXPECT_EQ(e.Count(), 5);
    EXPECT_TRUE(e.Item(QStringLiteral("ie_Pfad")).isEmpty());

    EXPECT_TRUE(e.Remove(QStringLiteral("ie_height")));
    EXPECT_FALSE(e.contains(QStringLiteral("IE_Height")));
    EXPECT_TRUE(e.Item(QStringLiteral("nirgends")).isEmpty());
}

TEST(shell_Einstellungen, EmptyingFromTheLastAndAddingAgainKeepsTheOrder)
{
    Einstellungen e = Einstellungen::leer();
    while (e.Count() > 0)
        ASSERT_TRUE(e.Remove(e.Count()));
    EXPECT_FALSE(e.Remove(1));

    // As the closing selection window stores them when the browser showed no location.
    const QStringList values = {QStringLiteral("4200"), QStringLiteral("3840"), QStringLiteral("280"),
                                QStringLiteral("195"), QStringLiteral("/home")};
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(e.Add(fiveKeys[i], values[i]));
    ASSERT_TRUE(e.Add(QStringLiteral("ie_pfad"), values[4]));

    EXPECT_EQ(keysOf(e).join(QLatin1Char(',')).toLower(), fiveKeys.join(QLatin1Char(',')).toLower());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(e.Item(fiveKeys[i]), values[i]) << fiveKeys[i].toStdString();
    EXPECT_FALSE(e.Remove(0));
    EXPECT_FALSE(e.Remove(6));
}

} // namespace
