#pragma once

#include "platform/Browser.h"

#include <QStringList>
#include <QUrl>

namespace tw::test {

// A browser without a window: location, history, geometry and selection as the test sets them, and the
// addresses the program navigates to. After Quit or close() (the user closes it) every member fails.
class FakeBrowser : public platform::Browser
{
public:
    platform::Result navigate(const QString& address) override
    {
        if (m_closed)
            return gone();
        m_navigations.append(address);
        browseTo(address);
        return {};
    }
    platform::Result setFullscreen(bool on) override { return assign(m_fullscreen, on); }
    platform::Expected<int> Top() const override { return ifOpen(m_top); }
    platform::Expected<int> Left() const override { return ifOpen(m_left); }
    platform::Expected<int> Width() const override { return ifOpen(m_width); }
    platform::Expected<int> Height() const override { return ifOpen(m_height); }
    platform::Result setTop(int pixels) override { return assign(m_top, pixels); }
    platform::Result setLeft(int pixels) override { return assign(m_left, pixels); }
    platform::Result setWidth(int pixels) override { return assign(m_width, pixels); }
    platform::Result setHeight(int pixels) override { return assign(m_height, pixels); }
    platform::Expected<bool> Visible() const override { return ifOpen(m_visible); }
    platform::Result setVisible(bool on) override { return assign(m_visible, on); }
    platform::Expected<QString> locationurl() const override { return ifOpen(m_url); }
    platform::Expected<QString> locationname() const override { return ifOpen(QUrl(m_url).fileName()); }
    platform::Expected<quintptr> hwnd() const override { return ifOpen(quintptr{0x4711}); }
    platform::Expected<platform::ShellItems> SelectedItems() const override { return ifOpen(m_selection); }
    platform::Result GoBack() override { return step(-1); }
    platform::Result GoForward() override { return step(1); }
    platform::Result Quit() override
    {
        ++m_quitCalls;
        return assign(m_closed, true);
    }

    // The user goes to a folder (a file:// address or a plain path): a step in the history, no navigation.
    void browseTo(const QString& address)
    {
        m_history.erase(m_history.begin() + (m_historyIndex + 1), m_history.end());
        setLocation(address);
        m_history.append(m_url);
        m_historyIndex = static_cast<int>(m_history.size()) - 1;
    }
    // Shows a location without touching the history.
    void setLocation(const QString& address)
    {
        m_url = address.isEmpty() || address.startsWith(QLatin1String("file:"))
                    ? address
                    : QUrl::fromLocalFile(address).toString();
    }
    void setSelection(const QList<platform::ShellItem>& items)
    {
        m_selection = platform::ShellItems::fromItems(items);
    }
    void close() { m_closed = true; }

    const QStringList& navigations() const { return m_navigations; }
    bool fullscreen() const { return m_fullscreen; }
    int quitCalls() const { return m_quitCalls; }

private:
    static platform::Result gone()
    {
        return platform::Result::failure(QStringLiteral("Das Browserfenster ist geschlossen."));
    }
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
    platform::Result step(int by)
    {
        if (m_closed)
            return gone();
        if (m_historyIndex + by < 0 || m_historyIndex + by >= m_history.size())
            return platform::Result::failure(QStringLiteral("Es gibt keine Seite dorthin."));
        m_historyIndex += by;
        m_url = m_history[m_historyIndex];
        return {};
    }

    QStringList m_navigations;
    QStringList m_history;
    int m_historyIndex = -1;
    QString m_url;
    int m_top = 0, m_left = 0, m_width = 0, m_height = 0;
    bool m_visible = false, m_fullscreen = false, m_closed = false;
    int m_quitCalls = 0;
    platform::ShellItems m_selection;
};

} // namespace tw::test
