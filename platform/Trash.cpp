#include "Trash.h"

#include "FileOps.h"
#include "FileTransfer.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUrl>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

namespace {

// Our own key in the information file: the source of the copy that took the file's place. File managers
// ignore keys they do not know.
constexpr char kReplacedBy[] = "X-Tauschwerk-Kopie-Von";
const QString kInfoSuffix = QStringLiteral(".trashinfo");

struct Place
{
    QString trash;
    QString topdir; // empty for the home trash, whose paths are absolute
};

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

QString parentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString homeTrash()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : QDir::cleanPath(data) + QStringLiteral("/Trash");
}

// The file system a path is or would be on: that of its nearest existing ancestor.
bool deviceOf(const QString& path, dev_t& device)
{
    for (QString p = path;; p = parentOf(p)) {
        struct stat st = {};
        if (::stat(native(p).constData(), &st) == 0) {
            device = st.st_dev;
            return true;
        }
        if (p == QLatin1String("/"))
            return false;
    }
}

QStringList volumeTrashes(const QString& topdir)
{
    const QString base = topdir.endsWith(u'/') ? topdir : topdir + u'/';
    const QString uid = QString::number(::getuid());
    QStringList out;
    // An administrator's shared .Trash counts only with the sticky bit and not as a link.
    struct stat st = {};
    if (::lstat(native(base + QStringLiteral(".Trash")).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
        (st.st_mode & S_ISVTX))
        out << base + QStringLiteral(".Trash/") + uid;
    out << base + QStringLiteral(".Trash-") + uid;
    return out;
}

int makeFolder(const QString& path)
{
    if (::mkdir(native(path).constData(), 0700) == 0)
        return 0;
    const int err = errno;
    struct stat st = {};
    if (err == EEXIST && ::lstat(native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode))
        return 0;
    return err;
}

int makeFolders(const QString& path)
{
    struct stat st = {};
    if (::stat(native(path).constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (path != QLatin1String("/"))
        if (const int err = makeFolders(parentOf(path)))
            return err;
    return makeFolder(path);
}

int makeTrash(const QString& trash)
{
    for (const QString& folder : QStringList{trash, trash + u"/files", trash + u"/info"})
        if (const int err = makeFolder(folder))
            return err;
    return 0;
}

Result refused(int err)
{
    return Result::failure(
        err, QStringLiteral("Die vorhandene Datei kann nicht in den Papierkorb gelegt werden: %1")
                 .arg(errorText(err)));
}

// The trash a file of this folder goes to, made where it is missing.
Expected<Place> placeFor(const QString& folder)
{
    struct stat st = {};
    if (::stat(native(folder).constData(), &st) != 0)
        return refused(errno);
    const QString home = homeTrash();
    dev_t homeDevice = 0;
    if (!home.isEmpty() && deviceOf(home, homeDevice) && homeDevice == st.st_dev) {
        if (const int err = makeFolders(parentOf(home)); err != 0)
            return refused(err);
        if (const int err = makeTrash(home); err != 0)
            return refused(err);
        return Place{home, {}};
    }
    const QString topdir = QStorageInfo(folder).rootPath();
    int err = EXDEV;
    for (const QString& trash : volumeTrashes(topdir)) {
        dev_t device = 0;
        err = makeTrash(trash);
        if (err == 0 && deviceOf(trash, device) && device == st.st_dev)
            return Place{trash, topdir};
    }
    return refused(err == 0 ? EXDEV : err);
}

QString relativeTo(const QString& topdir, const QString& path)
{
    if (topdir.isEmpty() || !path.startsWith(topdir))
        return path;
    QString rest = path.mid(topdir.size());
    while (rest.startsWith(u'/'))
        rest.remove(0, 1);
    return rest;
}

QString resolved(const QString& topdir, const QString& path)
{
    if (path.startsWith(u'/') || topdir.isEmpty())
        return QDir::cleanPath(path);
    return QDir::cleanPath(topdir + u'/' + path);
}

QString keyOf(const QString& path, const QString& source)
{
    return QDir::cleanPath(path) + QChar(0) + QDir::cleanPath(source);
}

// The trash name: the file's own, short enough that the information file's name still fits.
QString trashName(const QString& path, int attempt)
{
    QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const QString suffix = attempt == 0 ? QString() : QStringLiteral("-%1").arg(attempt);
    constexpr int nameMax = 255;
    while (!name.isEmpty() && native(name + suffix + kInfoSuffix).size() > nameMax)
        name.chop(1);
    return name + suffix;
}

void syncFolder(const QString& path)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

struct InfoFile
{
    QString path;
    QString source;
    QDateTime deleted;
};

std::optional<InfoFile> readInfo(const QString& file, const QString& topdir)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    InfoFile info;
    bool inGroup = false;
    for (const QByteArray& raw : f.read(1 << 16).split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inGroup = line == "[Trash Info]";
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!inGroup || eq < 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed();
        if (key == "Path")
            info.path = resolved(topdir, QUrl::fromPercentEncoding(value));
        else if (key == "DeletionDate")
            info.deleted = QDateTime::fromString(QString::fromUtf8(value), Qt::ISODate);
        else if (key == kReplacedBy)
            info.source = QUrl::fromPercentEncoding(value);
    }
    if (info.path.isEmpty() || info.source.isEmpty() || !info.deleted.isValid())
        return std::nullopt;
    return info;
}

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

Expected<TrashedFile> trashReplaced(const QString& path, const QString& source)
{
    const QString clean = QDir::cleanPath(path);
    const Expected<Place> place = placeFor(parentOf(clean));
    if (!place)
        return place.error();
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray text =
        "[Trash Info]\nPath=" + QUrl::toPercentEncoding(relativeTo(place->topdir, clean), "/") +
        "\nDeletionDate=" + now.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toUtf8() + "\n" +
        kReplacedBy + "=" + QUrl::toPercentEncoding(source, "/") + "\n";
    for (int attempt = 0; attempt < 10000; ++attempt) {
        const QString name = trashName(clean, attempt);
        TrashedFile trashed{place->trash + QStringLiteral("/files/") + name,
                            place->trash + QStringLiteral("/info/") + name + kInfoSuffix, now};
        // The information first: a file in the trash without it could not be found again.
        const Result noted = writeNewFile(trashed.info, text);
        if (noted.code() == EEXIST)
            continue;
        if (!noted)
            return refused(noted.code());
        syncFolder(place->trash + QStringLiteral("/info"));
        const Result moved = renameFile(path, trashed.file);
        if (moved)
            return trashed;
        ::unlink(native(trashed.info).constData());
        if (moved.code() != EEXIST)
            return refused(moved.code());
    }
    return refused(EEXIST);
}

Result restoreFromTrash(const TrashedFile& trashed, const QString& path)
{
    if (Result back = moveFile(trashed.file, path); !back)
        return back;
    ::unlink(native(trashed.info).constData());
    return Result::success();
}

TrashSearch::Folder& TrashSearch::current(const QString& trash, const QString& topdir)
{
    Folder& folder = m_folders[trash];
    struct stat st = {};
    if (::stat(native(trash + QStringLiteral("/info")).constData(), &st) != 0) {
        folder = Folder{};
        return folder;
    }
    // A time of change may be coarse; that does not matter here: the entry a copy made is older than the
    // copy's journal entry and so than any undo of it.
    if (folder.read && sameTime(folder.changed, st.st_mtim))
        return folder;
    folder = Folder{st.st_mtim, true, {}, {}};
    const QDir info(trash + QStringLiteral("/info"));
    for (const QString& name :
         info.entryList({u"*" + kInfoSuffix}, QDir::Files | QDir::Hidden | QDir::System)) {
        const auto read = readInfo(info.filePath(name), topdir);
        if (!read)
            continue;
        const QString key = keyOf(read->path, read->source);
        folder.keys.insert(info.filePath(name), key);
        folder.entries[key].append({trash + QStringLiteral("/files/") + name.chopped(kInfoSuffix.size()),
                                    info.filePath(name), read->deleted});
    }
    return folder;
}

std::optional<TrashedFile> TrashSearch::replacedBy(const QString& path, const QString& source,
                                                   const QDateTime& notAfter)
{
    const QString clean = QDir::cleanPath(path);
    const QString folder = parentOf(clean);
    QList<Place> places;
    dev_t device = 0, homeDevice = 0;
    const QString home = homeTrash();
    if (!home.isEmpty())
        places.append({home, {}});
    if (deviceOf(folder, device) && !(deviceOf(home, homeDevice) && homeDevice == device)) {
        auto top = m_topdirs.find(quint64(device));
        if (top == m_topdirs.end())
            top = m_topdirs.insert(quint64(device), QStorageInfo(folder).rootPath());
        for (const QString& trash : volumeTrashes(*top))
            places.append({trash, *top});
    }

    std::optional<TrashedFile> best;
    const QString key = keyOf(clean, source);
    for (const Place& place : places) {
        for (const TrashedFile& t : current(place.trash, place.topdir).entries.value(key)) {
            if ((notAfter.isValid() && t.deleted > notAfter) || (best && t.deleted <= best->deleted))
                continue;
            struct stat st = {};
            if (::lstat(native(t.file).constData(), &st) == 0)
                best = t;
        }
    }
    return best;
}

Result TrashSearch::restore(const TrashedFile& trashed, const QString& path)
{
    const QString infoFolder = parentOf(trashed.info);
    const auto folder = m_folders.find(parentOf(infoFolder));
    struct stat before = {};
    const bool upToDate = folder != m_folders.end() && folder->read &&
                          ::stat(native(infoFolder).constData(), &before) == 0 &&
                          sameTime(before.st_mtim, folder->changed);
    const Result back = restoreFromTrash(trashed, path);
    // Our own change need not make the next look-up read the whole folder again.
    struct stat after = {};
    if (back && upToDate && ::stat(native(infoFolder).constData(), &after) == 0) {
        folder->changed = after.st_mtim;
        folder->entries[folder->keys.take(trashed.info)].removeIf(
            [&](const TrashedFile& t) { return t.info == trashed.info; });
    }
    return back;
}

} // namespace tw::platform
