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
    // A run writes two of these per file; the general formatter costs more than the rename itself, and
    // within one second the same text is shared rather than built again.
    const QDate d = time.date();
    const QTime t = time.time();
    if (!d.isValid() || !t.isValid())
        return time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    const qint64 sekunde = d.toJulianDay() * 86400 + t.msecsSinceStartOfDay() / 1000;
    thread_local qint64 letzteSekunde = -1;
    thread_local QString letzterText;
    if (sekunde == letzteSekunde && !letzterText.isEmpty())
        return letzterText;
    int jahr = 0, monat = 0, tag = 0;
    d.getDate(&jahr, &monat, &tag);
    if (jahr < 1000 || jahr > 9999)
        return time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    char16_t text[19];
    const auto zwei = [&text](int an, int wert) {
        text[an] = static_cast<char16_t>(u'0' + wert / 10);
        text[an + 1] = static_cast<char16_t>(u'0' + wert % 10);
    };
    zwei(0, tag);
    text[2] = u'.';
    zwei(3, monat);
    text[5] = u'.';
    zwei(6, jahr / 100);
    zwei(8, jahr % 100);
    text[10] = u' ';
    zwei(11, t.hour());
    text[13] = u':';
    zwei(14, t.minute());
    text[16] = u':';
    zwei(17, t.second());
    letzterText = QString(reinterpret_cast<const QChar*>(text), 19);
    letzteSekunde = sekunde;
    return letzterText;
}

} // namespace tw::platform
