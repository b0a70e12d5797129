// The project's benchmark: prints one figure per line as "name value unit". An argument limits the
// run to the figures whose name contains it.
#include "Stillstand.h"
#include "catalogue/KatalogLogik.h"
#include "journal/DatenBanken.h"
#include "journal/Rueckgaengig.h"
#include "journal/Sitzungsauswahl.h"
#include "platform/AdoXml.h"
#include "platform/BrowserWindow.h"
#include "platform/FieldDef.h"
#include "platform/Heap.h"
#include "platform/RecordSet.h"
#include "stack/ForgroundWindow.h"
#include "stack/QtFensterumgebung.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <stdio.h> // renameat2
#include <unistd.h>
#include <vector>

namespace {

using tw::bench::Stillstand;

using tw::platform::RecordSet;

QString g_only;

// A figure's setup must not fail quietly: it would measure something else.
void must(const tw::platform::Result& r)
{
    if (!r) {
        std::fprintf(stderr, "benchmark setup failed: %s\n", qPrintable(r.message()));
        std::exit(1);
    }
}

void figure(const char* name, double value, const char* unit)
{
    std::printf("%s %.6g %s\n", name, value, unit);
    std::fflush(stdout);
}

double seconds(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

class FixedClock : public tw::platform::Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 5), QTime(14, 3, 11)); }
};

QString benchPath(int i)
{
    return QStringLiteral("/home/nutzer/Bilder/Urlaub %1/IMG_%2.JPG")
        .arg(i / 100, 4, 10, QLatin1Char('0'))
        .arg(i, 6, 10, QLatin1Char('0'));
}

// A session of 100,000 renames saved into a new day's journal, then read back.
void journalFigures()
{
    constexpr int actions = 100000;
    QTemporaryDir dir;
    FixedClock clock;
    tw::journal::DatenBanken db(dir.path(), clock);
    db.Sitzung_beginnen();
    for (int i = 0; i < actions; ++i)
        must(db.Aktion_eintragen(benchPath(i), benchPath(i) + QStringLiteral(".neu"),
                                 QStringLiteral("Umbenannt")));
    const double save = seconds([&] {
        if (!db.Sitzung_speichern(1, 1, QStringLiteral("Urlaub_©000 - 99999©")))
            std::fprintf(stderr, "save failed\n");
    });
    figure("journal_save_100000_actions", save, "s");
    int pieces = 0;
    const double open = seconds([&] {
        RecordSet rs;
        if (!rs.Open(db.journalPfadHeute()) || !rs.MoveFirst())
            std::fprintf(stderr, "open failed\n");
        pieces = static_cast<int>(rs.text(u"Ergebnisstring").count(tw::journal::Trennzeichen));
    });
    if (pieces != 4 * actions)
        std::fprintf(stderr, "journal read back %d fields, expected %d\n", pieces, 4 * actions);
    figure("journal_reopen_100000_actions", open, "s");
    figure("journal_save_and_reopen_100000_actions", save + open, "s");
}

// A figure of this process's memory from /proc/self/status ("VmRSS", "VmHWM"), in kilobytes.
long memoryKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key) && line.size() > static_cast<qsizetype>(std::strlen(key)) &&
            line[std::strlen(key)] == ':')
            return line.mid(std::strlen(key) + 1).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// What a child process of journalReadFigures does to the journal at path, reading it or saving one more
// session into it, and prints: the records it saw, seconds for the work (wall clock and processor,
// which a busy machine does not stretch) and the growth of the peak resident memory over it in
// kilobytes. The peak of the process (VmHWM), not getrusage's, which keeps the parent's peak across
// fork and exec.
int journalChild(const char* what, const char* path)
{
    const long before = memoryKb("VmRSS");
    const std::clock_t cpu = std::clock();
    RecordSet rs;
    FixedClock clock;
    tw::journal::DatenBanken db(QFileInfo(QString::fromLocal8Bit(path)).absolutePath(), clock);
    db.Sitzung_beginnen();
    must(db.Aktion_eintragen(benchPath(1), benchPath(2), QStringLiteral("Umbenannt")));
    int records = 0;
    const double s = seconds([&] {
        if (std::strcmp(what, "--journal-speichern") == 0) {
            records = db.Sitzung_speichern(2, 1, QStringLiteral("x")).ok() ? 1 : 0;
            return;
        }
        if (!rs.Open(QString::fromLocal8Bit(path)))
            return;
        for (rs.toFirst(); !rs.Eof(); rs.toNext())
            ++records;
    });
    const double cpuSeconds = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    std::printf("%d %.6f %.6f %ld\n", records, s, cpuSeconds, memoryKb("VmHWM") - before);
    return records > 0 ? 0 : 1;
}

