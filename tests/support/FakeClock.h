#pragma once

#include "platform/Clock.h"

namespace tw::test {

// A clock that stands where the test puts it.
class FakeClock : public platform::Clock
{
public:
    explicit FakeClock(QDateTime t = QDateTime(QDate(2026, 12, 5), QTime(14, 3, 11))) : m_now(std::move(t)) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& t) { m_now = t; }
    void advance(int seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};

} // namespace tw::test
