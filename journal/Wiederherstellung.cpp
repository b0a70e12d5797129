#include "Wiederherstellung.h"

#include "platform/AppendFile.h"
#include "platform/FileOps.h"
#include "platform/FileTransfer.h"
#include "platform/RecordSet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::journal {

using platform::Result;

namespace {

const QString zeitFormat = QStringLiteral("dd.MM.yyyy HH:mm:ss");

// Whether the file at kurz holds the first bytes of the one at lang: what a copy cut off leaves.
bool istAnfangVon(const QString& kurz, const QString& lang)
{
    QFile a(kurz);
    QFile b(lang);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() > b.size())
        return false;
    constexpr qint64 block = qint64(1) << 20;
    for (;;) {
        const QByteArray da = a.read(block);
        if (da.isEmpty())
            return a.error() == QFileDevice::NoError;
        if (b.read(da.size()) != da)
            return false;
    }
}

bool schonImJournal(const DatenBanken& db, const QDate& tag, qint16 programmstart, const QString& ergebnis)
{
    // The file may have outlived the save it belonged to; its actions with their times tell it apart.
    for (int nummer = 1; nummer <= 20; ++nummer) {
        const QString pfad = db.journalPfad(tag, nummer);
        platform::RecordSet rs;
        if (!platform::fileExists(pfad) || !rs.Open(pfad))
            continue;
        for (rs.toFirst(); !rs.Eof(); rs.toNext()) {
            if (rs.text(u"Programmstart") == QString::number(programmstart) &&
                rs.text(u"Ergebnisstring") == ergebnis)
                return true;
        }
    }
    return false;
}

QString freierName(const QString& pfad)
{
    QString neu = pfad + QLatin1String(VorabUnlesbar);
    for (int n = 2; QFileInfo::exists(neu); ++n)
        neu = pfad + QLatin1String(VorabUnlesbar) + QString::number(n);
    return neu;
}

// A hidden file of a creation that never finished holds no action; one that is locked or young may be
// another program's being made right now.
void liegengebliebeneEntfernen(const QDir& ordner, const QDateTime& jetzt)
{
    const QString muster = QStringLiteral(".") + QLatin1String(VorabMuster) + QStringLiteral(".neu");
    for (const QFileInfo& f : ordner.entryInfoList({muster}, QDir::Files | QDir::Hidden)) {
        if (f.lastModified().secsTo(jetzt) < 60)
            continue;
        if (auto datei = platform::AppendFile::openLocked(f.absoluteFilePath()))
            static_cast<void>(datei->remove());
    }
}

// The temporary files of copies that the ended process pid was writing into the folders of its copies
// in flight. Each holds a copy of a file still at its place; one changed a minute after the recovery
// file's last record would be another process's that got the same number.
void kopienresteEntfernen(const QString& vorabdatei, const QVector<VorabAktion>& aktionen)
{
    const QString name = QFileInfo(vorabdatei).fileName();
    bool ok = false;
    const qint64 pid = name.section(u'_', 1, 1).toLongLong(&ok);
    struct stat vorab = {};
    if (!ok || ::stat(QFile::encodeName(vorabdatei).constData(), &vorab) != 0)
        return;
    const QString anfang = QString::fromLatin1(platform::copyTemporaryPrefix(pid));
    QSet<QString> ordner;
    for (const VorabAktion& a : aktionen)
        if (a.offen && a.eintrag.Aktion == QLatin1String(AktionKopiert))
            ordner.insert(QFileInfo(a.eintrag.NeuerPfad).path());
    for (const QString& o : ordner) {
        const QDir d(o);
        for (const QString& rest :
             d.entryList({anfang + QStringLiteral("??????")}, QDir::Files | QDir::Hidden)) {
            const QByteArray pfad = QFile::encodeName(d.filePath(rest));
            struct stat st = {};
            // The time of last change, as a copy stamps the source's time of last modification on it.
            if (::lstat(pfad.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
                st.st_ctim.tv_sec <= vorab.st_mtim.tv_sec + 60)
                ::unlink(pfad.constData());
        }
    }
}

} // namespace

