#include "journal/DatenBanken.h"
#include "journal/Zurueck.h"
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
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {

using tw::platform::MessageBox;
using tw::shell::ProgrammStart;
using namespace tw::test;

const QString heuteJournal = u8("Sich_05.12.2026.xml");

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
        deps.documentation = folder.filePath(u8("Tauschwerk.html"));
        return std::make_unique<ProgrammStart>(deps);
    }

    static QPushButton* button(const ProgrammStart& w, int index)
    {
        return w.findChild<QPushButton*>(u8("Command1_%1").arg(index));
    }
    static QLabel* label1(const ProgrammStart& w) { return w.findChild<QLabel*>(u8("Label1")); }

    // Saves one session the way the rename window does, as the given program start.
    void saveSession(qint16 programmstart)
    {
        tw::journal::DatenBanken journal(folder.path(), clock);
        journal.Sitzung_beginnen();
        ASSERT_TRUE(journal.Aktion_eintragen(folder.filePath(u8("alt.jpg")),
                                             folder.filePath(u8("Urlaub_01.jpg")),
                                             QString::fromLatin1(tw::journal::AktionUmbenannt)));
        const auto saved = journal.Sitzung_speichern(programmstart, 1, u8("Urlaub_©00 - 25©"));
        ASSERT_TRUE(saved) << saved.message().toStdString();
    }

    TempDir folder;
    FakeClock clock; // 05.12.2026 14:03:11
    FakeScreen screen;
    ScriptedMessageBox messages;
    FakeDocumentOpener opener;
};

QStringList row(const char* programmstart, const char* zeit)
{
    return {u8(programmstart), u8("1"), u8("Urlaub_©00 - 25©"),
            u8("/tmp/a.jpg¢/tmp/Urlaub_01.jpg¢%1¢Umbenannt¢").arg(u8(zeit)), u8(zeit)};
}

// ---------------------------------------------------------------------------------------------
// What the window shows

TEST_F(shell_StartWindow, ShowsItsTitleAndButtonTextsWhichFitAFixedFrame)
{
    const auto w = open();
    EXPECT_EQ(w->windowTitle(), u8("Tauschwerk © TW-Team"));
    const QStringList texts = u8s({"Schritt1 _ Datenauswählen", "Verwaltung", "Dokumentation"});
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(button(*w, i), nullptr);
        EXPECT_EQ(button(*w, i)->text(), texts[i]);
        EXPECT_LE(button(*w, i)->sizeHint().width(), button(*w, i)->width()) << i;
    }
    ASSERT_NE(label1(*w), nullptr);
    EXPECT_LE(label1(*w)->sizeHint().width(), label1(*w)->width());
    EXPECT_FALSE(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "the user cannot resize it";
}

// ---------------------------------------------------------------------------------------------
// The number of this program start

TEST_F(shell_StartWindow, EachStartOfTheDayCountsOneMoreThanTheLastSavedSession)
{
    for (int expected = 1; expected <= 3; ++expected) {
        const auto w = open();
        ASSERT_EQ(label1(*w)->text(), QString::number(expected));
        EXPECT_EQ(w->Programmstart, expected);
        EXPECT_EQ(w->Sitzung, 0);
        if (expected == 1) {
            EXPECT_TRUE(folder.entries().isEmpty()) << "the first start writes nothing";
        }
        clock.advance(60);
        saveSession(w->Programmstart);
    }
    EXPECT_TRUE(folder.exists(heuteJournal));
}

TEST_F(shell_StartWindow, Label1ReadsTodaysJournalWithoutChangingIt)
{
    // Binary bytes with an embedded NUL, then an unfinished element.
    const char garbage[] = "\x00\x01PK\x03\x04 kein XML <xml";
    const std::pair<QByteArray, int> faelle[] = {
        {adoJournalXml({row("1", "05.12.2026 08:00:00"), row("2", "05.12.2026 08:40:00")}), 3},
        {adoJournalXml({row("32766", "05.12.2026 10:00:00")}), 32767},
        {QByteArray(garbage, sizeof garbage - 1), 1},
    };
    for (const auto& [content, expected] : faelle) {
        folder.write(heuteJournal, content);
        const auto w = open();
        EXPECT_EQ(label1(*w)->text(), QString::number(expected));
        EXPECT_EQ(w->Programmstart, expected);
        EXPECT_EQ(folder.read(heuteJournal), content);
    }
    EXPECT_TRUE(messages.shown().isEmpty());
}

// ---------------------------------------------------------------------------------------------
// The buttons

TEST_F(shell_StartWindow, DokumentationOpensTheGuideBesideTheProgramOrWarnsWhyNot)
{
    const auto w = open();
    button(*w, 2)->click();
    EXPECT_TRUE(opener.opened().isEmpty());
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(messages.shown()[0].text.contains(u8("Tauschwerk.html")));

    const QString page = folder.write(u8("Tauschwerk.html"), "<html></html>");
    messages.clear();
    button(*w, 2)->click();
    EXPECT_EQ(opener.opened(), QStringList{page});
    EXPECT_TRUE(messages.shown().isEmpty());

    opener.failWith(u8("Kein Programm für HTML-Seiten eingerichtet."));
    button(*w, 2)->click();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(messages.shown()[0].text.contains(u8("Kein Programm für HTML-Seiten eingerichtet.")));
}

TEST_F(shell_StartWindow, VerwaltungOpensOneUndoWindowAFreshOneAfterItsAbbrechenAndClosesWithTheStart)
{
    saveSession(1);
    const auto w = open();
    w->show();
    button(*w, 1)->click();
    QPointer<tw::journal::Zurueck> zurueck = w->zurueck();
    ASSERT_NE(zurueck, nullptr);
    EXPECT_TRUE(zurueck->isVisible());
    EXPECT_TRUE(w->isVisible()) << "the start window stays usable beside it";
    EXPECT_EQ(zurueck->File1->count(), 1) << "it lists the journals of the program folder";

    zurueck->hide();
    button(*w, 1)->click();
    EXPECT_EQ(w->zurueck(), zurueck.data()) << "shown again, not loaded twice";
    EXPECT_TRUE(zurueck->isVisible());
    const QWidgetList fenster = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(fenster.begin(), fenster.end(),
                            [](const QWidget* t) { return t->objectName() == u8("Zurueck"); }),
              1);

    zurueck->Command3->click();
    EXPECT_TRUE(waitUntil([&zurueck] { return zurueck.isNull(); }));
    EXPECT_EQ(w->zurueck(), nullptr);
    button(*w, 1)->click();
    zurueck = w->zurueck();
    ASSERT_NE(zurueck, nullptr);
    EXPECT_TRUE(zurueck->isVisible());

    w->close();
    EXPECT_TRUE(waitUntil([&zurueck] { return zurueck.isNull(); }));
    EXPECT_TRUE(messages.shown().isEmpty());
}

} // namespace
