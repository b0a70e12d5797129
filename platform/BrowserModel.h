#pragma once

#include "platform/FolderListing.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QIcon>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace tw::platform {

struct ListingChannel;

// The items of one folder for the browser's list. Listing and sorting run on a worker thread and
// arrive as one reset, so that a folder of 100,000 files costs the UI thread no per-file work; changes
// on disk are listed again and shown only when something differs.
class BrowserModel : public QAbstractTableModel
{
public:
    explicit BrowserModel(QObject* parent);
    ~BrowserModel() override;

    // Called each time the folder shown has been listed completely.
    std::function<void()> onListed;

    void setFolder(const QString& folder);
    // While the window is hidden a change on disk is only noted: a rename run of 100,000 files in the
    // folder shown would have it listed anew every 250 ms. Shown again, it lists once if anything changed.
    void setWatching(bool on);
    const QString& folder() const { return m_folder; }
    bool isListed() const { return m_listed; }
    const FolderEntry& entry(int row) const { return m_listing->entries[static_cast<std::size_t>(row)]; }
    const std::shared_ptr<const FolderListing>& listing() const { return m_listing; }
    // The row of a name, or -1.
    int rowOf(const QString& name) const { return m_listing->rows.value(name, -1); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    void changedOnDisk();
    int refreshDelay() const;
    void startListing();
    void apply(const std::shared_ptr<const FolderListing>& listing, quint64 generation, bool unchanged);

    std::shared_ptr<ListingChannel> m_channel;
    QString m_folder;
    std::shared_ptr<const FolderListing> m_listing = std::make_shared<const FolderListing>();
    int m_sortColumn = NameColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_listed = false;
    bool m_busy = false;
    bool m_refreshPending = false;
    bool m_watching = true;
    bool m_changedUnwatched = false;
    QFileSystemWatcher m_watcher;
    QTimer m_refresh;
    QElapsedTimer m_unshownSince; // since the first change not yet listed
    qint64 m_lastListingMs = 0;
    QIcon m_folderIcon;
    QIcon m_fileIcon;
};

} // namespace tw::platform
