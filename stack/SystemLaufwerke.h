#pragma once

#include "stack/Laufwerksquelle.h"

namespace tw::stack {

// The volumes mounted on this system.
class SystemLaufwerke : public Laufwerksquelle
{
public:
    QList<Laufwerk> laufwerke() const override;
    QString wurzelVon(const QString& ordner) const override;
};

} // namespace tw::stack