// A day's journal of 77,000 sessions (about 50 MB), read in a fresh process so that its peak memory is
// the read's own: time, peak memory and that memory against the file's size.
void journalReadFigures()
{
    constexpr int sessions = 77000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sich_05.12.2026.xml"));
    {
        tw::platform::RowsetData data;
        for (const char* f : {"Programmstart", "Sitzung", "Aktionsstring", "Ergebnisstring", "Zeit"})
            data.fields.append({QString::fromLatin1(f), tw::platform::adType::VarChar, -1});
        data.rows.reserve(sessions);
        for (int i = 0; i < sessions; ++i) {
            QString ergebnis;
            for (int k = 0; k < 4; ++k) {
                const QString pfad = benchPath(i * 4 + k);
                for (const QString& wert :
                     {pfad, QString(pfad + QStringLiteral(".neu")), QStringLiteral("05.12.2026 14:03:11"),
                      QStringLiteral("Umbenannt")})
                    ergebnis += wert + tw::journal::Trennzeichen;
            }
            data.rows.push_back({QString::number(i / 100 + 1), QString::number(i % 100 + 1),
                                 QStringLiteral("Urlaub_©00©"), ergebnis,
                                 QStringLiteral("05.12.2026 14:03:11")});
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(tw::platform::writeRowsetXml(data)) < 0)
            std::fprintf(stderr, "the journal could not be written\n");
    }
    const double megabytes = static_cast<double>(QFileInfo(path).size()) / (1024 * 1024);
    figure("journal_read_file_size_77000_sessions", megabytes, "MB");
    for (const auto& [mode, name, expected] :
         {std::tuple{"--journal-lesen", "journal_read_77000_sessions", sessions},
          std::tuple{"--journal-speichern", "journal_save_into_77000_sessions", 1}}) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode), path});
        child.waitForFinished(300000);
        const QStringList out = QString::fromLatin1(child.readAllStandardOutput()).split(u' ');
        if (child.exitCode() != 0 || out.size() != 4 || out[0].toInt() != expected) {
            std::fprintf(stderr, "%s gave: %s\n", name, qPrintable(out.join(u' ')));
            return;
        }
        const double peak = out[3].toDouble() / 1024;
        const std::string n = name;
        figure(name, out[1].toDouble(), "s");
        figure((n + "_processor_time").c_str(), out[2].toDouble(), "s");
        figure((n + "_peak_memory").c_str(), peak, "MB");
        figure((n + "_peak_memory_to_file_size").c_str(), peak / megabytes, "x");
    }
}

