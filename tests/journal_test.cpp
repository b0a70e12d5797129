#include "journal/DatenBanken.h"
#include "platform/RecordSet.h"
#include "support/FakeClock.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

using tw::journal::DatenBanken;
using tw::journal::Trennzeichen;
using tw::platform::RecordSet;
using tw::platform::Result;
using tw::test::FakeClock;
using tw::test::TempDir;

namespace {

struct Eintrag
{
    QString programmstart, sitzung, aktionsstring, ergebnisstring, zeit;
};

std::vector<Eintrag> lies(const QString& path)
{
    std::vector<Eintrag> out;
    RecordSet rs;
    if (!rs.Open(path))
        return out;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        out.push_back({rs.text(u"Programmstart"), rs.text(u"Sitzung"), rs.text(u"Aktionsstring"),
                       rs.text(u"Ergebnisstring"), rs.text(u"Zeit")});
    return out;
}

class Journal : public ::testing::Test
{
protected:
    Result speichere(qint16 programmstart, qint32 sitzung, int aktionen = 1)
    {
        db.Sitzung_beginnen();
        for (int i = 0; i < aktionen; ++i)
            db.Aktion_eintragen(QStringLiteral("/a/%1.jpg").arg(i), QStringLiteral("/a/neu%1.jpg").arg(i),
                                QStringLiteral("Umbenannt"));
        return db.Sitzung_speichern(programmstart, sitzung, QStringLiteral("Bild_©00 - 25©"));
    }

    QString heute() const { return dir.filePath(QStringLiteral("Sich_05.12.2026.xml")); }

    TempDir dir;
    FakeClock clock;
    DatenBanken db{dir.path(), clock};
};

} // namespace

TEST_F(Journal, PathIsTheDayInGermanFormInTheProgramFolder)
{
    EXPECT_EQ(db.journalPfadHeute(), heute());
    clock.set(QDateTime(QDate(2027, 1, 2), QTime(0, 0, 1)));
    EXPECT_EQ(db.journalPfadHeute(), dir.filePath(QStringLiteral("Sich_02.01.2027.xml")));
}

TEST_F(Journal, FirstSessionOfTheDayIsNumberedOneLaterOnesCarryTheCounter)
{
    ASSERT_TRUE(speichere(3, 7).ok());
    clock.advance(60);
    ASSERT_TRUE(speichere(3, 8).ok());
    const auto records = lies(heute());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].programmstart, QStringLiteral("3"));
    EXPECT_EQ(records[0].sitzung, QStringLiteral("1")) << "the record that creates the file";
    EXPECT_EQ(records[0].aktionsstring, QStringLiteral("Bild_©00 - 25©"));
    EXPECT_EQ(records[0].zeit, QStringLiteral("05.12.2026 14:03:11"));
    EXPECT_EQ(records[1].sitzung, QStringLiteral("8"));
    EXPECT_EQ(records[1].zeit, QStringLiteral("05.12.2026 14:04:11"));
}

TEST_F(Journal, AnEmptySessionWritesNothing)
{
    db.Sitzung_beginnen();
    EXPECT_TRUE(db.Sitzung_speichern(1, 1, QStringLiteral("x")).ok());
    EXPECT_FALSE(dir.exists(QStringLiteral("Sich_05.12.2026.xml")));

    DatenBanken nieBegonnen(dir.path(), clock);
    EXPECT_TRUE(nieBegonnen.Sitzung_speichern(1, 1, QStringLiteral("x")).ok());
    EXPECT_TRUE(dir.entries().isEmpty());

    ASSERT_TRUE(speichere(1, 1).ok());
    const QByteArray before = dir.read(QStringLiteral("Sich_05.12.2026.xml"));
    db.Sitzung_beginnen();
    EXPECT_TRUE(db.Sitzung_speichern(1, 2, QStringLiteral("x")).ok());
    EXPECT_EQ(dir.read(QStringLiteral("Sich_05.12.2026.xml")), before) << "the file is left untouched";
}

