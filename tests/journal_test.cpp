#include "journal/DatenBanken.h"
#include "journal/Journalansicht.h"
#include "journal/Sitzungsauswahl.h"
#include "journal/Wiederherstellung.h"
#include "platform/RecordSet.h"
#include "support/AdoJournal.h"
#include "support/FakeClock.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>

using tw::journal::DatenBanken;
using tw::journal::Trennzeichen;
using tw::platform::Result;
using namespace tw::test;

namespace {

// Where journalRecords lists a record's session, results and time.
constexpr int Sitzung = 1, Ergebnisstring = 3, Zeit = 4;

class Journal : public ::testing::Test
{
protected:
    Result speichere(qint16 programmstart, qint32 sitzung)
    {
        db.Sitzung_beginnen();
        EXPECT_TRUE(db.Aktion_eintragen(u8("/a/0.jpg"), u8("/a/neu0.jpg"), u8("Umbenannt")));
        return db.Sitzung_speichern(programmstart, sitzung, u8("Bild_©00 - 25©"));
    }

    QString heute() const { return dir.filePath(u8("Sich_05.12.2026.xml")); }

    TempDir dir;
    FakeClock clock; // 05.12.2026 14:03:11
    DatenBanken db{dir.path(), clock};
};

} // namespace

// Leading zeros, the milliseconds dropped, and a year below 1000 padded rather than cut.
TEST(Zeittext, TheFixedGermanFormWithLeadingZeros)
{
    EXPECT_EQ(tw::platform::dateTimeText(QDateTime(QDate(999, 3, 4), QTime(5, 6, 7, 999))),
              u8("04.03.0999 05:06:07"));
}

TEST_F(Journal, FirstSessionOfTheDayIsNumberedOneLaterOnesCarryTheCounterAndAnEmptyOneWritesNothing)
{
    db.Sitzung_beginnen();
    EXPECT_TRUE(db.Sitzung_speichern(1, 1, u8("x")).ok());
    EXPECT_TRUE(DatenBanken(dir.path(), clock).Sitzung_speichern(1, 1, u8("x")).ok()) << "never begun";
    EXPECT_TRUE(dir.entries().isEmpty());
    ASSERT_TRUE(speichere(3, 7).ok());
    clock.advance(60);
    db.Sitzung_beginnen();
    EXPECT_TRUE(db.Aktion_eintragen(u8("/a/1.jpg"), u8("/a/x1.jpg"), u8("Umbenannt")));
    clock.advance(1);
    EXPECT_TRUE(db.Aktion_eintragen(u8("/a/2.jpg"), u8("/z/x2.jpg"), u8("Kopiert")));
    EXPECT_TRUE(db.Aktion_eintragen(u8("/a/3.jpg"), QString(), u8("Fehler")));
    ASSERT_TRUE(db.Sitzung_speichern(3, 8, u8("x©0©")).ok());

    const auto records = journalRecords(heute());
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0], u8s({"3", "1", "Bild_©00 - 25©",
                               "/a/0.jpg¢/a/neu0.jpg¢05.12.2026 14:03:11¢Umbenannt¢", "05.12.2026 14:03:11"}))
        << "the record that creates the file is session 1";
    EXPECT_EQ(std::pair(records[1][Sitzung], records[1][Zeit]),
              std::pair(u8("8"), u8("05.12.2026 14:04:12")));
    EXPECT_EQ(records[1][Ergebnisstring].split(Trennzeichen).mid(4),
              u8s({"/a/2.jpg", "/z/x2.jpg", "05.12.2026 14:04:12", "Kopiert", "/a/3.jpg", "",
                   "05.12.2026 14:04:12", "Fehler", ""}));

    const QByteArray before = dir.read(u8("Sich_05.12.2026.xml"));
    EXPECT_TRUE(db.Sitzung_speichern(3, 8, u8("x©0©")).ok());
    EXPECT_EQ(dir.read(u8("Sich_05.12.2026.xml")), before) << "a saved session is not written twice";
}

