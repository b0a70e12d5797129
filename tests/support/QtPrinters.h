#pragma once

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <ostream>

// Readable failure messages for Qt strings, also inside lists.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// Short ways to write the texts the tests expect.
inline QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

inline QStringList u8s(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}
