#include "BrowserWindow.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCloseEvent>
#include <QCollator>
#include <QDirIterator>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QThreadPool>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <mutex>
#include <numeric>

namespace tw::platform {

namespace {

const QString FolderType = QStringLiteral("Dateiordner");
const QString UnknownType = QStringLiteral("Datei");

enum Column
{
    NameColumn,
    SizeColumn,
    TypeColumn,
    DateColumn,
    ColumnCount
};

Result closedError()
{
    return Result::failure(QStringLiteral("Das Browserfenster ist geschlossen."));
}

Result noFolderError()
{
    return Result::failure(QStringLiteral("Der Browser zeigt keinen Ordner."));
}

QString typeFor(const QString& name, bool dir)
{
    if (dir)
        return FolderType;
    // By name only, as the shell does; reading each file to sniff its content would be slow.
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    const QString comment = mime.isValid() && !mime.isDefault() ? mime.comment() : QString();
    if (!comment.isEmpty())
        return comment;
    // An extension nobody knows still names a kind of file, as the shell says it ("ABC-Datei"); only a
    // name without one is plain "Datei".
    const int dot = name.lastIndexOf(u'.');
    if (dot > 0 && dot + 1 < name.size())
        return name.mid(dot + 1).toUpper() + QStringLiteral("-Datei");
    return UnknownType;
}

ShellItem shellItemFor(const QString& path)
{
    const QFileInfo info(path);
    ShellItem item;
    item.Path = QDir::toNativeSeparators(path);
    item.Name = info.fileName();
    item.Type = typeFor(item.Name, info.isDir());
    item.Size = info.isDir() ? 0 : info.size();
    item.ModifyDate = info.lastModified();
    return item;
}

QString childPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

struct FolderEntry
{
    QString name;
    qint64 size = 0;
    qint64 modified = 0; // milliseconds since the epoch
    bool dir = false;

    bool operator==(const FolderEntry& other) const
    {
        return dir == other.dir && size == other.size && modified == other.modified && name == other.name;
    }
};

// One folder's items in view order, with the row of each name.
struct FolderListing
{
    std::vector<FolderEntry> entries;
    QHash<QString, int> rows;
};

// Lists and sorts a folder away from the UI thread; null when cancelled. Folders come first, as in
// the shell, in either order.
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
            typeKeys.push_back(collator.sortKey(typeFor(entry.name, entry.dir)));
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

// The link between the model and its listing tasks; a task outliving the model finds no receiver.
struct ListingChannel
{
    std::mutex mutex;
    QObject* receiver = nullptr;
    std::atomic<quint64> generation{0};
};

} // namespace

// The items of one folder. Listing and sorting run on a worker thread and arrive as one reset, so
// that a folder of 100,000 files costs the UI thread no per-file work; changes on disk are listed
// again and shown only when something differs.
class BrowserWindow::Model : public QAbstractTableModel
{
public:
    explicit Model(QObject* parent)
        : QAbstractTableModel(parent), m_channel(std::make_shared<ListingChannel>())
    {
        m_channel->receiver = this;
        QFileIconProvider icons;
        m_folderIcon = icons.icon(QAbstractFileIconProvider::Folder);
        m_fileIcon = icons.icon(QAbstractFileIconProvider::File);
        m_refresh.setSingleShot(true);
        // Gathers a burst of changes, as a rename run makes them, into one listing.
        m_refresh.setInterval(250);
        connect(&m_refresh, &QTimer::timeout, this, [this] { startListing(); });
        connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { changedOnDisk(); });
    }

    ~Model() override
    {
        std::lock_guard<std::mutex> lock(m_channel->mutex);
        m_channel->receiver = nullptr;
        ++m_channel->generation;
    }

    std::function<void()> onListed;

    void setFolder(const QString& folder)
    {
        beginResetModel();
        if (!m_folder.isEmpty())
            m_watcher.removePath(m_folder);
        m_folder = folder;
        m_listing = std::make_shared<const FolderListing>();
        m_types.clear();
        endResetModel();
        m_watcher.addPath(folder);
        m_refresh.stop();
        m_refreshPending = false;
        m_listed = false;
        startListing();
    }

