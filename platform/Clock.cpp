#include "Clock.h"

namespace tw::platform {

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