TEST_F(Journal, ThreeActionsGiveTwelveFieldsEachEndedByTheSeparator)
{
    db.Sitzung_beginnen();
    db.Aktion_eintragen(QStringLiteral("/a/1.jpg"), QStringLiteral("/a/x1.jpg"), QStringLiteral("Umbenannt"));
    clock.advance(1);
    db.Aktion_eintragen(QStringLiteral("/a/2.jpg"), QStringLiteral("/z/x2.jpg"), QStringLiteral("Kopiert"));
    db.Aktion_eintragen(QStringLiteral("/a/3.jpg"), QString(), QStringLiteral("Fehler"));
    ASSERT_TRUE(db.Sitzung_speichern(1, 1, QStringLiteral("x©0©")).ok());

    const auto records = lies(heute());
    ASSERT_EQ(records.size(), 1u);
    const QStringList pieces = records[0].ergebnisstring.split(Trennzeichen);
    ASSERT_EQ(pieces.size(), 13);
    EXPECT_EQ(pieces.last(), QString());
    EXPECT_EQ(pieces.mid(0, 4), (QStringList{QStringLiteral("/a/1.jpg"), QStringLiteral("/a/x1.jpg"),
                                             QStringLiteral("05.12.2026 14:03:11"), QStringLiteral("Umbenannt")}));
    EXPECT_EQ(pieces.mid(4, 4), (QStringList{QStringLiteral("/a/2.jpg"), QStringLiteral("/z/x2.jpg"),
                                             QStringLiteral("05.12.2026 14:03:12"), QStringLiteral("Kopiert")}));
    EXPECT_EQ(pieces[9], QString()) << "a missing value is the empty text";
    EXPECT_EQ(pieces[11], QStringLiteral("Fehler"));
}

TEST_F(Journal, ASessionSavedAfterMidnightGoesToTheNewDaysFile)
{
    ASSERT_TRUE(speichere(1, 1).ok());
    db.Sitzung_beginnen();
    db.Aktion_eintragen(QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("Umbenannt"));
    clock.set(QDateTime(QDate(2026, 12, 6), QTime(0, 0, 5)));
    ASSERT_TRUE(db.Sitzung_speichern(1, 2, QStringLiteral("x")).ok());
    EXPECT_EQ(lies(heute()).size(), 1u);
    const auto neu = lies(dir.filePath(QStringLiteral("Sich_06.12.2026.xml")));
    ASSERT_EQ(neu.size(), 1u);
    EXPECT_EQ(neu[0].sitzung, QStringLiteral("1"));
    EXPECT_EQ(neu[0].zeit, QStringLiteral("06.12.2026 00:00:05"));
}

TEST_F(Journal, ProgramStartCountsTheStartsOfTheDay)
{
    EXPECT_EQ(db.Programmstart_ermitteln(), 1) << "no journal yet";
    ASSERT_TRUE(speichere(1, 1).ok());
    EXPECT_EQ(db.Programmstart_ermitteln(), 2);
    clock.advance(5);
    ASSERT_TRUE(speichere(4, 1).ok());
    clock.advance(5);
    ASSERT_TRUE(speichere(2, 1).ok());
    EXPECT_EQ(db.Programmstart_ermitteln(), 3) << "the newest record by time counts, not the largest number";
    clock.set(QDateTime(QDate(2026, 12, 6), QTime(8, 0)));
    EXPECT_EQ(db.Programmstart_ermitteln(), 1) << "a new day starts again at 1";
}

TEST_F(Journal, UnusableJournalsStartTheCountAtOne)
{
    for (const char* start : {"32767", "abc", "", "-1"}) {
        RecordSet rs;
        for (const char* f : {"Programmstart", "Sitzung", "Aktionsstring", "Ergebnisstring", "Zeit"})
            rs.Append(QString::fromLatin1(f), tw::platform::adType::VarChar, 100);
        rs.Open();
        rs.AddNew();
        rs.setValue(u"Programmstart", QString::fromLatin1(start));
        rs.setValue(u"Zeit", QStringLiteral("05.12.2026 10:00:00"));
        rs.Update();
        QFile::remove(heute());
        ASSERT_TRUE(rs.Save(heute()).ok());
        EXPECT_EQ(db.Programmstart_ermitteln(), 1) << start;
    }
    dir.write(QStringLiteral("Sich_05.12.2026.xml"), "<xml><kaputt");
    EXPECT_EQ(db.Programmstart_ermitteln(), 1);
}

TEST_F(Journal, AnUnreadableJournalIsNeitherOverwrittenNorSilentlyDropped)
{
    dir.write(QStringLiteral("Sich_05.12.2026.xml"), "kein XML");
    const Result r = speichere(1, 1);
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.message().contains(QStringLiteral("Sicherungsdatei"))) << r.message().toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("Sich_05.12.2026.xml")), QByteArray("kein XML"));
}