    const QString& folder() const { return m_folder; }
    bool isListed() const { return m_listed; }
    const FolderEntry& entry(int row) const { return m_listing->entries[static_cast<std::size_t>(row)]; }
    int rowOf(const QString& name) const { return m_listing->rows.value(name, -1); }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_listing->entries.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : ColumnCount;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren
                               : Qt::NoItemFlags;
    }

    QVariant data(const QModelIndex& index, int role) const override
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
            return e.dir ? QString()
                         : QLocale().formattedDataSize(e.size, 1, QLocale::DataSizeTraditionalFormat);
        case TypeColumn:
            return typeOf(index.row());
        case DateColumn:
            return QDateTime::fromMSecsSinceEpoch(e.modified).toString(QStringLiteral("dd.MM.yyyy HH:mm"));
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        static const QString titles[] = {QStringLiteral("Name"), QStringLiteral("Größe"),
                                         QStringLiteral("Typ"), QStringLiteral("Änderungsdatum")};
        return section >= 0 && section < ColumnCount ? titles[section] : QString();
    }

    void sort(int column, Qt::SortOrder order) override
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

private:
    // The type text is asked for the rows in view only; a MIME lookup per listed file would cost
    // seconds for a large folder.
    QString typeOf(int row) const
    {
        QString& type = m_types[static_cast<std::size_t>(row)];
        if (type.isNull()) {
            const FolderEntry& e = entry(row);
            type = typeFor(e.name, e.dir);
        }
        return type;
    }

    void changedOnDisk()
    {
        if (m_busy)
            m_refreshPending = true;
        else if (!m_refresh.isActive())
            m_refresh.start();
    }

    void startListing()
    {
        m_busy = true;
        const quint64 generation = ++m_channel->generation;
        QThreadPool::globalInstance()->start([channel = m_channel, generation, folder = m_folder,
                                              column = m_sortColumn, order = m_sortOrder,
                                              previous = m_listing] {
            const auto cancelled = [&] { return channel->generation.load() != generation; };
            std::shared_ptr<const FolderListing> listing = listFolder(folder, column, order, cancelled);
            if (!listing)
                return;
            const bool unchanged = listing->entries == previous->entries;
            std::lock_guard<std::mutex> lock(channel->mutex);
            if (!channel->receiver || cancelled())
                return;
            auto* model = static_cast<Model*>(channel->receiver);
            QMetaObject::invokeMethod(
                model,
                [model, listing, generation, unchanged] { model->apply(listing, generation, unchanged); },
                Qt::QueuedConnection);
        });
    }

    void apply(const std::shared_ptr<const FolderListing>& listing, quint64 generation, bool unchanged)
    {
        if (generation != m_channel->generation.load())
            return;
        m_busy = false;
        if (!unchanged) {
            beginResetModel();
            m_listing = listing;
            m_types.assign(listing->entries.size(), QString());
            endResetModel();
        }
        m_listed = true;
        if (m_refreshPending) {
            m_refreshPending = false;
            m_refresh.start();
        }
        if (onListed)
            onListed();
    }

    std::shared_ptr<ListingChannel> m_channel;
    QString m_folder;
    std::shared_ptr<const FolderListing> m_listing = std::make_shared<const FolderListing>();
    mutable std::vector<QString> m_types;
    int m_sortColumn = NameColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_listed = false;
    bool m_busy = false;
    bool m_refreshPending = false;
    QFileSystemWatcher m_watcher;
    QTimer m_refresh;
    QIcon m_folderIcon;
    QIcon m_fileIcon;
};

class BrowserWindow::Window : public QWidget
{
public:
    explicit Window(std::function<void()> closed) : QWidget(nullptr, Qt::Window), m_closed(std::move(closed))
    {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        QWidget::closeEvent(event);
        if (event->isAccepted() && m_closed)
            m_closed();
    }

private:
    std::function<void()> m_closed;
};

