#pragma once

#include "stack/Laufwerke.h"

namespace tw::stack {

// Where the drive list comes from; tests give any list.
class Laufwerksquelle
{
public:
    virtual ~Laufwerksquelle() = default;
    virtual QList<Laufwerk> laufwerke() const = 0;
    // The root of the mounted volume that holds the folder; empty when that cannot be told.
    virtual QString wurzelVon(const QString& ordner) const = 0;
};

} // namespace tw::stack
