// "Alle Dateien umbennen" through the run class alone and through the real windows, against a bare loop
// of the same renames.
#include "catalogue/Dateiauswahl.h"
#include "journal/DatenBanken.h"
#include "platform/MessageBox.h"
#include "rename/Aenderungen.h"
#include "rename/Ueberwachungsmonitor.h"
#include "rename/Umbenennlauf.h"
#include "shell/Gemeinsam.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fcntl.h>
#include <stdio.h> // renameat2
#include <unistd.h>

namespace {

class Bildschirm : public tw::platform::ScreenMetrics
{
public:
    float twipsPerPixelX() const override { return 15; }
    float twipsPerPixelY() const override { return 15; }
    int widthPixels() const override { return 1024; }
    int heightPixels() const override { return 768; }
};

class StilleMeldungen : public tw::platform::MessageBox
{
public:
    void show(QWidget*, const QString& text, Icon) override { letzte = text; }
    bool askYesNo(QWidget*, const QString&) override { return true; }
    QString letzte;
};

class Uhr : public tw::platform::Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

void ausgabe(const char* name, int n, double value, const char* unit)
{
    std::printf("%s_%d %.6g %s\n", name, n, value, unit);
    std::fflush(stdout);
}

QStringList dateienAnlegen(const QString& ordner, int n)
{
    QStringList pfade;
    pfade.reserve(n);
    for (int i = 0; i < n; ++i) {
        pfade << ordner + QStringLiteral("/IMG_%1.jpg").arg(i, 6, 10, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(pfade.last()).constData(), O_CREAT | O_WRONLY | O_EXCL, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    return pfade;
}

double bareLoop(int n)
{
    QTemporaryDir dir;
    const QStringList pfade = dateienAnlegen(dir.path(), n);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < n; ++i) {
        const QByteArray alt = QFile::encodeName(pfade[i]);
        const QByteArray neu = QFile::encodeName(dir.path() + QStringLiteral("/neu_%1.jpg").arg(i));
        ::renameat2(AT_FDCWD, alt.constData(), AT_FDCWD, neu.constData(), RENAME_NOREPLACE);
    }
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

// Returns the seconds of the run and sets the longest gap between two event-loop passes in ms.
double durchDieFenster(int n, double& laengsteLueckeMs)
{
    using namespace tw;
    QTemporaryDir dir;
    QDir().mkpath(dir.path() + QStringLiteral("/bilder"));
    const QStringList dateien = dateienAnlegen(dir.path() + QStringLiteral("/bilder"), n);
    Bildschirm screen;
    StilleMeldungen meldungen;
    Uhr uhr;
    journal::DatenBanken db(dir.path(), uhr);
    shell::Gemeinsam gemeinsam;

    QList<platform::ShellItem> items;
    items.reserve(n);
    for (const QString& p : dateien)
        items.append({p, p.section(u'/', -1), QStringLiteral("JPEG-Bild"), 0, QDateTime::currentDateTime()});
    auto* auswahl = new catalogue::Dateiauswahl(screen, gemeinsam, meldungen);
    auswahl->logik().Explorerauswahl = platform::ShellItems::fromItems(items);
    auswahl->logik().uebernehmen();
    auswahl->show();
    auswahl->Command6_Click();
    auto* monitor = new rename::Ueberwachungsmonitor(screen);
    rename::AenderungenUmgebung u{&screen, &gemeinsam, &meldungen, &db, {}};
    QPointer<rename::Aenderungen> fenster = new rename::Aenderungen(u, *auswahl, *monitor);
    fenster->show();
    monitor->show();
    fenster->Text1->setText(QStringLiteral("neu_®x®_©0 - %1©").arg(n));
    fenster->Command3_Click();

    QElapsedTimer lauf;
    QElapsedTimer seitLetztem;
    qint64 laengste = 0;
    QTimer takt;
    takt.setInterval(0);
    QObject::connect(&takt, &QTimer::timeout, [&] {
        laengste = std::max(laengste, seitLetztem.nsecsElapsed());
        seitLetztem.restart();
    });
    takt.start();
    seitLetztem.start();
    lauf.start();
    fenster->Command6_Click();
    const double s = static_cast<double>(lauf.nsecsElapsed()) / 1e9;
    laengste = std::max(laengste, seitLetztem.nsecsElapsed());
    takt.stop();
    laengsteLueckeMs = static_cast<double>(laengste) / 1e6;

    if (!QFile::exists(
            dir.path() +
            QStringLiteral("/bilder/neu_IMG_%1_%2.jpg").arg(n - 1, 6, 10, QLatin1Char('0')).arg(n)))
        std::fprintf(stderr, "rename run did not rename the last file (%s)\n", qPrintable(meldungen.letzte));
    delete fenster.data();
    delete monitor;
    delete auswahl;
    return s;
}

// The run without a window: the journal session, the catalogue and the monitor's labels in memory.
double ohneFenster(int n)
{
    using namespace tw;
    QTemporaryDir dir;
    const QStringList dateien = dateienAnlegen(dir.path(), n);
    Uhr uhr;
    journal::DatenBanken db(dir.path(), uhr);
    db.Sitzung_beginnen();
    rename::Journalsitzung sitzung(db);
    rename::Arbeitsliste liste;
    liste.setEintraege(dateien);
    liste.alleMarkieren(true);
    rename::MonitorTexte monitor;
    rename::Umbenennlauf lauf(liste, monitor, sitzung, nullptr);

    struct Begleiter : rename::Laufbegleiter
    {
        rename::Laufeingaben e;
        rename::Laufeingaben eingaben() const override { return e; }
        bool zwischendurch() override { return true; }
        bool anzeigen(const rename::Schrittantwort&) override { return true; }
    } begleiter;
    begleiter.e.muster = QStringLiteral("neu_®x®_©0 - %1©").arg(n);
    begleiter.e.zielordner = rename::Ursprungsfad;
    begleiter.e.zaehlerbreite = static_cast<int>(QString::number(n).size());

    QElapsedTimer t;
    t.start();
    lauf.alle(begleiter);
    const double s = static_cast<double>(t.nsecsElapsed()) / 1e9;
    if (db.aktionenAnzahl() != n ||
        !QFile::exists(dir.path() +
                       QStringLiteral("/neu_IMG_%1_%2.jpg").arg(n - 1, 6, 10, QLatin1Char('0')).arg(n)))
        std::fprintf(stderr, "the run class did not rename every file\n");
    return s;
}

} // namespace

void renameFigures()
{
    for (int n : {10000, 100000}) {
        const double bare = bareLoop(n);
        double luecke = 0;
        const double klasse = ohneFenster(n);
        const double fenster = durchDieFenster(n, luecke);
        ausgabe("rename_all_run_class", n, klasse, "s");
        ausgabe("rename_run_class_to_bare_ratio", n, klasse / bare, "x");
        ausgabe("rename_all_through_windows", n, fenster, "s");
        ausgabe("rename_bare_renameat2_loop", n, bare, "s");
        ausgabe("rename_windows_to_bare_ratio", n, fenster / bare, "x");
        ausgabe("rename_longest_event_loop_stall", n, luecke, "ms");
    }
}