// Exact path lookups as the rename run makes them once per file: through the record set's filter
// (indexed) against a plain scan over the same paths.
void lookupFigures()
{
    constexpr int records = 100000;
    constexpr int scanSample = 1000;
    RecordSet rs;
    must(rs.Append(QStringLiteral("Pfad"), tw::platform::adType::VarWChar, 1000));
    must(rs.Append(QStringLiteral("Name"), tw::platform::adType::VarWChar, 100));
    must(rs.Append(QStringLiteral("Endung"), tw::platform::adType::VarWChar, 100));
    must(rs.Open());
    std::vector<QString> paths;
    paths.reserve(records);
    for (int i = 0; i < records; ++i) {
        paths.push_back(benchPath(i));
        must(rs.AddNew());
        must(rs.setValue(u"Pfad", paths.back()));
        must(rs.setValue(u"Name", paths.back().section(u'/', -1)));
        must(rs.setValue(u"Endung", QStringLiteral("JPG")));
        must(rs.Update());
    }
    int found = 0;
    const double indexed = seconds([&] {
        for (int i = 0; i < records; ++i) {
            must(rs.setFilter(QStringLiteral("Pfad Like '") + paths[(i * 7919) % records] +
                              QStringLiteral("'")));
            found += rs.MoveFirst().ok() ? 1 : 0;
        }
    });
    int scanned = 0;
    const double scanPart = seconds([&] {
        for (int i = 0; i < scanSample; ++i) {
            const QString& wanted = paths[(i * 7919) % records];
            for (const QString& p : paths) {
                if (p.compare(wanted, Qt::CaseInsensitive) == 0) {
                    ++scanned;
                    break;
                }
            }
        }
    });
    if (found != records || scanned != scanSample)
        std::fprintf(stderr, "lookups found %d and %d\n", found, scanned);
    const double scan = scanPart * (records / scanSample);
    figure("lookup_indexed_100000_in_100000", indexed, "s");
    figure("lookup_scan_100000_in_100000_extrapolated_from_1000", scan, "s");
    figure("lookup_scan_to_indexed_ratio", scan / indexed, "x");
}

class StummeAnsicht : public tw::catalogue::KatalogAnsicht
{
public:
    void setRechteListe(const QStringList& eintraege) override { liste = eintraege; }
    QList<int> markierte() const override { return {}; }
    void rechteListeFokus() override {}
    void setDatumTipp(const QString&) override {}
    void setComboEintraege(const QStringList& eintraege) override { combo = eintraege; }
    QString comboText() const override { return {}; }
    void setComboText(const QString&) override {}
    void setStichwortText(const QString&) override {}
    void setAnzahlText(const QString&) override {}
    void nachrichtenVerarbeiten() override { QCoreApplication::processEvents(); }

    QStringList liste;
    QStringList combo;
};

// Take-over of n selected files in n / 100 folders with 40 extensions, then Liste_fuellen.
double takeOver(int n)
{
    QList<tw::platform::ShellItem> items;
    items.reserve(n);
    const QDateTime zeit(QDate(2026, 12, 1), QTime(12, 0));
    for (int i = 0; i < n; ++i) {
        const QString name = QStringLiteral("Datei_%1.e%2").arg(i, 6, 10, QLatin1Char('0')).arg(i % 40);
        items.append({QStringLiteral("/home/nutzer/Ordner %1/").arg(i % (n / 100)) + name, name,
                      QStringLiteral("Dokument"), 1000 + i, zeit});
    }
    StummeAnsicht ansicht;
    tw::catalogue::KatalogLogik logik(ansicht);
    logik.Explorerauswahl = tw::platform::ShellItems::fromItems(items);
    const double s = seconds([&] {
        logik.uebernehmen();
        logik.Liste_fuellen();
    });
    if (ansicht.liste.size() != n || ansicht.combo.size() != 40)
        std::fprintf(stderr, "take-over listed %lld entries, %lld extensions\n",
                     static_cast<long long>(ansicht.liste.size()),
                     static_cast<long long>(ansicht.combo.size()));
    return s;
}

// Runs the event loop until the condition holds; false when the time runs out first.
bool runUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

double secondsSince(const QElapsedTimer& clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

void createEmptyFile(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_EXCL, 0644);
    if (fd >= 0)
        ::close(fd);
}

