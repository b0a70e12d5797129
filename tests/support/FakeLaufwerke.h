#pragma once

#include "stack/Laufwerksquelle.h"

#include <QStringList>

namespace tw::test {

// Volumes the test mounts: a folder belongs to the longest listed or extra root above it.
class FakeLaufwerke : public stack::Laufwerksquelle
{
public:
    QList<stack::Laufwerk> liste = {{QStringLiteral("/"), QStringLiteral("/")}};
    QStringList weitereWurzeln; // mounted but not offered
    mutable int gelesen = 0;

    QList<stack::Laufwerk> laufwerke() const override
    {
        ++gelesen;
        return liste;
    }
    QString wurzelVon(const QString& ordner) const override
    {
        QString beste;
        QStringList wurzeln = weitereWurzeln;
        for (const stack::Laufwerk& l : liste)
            wurzeln << l.wurzel;
        for (const QString& w : wurzeln) {
            const bool darunter = ordner == w || ordner.startsWith(w == QLatin1String("/") ? w : w + u'/');
            if (darunter && w.size() > beste.size())
                beste = w;
        }
        return beste;
    }
};

} // namespace tw::test
