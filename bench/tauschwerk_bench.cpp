// The project's benchmark: prints one figure per line as "name value unit". An argument limits the
// run to the figures whose name contains it.
#include "catalogue/KatalogLogik.h"
#include "journal/DatenBanken.h"
#include "platform/FieldDef.h"
#include "platform/RecordSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

using tw::platform::RecordSet;

QString g_only;

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
    return QStringLiteral("/home/nutzer/Bilder/Urlaub %1/IMG_%2.JPG").arg(i / 100, 4, 10, QLatin1Char('0')).arg(i, 6, 10, QLatin1Char('0'));
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
        db.Aktion_eintragen(benchPath(i), benchPath(i) + QStringLiteral(".neu"), QStringLiteral("Umbenannt"));
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

// Exact path lookups as the rename run makes them once per file: through the record set's filter
// (indexed) against a plain scan over the same paths.
void lookupFigures()
{
    constexpr int records = 100000;
    constexpr int scanSample = 1000;
    RecordSet rs;
    rs.Append(QStringLiteral("Pfad"), tw::platform::adType::VarWChar, 1000);
    rs.Append(QStringLiteral("Name"), tw::platform::adType::VarWChar, 100);
    rs.Append(QStringLiteral("Endung"), tw::platform::adType::VarWChar, 100);
    rs.Open();
    std::vector<QString> paths;
    paths.reserve(records);
    for (int i = 0; i < records; ++i) {
        paths.push_back(benchPath(i));
        rs.AddNew();
        rs.setValue(u"Pfad", paths.back());
        rs.setValue(u"Name", paths.back().section(u'/', -1));
        rs.setValue(u"Endung", QStringLiteral("JPG"));
        rs.Update();
    }
    int found = 0;
    const double indexed = seconds([&] {
        for (int i = 0; i < records; ++i) {
            rs.setFilter(QStringLiteral("Pfad Like '") + paths[(i * 7919) % records] + QStringLiteral("'"));
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
    QStringList rechteListe() const override { return liste; }
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
                     static_cast<long long>(ansicht.liste.size()), static_cast<long long>(ansicht.combo.size()));
    return s;
}

void catalogueFigures()
{
    const double small = takeOver(10000);
    const double large = takeOver(100000);
    figure("catalogue_takeover_and_fill_10000", small, "s");
    figure("catalogue_takeover_and_fill_100000", large, "s");
    figure("catalogue_takeover_100000_to_10000_ratio", large / small, "x");
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc > 1)
        g_only = QString::fromLocal8Bit(argv[1]);
    const std::vector<std::pair<const char*, void (*)()>> groups = {
        {"journal", journalFigures},
        {"lookup", lookupFigures},
        {"catalogue", catalogueFigures},
    };
    for (const auto& [name, run] : groups) {
        if (g_only.isEmpty() || QString::fromLatin1(name).contains(g_only))
            run();
    }
    return 0;
}