BrowserWindow::BrowserWindow(QString homeFolder, QObject* parent)
    : QObject(parent), m_homeFolder(QDir::cleanPath(homeFolder))
{
    m_window = new Window([this] { tearDown(); });
    m_window->resize(1024, 512);

    // The view first: children go in the order they came, so the view never outlives its model.
    m_view = new QTreeView(m_window);
    m_model = new Model(m_window);
    m_model->onListed = [this] { onListed(); };

    m_view->setObjectName(QStringLiteral("ordnerListe"));
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setExpandsOnDoubleClick(false);
    // Every row has the height of the first, so 100,000 rows cost no size queries.
    m_view->setUniformRowHeights(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setDragEnabled(false); // a press and move marks rows instead
    m_view->setAllColumnsShowFocus(true);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(NameColumn, Qt::AscendingOrder);
    // The header would check every row of a large selection at each repaint to see whether a whole
    // column is marked; it needs no view of the selection.
    m_view->header()->setSelectionModel(new QItemSelectionModel(m_model, m_view->header()));
    m_view->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_view->header()->resizeSection(NameColumn, 420);
    m_view->header()->resizeSection(SizeColumn, 100);
    m_view->header()->resizeSection(TypeColumn, 220);
    m_view->installEventFilter(this);

    auto* layout = new QVBoxLayout(m_window);
    layout->setContentsMargins(0, 0, 0, 0);
    // The window may be given a height of 0; the list must not hold it open.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->addWidget(m_view);

    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &BrowserWindow::selectionChanged);
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, &BrowserWindow::rememberPlace);
    connect(m_model, &QAbstractItemModel::modelReset, this, &BrowserWindow::restorePlace);
    connect(m_view, &QAbstractItemView::doubleClicked, this, &BrowserWindow::enter);
}

BrowserWindow::~BrowserWindow()
{
    detach();
    delete m_window.data();
}

void BrowserWindow::detach()
{
    if (!m_view.isNull()) {
        m_view->removeEventFilter(this);
        m_view->selectionModel()->disconnect(this);
        m_view->disconnect(this);
    }
    if (!m_model.isNull()) {
        m_model->disconnect(this);
        m_model->onListed = nullptr;
    }
}

bool BrowserWindow::isOpen() const
{
    // isNull() rather than a cast: a window on its way out is no longer a whole widget.
    return !m_closed && !m_window.isNull() && !m_view.isNull() && !m_model.isNull();
}

bool BrowserWindow::isListed() const
{
    return isOpen() && !m_folder.isEmpty() && m_model->isListed();
}

QWidget* BrowserWindow::window() const
{
    return isOpen() ? m_window.data() : nullptr;
}

QTreeView* BrowserWindow::view() const
{
    return isOpen() ? m_view.data() : nullptr;
}

QString BrowserWindow::folderForAddress(const QString& address, const QString& homeFolder)
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

QString BrowserWindow::shellType(const QString& path)
{
    const QFileInfo info(path);
    return typeFor(info.fileName(), info.isDir());
}

Result BrowserWindow::navigate(const QString& address)
{
    if (!isOpen())
        return closedError();
    const QString folder = folderForAddress(address, m_homeFolder);
    if (folder.isEmpty())
        return Result::failure(
            ENOENT, QStringLiteral("Die Adresse „%1“ nennt keinen Ordner dieses Rechners.").arg(address));
    return open(folder);
}

Result BrowserWindow::open(const QString& folder)
{
    const Result shown = showFolder(folder);
    if (shown && (m_historyPos < 0 || m_history[static_cast<std::size_t>(m_historyPos)] != folder)) {
        m_history.resize(static_cast<std::size_t>(m_historyPos + 1));
        m_history.push_back(folder);
        m_historyPos = static_cast<int>(m_history.size()) - 1;
    }
    return shown;
}

