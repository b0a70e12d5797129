#include "Browser.h"

#include <QHash>

namespace tw::platform {

ShellItems::ShellItems(QStringList paths, Resolver resolve)
    : m_data(std::make_shared<const Data>(Data{std::move(paths), std::move(resolve)}))
{
}

ShellItems ShellItems::fromItems(const QList<ShellItem>& items)
{
    QStringList paths;
    paths.reserve(items.size());
    auto byPath = std::make_shared<QHash<QString, ShellItem>>();
    for (const ShellItem& item : items) {
        paths.append(item.Path);
        byPath->insert(item.Path, item);
    }
    return ShellItems(std::move(paths), [byPath](const QString& path) { return byPath->value(path); });
}

ShellItem ShellItems::Item(int i) const
{
    const QString& path = m_data->paths.at(i);
    return m_data->resolve ? m_data->resolve(path) : ShellItem{path, path.section(u'/', -1), QString(), 0, {}};
}

const QStringList& ShellItems::paths() const
{
    static const QStringList none;
    return m_data ? m_data->paths : none;
}

} // namespace tw::platform