Aktionseintrag offeneAktionKlaeren(const VorabAktion& v, platform::TrashSearch& papierkorb,
                                   const QDateTime& jetzt)
{
    Aktionseintrag e = v.eintrag;
    const QByteArray alt = QFile::encodeName(e.AlterPfad);
    const QByteArray neu = QFile::encodeName(e.NeuerPfad);
    struct stat o = {};
    struct stat n = {};
    const bool hatAlt = ::lstat(alt.constData(), &o) == 0;
    const bool hatNeu = ::lstat(neu.constData(), &n) == 0;
    const bool warFrei = v.ziel == u"-";
    const auto fehler = [&] {
        e.Aktion = QString::fromLatin1(AktionFehler);
        return e;
    };
    // When the file reached its place: the entry would have been made just after.
    const auto fertig = [&] {
        const QDateTime vorhaben = QDateTime::fromString(e.Zeit, zeitFormat);
        const QDateTime angekommen = QDateTime::fromSecsSinceEpoch(n.st_ctim.tv_sec);
        if (vorhaben.isValid() && angekommen > vorhaben && angekommen <= jetzt)
            e.Zeit = platform::dateTimeText(angekommen);
        return e;
    };

    if (e.Aktion == QLatin1String(AktionUmbenannt) || e.Aktion == QLatin1String(AktionVerschoben)) {
        if (e.AlterPfad == e.NeuerPfad)
            return hatAlt ? fertig() : fehler();
        if (!hatAlt && hatNeu && (warFrei || v.ziel == u"?"))
            return fertig();
        // Both names: a second hard link, or a copy onto another file system, that did not get as far
        // as removing the old name. The new name is this operation's own, since nothing stood there.
        if (hatAlt && hatNeu && warFrei &&
            ((o.st_dev == n.st_dev && o.st_ino == n.st_ino) || istAnfangVon(e.NeuerPfad, e.AlterPfad)))
            ::unlink(neu.constData());
        return fehler();
    }
    if (e.Aktion == QLatin1String(AktionKopiert)) {
        if (hatNeu && v.ziel != dateikennung(e.NeuerPfad))
            return fertig();
        if (!hatNeu && !warFrei) {
            // The file that stood there is in the trash already, and the copy never took its place.
            if (const auto ersetzt = papierkorb.replacedBy(e.NeuerPfad, e.AlterPfad, QDateTime())) {
                if (papierkorb.restore(*ersetzt, e.NeuerPfad))
                    return fehler();
                // Recorded as the copy it began, so that the undo brings the file back later.
                e.Zeit = platform::dateTimeText(jetzt);
                return e;
            }
        }
    }
    return fehler();
}

Wiederherstellung offeneSitzungenWiederherstellen(DatenBanken& db)
{
    Wiederherstellung w;
    const QDir ordner(db.programmordner());
    const QDateTime jetzt = db.uhr().now();
    liegengebliebeneEntfernen(ordner, QDateTime::currentDateTime());
    platform::TrashSearch papierkorb;
    for (const QString& name : ordner.entryList({QLatin1String(VorabMuster)}, QDir::Files, QDir::Name)) {
        const QString pfad = ordner.filePath(name);
        platform::Expected<platform::AppendFile> datei = platform::AppendFile::openLocked(pfad);
        if (!datei) {
            // Its program still runs, or another start took it meanwhile.
            if (datei.error().code() != EWOULDBLOCK && datei.error().code() != ENOENT)
                w.nichtGespeichert.append({pfad, datei.error().message()});
            continue;
        }
        const platform::Expected<QByteArray> inhalt = datei->readAll();
        platform::Expected<OffeneSitzung> s =
            inhalt ? vorabLesen(*inhalt) : platform::Expected<OffeneSitzung>(inhalt.error());
        if (!s) {
            const QString neu = freierName(pfad);
            if (Result beiseite = datei->renameTo(neu); !beiseite)
                w.nichtGespeichert.append({pfad, beiseite.message()});
            else
                w.unlesbar.append({pfad, neu, s.error().message()});
            continue;
        }

        QVector<Aktionseintrag> aktionen;
        QDateTime zeit = QDateTime::fromString(s->letzteZeit, zeitFormat);
        for (const VorabAktion& a : s->aktionen) {
            aktionen.append(a.offen ? offeneAktionKlaeren(a, papierkorb, jetzt) : a.eintrag);
            zeit = std::max(zeit, QDateTime::fromString(aktionen.last().Zeit, zeitFormat));
        }
        kopienresteEntfernen(pfad, s->aktionen);
        const QString ergebnis = ergebnisstringBilden(aktionen);
        if (aktionen.isEmpty() || schonImJournal(db, s->kopf.tag, s->kopf.Programmstart, ergebnis)) {
            static_cast<void>(datei->remove());
            continue;
        }
        const QString zeitText = zeit.isValid() ? platform::dateTimeText(zeit) : s->letzteZeit;
        const auto ablage = db.Satz_anfuegen(s->kopf.tag, s->kopf, ergebnis, zeitText);
        if (!ablage) {
            w.nichtGespeichert.append({pfad, ablage.error().message()});
            continue;
        }
        static_cast<void>(datei->remove());
        w.sitzungen.append({ablage->pfad, s->kopf.Programmstart, ablage->neu ? 1 : s->kopf.Sitzung,
                            static_cast<int>(aktionen.size())});
        if (ablage->unlesbar)
            w.journale.append(*ablage->unlesbar);
    }
    return w;
}