// A folder of 100,000 empty files opened in the browser window, all selected and taken over into the
// catalogue, with the longest stall of the event loop over the whole run; then a file appears in the
// folder while 99,999 files are selected.
void browserFigures()
{
    constexpr int files = 100000;
    // As the program: the kinds of files in German.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTemporaryDir dir;
    const QByteArray base = QFile::encodeName(dir.path());
    for (int i = 0; i < files; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "/Bild_%06d.%s", i, i % 2 ? "jpg" : "txt");
        createEmptyFile(base + name);
    }

    Stillstand stall;
    QElapsedTimer clock;
    stall.start();
    clock.start();

    tw::platform::BrowserWindow browser;
    must(browser.setFullscreen(true));
    must(browser.setLeft(0));
    must(browser.setTop(256));
    must(browser.setWidth(1024));
    must(browser.setHeight(400));
    must(browser.setVisible(true));
    if (!browser.navigate(dir.path()))
        std::fprintf(stderr, "browser navigation failed\n");
    const QAbstractItemModel* model = browser.view()->model();
    if (!runUntil([&] { return browser.isListed() && model->rowCount() == files; }, 120000))
        std::fprintf(stderr, "browser listed %d of %d files\n", model->rowCount(), files);
    const double listed = secondsSince(clock);

    QElapsedTimer step;
    step.start();
    must(browser.selectAll());
    const auto selection = browser.SelectedItems();
    const double selected = secondsSince(step);

    step.restart();
    StummeAnsicht ansicht;
    tw::catalogue::KatalogLogik logik(ansicht);
    if (selection)
        logik.Explorerauswahl = *selection;
    logik.uebernehmen();
    const double takenOver = secondsSince(step);
    const double total = secondsSince(clock);
    const double longestStall = stall.stopMs();
    if (ansicht.liste.size() != files || ansicht.combo.size() != 2)
        std::fprintf(stderr, "browser take-over listed %lld entries, %lld extensions\n",
                     static_cast<long long>(ansicht.liste.size()),
                     static_cast<long long>(ansicht.combo.size()));

    constexpr int polls = 1000;
    step.restart();
    for (int i = 0; i < polls; ++i) {
        const auto poll = browser.SelectedItems();
        if (!poll || poll->Count() != files || poll->Item(poll->Count() - 1).Name.isEmpty())
            std::fprintf(stderr, "poll failed\n");
    }
    const double poll = secondsSince(step) / polls;

    // Everything but the last file, then a change on disk that makes the list refresh.
    QItemSelectionModel* marks = browser.view()->selectionModel();
    marks->select(QItemSelection(model->index(0, 0), model->index(files - 2, 0)),
                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    stall.start();
    step.restart();
    createEmptyFile(base + "/Bild_neu.txt");
    if (!runUntil([&] { return model->rowCount() == files + 1; }, 120000))
        std::fprintf(stderr, "the new file was not listed\n");
    const double refreshed = secondsSince(step);
    const double refreshStall = stall.stopMs();
    const auto kept = browser.SelectedItems();
    if (!kept || kept->Count() != files - 1)
        std::fprintf(stderr, "refresh kept %d of %d marks\n", kept ? kept->Count() : -1, files - 1);

    figure("browser_list_100000", listed, "s");
    figure("browser_select_all_100000", selected, "s");
    figure("browser_takeover_100000", takenOver, "s");
    figure("browser_open_select_takeover_100000", total, "s");
    figure("browser_longest_event_loop_stall", longestStall, "ms");
    figure("browser_selection_poll_100000", poll * 1e6, "us");
    figure("browser_change_listed_with_99999_selected", refreshed, "s");
    figure("browser_change_with_99999_selected_longest_stall", refreshStall, "ms");
    must(browser.Quit());
}

void catalogueFigures()
{
    const double small = takeOver(10000);
    const double large = takeOver(100000);
    figure("catalogue_takeover_and_fill_10000", small, "s");
    figure("catalogue_takeover_and_fill_100000", large, "s");
    figure("catalogue_takeover_100000_to_10000_ratio", large / small, "x");
}

// Renames every file of a list from one name to the other with renameat2, as a bare loop would.
int renameAll(const std::vector<QByteArray>& from, const std::vector<QByteArray>& to)
{
    int failed = 0;
    for (std::size_t i = 0; i < from.size(); ++i)
        failed +=
            ::renameat2(AT_FDCWD, from[i].constData(), AT_FDCWD, to[i].constData(), RENAME_NOREPLACE) != 0;
    return failed;
}

