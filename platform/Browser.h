#pragma once

#include "Result.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace tw::platform {

// One selected item of the browser's folder view.
struct ShellItem
{
    QString Path;
    QString Name;
    QString Type; // German description: "Dateiordner", the MIME comment, or "Datei"
    qint64 Size = 0;
    QDateTime ModifyDate;
};

// The items selected in the browser, in the view's order. An item is looked up when it is asked for,
// so that a poll comparing the count and the first and last names stays cheap for a selection of
// 100,000 files, and paths are made when asked for, so that the selection holds no copy of them.
class ShellItems
{
public:
    using Path = std::function<QString(int i)>;
    using Resolver = std::function<ShellItem(int i)>;

    ShellItems() = default;
    ShellItems(int count, Path path, Resolver resolve);
    // Items known in full, as a test or a fake browser gives them.
    static ShellItems fromItems(const QList<ShellItem>& items);

    int Count() const { return m_data ? m_data->count : 0; }
    // Item i, counted from 0; i must be below Count().
    ShellItem Item(int i) const { return m_data->resolve(i); }
    QString path(int i) const { return m_data->path(i); }
    QStringList paths() const;
    // Whether both are the same selection, not only equal ones.
    bool sameAs(const ShellItems& other) const { return m_data == other.m_data; }

private:
    struct Data
    {
        int count;
        Path path;
        Resolver resolve;
    };
    std::shared_ptr<const Data> m_data;
};

// The browser window that shows a folder of the file system. Every member fails once the window
// has been quit or closed by the user; callers ignore such failures where that is their way.
class Browser
{
public:
    virtual ~Browser() = default;

    // A file:// address or a plain path.
    virtual Result navigate(const QString& address) = 0;
    virtual Result setFullscreen(bool on) = 0;

    // Geometry in screen pixels.
    virtual Expected<int> Top() const = 0;
    virtual Expected<int> Left() const = 0;
    virtual Expected<int> Width() const = 0;
    virtual Expected<int> Height() const = 0;
    virtual Result setTop(int pixels) = 0;
    virtual Result setLeft(int pixels) = 0;
    virtual Result setWidth(int pixels) = 0;
    virtual Result setHeight(int pixels) = 0;

    virtual Expected<bool> Visible() const = 0;
    virtual Result setVisible(bool on) = 0;

    // The file:// address shown, empty when there is none.
    virtual Expected<QString> locationurl() const = 0;
    // The display name of the location shown.
    virtual Expected<QString> locationname() const = 0;

    virtual Result GoBack() = 0;
    virtual Result GoForward() = 0;
    virtual Result Quit() = 0;

    // The handle of the browser's top-level window.
    virtual Expected<quintptr> hwnd() const = 0;

    // Document.SelectedItems: the items selected in the folder shown, in the view's order.
    virtual Expected<ShellItems> SelectedItems() const = 0;
};

} // namespace tw::platform
