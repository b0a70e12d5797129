#include "Clock.h"

namespace tw::platform {

QDateTime SystemClock::now() const
{
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    // Zones change their offset only on a whole second, so one lookup holds for the whole second.
    const qint64 sekunde = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    int versatz = 0;
    {
        const std::lock_guard<std::mutex> gesperrt(m_sperre);
        if (sekunde != m_sekunde) {
            m_versatz = QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
            m_sekunde = sekunde;
        }
        versatz = m_versatz;
    }
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, versatz);
}

QString dayText(const QDate& day)
{
    return day.toString(QStringLiteral("dd.MM.yyyy"));
}

QString dateTimeText(const QDateTime& time)
{
    // A run writes two of these per file; the general formatter costs more than the rename itself.
    const QDate d = time.date();
    const QTime t = time.time();
    if (!d.isValid() || !t.isValid() || d.year() < 1000 || d.year() > 9999)
        return time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    char16_t text[19];
    const auto zwei = [&text](int an, int wert) {
        text[an] = static_cast<char16_t>(u'0' + wert / 10);
        text[an + 1] = static_cast<char16_t>(u'0' + wert % 10);
    };
    zwei(0, d.day());
    text[2] = u'.';
    zwei(3, d.month());
    text[5] = u'.';
    zwei(6, d.year() / 100);
    zwei(8, d.year() % 100);
    text[10] = u' ';
    zwei(11, t.hour());
    text[13] = u':';
    zwei(14, t.minute());
    text[16] = u':';
    zwei(17, t.second());
    return QString(reinterpret_cast<const QChar*>(text), 19);
}

} // namespace tw::platform