// A session of 100,000 renames undone through the performer and the journal, against a bare renameat2
// loop that puts the same files back; then the choice lists of a journal of 1,000 sessions.
void undoFigures()
{
    constexpr int actions = 100000;
    QTemporaryDir dir;
    const QString files = dir.filePath(QStringLiteral("dateien"));
    QDir().mkpath(files);
    FixedClock clock;
    tw::journal::DatenBanken db(dir.path(), clock);
    db.Sitzung_beginnen();
    std::vector<QByteArray> alt, neu;
    alt.reserve(actions);
    neu.reserve(actions);
    for (int i = 0; i < actions; ++i) {
        const QString a = files + QStringLiteral("/IMG_%1.JPG").arg(i, 6, 10, QLatin1Char('0'));
        const QString n = files + QStringLiteral("/Urlaub_%1.JPG").arg(i, 6, 10, QLatin1Char('0'));
        alt.push_back(QFile::encodeName(a));
        neu.push_back(QFile::encodeName(n));
        createEmptyFile(alt.back());
        must(db.Aktion_eintragen(a, n, QStringLiteral("Umbenannt")));
    }
    if (renameAll(alt, neu) != 0 || !db.Sitzung_speichern(1, 1, QStringLiteral("Urlaub_©000000©")))
        std::fprintf(stderr, "undo set-up failed\n");

    RecordSet rs;
    must(rs.Open(db.journalPfadHeute()));
    must(rs.MoveFirst());
    const tw::journal::Sitzungssatz satz = tw::journal::Sitzungssatz::lesen(rs);
    tw::journal::DateiUmkehrer umkehrer;
    tw::platform::AtomicFileWriter writer;
    tw::journal::RueckgaengigErgebnis e;
    const double undo =
        seconds([&] { e = tw::journal::Rueckgaengig(db.journalPfadHeute(), satz, umkehrer, writer); });
    if (!e.fehlgeschlagen.isEmpty() || !e.journal || !e.journalGeloescht)
        std::fprintf(stderr, "undo left %lld actions\n", static_cast<long long>(e.fehlgeschlagen.size()));
    if (renameAll(alt, neu) != 0)
        std::fprintf(stderr, "files were not back for the bare loop\n");
    int failed = 0;
    const double bare = seconds([&] { failed = renameAll(neu, alt); });
    if (failed != 0)
        std::fprintf(stderr, "bare loop failed %d times\n", failed);
    figure("undo_100000_actions", undo, "s");
    figure("undo_bare_renameat2_loop_100000", bare, "s");
    figure("undo_to_bare_ratio", undo / bare, "x");

    // 50 program starts of 20 sessions with 10 actions each.
    constexpr int sessions = 1000;
    RecordSet journal;
    for (const char* f : {"Programmstart", "Sitzung", "Aktionsstring", "Ergebnisstring", "Zeit"})
        must(journal.Append(QString::fromLatin1(f), tw::platform::adType::VarChar, -1));
    must(journal.Open());
    for (int i = 0; i < sessions; ++i) {
        QString ergebnis;
        for (int k = 0; k < 10; ++k) {
            const QString pfad = benchPath(i * 10 + k);
            for (const QString& wert : {pfad, QString(pfad + QStringLiteral(".neu")),
                                        QStringLiteral("05.12.2026 14:03:11"), QStringLiteral("Umbenannt")})
                ergebnis += wert + tw::journal::Trennzeichen;
        }
        must(journal.AddNew());
        must(journal.setValue(u"Programmstart", QString::number(i / 20 + 1)));
        must(journal.setValue(u"Sitzung", QString::number(i % 20 + 1)));
        must(journal.setValue(u"Aktionsstring", QStringLiteral("Urlaub_©00©")));
        must(journal.setValue(u"Ergebnisstring", ergebnis));
        must(journal.setValue(u"Zeit", QStringLiteral("05.12.2026 14:03:11")));
        must(journal.Update());
    }
    const QString path = dir.filePath(QStringLiteral("Sich_05.12.2026.xml"));
    must(journal.Save(path));
    QStringList starts;
    RecordSet gelesen;
    const double open = seconds([&] {
        if (tw::journal::journalOeffnen(path, gelesen))
            starts = tw::journal::Programmstarts(gelesen);
    });
    int listed = 0;
    const double lists = seconds([&] {
        for (const QString& start : starts) {
            must(gelesen.setFilter(*tw::journal::auswahlFilter(start)));
            listed += static_cast<int>(tw::journal::Sitzungen(gelesen).size());
        }
    });
    if (starts.size() != sessions / 20 || listed != sessions)
        std::fprintf(stderr, "listed %lld starts and %d sessions\n", static_cast<long long>(starts.size()),
                     listed);
    figure("undo_open_and_list_starts_1000_sessions", open, "s");
    figure("undo_list_sessions_of_every_start_1000_sessions", lists, "s");
    figure("undo_list_sessions_of_one_start_1000_sessions", lists / starts.size(), "s");
}

