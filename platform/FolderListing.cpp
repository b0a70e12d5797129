#include "FolderListing.h"

#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <numeric>

namespace tw::platform {

QString extensionOf(const QString& fileName)
{
    const int dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || dot + 1 >= fileName.size())
        return {};
    return fileName.mid(dot + 1);
}

QString shellTypeFor(const QString& fileName, bool dir)
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

QString shellType(const QString& path)
{
    const QFileInfo info(path);
    return shellTypeFor(info.fileName(), info.isDir());
}

ShellItem shellItemFor(const QString& path)
{
    const QFileInfo info(path);
    ShellItem item;
    item.Path = QDir::toNativeSeparators(path);
    item.Name = info.fileName();
    item.Type = shellTypeFor(item.Name, info.isDir());
    item.Size = info.isDir() ? 0 : info.size();
    item.ModifyDate = info.lastModified();
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
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        if ((found.size() & 1023) == 0 && cancelled())
            return nullptr;
        const QFileInfo info = it.nextFileInfo();
        FolderEntry entry;
        entry.name = info.fileName();
        entry.dir = info.isDir();
        entry.size = entry.dir ? 0 : info.size();
        entry.modified = info.lastModified().toMSecsSinceEpoch();
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
    std::vector<QCollatorSortKey> typeKeys;
    if (column == TypeColumn) {
        typeKeys.reserve(found.size());
        for (const FolderEntry& entry : found)
            typeKeys.push_back(collator.sortKey(shellTypeFor(entry.name, entry.dir)));
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
            c = typeKeys[a].compare(typeKeys[b]);
        if (c == 0)
            c = nameKeys[a].compare(nameKeys[b]);
        if (c == 0)
            c = x.name.compare(y.name);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });

    auto listing = std::make_shared<FolderListing>();
    listing->entries.reserve(found.size());
    listing->rows.reserve(static_cast<qsizetype>(found.size()));
    for (const int i : sorted) {
        listing->rows.insert(found[i].name, static_cast<int>(listing->entries.size()));
        listing->entries.push_back(std::move(found[i]));
    }
    return listing;
}

} // namespace tw::platform
