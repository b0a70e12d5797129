#include "Clock.h"

namespace tw::platform {

QString dayText(const QDate& day)
{
    return day.toString(QStringLiteral("dd.MM.yyyy"));
}

QString dateTimeText(const QDateTime& time)
{
    return time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

} // namespace tw::platform
