#pragma once

#include "platform/Browser.h"

#include <QList>
#include <QStringList>

namespace tw::test {

// A browser that shows nothing on the screen: it keeps a location, a history, a geometry and a
// selection that the test sets, and records what the program asks of it. After Quit (or close(), as
// when the user closes it) every member fails.
class FakeBrowser : public platform::Browser
{
public:
    FakeBrowser() = default;

    platform::Result navigate(const QString& address) override;
    platform::Result setFullscreen(bool on) override;

    platform::Expected<int> Top() const override;
    platform::Expected<int> Left() const override;
    platform::Expected<int> Width() const override;
    platform::Expected<int> Height() const override;
    platform::Result setTop(int pixels) override;
    platform::Result setLeft(int pixels) override;
    platform::Result setWidth(int pixels) override;
    platform::Result setHeight(int pixels) override;

    platform::Expected<bool> Visible() const override;
    platform::Result setVisible(bool on) override;

    platform::Expected<QString> locationurl() const override;
    platform::Expected<QString> locationname() const override;

    platform::Result GoBack() override;
    platform::Result GoForward() override;
    platform::Result Quit() override;

    platform::Expected<quintptr> hwnd() const override;
    platform::Expected<platform::ShellItems> SelectedItems() const override;

    // What the user does inside the browser: goes to a folder (a file:// address or a plain path),
    // which enters the history like a navigate call but is not recorded as one.
    void browseTo(const QString& address);
    // Shows a location without touching the history; an empty name is taken from the address.
    void setLocation(const QString& address, const QString& name = {});
    void setSelection(const QList<platform::ShellItem>& items);
    void setSelection(const platform::ShellItems& items) { m_selection = items; }
    // The user closes the browser window.
    void close() { m_closed = true; }

    // The addresses of navigate calls, as given.
    const QStringList& navigations() const { return m_navigations; }
    // The locations visited, as file:// addresses, and the one shown now.
    const QStringList& history() const { return m_history; }
    int historyIndex() const { return m_historyIndex; }
    bool fullscreen() const { return m_fullscreen; }
    bool closed() const { return m_closed; }
    int quitCalls() const { return m_quitCalls; }

    static QString asUrl(const QString& address);

private:
    platform::Result gone() const;
    template <typename T> platform::Expected<T> ifOpen(const T& value) const
    {
        if (m_closed)
            return gone();
        return value;
    }
    template <typename T> platform::Result assign(T& member, T value)
    {
        if (m_closed)
            return gone();
        member = value;
        return {};
    }
    void enter(const QString& address);

    QStringList m_navigations;
    QStringList m_history;
    int m_historyIndex = -1;
    QString m_url;
    QString m_name;
    int m_top = 0;
    int m_left = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_visible = false;
    bool m_fullscreen = false;
    bool m_closed = false;
    int m_quitCalls = 0;
    platform::ShellItems m_selection;
};

} // namespace tw::test
