#pragma once

#include <QDateTime>

namespace tw::platform {

// The time source; tests put a settable clock in its place.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// Date and time texts of the program, fixed to the German forms whatever the system locale.
QString dayText(const QDate& day);           // dd.MM.yyyy
QString dateTimeText(const QDateTime& time); // dd.MM.yyyy HH:mm:ss

} // namespace tw::platform
