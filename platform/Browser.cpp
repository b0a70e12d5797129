#include "Browser.h"

namespace tw::platform {

ShellItems::ShellItems(int count, Path path, Resolver resolve)
    : m_data(std::make_shared<const Data>(Data{count, std::move(path), std::move(resolve)}))
{}

ShellItems ShellItems::fromItems(const QList<ShellItem>& items)
{
    return ShellItems(
        static_cast<int>(items.size()), [items](int i) { return items.at(i).Path; },
        [items](int i) { return items.at(i); });
}

QStringList ShellItems::paths() const
{
    QStringList all;
    all.reserve(Count());
    for (int i = 0; i < Count(); ++i)
        all.append(path(i));
    return all;
}

} // namespace tw::platform
