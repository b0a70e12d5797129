#include "journal/DatenBanken.h"
#include "journal/Rueckgaengig.h"
#include "platform/FileOps.h"
#include "platform/RecordSet.h"
#include "rename/Datensicherung.h"
#include "rename/Umbenennlauf.h"
#include "support/IsolatedTrash.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QMap>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tw::journal;
using tw::platform::errorText;
using tw::platform::FileAction;
using tw::test::TempDir;
using tw::test::tree;

namespace {

// A folder nobody may write into: by its mode for a user; root ignores modes, but not the immutable flag.
[[nodiscard]] bool schreibschutz(const QString& ordner, bool an)
{
    const QByteArray pfad = QFile::encodeName(ordner);
    if (::geteuid() != 0)
        return ::chmod(pfad.constData(), an ? 0555 : 0755) == 0;
    const int fd = ::open(pfad.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool gesetzt = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = an ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    gesetzt = gesetzt && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return gesetzt;
}

const tw::test::IsolatedTrash papierkorb;

// The work list batches its view updates on a timer.
int argc = 1;
char name[] = "test_collision";
char* argv[] = {name, nullptr};
QCoreApplication app(argc, argv);
constexpr auto R = FileAction::Rename, C = FileAction::Copy, M = FileAction::Move;

QString aktionText(FileAction a)
{
    return tw::rename::aktionstext(static_cast<int>(a));
}

struct Schritt
{
    FileAction aktion;
    QString alt, neu;   // below the tree's root, or absolute
    QString grund = {}; // the failure's text; empty: done
};

// A session as the run records it: each operation, then its journal entry; saved, then undone through
// the real undo. The journal lives in a folder of its own beside the tree.
struct Sitzung
{
    QString pfad(const QString& p) const { return p.startsWith(u'/') ? p : baum.filePath(p); }

    QStringList ausfuehren(const QVector<Schritt>& schritte)
    {
        db.Sitzung_beginnen();
        QStringList gruende;
        for (const Schritt& s : schritte) {
            const auto f = tw::platform::performFileAction(s.aktion, pfad(s.alt), pfad(s.neu));
            gruende << f.reason;
            EXPECT_TRUE(db.Aktion_eintragen(pfad(s.alt), pfad(s.neu),
                                            f.done() ? aktionText(s.aktion) : u8(AktionFehler)));
        }
        EXPECT_TRUE(db.Sitzung_speichern(1, 1, u8("x")));
        return gruende;
    }
    RueckgaengigErgebnis rueckgaengig()
    {
        tw::platform::RecordSet rs;
        EXPECT_TRUE(rs.Open(db.journalPfadHeute()));
        EXPECT_TRUE(rs.MoveFirst());
        const Sitzungssatz satz = Sitzungssatz::lesen(rs);
        ergebnis = satz.Ergebnisstring.toString();
        DateiUmkehrer umkehrer;
        tw::platform::AtomicFileWriter writer;
        return Rueckgaengig(db.journalPfadHeute(), satz, umkehrer, writer);
    }

    TempDir baum, programm;
    tw::platform::SystemClock uhr;
    DatenBanken db{programm.path(), uhr};
    QString ergebnis;
};

void verweis(const TempDir& d, const char* ziel, const char* name)
{
    ASSERT_EQ(::symlink(ziel, QFile::encodeName(d.filePath(u8(name))).constData()), 0);
}

} // namespace

// Each case starts from a.jpg ("A") and b.jpg ("B") in the tree; its setup adds what stands in the way.
// Every case: the files end as the actions say, each failure has its German reason, the journal records
// "Fehler" for exactly the failures, and the undo restores the tree, apart from what it reports failed.
TEST(Kollisionen, NoFileIsLostOrChangedBeyondItsActionAndTheUndoRestoresTheTree)
{
    const QString da = errorText(EEXIST), fehlt = errorText(ENOENT);
    const QString kaputt = u8("Der Dateiname enthält Zeichen, die nicht dargestellt werden können.");
    const QString lang = QString(251, u'l') + u8(".jpg"); // 255 bytes
    struct Fall
    {
        const char* name;
        // What stands there, or has gone, when the session touches the files: the run looks at each
        // file at the moment of its operation, so a folder or a source removed since the take-over or
        // during the run is the same case as one missing.
        std::function<void(TempDir&)> vorher;
        QVector<Schritt> schritte = {};
    };
    const auto nichts = [](TempDir&) {};
    const std::vector<Fall> faelle = {
        {"target is a file",
         nichts,
         {{R, u8("a.jpg"), u8("b.jpg"), da},
          {M, u8("a.jpg"), u8("b.jpg"), da},
          {C, u8("a.jpg"), u8("b.jpg")}}},
        {"target is a folder",
         [](TempDir& d) { d.write(u8("o/x"), "x"); },
         {{R, u8("a.jpg"), u8("o"), da},
          {M, u8("a.jpg"), u8("o"), da},
          {C, u8("a.jpg"), u8("o"), errorText(EISDIR)}}},
        {"target is a link",
         [](TempDir& d) { verweis(d, "b.jpg", "v.jpg"); },
         {{R, u8("a.jpg"), u8("v.jpg"), da},
          {M, u8("a.jpg"), u8("v.jpg"), da},
          {C, u8("a.jpg"), u8("v.jpg")}}},
        {"target is a dangling link",
         [](TempDir& d) { verweis(d, "nirgends", "v.jpg"); },
         {{R, u8("a.jpg"), u8("v.jpg"), da},
          {M, u8("a.jpg"), u8("v.jpg"), da},
          {C, u8("a.jpg"), u8("v.jpg")}}},
        {"two files of one run to one name",
         nichts,
         {{R, u8("a.jpg"), u8("x.jpg")}, {R, u8("b.jpg"), u8("x.jpg"), da}}},
        {"target is the source",
         nichts,
         {{R, u8("a.jpg"), u8("a.jpg")},
          {M, u8("b.jpg"), u8("b.jpg")},
          {C, u8("a.jpg"), u8("./a.jpg"), u8("Quelle und Ziel sind dieselbe Datei.")}}},
        {"target folder missing",
         nichts,
         {{R, u8("a.jpg"), u8("z/a.jpg"), fehlt},
          {M, u8("a.jpg"), u8("z/a.jpg"), fehlt},
          {C, u8("a.jpg"), u8("z/a.jpg"), fehlt}}},
        {"source removed since the take-over",
         [](TempDir& d) { QFile::remove(d.filePath(u8("a.jpg"))); },
         {{R, u8("a.jpg"), u8("x.jpg"), fehlt},
          {M, u8("a.jpg"), u8("x.jpg"), fehlt},
          {C, u8("a.jpg"), u8("x.jpg"), fehlt}}},
        {"source replaced by a folder",
         [](TempDir& d) {
             QFile::remove(d.filePath(u8("a.jpg")));
             d.write(u8("a.jpg/x"), "x");
         },
         {{R, u8("a.jpg"), u8("x.jpg"), errorText(EISDIR)},
          {M, u8("a.jpg"), u8("x.jpg"), errorText(EISDIR)},
          {C, u8("a.jpg"), u8("x.jpg"), errorText(EISDIR)}}},
        // The file at the path is the one the user sees now: it is the one that is renamed.
        {"source replaced by another file",
         [](TempDir& d) { d.write(u8("a.jpg"), "neu"); },
         {{R, u8("a.jpg"), u8("x.jpg")}}},
        // The journal's separator ¢ in a name is the undo test's: the undo refuses that record.
        {"hostile names",
         nichts,
         {{R, u8("a.jpg"), u8("Bob's \"1\" $(rm -rf ~) `id`.jpg")},
          {C, u8("b.jpg"), u8("-rf\tzwei\nzeilen © ®.jpg")},
          {C, u8("b.jpg"), lang},
          {C, u8("b.jpg"), u8("l") + lang, errorText(ENAMETOOLONG)}}},
        {"names that are not UTF-8",
         [](TempDir& d) {
             ::close(::creat(QFile::encodeName(d.path()).append("/caf\xe9.jpg").constData(), 0644));
         },
         {{R, u8("caf\xef\xbf\xbd.jpg"), u8("c.jpg"), kaputt},
          {C, u8("a.jpg"), u8("caf\xef\xbf\xbd.jpg"), kaputt}}},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.name);
        papierkorb.empty();
        Sitzung s;
        s.baum.write(u8("a.jpg"), "A");
        s.baum.write(u8("b.jpg"), "B");
        fall.vorher(s.baum);
        const QStringList vorher = tree(s.baum.path());
        QStringList erwartet;
        for (const Schritt& schritt : fall.schritte)
            erwartet << schritt.grund;
        EXPECT_EQ(s.ausfuehren(fall.schritte), erwartet);

        const RueckgaengigErgebnis e = s.rueckgaengig();
        const auto aktionen = aktionenLesen(s.ergebnis);
        ASSERT_TRUE(aktionen);
        QStringList texte, soll;
        for (int i = 0; i < fall.schritte.size(); ++i) {
            texte << (*aktionen)[i].Aktion;
            soll << (fall.schritte[i].grund.isEmpty() ? aktionText(fall.schritte[i].aktion)
                                                      : u8(AktionFehler));
        }
        EXPECT_EQ(texte, soll) << "the journal tells the truth";
        EXPECT_TRUE(e.fehlgeschlagen.isEmpty()) << ergebnisMeldung(e).toStdString();
        EXPECT_TRUE(e.journalGeloescht);
        EXPECT_EQ(tree(s.baum.path()), vorher);
        ::unlink(QFile::encodeName(s.baum.path()).append("/caf\xe9.jpg").constData());
    }
    std::cout << faelle.size() << " cases\n";