Result BrowserWindow::showFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return Result::failure(ENOENT, QStringLiteral("Der Ordner „%1“ ist nicht vorhanden.").arg(folder));
    if (!info.isDir())
        return Result::failure(ENOTDIR, QStringLiteral("„%1“ ist kein Ordner.").arg(folder));
    if (!info.isReadable() || !info.isExecutable())
        return Result::failure(
            EACCES, QStringLiteral("Auf den Ordner „%1“ kann nicht zugegriffen werden.").arg(folder));
    if (folder == m_folder)
        return Result::success();

    m_folder = folder;
    m_selectionStale = true;
    m_model->setFolder(folder);
    m_window->setWindowTitle(locationname().value());
    return Result::success();
}

void BrowserWindow::enter(const QModelIndex& index)
{
    if (!isOpen() || !index.isValid() || !m_model->entry(index.row()).dir)
        return;
    if (!open(childPath(m_folder, m_model->entry(index.row()).name)))
        QApplication::beep();
}

void BrowserWindow::onListed()
{
    if (isOpen())
        emit listed(m_folder);
}

void BrowserWindow::rememberPlace()
{
    m_place = Place{m_model->folder(), {}, {}, {}};
    const QItemSelection selection = m_view->selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            m_place.selected.append(m_model->entry(row).name);
    }
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid())
        m_place.current = m_model->entry(current.row()).name;
    const QModelIndex top = m_view->indexAt(QPoint(1, 1));
    if (top.isValid())
        m_place.top = m_model->entry(top.row()).name;
}

void BrowserWindow::restorePlace()
{
    // The selection model has dropped its marks without a signal.
    m_selectionStale = true;
    Place place = std::move(m_place);
    m_place = Place();
    if (place.folder != m_model->folder())
        return;

    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(place.selected.size()));
    for (const QString& name : std::as_const(place.selected)) {
        const int row = m_model->rowOf(name);
        if (row >= 0)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QItemSelection selection;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t end = i + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1)
            ++end;
        selection.select(m_model->index(rows[i], 0), m_model->index(rows[end - 1], 0));
        i = end;
    }
    if (!selection.isEmpty())
        m_view->selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);

    const int current = place.current.isEmpty() ? -1 : m_model->rowOf(place.current);
    if (current >= 0)
        m_view->selectionModel()->setCurrentIndex(m_model->index(current, 0), QItemSelectionModel::NoUpdate);
    const int top = place.top.isEmpty() ? -1 : m_model->rowOf(place.top);
    if (top >= 0)
        m_view->scrollTo(m_model->index(top, 0), QAbstractItemView::PositionAtTop);
}