TEST_F(Journal, ProgramStartCountsTheStartsOfTheDayAndAnUnusableJournalStartsAtOne)
{
    EXPECT_EQ(db.Programmstart_ermitteln(), 1) << "no journal yet";
    ASSERT_TRUE(speichere(1, 1).ok());
    EXPECT_EQ(db.Programmstart_ermitteln(), 2);
    clock.advance(5);
    ASSERT_TRUE(speichere(4, 1).ok());
    clock.advance(5);
    ASSERT_TRUE(speichere(2, 1).ok());
    EXPECT_EQ(db.Programmstart_ermitteln(), 3) << "the newest record by time counts, not the largest number";
    ASSERT_TRUE(speichere(5, 1).ok());
    EXPECT_EQ(db.Programmstart_ermitteln(), 6) << "of two in the same second the one saved last";
    clock.set(QDateTime(QDate(2026, 12, 6), QTime(0, 0, 5)));
    EXPECT_EQ(db.Programmstart_ermitteln(), 1) << "a new day starts again at 1";
    ASSERT_TRUE(speichere(5, 2).ok());
    const auto neu = journalRecords(dir.filePath(u8("Sich_06.12.2026.xml")));
    ASSERT_EQ(neu.size(), 1) << "a session after midnight goes to the new day's file";
    EXPECT_EQ(neu[0][Zeit], u8("06.12.2026 00:00:05"));

    for (const char* start : {"32767", "abc"}) {
        dir.write(u8("Sich_06.12.2026.xml"),
                  adoJournalXml({{u8(start), u8("1"), {}, {}, u8("06.12.2026 10:00:00")}}));
        EXPECT_EQ(db.Programmstart_ermitteln(), 1) << start;
    }
}

// Each kind of journal that cannot be read: the start says which file and why, every new session is
// kept in the side file (past one that is no journal either) and counted there, the undo refuses the file
// with its reason, the file itself is never touched, and once it reads again it takes the sessions again.
TEST(JournalUnlesbar, EachKindIsNamedLeftAsItIsAndTheSessionsGoBeside)
{
    const QByteArray gut = adoJournalXml({{u8("1"), u8("1"), u8("x"), u8("/a¢/b¢t¢Umbenannt¢"), u8("z")}});
    const QByteArray lachen =
        "<?xml version='1.0'?><!DOCTYPE xml [<!ENTITY a 'aaaaaaaaaa'>"
        "<!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;'><!ENTITY c '&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;'>"
        "<!ENTITY d '&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;'><!ENTITY e '&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;'>]>";
    for (const auto& [art, inhalt, sperren] :
         std::initializer_list<std::tuple<const char*, QByteArray, bool>>{
             {"truncated", gut.left(gut.size() / 2), false},
             {"wrong root", QByteArray(gut).replace("<xml ", "<tabelle ").replace("</xml>", "</tabelle>"),
              false},
             {"not XML", "Programmstart;Sitzung\r\n1;1\r\n", false},
             {"entity expansion", lachen + QByteArray(gut).replace("<xml ", "<xml a='&e;&e;&e;&e;&e;' "),
              false},
             // Read as it is, it would lose that byte for good at the next save.
             {"wrong encoding", QByteArray(gut).replace("/a", "/\xE4"), false},
             {"no permission to read", gut, true},
         }) {
        SCOPED_TRACE(art);
        TempDir dir;
        FakeClock clock;
        DatenBanken db{dir.path(), clock};
        const QString pfad = dir.write(u8("Sich_05.12.2026.xml"), inhalt);
        dir.write(u8("Sich_05.12.2026_2.xml"), "auch kein Journal");
        const QString seite = dir.filePath(u8("Sich_05.12.2026_3.xml"));
        if (sperren && ::geteuid() == 0) {
            std::cout << "[ SKIPPED  ] " << art << ": root reads any file\n";
            continue;
        }
        if (sperren)
            ::chmod(QFile::encodeName(pfad).constData(), 0);
        std::optional<tw::journal::UnlesbaresJournal> unlesbar;
        EXPECT_EQ(db.Programmstart_ermitteln(&unlesbar), 1);
        ASSERT_TRUE(unlesbar);
        const QString meldung = tw::journal::startMeldung({}, unlesbar);
        EXPECT_TRUE(meldung.contains(pfad) && meldung.contains(u8("kann nicht gelesen werden")) &&
                    meldung.contains(seite) && !unlesbar->grund.isEmpty())
            << meldung.toStdString();

        for (const qint16 start : {1, 2}) {
            db.Sitzung_beginnen();
            EXPECT_TRUE(db.Aktion_eintragen(u8("/a/0.jpg"), u8("/a/neu0.jpg"), u8("Umbenannt")));
            ASSERT_TRUE(db.Sitzung_speichern(start, 5, u8("x")));
            EXPECT_TRUE(db.hinweis().contains(pfad) && db.hinweis().contains(seite))
                << db.hinweis().toStdString();
            EXPECT_EQ(db.Programmstart_ermitteln(), start + 1);
        }
        const auto beiseite = journalRecords(seite);
        ASSERT_EQ(beiseite.size(), 2);
        EXPECT_EQ(std::pair(beiseite[0][Sitzung], beiseite[1][Sitzung]), std::pair(u8("1"), u8("5")))
            << "the record that creates the file is session 1";

        tw::platform::RecordSet rs;
        const Result geoeffnet = tw::journal::journalOeffnen(pfad, rs);
        EXPECT_TRUE(!geoeffnet && !geoeffnet.message().isEmpty());
        ::chmod(QFile::encodeName(pfad).constData(), 0644);
        EXPECT_TRUE(dir.read(u8("Sich_05.12.2026.xml")) == inhalt) << "never overwritten";
        EXPECT_EQ(dir.read(u8("Sich_05.12.2026_2.xml")), QByteArray("auch kein Journal"));

        dir.write(u8("Sich_05.12.2026.xml"), adoJournalXml({}));
        db.Sitzung_beginnen();
        EXPECT_TRUE(db.Aktion_eintragen(u8("/a/1.jpg"), u8("/a/neu1.jpg"), u8("Umbenannt")));
        ASSERT_TRUE(db.Sitzung_speichern(3, 1, u8("x")));
        EXPECT_TRUE(journalRecords(pfad).size() == 1 && db.hinweis().isEmpty());
    }
}