    {
        Sitzung s;
        s.baum.write(u8("a.jpg"), "A");
        s.baum.write(u8("r/c.jpg"), "C");
        const QString r = s.baum.filePath(u8("r"));
        if (!schreibschutz(r, true)) {
            std::cout
                << "[ SKIPPED  ] read-only folder: neither its mode nor the immutable flag holds here\n";
        } else {
            const auto frei = qScopeGuard([&] { static_cast<void>(schreibschutz(r, false)); });
            const QStringList vorher = tree(s.baum.path());
            EXPECT_EQ(s.ausfuehren({{R, u8("r/c.jpg"), u8("r/d.jpg")},
                                    {C, u8("a.jpg"), u8("r/a.jpg")},
                                    {M, u8("a.jpg"), u8("r/a.jpg")}}),
                      QStringList(3, u8("Zugriff verweigert.")));
            EXPECT_TRUE(s.rueckgaengig().fehlgeschlagen.isEmpty());
            EXPECT_EQ(tree(s.baum.path()), vorher);
        }
    }

    // Another file system: a rename cannot reach it, a move and a copy can, and the undo brings both back.
    Sitzung s;
    const auto dort = tw::test::otherFileSystem(s.baum.path());
    if (!dort) {
        std::cout << "[ SKIPPED  ] another file system: none writable in /dev/shm, /run/user, /var/tmp\n";
        return;
    }
    s.baum.write(u8("a.jpg"), "A");
    s.baum.write(u8("b.jpg"), "B");
    const QStringList hier = tree(s.baum.path());
    const QString ziel = dort->path() + u8("/");
    EXPECT_EQ(s.ausfuehren({{R, u8("a.jpg"), ziel + u8("a.jpg"), errorText(EXDEV)},
                            {M, u8("a.jpg"), ziel + u8("a.jpg")},
                            {C, u8("b.jpg"), ziel + u8("b.jpg")}}),
              u8s({errorText(EXDEV).toUtf8().constData(), "", ""}));
    EXPECT_EQ(tree(dort->path()), u8s({"a.jpg: A", "b.jpg: B"}));
    const RueckgaengigErgebnis e = s.rueckgaengig();
    EXPECT_TRUE(e.fehlgeschlagen.isEmpty()) << ergebnisMeldung(e).toStdString();
    EXPECT_EQ(tree(s.baum.path()), hier);
    EXPECT_TRUE(tree(dort->path()).isEmpty());
}