bool BrowserWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !isOpen())
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::SelectAll)) {
        selectAll();
        return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
        enter(m_view->currentIndex());
        return true;
    }
    if (key->key() == Qt::Key_Backspace ||
        (key->key() == Qt::Key_Left && key->modifiers() == Qt::AltModifier)) {
        GoBack();
        return true;
    }
    if (key->key() == Qt::Key_Right && key->modifiers() == Qt::AltModifier) {
        GoForward();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

Result BrowserWindow::setFullscreen(bool on)
{
    if (!isOpen())
        return closedError();
    const bool shown = m_window->isVisible();
    const QPoint place = m_window->pos();
    m_window->setWindowFlags(on ? Qt::Window | Qt::FramelessWindowHint : Qt::Window);
    m_window->move(place);
    // Changing the flags hides a window.
    if (shown)
        m_window->show();
    return Result::success();
}

Expected<int> BrowserWindow::Top() const
{
    if (!isOpen())
        return closedError();
    return m_window->y();
}

Expected<int> BrowserWindow::Left() const
{
    if (!isOpen())
        return closedError();
    return m_window->x();
}

Expected<int> BrowserWindow::Width() const
{
    if (!isOpen())
        return closedError();
    return m_window->width();
}

Expected<int> BrowserWindow::Height() const
{
    if (!isOpen())
        return closedError();
    return m_window->height();
}

Result BrowserWindow::setTop(int pixels)
{
    if (!isOpen())
        return closedError();
    m_window->move(m_window->x(), pixels);
    return Result::success();
}

Result BrowserWindow::setLeft(int pixels)
{
    if (!isOpen())
        return closedError();
    m_window->move(pixels, m_window->y());
    return Result::success();
}

Result BrowserWindow::setWidth(int pixels)
{
    if (!isOpen())
        return closedError();
    m_window->resize(std::max(0, pixels), m_window->height());
    return Result::success();
}

Result BrowserWindow::setHeight(int pixels)
{
    if (!isOpen())
        return closedError();
    m_window->resize(m_window->width(), std::max(0, pixels));
    return Result::success();
}

Expected<bool> BrowserWindow::Visible() const
{
    if (!isOpen())
        return closedError();
    return m_window->isVisible();
}

Result BrowserWindow::setVisible(bool on)
{
    if (!isOpen())
        return closedError();
    m_window->setVisible(on);
    return Result::success();
}

Expected<QString> BrowserWindow::locationurl() const
{
    if (!isOpen())
        return closedError();
    return m_folder.isEmpty() ? QString() : QUrl::fromLocalFile(m_folder).toString();
}

Expected<QString> BrowserWindow::locationname() const
{
    if (!isOpen())
        return closedError();
    if (m_folder == QLatin1StringView("/"))
        return m_folder;
    return QFileInfo(m_folder).fileName();
}

Result BrowserWindow::GoBack()
{
    return step(-1, QStringLiteral("Es gibt keinen vorigen Ordner."));
}

Result BrowserWindow::GoForward()
{
    return step(1, QStringLiteral("Es gibt keinen nächsten Ordner."));
}

Result BrowserWindow::step(int delta, const QString& endMessage)
{
    if (!isOpen())
        return closedError();
    const int target = m_historyPos + delta;
    if (target < 0 || target >= static_cast<int>(m_history.size()))
        return Result::failure(endMessage);
    const Result shown = showFolder(m_history[static_cast<std::size_t>(target)]);
    if (shown)
        m_historyPos = target;
    return shown;
}

Result BrowserWindow::Quit()
{
    if (!isOpen())
        return closedError();
    tearDown();
    return Result::success();
}

void BrowserWindow::tearDown()
{
    m_closed = true;
    m_selection = ShellItems();
    detach();
    if (!m_window.isNull()) {
        m_window->hide();
        // Quit may come from inside an event of the window itself; the window goes when the loop
        // runs next, or with this object.
        m_window->deleteLater();
    }
}

Expected<quintptr> BrowserWindow::hwnd() const
{
    if (!isOpen())
        return closedError();
    return static_cast<quintptr>(m_window->winId());
}

Result BrowserWindow::selectAll()
{
    if (!isOpen())
        return closedError();
    if (m_folder.isEmpty())
        return noFolderError();
    const int rows = m_model->rowCount();
    if (rows == 0) {
        m_view->selectionModel()->clearSelection();
        return Result::success();
    }
    // One range: marking row by row would cost a signal per file.
    const QItemSelection all(m_model->index(0, 0), m_model->index(rows - 1, 0));
    m_view->selectionModel()->select(all, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return Result::success();
}

Expected<ShellItems> BrowserWindow::SelectedItems() const
{
    if (!isOpen())
        return closedError();
    if (m_folder.isEmpty())
        return noFolderError();
    if (!m_selectionStale)
        return m_selection;

    const int rowCount = m_model->rowCount();
    std::vector<int> rows;
    const QItemSelection selection = m_view->selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int row = std::max(range.top(), 0); row <= std::min(range.bottom(), rowCount - 1); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

    QStringList paths;
    paths.reserve(static_cast<qsizetype>(rows.size()));
    for (const int row : rows)
        paths.append(childPath(m_folder, m_model->entry(row).name));
    m_selection = ShellItems(std::move(paths), &shellItemFor);
    m_selectionStale = false;
    ++m_selectionBuilds;
    return m_selection;
}

} // namespace tw::platform
