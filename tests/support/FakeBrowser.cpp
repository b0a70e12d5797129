#include "FakeBrowser.h"

#include <QUrl>

namespace tw::test {

using platform::Result;

namespace {

QString asUrl(const QString& address)
{
    if (address.isEmpty() || address.startsWith(QLatin1String("file:")))
        return address;
    return QUrl::fromLocalFile(address).toString();
}

} // namespace

Result FakeBrowser::gone() const
{
    return Result::failure(QStringLiteral("Das Browserfenster ist geschlossen."));
}

Result FakeBrowser::navigate(const QString& address)
{
    if (m_closed)
        return gone();
    m_navigations.append(address);
    browseTo(address);
    return {};
}

void FakeBrowser::browseTo(const QString& address)
{
    // A new location drops whatever lay ahead in the history.
    m_history.erase(m_history.begin() + (m_historyIndex + 1), m_history.end());
    m_history.append(asUrl(address));
    m_historyIndex = static_cast<int>(m_history.size()) - 1;
    setLocation(address);
}

void FakeBrowser::setLocation(const QString& address, const QString& name)
{
    m_url = asUrl(address);
    m_name = name;
    if (m_name.isEmpty()) {
        const QString path = QUrl(m_url).toLocalFile();
        m_name = path.isEmpty() ? m_url : path.section(u'/', -1, -1, QString::SectionSkipEmpty);
        if (m_name.isEmpty())
            m_name = path;
    }
}

void FakeBrowser::setSelection(const QList<platform::ShellItem>& items)
{
    m_selection = platform::ShellItems::fromItems(items);
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
