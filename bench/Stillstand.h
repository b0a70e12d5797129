#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace tw::bench {

// The longest time the event loop went without running a 5 ms timer, from start() to stopMs().
class Stillstand
{
public:
    Stillstand()
    {
        m_takt.setTimerType(Qt::PreciseTimer);
        m_takt.setInterval(5);
        QObject::connect(&m_takt, &QTimer::timeout, [this] { tick(); });
    }
    void start()
    {
        m_uhr.start();
        m_letzte = 0;
        m_laengste = 0;
        m_takt.start();
    }
    double stopMs()
    {
        tick();
        m_takt.stop();
        return static_cast<double>(m_laengste) / 1e6;
    }

private:
    void tick()
    {
        const qint64 jetzt = m_uhr.nsecsElapsed();
        m_laengste = std::max(m_laengste, jetzt - m_letzte);
        m_letzte = jetzt;
    }
    QTimer m_takt;
    QElapsedTimer m_uhr;
    qint64 m_letzte = 0;
    qint64 m_laengste = 0;
};

} // namespace tw::bench
