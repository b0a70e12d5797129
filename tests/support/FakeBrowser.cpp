#include "FakeBrowser.h"

#include <QUrl>

namespace tw::test {

using platform::Expected;
using platform::Result;

namespace {

QString nameOf(const QString& url)
{
    const QString path = QUrl(url).toLocalFile();
    if (path.isEmpty())
        return url;
    const QString name = path.section(u'/', -1, -1, QString::SectionSkipEmpty);
    return name.isEmpty() ? path : name;
}

} // namespace

QString FakeBrowser::asUrl(const QString& address)
{
    if (address.isEmpty() || address.startsWith(QLatin1String("file:")))
        return address;
    return QUrl::fromLocalFile(address).toString();
}

Result FakeBrowser::gone() const
{
    return Result::failure(QStringLiteral("Das Browserfenster ist geschlossen."));
}

void FakeBrowser::enter(const QString& address)
{
    // A new location drops whatever lay ahead in the history.
    m_history.erase(m_history.begin() + (m_historyIndex + 1), m_history.end());
    m_history.append(asUrl(address));
    m_historyIndex = static_cast<int>(m_history.size()) - 1;
    setLocation(address);
}

Result FakeBrowser::navigate(const QString& address)
{
    if (m_closed)
        return gone();
    m_navigations.append(address);
    enter(address);
    return {};
}

void FakeBrowser::browseTo(const QString& address)
{
    enter(address);
}

void FakeBrowser::setLocation(const QString& address, const QString& name)
{
    m_url = asUrl(address);
    m_name = name.isEmpty() ? nameOf(m_url) : name;
}

void FakeBrowser::setSelection(const QList<platform::ShellItem>& items)
{
    m_selection = platform::ShellItems::fromItems(items);
}

Result FakeBrowser::setFullscreen(bool on)
{
    return assign(m_fullscreen, on);
}

Expected<int> FakeBrowser::Top() const
{
    return ifOpen(m_top);
}
Expected<int> FakeBrowser::Left() const
{
    return ifOpen(m_left);
}
Expected<int> FakeBrowser::Width() const
{
    return ifOpen(m_width);
}
Expected<int> FakeBrowser::Height() const
{
    return ifOpen(m_height);
}
Result FakeBrowser::setTop(int pixels)
{
    return assign(m_top, pixels);
}
Result FakeBrowser::setLeft(int pixels)
{
    return assign(m_left, pixels);
}
Result FakeBrowser::setWidth(int pixels)
{
    return assign(m_width, pixels);
}
Result FakeBrowser::setHeight(int pixels)
{
    return assign(m_height, pixels);
}
Expected<bool> FakeBrowser::Visible() const
{
    return ifOpen(m_visible);
}
Result FakeBrowser::setVisible(bool on)
{
    return assign(m_visible, on);
}
Expected<QString> FakeBrowser::locationurl() const
{
    return ifOpen(m_url);
}
Expected<QString> FakeBrowser::locationname() const
{
    return ifOpen(m_name);
}
Expected<platform::ShellItems> FakeBrowser::SelectedItems() const
{
    return ifOpen(m_selection);
}

Expected<quintptr> FakeBrowser::hwnd() const
{
    return ifOpen(quintptr{0x4711});
}

Result FakeBrowser::GoBack()
{
    if (m_closed)
        return gone();
    if (m_historyIndex <= 0)
        return Result::failure(QStringLiteral("Es gibt keine vorherige Seite."));
    setLocation(m_history[--m_historyIndex]);
    return {};
}

Result FakeBrowser::GoForward()
{
    if (m_closed)
        return gone();
    if (m_historyIndex + 1 >= m_history.size())
        return Result::failure(QStringLiteral("Es gibt keine nächste Seite."));
    setLocation(m_history[++m_historyIndex]);
    return {};
}

Result FakeBrowser::Quit()
{
    ++m_quitCalls;
    if (m_closed)
        return gone();
    m_closed = true;
    return {};
}

} // namespace tw::test
