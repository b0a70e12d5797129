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

const auto aktionText = [](FileAction a) { return tw::rename::aktionstext(static_cast<int>(a)); };

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
    Sitzungssatz satz() const
    {
        tw::platform::RecordSet rs;
        EXPECT_TRUE(rs.Open(db.journalPfadHeute()));
        EXPECT_TRUE(rs.MoveFirst());
        return Sitzungssatz::lesen(rs);
    }
    RueckgaengigErgebnis rueckgaengig()
    {
        const Sitzungssatz satz = this->satz();
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

// What a case's setup adds to the tree.
const auto verweis = [](const char* ziel) {
    return [ziel](TempDir& d) {
        return ::symlink(ziel, QFile::encodeName(d.filePath(u8("v.jpg"))).constData()) == 0;
    };
};
const auto datei = [](const char* pfad, const char* inhalt = "x") {
    return [=](TempDir& d) { return !d.write(u8(pfad), inhalt).isEmpty(); };
};
const auto ohneA = [](TempDir& d) { return QFile::remove(d.filePath(u8("a.jpg"))); };
const auto unlesbar = [](const TempDir& d) { return QFile::encodeName(d.path()).append("/caf\xe9.jpg"); };

} // namespace

// Each case starts from a.jpg ("A") and b.jpg ("B") in the tree; its setup adds what stands in the way.
// Every case: the files end as the actions say, each failure has its German reason, the journal records
// "Fehler" for exactly the failures, and the undo restores the tree, apart from what it reports failed.
TEST(Kollisionen, NoFileIsLostOrChangedBeyondItsActionAndTheUndoRestoresTheTree)
{
    const QString da = errorText(EEXIST), fehlt = errorText(ENOENT), ordner = errorText(EISDIR);
    const QString kaputt = u8("Der Dateiname enthält Zeichen, die nicht dargestellt werden können.");
    const QString lang = QString(251, u'l') + u8(".jpg"); // 255 bytes
    // Another file system: a rename cannot reach it, a move and a copy can.
    const auto dort = tw::test::otherFileSystem(QDir::tempPath());
    const QString ziel = dort ? dort->path() + u8("/") : QString();
    struct Fall
    {
        const char* name;
        QVector<Schritt> schritte;
        // What stands there, or has gone, when the session touches the files (the run looks at each
        // file at its operation, so a source gone since the take-over is one missing). False: cannot be made.
        std::function<bool(TempDir&)> vorher = [](TempDir&) { return true; };
        QStringList dortNachher = {}; // the other file system after the session
    };
    const QString a = u8("a.jpg"), b = u8("b.jpg"), o = u8("o"), v = u8("v.jpg"), x = u8("x.jpg");
    const QString z = u8("z/a.jpg"), kein = u8("caf\xef\xbf\xbd.jpg"), nein = u8("Zugriff verweigert.");
    // A rename, a move and a copy of a.jpg to one name: the rename's and the move's reason, the copy's.
    const auto rmc = [a](const QString& neu, const QString& rm, const QString& c = {}) {
        return QVector<Schritt>{{R, a, neu, rm}, {M, a, neu, rm}, {C, a, neu, c}};
    };
    const std::vector<Fall> faelle = {
        {"target is a file", rmc(b, da)},
        {"target is a folder", rmc(o, da, ordner), datei("o/x")},
        {"target is a link", rmc(v, da), verweis("b.jpg")},
        {"target is a dangling link", rmc(v, da), verweis("nirgends")},
        {"two files of one run to one name", {{R, a, x}, {R, b, x, da}}},
        {"target is the source",
         {{R, a, a}, {M, b, b}, {C, a, u8("./a.jpg"), u8("Quelle und Ziel sind dieselbe Datei.")}}},
        {"target folder missing", rmc(z, fehlt, fehlt)},
        {"source removed since the take-over", rmc(x, fehlt, fehlt), ohneA},
        {"source replaced by a folder", rmc(x, ordner, ordner),
         [](TempDir& d) { return ohneA(d) && datei("a.jpg/x")(d); }},
        // The file at the path is the one the user sees now: it is the one that is renamed.
        {"source replaced by another file", {{R, a, x}}, datei("a.jpg", "neu")},
        // The journal's separator ¢ in a name is the undo test's: the undo refuses that record.
        {"hostile names",
         {{R, a, u8("Bob's \"1\" $(rm -rf ~) `id`.jpg")},
          {C, b, u8("-rf\tzwei\nzeilen © ®.jpg")},
          {C, b, lang},
          {C, b, u8("l") + lang, errorText(ENAMETOOLONG)}}},
        {"names that are not UTF-8",
         {{R, kein, u8("c.jpg"), kaputt}, {C, a, kein, kaputt}},
         [](TempDir& d) { return ::close(::creat(unlesbar(d).constData(), 0644)) == 0; }},
        {"folder read-only",
         {{R, u8("r/c.jpg"), u8("r/d.jpg"), nein}, {C, a, u8("r/a.jpg"), nein}, {M, a, u8("r/a.jpg"), nein}},
         [](TempDir& d) { return datei("r/c.jpg", "C")(d) && schreibschutz(d.filePath(u8("r")), true); }},
        {"another file system",
         {{R, a, ziel + a, errorText(EXDEV)}, {M, a, ziel + a}, {C, b, ziel + b}},
         [&dort](TempDir&) { return dort != nullptr; },
         u8s({"a.jpg: A", "b.jpg: B"})},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.name);
        papierkorb.empty();
        Sitzung s;
        s.baum.write(u8("a.jpg"), "A");
        s.baum.write(u8("b.jpg"), "B");
        const auto frei =
            qScopeGuard([&] { static_cast<void>(schreibschutz(s.baum.filePath(u8("r")), false)); });
        if (!fall.vorher(s.baum)) {
            std::cout << "[ SKIPPED  ] " << fall.name << ": neither the folder's mode nor the immutable flag "
                      << "holds here, or no other file system is writable in /dev/shm, /run/user, /var/tmp\n";
            continue;
        }
        const QStringList vorher = tree(s.baum.path());
        QStringList erwartet, soll, texte;
        for (const Schritt& schritt : fall.schritte) {
            erwartet << schritt.grund;
            soll << (schritt.grund.isEmpty() ? aktionText(schritt.aktion) : u8(AktionFehler));
        }
        EXPECT_EQ(s.ausfuehren(fall.schritte), erwartet);
        EXPECT_TRUE(!dort || tree(dort->path()) == fall.dortNachher);

        const RueckgaengigErgebnis e = s.rueckgaengig();
        const auto aktionen = aktionenLesen(s.ergebnis);
        ASSERT_TRUE(aktionen);
        for (const Aktionseintrag& a : *aktionen)
            texte << a.Aktion;
        EXPECT_EQ(texte, soll) << "the journal tells the truth";
        EXPECT_TRUE(e.fehlgeschlagen.isEmpty() && e.journalGeloescht) << ergebnisMeldung(e).toStdString();
        EXPECT_EQ(tree(s.baum.path()), vorher);
        EXPECT_TRUE(!dort || tree(dort->path()).isEmpty());
        ::unlink(unlesbar(s.baum).constData());
    }
}