// The foreground watcher at the start window's pace with nothing changing: the program's own work per
// tick is one look at the active window and the timer switched off and on. The median of 7 rounds.
void watcherFigures()
{
    constexpr int ticks = 1000;
    constexpr int rounds = 7;
    QWidget fenster;
    fenster.setWindowTitle(QStringLiteral("Tausch2"));
    fenster.resize(200, 100);
    fenster.show();
    fenster.activateWindow();
    if (!runUntil([&] { return QApplication::activeWindow() == &fenster; }, 5000))
        std::fprintf(stderr, "the window did not become active\n");

    tw::shell::Gemeinsam gemeinsam;
    QTimer timer;
    timer.setInterval(20);
    timer.start();
    tw::stack::QtFensterumgebung::Formulare formulare;
    formulare.dateiauswahl = [&fenster] { return &fenster; };
    tw::stack::QtFensterumgebung umgebung(gemeinsam, timer, formulare);
    tw::stack::ForgroundWindow waechter(umgebung);
    waechter.Fenster_pruefen();
    if (waechter.Letztes_Fenster != static_cast<tw::stack::Fensterhandle>(fenster.winId()))
        std::fprintf(stderr, "the watcher did not see the window\n");

    std::vector<double> totals;
    for (int r = 0; r < rounds; ++r) {
        totals.push_back(seconds([&] {
            for (int i = 0; i < ticks; ++i)
                waechter.Fenster_pruefen();
        }));
    }
    if (!timer.isActive())
        std::fprintf(stderr, "the watcher left the timer off\n");
    std::sort(totals.begin(), totals.end());
    figure("watcher_1000_unchanged_ticks", totals[rounds / 2] * 1e3, "ms");
}

} // namespace

bool renameFigures(const QString& basis);
int renameFlow(const char* art, const char* n, const char* basis);

int main(int argc, char* argv[])
{
    // As the program does, so that its memory is measured as it would be.
    tw::platform::shareOneHeap();
    if (argc == 5 && std::strcmp(argv[1], "--ablauf") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return renameFlow(argv[2], argv[3], argv[4]);
    }
    if (argc == 3 &&
        (std::strcmp(argv[1], "--journal-lesen") == 0 || std::strcmp(argv[1], "--journal-speichern") == 0))
        return journalChild(argv[1], argv[2]);
    // The browser figures need windows, which need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1)
        g_only = QString::fromLocal8Bit(argv[1]);
    // The flows first: their processes start from this one while it is small, and getrusage counts the
    // peak of the process a child was forked from.
    bool ok = true;
    // The flows' files, removed only when every figure has been taken. A short name, so that the paths are
    // as long as a photo folder's (memory per file grows with them).
    QTemporaryDir flows(QDir::tempPath() + QStringLiteral("/tw-XXXXXX"));
    if (g_only.isEmpty() || QStringLiteral("rename").contains(g_only))
        ok = renameFigures(flows.path());
    const std::vector<std::pair<const char*, void (*)()>> groups = {
        {"journal", journalFigures},     {"journal_read", journalReadFigures}, {"lookup", lookupFigures},
        {"catalogue", catalogueFigures}, {"browser", browserFigures},          {"watcher", watcherFigures},
        {"undo", undoFigures},
    };
    for (const auto& [name, run] : groups) {
        if (g_only.isEmpty() || QString::fromLatin1(name).contains(g_only))
            run();
    }
    // Synced, so that the freed inodes hold up the next run's file creation for a minute rather than six.
    flows.remove();
    ::sync();
    if (!ok)
        std::printf("some targets were missed\n");
    return ok ? 0 : 1;
}