TEST_F(Journal, ValuesSurviveTheRoundTripUnchanged)
{
    const QString heikel = QStringLiteral("Tom's \"Bild\" & <Ordner>\tTab\rCR\nLF\r\n ¢ © ® äöüß ÄÖÜ");
    QString gross;
    gross.reserve(10 * 1024 * 1024);
    while (gross.size() < 10 * 1024 * 1024)
        gross += QStringLiteral("/home/nutzer/Bilder/Urlaub 2026/Strand <%1> & 'Meer'.jpg").arg(gross.size());
    db.Sitzung_beginnen();
    db.Aktion_eintragen(heikel, gross, QStringLiteral("Verschoben"));
    ASSERT_TRUE(db.Sitzung_speichern(1, 1, heikel).ok());
    const auto records = lies(heute());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].aktionsstring, heikel);
    EXPECT_TRUE(records[0].ergebnisstring == heikel + Trennzeichen + gross + Trennzeichen +
                                                 QStringLiteral("05.12.2026 14:03:11") + Trennzeichen +
                                                 QStringLiteral("Verschoben") + Trennzeichen);
}

namespace {

// Writes the temporary file completely, then fails where the rename would replace the journal.
class FailingWriter : public tw::platform::AtomicFileWriter
{
protected:
    Result commit(const QString& tempPath, const QString&) override
    {
        tempWritten = QFile(tempPath).size() > 0;
        return Result::failure(EIO, QStringLiteral("Ein-/Ausgabefehler"));
    }

public:
    bool tempWritten = false;
};

} // namespace

TEST_F(Journal, ASaveThatFailsLeavesTheOldJournalAndKeepsTheSessionForARetry)
{
    ASSERT_TRUE(speichere(1, 1).ok());
    const QByteArray before = dir.read(QStringLiteral("Sich_05.12.2026.xml"));

    auto failing = std::make_unique<FailingWriter>();
    FailingWriter* writer = failing.get();
    db.setWriter(std::move(failing));
    db.Sitzung_beginnen();
    db.Aktion_eintragen(QStringLiteral("/x"), QStringLiteral("/y"), QStringLiteral("Umbenannt"));
    const Result r = db.Sitzung_speichern(1, 2, QStringLiteral("x"));
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(writer->tempWritten);
    EXPECT_TRUE(r.message().contains(QStringLiteral("Ein-/Ausgabefehler")));
    EXPECT_EQ(dir.read(QStringLiteral("Sich_05.12.2026.xml")), before);
    EXPECT_EQ(dir.entries(), QStringList{QStringLiteral("Sich_05.12.2026.xml")}) << "no temporary file left";

    db.setWriter(std::make_unique<tw::platform::AtomicFileWriter>());
    ASSERT_TRUE(db.Sitzung_speichern(1, 2, QStringLiteral("x")).ok()) << "closing again retries";
    EXPECT_EQ(lies(heute()).size(), 2u);
}

TEST_F(Journal, AJournalThatCannotBeWrittenIsReportedWithTheReason)
{
    // A folder where the day's file should be: the replacement fails whoever runs the test.
    QDir(dir.path()).mkdir(QStringLiteral("Sich_05.12.2026.xml"));
    const Result r = speichere(1, 1);
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.message().contains(QStringLiteral("Sich_05.12.2026.xml"))) << r.message().toStdString();
    EXPECT_TRUE(r.message().contains(QStringLiteral("Ordner"))) << r.message().toStdString();
    EXPECT_EQ(db.aktionenAnzahl(), 1) << "the session stays for a retry";
}

TEST(JournalProcesses, TwoProcessesSavingAtOnceLoseNothing)
{
    TempDir dir;
    QProcess a, b;
    a.start(QStringLiteral(JOURNAL_WRITER), {dir.path(), QStringLiteral("1"), QStringLiteral("100")});
    b.start(QStringLiteral(JOURNAL_WRITER), {dir.path(), QStringLiteral("2"), QStringLiteral("100")});
    ASSERT_TRUE(a.waitForFinished(300000));
    ASSERT_TRUE(b.waitForFinished(300000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();

    // Both may have crossed midnight: count over every journal of the folder.
    int records = 0;
    QSet<QString> seen;
    for (const QString& name : dir.entries()) {
        ASSERT_TRUE(name.startsWith(QStringLiteral("Sich_")) && name.endsWith(QStringLiteral(".xml"))) << name.toStdString();
        for (const Eintrag& e : lies(dir.filePath(name))) {
            ++records;
            seen.insert(e.programmstart + u'/' + e.ergebnisstring.section(Trennzeichen, 0, 0));
        }
    }
    EXPECT_EQ(records, 200);
    EXPECT_EQ(seen.size(), 200);
}