QString startMeldung(const Wiederherstellung& w, const std::optional<UnlesbaresJournal>& heute)
{
    const auto nativ = [](const QString& p) { return QDir::toNativeSeparators(p); };
    QStringList teile;
    const auto sitzungText = [&](const Wiederherstellung::Sitzung& s) {
        return QStringLiteral("Programmstart %1, Sitzung %2 mit %3 %4, gespeichert in %5")
            .arg(s.programmstart)
            .arg(s.sitzung)
            .arg(s.aktionen)
            .arg(s.aktionen == 1 ? QStringLiteral("Aktion") : QStringLiteral("Aktionen"), nativ(s.journal));
    };
    if (w.sitzungen.size() == 1) {
        teile << QStringLiteral("Eine unterbrochene Sitzung wurde wiederhergestellt: %1.\n"
                                "Sie kann unter „Verwaltung“ rückgängig gemacht werden.")
                     .arg(sitzungText(w.sitzungen[0]));
    } else if (!w.sitzungen.isEmpty()) {
        QString t =
            QStringLiteral("%1 unterbrochene Sitzungen wurden wiederhergestellt:").arg(w.sitzungen.size());
        for (const auto& s : w.sitzungen)
            t += QStringLiteral("\n• ") + sitzungText(s);
        teile << t + QStringLiteral("\nSie können unter „Verwaltung“ rückgängig gemacht werden.");
    }
    for (const auto& u : w.unlesbar)
        teile << QStringLiteral("Die Wiederherstellungsdatei %1 kann nicht ganz gelesen werden: %2\n"
                                "Sie bleibt erhalten und heißt jetzt %3.")
                     .arg(nativ(u.datei), u.grund, nativ(u.neu));
    for (const auto& b : w.nichtGespeichert)
        teile << QStringLiteral("Die unterbrochene Sitzung in %1 konnte nicht wiederhergestellt werden:\n%2\n"
                                "Die Datei bleibt erhalten; beim nächsten Start wird es erneut versucht.")
                     .arg(nativ(b.datei), b.grund);
    QVector<UnlesbaresJournal> journale = w.journale;
    if (heute)
        journale.prepend(*heute);
    QStringList genannt;
    for (const UnlesbaresJournal& j : journale) {
        if (genannt.contains(j.pfad))
            continue;
        genannt << j.pfad;
        teile << QStringLiteral(
                     "Die Sicherungsdatei %1 kann nicht gelesen werden; sie bleibt unverändert.\n%2\n%3")
                     .arg(nativ(j.pfad), j.grund,
                          j.ausweichPfad.isEmpty()
                              ? QStringLiteral("Es gibt auch keine lesbare Ausweichdatei für diesen Tag.")
                              : QStringLiteral(
                                    "Die Sitzungen dieses Tages werden stattdessen in %1 gespeichert.")
                                    .arg(nativ(j.ausweichPfad)));
    }
    return teile.join(QStringLiteral("\n\n"));
}

} // namespace tw::journal
