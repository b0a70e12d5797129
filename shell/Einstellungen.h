#pragma once

#include <QString>
#include <QVector>

namespace tw::shell {

// The start window's window settings: a keyed collection whose keys compare without regard to case
// and whose entries keep the order in which they were added.
class Einstellungen
{
public:
    // Fails (false) when the key is there already.
    bool Add(const QString& key, const QString& value);
    // Removes the entry at a position counted from 1.
    bool Remove(int position);
    bool Remove(const QString& key);
    void clear() { m_entries.clear(); }
    int Count() const { return static_cast<int>(m_entries.size()); }
    bool contains(const QString& key) const { return find(key) >= 0; }
    // The value under the key; empty when there is none.
    QString Item(const QString& key) const;
    QString key(int position) const;

    // The five settings with empty values, in their order.
    static Einstellungen leer();

private:
    int find(const QString& key) const;

    struct Entry
    {
        QString key;
        QString value;
    };
    QVector<Entry> m_entries;
};

} // namespace tw::shell