// The retried session holds a value of 10 MB, which comes back whole.
TEST_F(Journal, AFailedSaveLeavesTheOldJournalSaysWhyAndKeepsTheSessionForARetry)
{
    ASSERT_TRUE(speichere(1, 1).ok());
    const QByteArray before = dir.read(u8("Sich_05.12.2026.xml"));
    auto failing = std::make_unique<FailingWriter>();
    FailingWriter* writer = failing.get();
    db.setWriter(std::move(failing));
    QString gross;
    while (gross.size() < 10 * 1024 * 1024)
        gross += u8("/home/nutzer/Bilder/Urlaub 2026/Strand <%1> & 'Meer'.jpg").arg(gross.size());
    db.Sitzung_beginnen();
    EXPECT_TRUE(db.Aktion_eintragen(u8("/x"), gross, u8("Verschoben")));
    const Result r = db.Sitzung_speichern(1, 2, u8("x"));
    EXPECT_TRUE(!r.ok() && writer->tempWritten && r.message().contains(u8("Ein-/Ausgabefehler")))
        << r.message().toStdString();
    EXPECT_EQ(dir.read(u8("Sich_05.12.2026.xml")), before);
    EXPECT_EQ(dir.entries(), (QStringList{u8("Sich_05.12.2026.xml"), QFileInfo(db.vorabPfad()).fileName()}))
        << "no temporary file left, and the recovery file kept";
    db.setWriter(std::make_unique<tw::platform::AtomicFileWriter>());
    ASSERT_TRUE(db.Sitzung_speichern(1, 2, u8("x")).ok()) << "closing again retries";
    const auto records = journalRecords(heute());
    EXPECT_TRUE(records.size() == 2 && records[1][Ergebnisstring].section(Trennzeichen, 1, 1) == gross);
    EXPECT_EQ(dir.entries(), u8s({"Sich_05.12.2026.xml"})) << "the saved session's recovery file is gone";

    // A folder where the next day's file should be: the replacement fails whoever runs the test.
    QDir(dir.path()).mkdir(u8("Sich_06.12.2026.xml"));
    clock.advance(86400);
    const Result ordner = speichere(1, 1);
    EXPECT_TRUE(ordner.message().contains(u8("Sich_06.12.2026.xml: Der Pfad ist ein Ordner")) &&
                db.aktionenAnzahl() == 1)
        << ordner.message().toStdString();
}

// Journals list the user's paths: who may read them is the user's umask's say, as for any new file.
TEST_F(Journal, NewJournalsAndPagesHonourTheUmaskAndAReplacedJournalKeepsItsMode)
{
    const auto mode = [this](const char* name) { return QFileInfo(dir.filePath(u8(name))).permissions(); };
    const auto nurIch = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    const mode_t vorher = ::umask(077);
    ASSERT_TRUE(speichere(1, 1).ok());
    tw::platform::AtomicFileWriter writer;
    ASSERT_TRUE(tw::journal::Anzeigen(dir.path(), {}, writer));
    EXPECT_EQ(std::pair(mode("Sich_05.12.2026.xml"), mode("versionen.html")), std::pair(nurIch, nurIch));
    ::umask(vorher);
    QFile::setPermissions(heute(), nurIch | QFile::ReadGroup);
    ASSERT_TRUE(speichere(1, 2).ok());
    EXPECT_EQ(mode("Sich_05.12.2026.xml"), nurIch | QFile::ReadGroup);
}

