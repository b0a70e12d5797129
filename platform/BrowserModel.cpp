#include "BrowserModel.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileIconProvider>
#include <QLocale>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>

namespace tw::platform {

// The link between the model and its listing tasks; a task outliving the model finds no receiver.
struct ListingChannel
{
    std::mutex mutex;
    QObject* receiver = nullptr;
    std::atomic<quint64> generation{0};
};

BrowserModel::BrowserModel(QObject* parent)
    : QAbstractTableModel(parent), m_channel(std::make_shared<ListingChannel>())
{
    m_channel->receiver = this;
    QFileIconProvider icons;
    m_folderIcon = icons.icon(QAbstractFileIconProvider::Folder);
    m_fileIcon = icons.icon(QAbstractFileIconProvider::File);
    m_refresh.setSingleShot(true);
    connect(&m_refresh, &QTimer::timeout, this, [this] { startListing(); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { changedOnDisk(); });
}

BrowserModel::~BrowserModel()
{
    std::lock_guard<std::mutex> lock(m_channel->mutex);
    m_channel->receiver = nullptr;
    ++m_channel->generation;
}

void BrowserModel::setFolder(const QString& folder)
{
    beginResetModel();
    if (!m_folder.isEmpty() && m_watching)
        m_watcher.removePath(m_folder);
    m_folder = folder;
    m_listing = std::make_shared<const FolderListing>();
    endResetModel();
    if (m_watching)
        m_watcher.addPath(folder);
    m_refresh.stop();
    m_refreshPending = false;
    m_changedUnwatched = !m_watching; // changes after this listing go unseen until shown
    m_listed = false;
    startListing();
}

int BrowserModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_listing->entries.size());
}

int BrowserModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

Qt::ItemFlags BrowserModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

QVariant BrowserModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const FolderEntry& e = entry(index.row());
    if (role == Qt::DecorationRole && index.column() == NameColumn)
        return e.dir ? m_folderIcon : m_fileIcon;
    if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case NameColumn:
        return e.name;
    case SizeColumn:
        return e.dir ? QString() : QLocale().formattedDataSize(e.size, 1, QLocale::DataSizeTraditionalFormat);
    case TypeColumn:
        return m_listing->kindOf(e);
    case DateColumn:
        return QDateTime::fromMSecsSinceEpoch(e.modified).toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    default:
        return {};
    }
}

QVariant BrowserModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QString titles[] = {QStringLiteral("Name"), QStringLiteral("Größe"), QStringLiteral("Typ"),
                                     QStringLiteral("Änderungsdatum")};
    return section >= 0 && section < ColumnCount ? titles[section] : QString();
}

void BrowserModel::sort(int column, Qt::SortOrder order)
{
    if (column == m_sortColumn && order == m_sortOrder)
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    if (!m_folder.isEmpty()) {
        m_listed = false;
        startListing();
    }
}

void BrowserModel::setWatching(bool on)
{
    if (m_watching == on)
        return;
    m_watching = on;
    if (!on) {
        // Hidden, the folder is not watched at all: a run that renames 100,000 files in it would have
        // this thread read two notices per file. Shown again, it is listed anew, since it may have changed.
        if (!m_folder.isEmpty())
            m_watcher.removePath(m_folder);
        m_changedUnwatched = true;
        m_refresh.stop();
        m_refreshPending = false;
    } else {
        if (!m_folder.isEmpty())
            m_watcher.addPath(m_folder);
        if (std::exchange(m_changedUnwatched, false))
            changedOnDisk();
    }
}

void BrowserModel::changedOnDisk()
{
    if (!m_watching) {
        m_changedUnwatched = true;
    } else if (m_busy) {
        m_refreshPending = true;
    } else {
        if (!m_refresh.isActive())
            m_unshownSince.start();
        m_refresh.start(refreshDelay());
    }
}

// A listing waits until the folder has been quiet for 250 ms: one made while an undo of 100,000 files
// renames in the folder shown would hold the folder's lock against each rename and show a state that
// is gone at once. While changes keep coming, the list is at most three seconds behind, or four times
// the last listing's length when that is longer, so that the browser takes no more than a fifth of a
// core from the work itself.
int BrowserModel::refreshDelay() const
{
    const qint64 longest = std::max<qint64>(3000, 4 * m_lastListingMs);
    return static_cast<int>(std::clamp<qint64>(longest - m_unshownSince.elapsed(), 0, 250));
}

void BrowserModel::startListing()
{
    m_busy = true;
    const quint64 generation = ++m_channel->generation;
    QThreadPool::globalInstance()->start([channel = m_channel, generation, folder = m_folder,
                                          column = m_sortColumn, order = m_sortOrder, previous = m_listing] {
        const auto cancelled = [&] { return channel->generation.load() != generation; };
        QElapsedTimer took;
        took.start();
        std::shared_ptr<const FolderListing> listing = listFolder(folder, column, order, cancelled);
        const qint64 ms = took.elapsed();
        if (!listing)
            return;
        const bool unchanged = listing->entries == previous->entries;
        std::lock_guard<std::mutex> lock(channel->mutex);
        if (!channel->receiver || cancelled())
            return;
        auto* model = static_cast<BrowserModel*>(channel->receiver);
        QMetaObject::invokeMethod(
            model,
            [model, listing, generation, unchanged, ms] {
                model->m_lastListingMs = ms;
                model->apply(listing, generation, unchanged);
            },
            Qt::QueuedConnection);
    });
}

void BrowserModel::apply(const std::shared_ptr<const FolderListing>& listing, quint64 generation,
                         bool unchanged)
{
    if (generation != m_channel->generation.load())
        return;
    m_busy = false;
    if (!unchanged) {
        beginResetModel();
        m_listing = listing;
        endResetModel();
    }
    m_listed = true;
    if (std::exchange(m_refreshPending, false)) {
        m_unshownSince.start();
        m_refresh.start(refreshDelay());
    }
    if (onListed)
        onListed();
}

} // namespace tw::platform
