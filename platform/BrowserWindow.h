#pragma once

#include "platform/Browser.h"

#include <QDir>
#include <QObject>
#include <QPointer>
#include <vector>

class QModelIndex;
class QTreeView;
class QWidget;

namespace tw::platform {

class BrowserModel;

// The program's own browser window: one folder of the file system in a details list with several
// marks, a history for back and forward, and the selection as shell items. The window is a
// top-level widget of its own; this object stays valid after Quit or a close by the user, and then
// every member fails.
class BrowserWindow : public QObject, public Browser
{
    Q_OBJECT

public:
    // homeFolder stands in for drive C: the start address "file://C:\" and "c:\" lead there.
    explicit BrowserWindow(QString homeFolder = QDir::homePath(), QObject* parent = nullptr);
    ~BrowserWindow() override;

    Result navigate(const QString& address) override;
    Result setFullscreen(bool on) override;

    Expected<int> Top() const override;
    Expected<int> Left() const override;
    Expected<int> Width() const override;
    Expected<int> Height() const override;
    Result setTop(int pixels) override;
    Result setLeft(int pixels) override;
    Result setWidth(int pixels) override;
    Result setHeight(int pixels) override;

    Expected<bool> Visible() const override;
    Result setVisible(bool on) override;

    Expected<QString> locationurl() const override;
    Expected<QString> locationname() const override;

    Result GoBack() override;
    Result GoForward() override;
    Result Quit() override;

    Expected<quintptr> hwnd() const override;

    Expected<ShellItems> SelectedItems() const override;

    // Marks every item of the folder shown, as Ctrl+A does.
    Result selectAll();

    // Whether the folder shown has been listed completely.
    bool isListed() const;
    // The window and its list, for tests; null once the window has been quit or closed.
    QWidget* window() const;
    QTreeView* view() const;
    // How often the selection has been gathered anew; polls of an unchanged selection reuse it.
    int selectionBuilds() const { return m_selectionBuilds; }

signals:
    // The folder shown has been listed completely.
    void listed(const QString& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Window;

    // What a refresh of the list keeps: the marks, the current row and the first row in view.
    struct Place
    {
        QString folder;
        QStringList selected;
        QString current;
        QString top;
    };

    bool isOpen() const;
    Result showFolder(const QString& folder);
    Result open(const QString& folder);
    void enter(const QModelIndex& index);
    Result step(int delta, const QString& endMessage);
    void onListed();
    void rememberPlace();
    void restorePlace();
    void tearDown();
    // Cuts the window's ties to this object, so that nothing it does on its way out reaches back.
    void detach();
    void selectionChanged() { m_selectionStale = true; }

    QString m_homeFolder;
    QPointer<Window> m_window;
    QPointer<QTreeView> m_view;
    QPointer<BrowserModel> m_model;
    bool m_closed = false;

    QString m_folder; // the folder shown, clean absolute path; empty before the first navigation
    std::vector<QString> m_history;
    int m_historyPos = -1;

    Place m_place;
    mutable ShellItems m_selection;
    mutable bool m_selectionStale = true;
    mutable int m_selectionBuilds = 0;
};

} // namespace tw::platform
