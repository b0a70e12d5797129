#include "Einstellungen.h"

namespace tw::shell {

int Einstellungen::find(const QString& key) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].key.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool Einstellungen::Add(const QString& key, const QString& value)
{
    if (find(key) >= 0)
        return false;
    m_entries.append(Entry{key, value});
    return true;
}

bool Einstellungen::Remove(int position)
{
    if (position < 1 || position > m_entries.size())
        return false;
    m_entries.removeAt(position - 1);
    return true;
}

bool Einstellungen::Remove(const QString& key)
{
    const int i = find(key);
    if (i < 0)
        return false;
    m_entries.removeAt(i);
    return true;
}

QString Einstellungen::Item(const QString& key) const
{
    const int i = find(key);
    return i < 0 ? QString() : m_entries[i].value;
}

QString Einstellungen::key(int position) const
{
    return position >= 1 && position <= m_entries.size() ? m_entries[position - 1].key : QString();
}

Einstellungen Einstellungen::leer()
{
    Einstellungen e;
    for (const char* key : {"Button_top", "Datei_top", "IE_Top", "IE_Height", "ie_Pfad"})
        e.Add(QString::fromLatin1(key), QString());
    return e;
}

} // namespace tw::shell
