#include "Laufwerke.h"

#include <QDir>
#include <QMap>
#include <QSet>
#include <QUrl>

namespace tw::stack {

namespace {

bool liegtUnter(const QString& pfad, QLatin1String ordner)
{
    return pfad == ordner || pfad.startsWith(ordner + QLatin1Char('/'));
}

// Kernel interfaces, memory-backed scratch space, read-only images of packages and the layers of
// containers: nothing a user keeps files on.
bool istPseudo(const Einhaengung& e)
{
    static const QSet<QByteArray> typen = {
        "autofs",    "binfmt_misc", "bpf",      "cgroup",  "cgroup2",   "configfs",        "debugfs",
        "devpts",    "devtmpfs",    "efivarfs", "fusectl", "hugetlbfs", "mqueue",          "nsfs",
        "overlay",   "proc",        "pstore",   "ramfs",   "rootfs",    "rpc_pipefs",      "securityfs",
        "selinuxfs", "squashfs",    "sysfs",    "tmpfs",   "tracefs",   "fuse.gvfsd-fuse", "fuse.portal",
        "fuse.lxcfs"};
    if (typen.contains(e.dateisystem))
        return true;
    const QString& w = e.wurzel;
    if (liegtUnter(w, QLatin1String("/proc")) || liegtUnter(w, QLatin1String("/sys")) ||
        liegtUnter(w, QLatin1String("/dev")) || liegtUnter(w, QLatin1String("/var/run")) ||
        liegtUnter(w, QLatin1String("/var/lock")) || liegtUnter(w, QLatin1String("/boot/efi")))
        return true;
    // Removable media may be mounted below /run/media; the rest of /run is runtime state.
    return liegtUnter(w, QLatin1String("/run")) && !liegtUnter(w, QLatin1String("/run/media"));
}

} // namespace

QList<Laufwerk> laufwerkeAus(const QList<Einhaengung>& einhaengungen)
{
    // A later mount on the same folder hides the earlier one.
    QMap<QString, Einhaengung> sichtbar;
    for (const Einhaengung& e : einhaengungen) {
        if (!e.wurzel.isEmpty())
            sichtbar.insert(QDir::cleanPath(e.wurzel), e);
    }
    QList<Laufwerk> liste;
    for (auto it = sichtbar.cbegin(); it != sichtbar.cend(); ++it) {
        const QString& wurzel = it.key();
        const Einhaengung& e = it.value();
        if (wurzel != QLatin1String("/") && (!e.ordner || istPseudo(e)))
            continue;
        liste.append(
            Laufwerk{wurzel, e.name.isEmpty() ? wurzel : wurzel + QStringLiteral(" [") + e.name + u']'});
    }
    return liste;
}

QString ordnerAusAdresse(const QString& adresse)
{
    if (adresse.isEmpty())
        return {};
    if (adresse.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(adresse);
    const QUrl url(adresse);
    if (!url.isLocalFile())
        return {};
    const QString pfad = url.toLocalFile();
    return pfad.isEmpty() ? QString() : QDir::cleanPath(pfad);
}

QString adresseVon(const QString& wurzel)
{
    return QUrl::fromLocalFile(wurzel).toString();
}

int Laufwerk_abgleichen(const QString& ordner, const QString& wurzel, const QList<Laufwerk>& liste,
                        QString& Letztes_Laufwerk)
{
    if (ordner.isEmpty() || ordner != wurzel || ordner == Letztes_Laufwerk)
        return -1;
    Letztes_Laufwerk = ordner;
    for (int i = 0; i < liste.size(); ++i) {
        if (liste[i].wurzel == ordner)
            return i;
    }
    return -1;
}

} // namespace tw::stack
