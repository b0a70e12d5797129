#include "BrowserWindow.h"

#include "BrowserModel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <functional>

namespace tw::platform {

namespace {

Result closedError()
{
    return Result::failure(QStringLiteral("Das Browserfenster ist geschlossen."));
}

Result noFolderError()
{
    return Result::failure(QStringLiteral("Der Browser zeigt keinen Ordner."));
}

} // namespace

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
    m_model = new BrowserModel(m_window);
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
    // The window is open here, so marking all cannot fail; the ends of the history are no error to
    // the user, as for the pick bar's arrows.
    if (key->matches(QKeySequence::SelectAll)) {
        static_cast<void>(selectAll());
        return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
        enter(m_view->currentIndex());
        return true;
    }
    if (key->key() == Qt::Key_Backspace ||
        (key->key() == Qt::Key_Left && key->modifiers() == Qt::AltModifier)) {
        static_cast<void>(GoBack());
        return true;
    }
    if (key->key() == Qt::Key_Right && key->modifiers() == Qt::AltModifier) {
        static_cast<void>(GoForward());
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
    if (m_model)
        m_model->setWatching(on);
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

    // The selection keeps each marked item's name and kind as the listing has them (shared, not copied),
    // not the listing itself, which a change on disk replaces; the rest of an item is read from disk
    // when it is asked for.
    struct Marked
    {
        QString name;
        QString kind; // as a file
    };
    auto marked = std::make_shared<std::vector<Marked>>();
    marked->reserve(rows.size());
    const FolderListing& listing = *m_model->listing();
    for (const int row : rows) {
        const FolderEntry& e = listing.entries[static_cast<std::size_t>(row)];
        marked->push_back({e.name, e.dir ? shellTypeFor(e.name, false) : listing.kindOf(e)});
    }
    const auto pathOf = [folder = m_folder, marked](int i) {
        return childPath(folder, (*marked)[static_cast<std::size_t>(i)].name);
    };
    m_selection = ShellItems(static_cast<int>(marked->size()), pathOf, [pathOf, marked](int i) {
        const Marked& m = (*marked)[static_cast<std::size_t>(i)];
        return shellItemFor(pathOf(i), m.name, m.kind);
    });
    m_selectionStale = false;
    ++m_selectionBuilds;
    return m_selection;
}

} // namespace tw::platform
