#include "FolderListing.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>
#include <QVarLengthArray>
#include <algorithm>
#include <dirent.h>
#include <mutex>
#include <numeric>
#include <sys/stat.h>
#include <time.h>

namespace tw::platform {

QStringView extensionViewOf(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || dot + 1 >= fileName.size())
        return {};
    return fileName.mid(dot + 1);
}

QString extensionOf(QStringView fileName)
{
    return extensionViewOf(fileName).toString();
}

QString shellTypeLookedUp(const QString& fileName, bool dir)
{
    if (dir)
        return FolderType;
    // By name only, as the shell does; reading each file to sniff its content would be slow.
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    const QString comment = mime.isValid() && !mime.isDefault() ? mime.comment() : QString();
    if (!comment.isEmpty())
        return comment;
    // An extension nobody knows still names a kind of file, as the shell says it ("ABC-Datei"); only a
    // name without one is plain "Datei".
    const QString extension = extensionOf(fileName);
    return extension.isNull() ? UnknownType : extension.toUpper() + QStringLiteral("-Datei");
}

namespace {

qint64 msecsSinceEpoch(const timespec& t)
{
    return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool inClass(QChar c, QStringView set)
{
    for (qsizetype i = 0; i < set.size(); ++i) {
        if (i + 2 < set.size() && set[i + 1] == u'-') {
            if (c >= set[i] && c <= set[i + 2])
                return true;
            i += 2;
        } else if (c == set[i]) {
            return true;
        }
    }
    return false;
}

// Glob matching with *, ? and [...] classes ([!...] or [^...] negated, a-z ranges) of a lowered pattern
// against a lowered name, both of the length of the name as written. A class is tried with the name's
// own letter and the pattern as written too, so that a case-sensitive pattern cannot be missed; a
// class never closed or a backslash counts as a match, so that a pattern read wrongly only sends names
// to the full lookup.
bool globMatch(QStringView name, QStringView lowered, QStringView pattern, QStringView loweredPattern)
{
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < lowered.size()) {
        if (p < loweredPattern.size()) {
            const QChar c = loweredPattern[p];
            if (c == u'\\')
                return true;
            if (c == u'*') {
                starP = p++;
                starN = n;
                continue;
            }
            if (c == u'[') {
                qsizetype q = p + 1;
                const bool negated = q < pattern.size() && (pattern[q] == u'!' || pattern[q] == u'^');
                const qsizetype first = negated ? q + 1 : q;
                qsizetype end = first;
                while (end < pattern.size() && (pattern[end] != u']' || end == first))
                    ++end;
                if (end >= pattern.size())
                    return true;
                const QStringView set = pattern.mid(first, end - first);
                const QStringView lowSet = loweredPattern.mid(first, end - first);
                const bool in =
                    inClass(lowered[n], lowSet) || inClass(lowered[n], set) || inClass(name[n], set);
                if (in != negated) {
                    p = end + 1;
                    ++n;
                    continue;
                }
            } else if (c == u'?' || c == lowered[n]) {
                ++p;
                ++n;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP + 1;
        n = ++starN;
    }
    while (p < loweredPattern.size() && loweredPattern[p] == u'*')
        ++p;
    return p == loweredPattern.size();
}

bool hasWildcard(QStringView text)
{
    for (const QChar c : text) {
        if (c == u'*' || c == u'?' || c == u'[' || c == u']' || c == u'\\')
            return true;
    }
    return false;
}

// A lowered copy of a name in a buffer of its own, without an allocation for the usual names.
class Lowered
{
public:
    explicit Lowered(const QString& name)
    {
        bool ascii = true;
        for (const QChar c : name)
            ascii = ascii && c.unicode() < 0x80;
        if (!ascii) {
            m_text = name.toLower();
            m_view = m_text;
            return;
        }
        m_buffer.resize(name.size());
        for (qsizetype i = 0; i < name.size(); ++i) {
            const char16_t c = name[i].unicode();
            m_buffer[i] = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
        }
        m_view = QStringView(m_buffer.constData(), m_buffer.size());
    }
    Lowered(const Lowered&) = delete;
    Lowered& operator=(const Lowered&) = delete;
    QStringView view() const { return m_view; }

private:
    QVarLengthArray<char16_t, 128> m_buffer;
    QString m_text;
    QStringView m_view;
};

// A string for a lookup, over text that outlives it.
QString over(QStringView text)
{
    return QString::fromRawData(text.data(), text.size());
}

// Kinds by exact extension. Of the MIME database's glob patterns, a plain "*.ext" matches a name by its
// exact extension alone; a name that matches none of the others (literal names as "CMakeLists.txt",
// "*.tar.gz", "README*", "*.[1-9]") therefore gets the kind that every name with its extension gets, and
// only names that may match one of them are looked up in full. Names and patterns are compared lowered,
// which finds the case-sensitive patterns too.
class KindCache
{
public:
    static KindCache& instance()
    {
        static KindCache cache;
        return cache;
    }

    QString typeFor(const QString& fileName)
    {
        if (mayMatchOther(fileName))
            return shellTypeLookedUp(fileName, false);
        const qsizetype dot = fileName.lastIndexOf(u'.');
        const QStringView extension = dot < 0 ? QStringView() : QStringView(fileName).mid(dot + 1);
        std::lock_guard<std::mutex> lock(m_mutex);
        const QLocale locale;
        if (locale != m_locale) {
            // The comments are in the default locale's language.
            m_byExtension.clear();
            m_locale = locale;
        }
        const auto known = m_byExtension.constFind(over(extension));
        if (known != m_byExtension.cend())
            return *known;
        const QString type = shellTypeLookedUp(fileName, false);
        m_byExtension.insert(extension.toString(), type);
        return type;
    }

private:
    KindCache()
    {
        for (const QString& glob : globPatterns()) {
            const QStringView ext = QStringView(glob).mid(2);
            if (glob.startsWith(QLatin1StringView("*.")) && !ext.isEmpty() && !ext.contains(u'.') &&
                !hasWildcard(ext))
                continue;
            const QString lowered = glob.toLower();
            if (lowered.size() != glob.size() || glob.contains(u'\\'))
                m_always = true;
            else if (!hasWildcard(glob))
                m_literals.insert(lowered);
            else if (glob.startsWith(u'*') && !hasWildcard(QStringView(glob).mid(1)) && glob.size() > 1)
                m_tails[lowered.back().unicode()].append(lowered.mid(1));
            else
                m_globs.append({glob, lowered});
        }
    }

    // The patterns from the globs2 files beside the binary caches Qt reads: asking each MIME type for its
    // patterns would have Qt read and keep every type's description in every language (7 MB). Where a
    // folder has no such pair, the database itself is asked.
    static QStringList globPatterns()
    {
        QStringList globs;
        const QStringList folders = QStandardPaths::locateAll(
            QStandardPaths::GenericDataLocation, QStringLiteral("mime"), QStandardPaths::LocateDirectory);
        bool complete = !folders.isEmpty();
        for (const QString& folder : folders) {
            QFile file(folder + QStringLiteral("/globs2"));
            if (!QFile::exists(folder + QStringLiteral("/mime.cache")) || !file.open(QIODevice::ReadOnly)) {
                complete = false;
                break;
            }
            while (!file.atEnd()) {
                const QString line = QString::fromUtf8(file.readLine()).trimmed();
                if (line.isEmpty() || line.startsWith(u'#'))
                    continue;
                // weight:type:pattern[:flags]; a pattern holding a colon is taken both ways.
                const qsizetype first = line.indexOf(u':');
                const qsizetype second = first < 0 ? -1 : line.indexOf(u':', first + 1);
                if (second < 0)
                    continue;
                const QString rest = line.mid(second + 1);
                globs.append(rest);
                if (rest.contains(u':'))
                    globs.append(rest.left(rest.lastIndexOf(u':')));
            }
        }
        if (complete)
            return globs;
        globs.clear();
        for (const QMimeType& mime : QMimeDatabase().allMimeTypes())
            globs += mime.globPatterns();
        return globs;
    }

    bool mayMatchOther(const QString& name) const
    {
        if (m_always || name.isEmpty() || name.contains(u'/'))
            return true;
        const Lowered lowered(name);
        const QStringView low = lowered.view();
        // A name whose lowered form is not letter for letter is left to the database.
        if (low.size() != name.size())
            return true;
        if (m_literals.contains(over(low)))
            return true;
        const auto tails = m_tails.constFind(low.back().unicode());
        if (tails != m_tails.cend()) {
            for (const QString& tail : *tails) {
                if (low.endsWith(tail))
                    return true;
            }
        }
        for (const Pattern& p : m_globs) {
            if (globMatch(name, low, p.raw, p.lowered))
                return true;
        }
        return false;
    }

    struct Pattern
    {
        QString raw;
        QString lowered;
    };
    bool m_always = false; // a pattern this cannot read: every name is looked up in full
    QSet<QString> m_literals;
    QHash<char16_t, QStringList> m_tails; // of "*" and a literal, as "*.tar.gz" or "*~", by last letter
    QList<Pattern> m_globs;

    std::mutex m_mutex;
    QLocale m_locale;
    QHash<QString, QString> m_byExtension;
};

} // namespace

QString shellTypeFor(const QString& fileName, bool dir)
{
    return dir ? FolderType : KindCache::instance().typeFor(fileName);
}

QString shellType(const QString& path)
{
    const QFileInfo info(path);
    return shellTypeFor(info.fileName(), info.isDir());
}

ShellItem shellItemFor(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    return shellItemFor(path, name, shellTypeFor(name, false));
}

ShellItem shellItemFor(const QString& path, const QString& name, const QString& fileType)
{
    ShellItem item;
    item.Path = QDir::toNativeSeparators(path);
    item.Name = name;
    item.Type = fileType;
    // One stat, as QFileInfo makes it, but the time of last change in local time by the C library:
    // Qt's local time looks the zone file up on disk for every conversion.
    // An ASCII path is its own encoding in every locale; it goes to stat from a buffer on the stack.
    char plain[1024];
    bool ascii = path.size() < static_cast<qsizetype>(sizeof plain);
    for (qsizetype i = 0; ascii && i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        ascii = c != 0 && c < 0x80;
        plain[i] = static_cast<char>(c);
    }
    struct stat st = {};
    if (ascii)
        plain[path.size()] = '\0';
    if (::stat(ascii ? plain : QFile::encodeName(path).constData(), &st) != 0)
        return item;
    const bool dir = S_ISDIR(st.st_mode);
    if (dir)
        item.Type = FolderType;
    item.Size = dir ? 0 : static_cast<qint64>(st.st_size);
    const time_t seconds = st.st_mtim.tv_sec;
    const qint64 ms = msecsSinceEpoch(st.st_mtim);
    // Zones change their offset only on a whole second, and files of one folder often share theirs.
    thread_local time_t offsetSecond = -1;
    thread_local int offset = 0;
    struct tm local = {};
    if (seconds != offsetSecond && ::localtime_r(&seconds, &local)) {
        offsetSecond = seconds;
        offset = static_cast<int>(local.tm_gmtoff);
    }
    item.ModifyDate = seconds == offsetSecond ? QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offset)
                                              : QDateTime::fromMSecsSinceEpoch(ms);
    return item;
}

QString folderForAddress(const QString& address, const QString& homeFolder)
{
    const QString text = address.trimmed();
    // Drive C in the forms the program keeps from its Windows days.
    static const QRegularExpression driveC(QStringLiteral(R"(^(file:(//|\\\\))?c:[\\/]?$)"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (driveC.match(text).hasMatch())
        return QDir::cleanPath(homeFolder);

    QString path;
    if (text.startsWith(QLatin1StringView("file:"), Qt::CaseInsensitive)) {
        QUrl url(text, QUrl::TolerantMode);
        if (!url.isValid() || !url.isLocalFile())
            return {};
        if (url.host().compare(QLatin1StringView("localhost"), Qt::CaseInsensitive) == 0)
            url.setHost(QString());
        else if (!url.host().isEmpty())
            return {};
        path = url.toLocalFile();
    } else {
        path = text;
    }
    if (!path.startsWith(u'/'))
        return {};
    return QDir::cleanPath(path);
}

QString childPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

std::shared_ptr<const FolderListing> listFolder(const QString& folder, int column, Qt::SortOrder order,
                                                const std::function<bool()>& cancelled)
{
    std::vector<FolderEntry> found;
    QStringList kinds;
    QHash<QString, quint32> kindIndex;
    // By hand rather than through QFileInfo: its modification time is made local per file, which has
    // glibc look at /etc/localtime each time, and that cost more than the stat itself. As the shell
    // shows a folder: hidden names, links to nothing, devices, pipes and sockets stay out; a link
    // counts as what it points to.
    const std::unique_ptr<DIR, int (*)(DIR*)> verzeichnis(::opendir(QFile::encodeName(folder).constData()),
                                                          ::closedir);
    for (const dirent* d; verzeichnis && (d = ::readdir(verzeichnis.get())) != nullptr;) {
        if (d->d_name[0] == '.')
            continue;
        if ((found.size() & 1023) == 0 && cancelled())
            return nullptr;
        struct stat info = {};
        if (::fstatat(::dirfd(verzeichnis.get()), d->d_name, &info, 0) != 0 ||
            !(S_ISDIR(info.st_mode) || S_ISREG(info.st_mode)))
            continue;
        FolderEntry entry;
        entry.name = QFile::decodeName(d->d_name);
        entry.dir = S_ISDIR(info.st_mode);
        entry.size = entry.dir ? 0 : static_cast<qint64>(info.st_size);
        entry.modified = msecsSinceEpoch(info.st_mtim);
        const QString kind = shellTypeFor(entry.name, entry.dir);
        const auto known = kindIndex.constFind(kind);
        if (known != kindIndex.cend()) {
            entry.kind = *known;
        } else {
            entry.kind = static_cast<quint32>(kinds.size());
            kindIndex.insert(kind, entry.kind);
            kinds.append(kind);
        }
        found.push_back(std::move(entry));
    }
    if (cancelled())
        return nullptr;

    QCollator collator{QLocale()};
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> nameKeys;
    nameKeys.reserve(found.size());
    for (const FolderEntry& entry : found)
        nameKeys.push_back(collator.sortKey(entry.name));
    std::vector<QCollatorSortKey> kindKeys;
    if (column == TypeColumn) {
        kindKeys.reserve(static_cast<std::size_t>(kinds.size()));
        for (const QString& kind : std::as_const(kinds))
            kindKeys.push_back(collator.sortKey(kind));
    }

    std::vector<int> sorted(found.size());
    std::iota(sorted.begin(), sorted.end(), 0);
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) {
        const FolderEntry& x = found[a];
        const FolderEntry& y = found[b];
        if (x.dir != y.dir)
            return x.dir;
        int c = 0;
        if (column == SizeColumn)
            c = x.size < y.size ? -1 : x.size > y.size ? 1 : 0;
        else if (column == DateColumn)
            c = x.modified < y.modified ? -1 : x.modified > y.modified ? 1 : 0;
        else if (column == TypeColumn)
            c = kindKeys[x.kind].compare(kindKeys[y.kind]);
        if (c == 0)
            c = nameKeys[a].compare(nameKeys[b]);
        if (c == 0)
            c = x.name.compare(y.name);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });

    auto listing = std::make_shared<FolderListing>();
    listing->kinds = std::move(kinds);
    listing->entries.reserve(found.size());
    listing->rows.reserve(static_cast<qsizetype>(found.size()));
    for (const int i : sorted) {
        listing->rows.insert(found[i].name, static_cast<int>(listing->entries.size()));
        listing->entries.push_back(std::move(found[i]));
    }
    return listing;
}

} // namespace tw::platform