namespace {

// Every file under a folder by its path, with its content.
QMap<QString, QByteArray> inhalte(const QString& root)
{
    QMap<QString, QByteArray> out;
    for (QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        QFile f(it.next());
        out.insert(f.fileName(), f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("?"));
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
        const QMap<QString, QByteArray> vorher = inhalte(s.baum.path());

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

        QMap<QString, QByteArray> erwartet = vorher;
        std::optional<Aktionseintrag> verhindert;
        QVector<Aktionseintrag> getan;
        const auto aktionen = aktionenLesen(s.satz().Ergebnisstring.toString());
        ASSERT_TRUE(aktionen);
        for (const Aktionseintrag& a : *aktionen)
            if (a.Aktion != u8(AktionFehler))
                getan << a;
        if (!getan.isEmpty() && wahl(3) == 0) {
            verhindert = getan[wahl(getan.size())];
            if (verhindert->Aktion == u8(AktionKopiert)) {
                erwartet[s.baum.write(verhindert->NeuerPfad, "geändert")] = "geändert";
            } else {
                QFile::remove(verhindert->NeuerPfad);
                erwartet.remove(verhindert->AlterPfad);
            }
            ++unmoeglich;
        }

        const RueckgaengigErgebnis e = s.rueckgaengig();
        QStringList gescheitert, soll;
        for (const Fehlschlag& f : e.fehlgeschlagen)
            gescheitert << f.aktion.AlterPfad + u8(" -> ") + f.aktion.NeuerPfad;
        if (verhindert)
            soll << verhindert->AlterPfad + u8(" -> ") + verhindert->NeuerPfad;
        EXPECT_EQ(gescheitert, soll);
        EXPECT_EQ(inhalte(s.baum.path()), erwartet);
        if (::testing::Test::HasFailure())
            return;
    }
    std::cout << unmoeglich << " sessions had an action made impossible\n";
}