// Another process holds the lock; meanwhile a timer of this one closes a second rename window.
TEST_F(Journal, WaitingForTheLockLetsEventsRunRefusesASecondSaveAndEndsInTime)
{
    int argc = 1;
    char name[] = "test_journal";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    struct : tw::platform::LockWaitHook
    {
        int waits = 0, ends = 0;
        void waitBegins() override { ++waits; }
        void waitEnds() override { ++ends; }
    } hook;
    tw::platform::setLockWaitHook(&hook);
    QLockFile fremd(heute() + u8(".lock"));
    ASSERT_TRUE(fremd.tryLock(0));
    DatenBanken zweite(dir.path(), clock);
    EXPECT_TRUE(zweite.Aktion_eintragen(u8("/b"), u8("/c"), u8("Umbenannt")));
    Result zweitesSpeichern;
    QTimer::singleShot(50, [&] { zweitesSpeichern = zweite.Sitzung_speichern(1, 2, u8("x")); });
    QTimer::singleShot(250, [&] { fremd.unlock(); });

    ASSERT_TRUE(speichere(1, 1).ok());
    EXPECT_TRUE(zweitesSpeichern.message().contains(u8("gerade"))) << "not run inside the first";
    EXPECT_EQ(zweite.aktionenAnzahl(), 1) << "and kept for the next try";
    EXPECT_EQ(journalRecords(heute()).size(), 1);
    EXPECT_EQ(std::pair(hook.waits, hook.ends), std::pair(1, 1));

    ASSERT_TRUE(fremd.tryLock(0)); // the second wait runs out
    QElapsedTimer zeit;
    zeit.start();
    const Result r = tw::platform::FileLock(heute()).acquire(200);
    EXPECT_GE(zeit.elapsed(), 200);
    EXPECT_TRUE(r.message().endsWith(u8("Die Datei ist von einem anderen Vorgang gesperrt.")));
    fremd.unlock();

    // A program that ended between making the lock file and writing it left it empty: it holds nothing
    // off once it is a few seconds old.
    QFile leer(heute() + u8(".lock"));
    ASSERT_TRUE(leer.open(QIODevice::WriteOnly));
    leer.close();
    EXPECT_FALSE(tw::platform::FileLock(heute()).acquire(100)) << "it may be another's, just made";
    ASSERT_TRUE(leer.open(QIODevice::Append));
    ASSERT_TRUE(
        leer.setFileTime(QDateTime::currentDateTime().addSecs(-5), QFileDevice::FileModificationTime));
    leer.close();
    zeit.restart();
    EXPECT_TRUE(tw::platform::FileLock(heute()).acquire(5000) && zeit.elapsed() < 1000);
    tw::platform::setLockWaitHook(nullptr);
}

// One program saves, one saves and undoes every second session of its own, one recovers the sessions
// that crashed programs left, all at once on the same day.
TEST(JournalProcesses, SavesAnUndoAndARecoveryAtOnceLoseNothing)
{
    TempDir dir;
    const auto schreiber = [&dir](QProcess& p, const char* start, const char* anzahl, const char* modus) {
        p.start(u8(ABSTURZ_TREIBER), {u8("zugleich"), dir.path(), u8(start), u8(anzahl), u8(modus)});
    };
    QProcess liegen, a, b, c;
    schreiber(liegen, "3", "30", "liegenlassen");
    ASSERT_TRUE(liegen.waitForFinished(60000));
    ASSERT_EQ(dir.entries().filter(u8(".offen")).size(), 30);
    schreiber(a, "1", "100", "speichern");
    schreiber(b, "2", "100", "rueckgaengig");
    schreiber(c, "0", "0", "wiederherstellen");
    for (QProcess* p : {&a, &b, &c}) {
        ASSERT_TRUE(p->waitForFinished(300000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    EXPECT_EQ(c.readAllStandardOutput().trimmed(), "30");

    // They may have crossed midnight: count over every journal of the folder.
    QStringList gesehen;
    for (const QString& name : dir.entries()) {
        ASSERT_TRUE(name.startsWith(u8("Sich_")) && name.endsWith(u8(".xml"))) << name.toStdString();
        for (const QStringList& r : journalRecords(dir.filePath(name)))
            gesehen << r[Ergebnisstring].section(Trennzeichen, 0, 0);
    }
    QStringList erwartet;
    for (int i = 1; i <= 100; ++i) {
        erwartet << u8("/alt/1-%1").arg(i);
        if (i % 2)
            erwartet << u8("/alt/2-%1").arg(i);
        if (i <= 30)
            erwartet << u8("/alt/3-%1").arg(i);
    }
    gesehen.sort();
    erwartet.sort();
    EXPECT_EQ(gesehen, erwartet);
}