namespace {

// Every file under a folder by its path and the hash of its content.
QMap<QString, QByteArray> hashes(const QString& root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString pfad = it.next();
        QFile f(pfad);
        out.insert(pfad, f.open(QIODevice::ReadOnly)
                             ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex()
                             : QByteArray("?"));
    }
    return out;
}

struct Begleiter : tw::rename::Laufbegleiter
{
    tw::rename::Laufeingaben eingaben() const override { return e; }
    bool zwischendurch() override { return true; }
    bool anzeigen(const tw::rename::Schrittantwort&) override { return true; }
    tw::rename::Laufeingaben e;
};

} // namespace

// Random sessions of the real run over a small random tree, each undone through the real undo. Now and
// then the test makes one action impossible to reverse (its file deleted, or a copy changed since):
// exactly that one must be reported, and the tree must be as before apart from it. TW_SEED repeats a run.
TEST(Eigenschaft, EverySessionUndoneRestoresTheTreeApartFromTheActionsMadeImpossible)
{
    const quint32 seed = qEnvironmentVariableIsSet("TW_SEED")
                             ? quint32(qEnvironmentVariableIntValue("TW_SEED"))
                             : QRandomGenerator::system()->generate();
    std::cout << "seed " << seed << " (TW_SEED=" << seed << " repeats it)\n";
    QRandomGenerator zufall(seed);
    const auto wahl = [&](int n) { return int(zufall.bounded(n)); };
    // On a tmpfs where there is one: the journal's and the recovery file's syncs cost nothing there.
    const QByteArray tmp = qgetenv("TMPDIR");
    if (QFileInfo(u8("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
    const auto zurueck = qScopeGuard([&] { qputenv("TMPDIR", tmp); });
    int unmoeglich = 0;
    for (int runde = 0; runde < 1000; ++runde) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed << ", session " << runde);
        papierkorb.empty();
        Sitzung s;
        // Old names f..., new names n...: a new name never meets an old one, so each run's undo can go
        // in list order; n files already standing there are obstacles that are not in the list.
        QStringList pfade;
        for (int i = 0, n = 2 + wahl(4); i < n; ++i)
            pfade << s.baum.write(
                u8("%1/f%2.%3").arg(wahl(2) ? u8("d") : u8("z")).arg(i).arg(wahl(2) ? u8("jpg") : u8("txt")),
                QByteArray::number(wahl(1000)));
        for (int i = 0, n = wahl(3); i < n; ++i)
            s.baum.write(u8("%1/n%2.jpg").arg(wahl(2) ? u8("d") : u8("z")).arg(wahl(4)), "alt");
        const QMap<QString, QByteArray> vorher = hashes(s.baum.path());

        tw::rename::Arbeitsliste liste;
        tw::rename::MonitorTexte monitor;
        tw::rename::Journalsitzung protokoll(s.db);
        tw::rename::Umbenennlauf lauf(liste, monitor, protokoll, nullptr);
        liste.setEintraege(pfade);
        for (int i = 0; i < pfade.size(); ++i)
            liste.setMarkiert(i, wahl(4) != 0);
        Begleiter b;
        b.e = {wahl(3) ? u8("n©0 - 9©") : u8("n"), wahl(2) ? u8("Ursprungsfad") : s.baum.filePath(u8("z")),
               FileAction(wahl(3)), 1};
        s.db.Sitzung_beginnen();
        lauf.alle(b);
        if (s.db.aktionenAnzahl() == 0)
            continue;
        ASSERT_TRUE(s.db.Sitzung_speichern(1, 1, b.e.muster));

        // One done action made impossible to reverse, now and then.
        QMap<QString, QByteArray> erwartet = vorher;
        std::optional<Aktionseintrag> verhindert;
        tw::platform::RecordSet rs;
        ASSERT_TRUE(rs.Open(s.db.journalPfadHeute()));
        ASSERT_TRUE(rs.MoveFirst());
        QVector<Aktionseintrag> getan;
        const auto aktionen = aktionenLesen(rs.text(u"Ergebnisstring"));
        ASSERT_TRUE(aktionen);
        for (const Aktionseintrag& a : *aktionen)
            if (a.Aktion != u8(AktionFehler))
                getan << a;
        if (!getan.isEmpty() && wahl(3) == 0) {
            verhindert = getan[wahl(getan.size())];
            if (verhindert->Aktion == u8(AktionKopiert)) {
                s.baum.write(verhindert->NeuerPfad, "geändert");
                erwartet[verhindert->NeuerPfad] = hashes(s.baum.path()).value(verhindert->NeuerPfad);
            } else {
                QFile::remove(verhindert->NeuerPfad);
                erwartet.remove(verhindert->AlterPfad);
            }
            ++unmoeglich;
        }

        const RueckgaengigErgebnis e = s.rueckgaengig();
        QStringList gescheitert;
        for (const Fehlschlag& f : e.fehlgeschlagen)
            gescheitert << f.aktion.AlterPfad + u8(" -> ") + f.aktion.NeuerPfad;
        EXPECT_EQ(gescheitert, verhindert
                                   ? QStringList{verhindert->AlterPfad + u8(" -> ") + verhindert->NeuerPfad}
                                   : QStringList());
        EXPECT_EQ(hashes(s.baum.path()), erwartet);
        if (::testing::Test::HasFailure())
            return;
    }
    std::cout << unmoeglich << " sessions had an action made impossible\n";
}
