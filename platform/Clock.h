#pragma once

#include <QDateTime>
#include <mutex>

namespace tw::platform {

// The time source; tests put a settable clock in its place.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// Local time. The zone's offset is looked up once per second of the clock, not per reading: each lookup
// asks the C library, which looks at /etc/localtime again, and a run reads the clock twice per file.
class SystemClock : public Clock
{
public:
    QDateTime now() const override;

private:
    mutable std::mutex m_sperre;
    mutable qint64 m_sekunde = -1; // since the epoch, UTC
    mutable int m_versatz = 0;     // seconds ahead of UTC in that second
};

// Date and time texts of the program, fixed to the German forms whatever the system locale.
QString dayText(const QDate& day);           // dd.MM.yyyy
QString dateTimeText(const QDateTime& time); // dd.MM.yyyy HH:mm:ss

} // namespace tw::platform
