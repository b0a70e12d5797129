#include "FieldDef.h"

#include <QDateTime>
#include <QTime>

#include <cmath>
#include <limits>

namespace tw::platform {

ValueKind kindOfType(int adoType)
{
    switch (adoType) {
    case adType::Integer:
    case adType::Double:
    case adType::BigInt:
    case adType::Numeric:
    case adType::VarNumeric:
        return ValueKind::Number;
    case adType::DBTime:
        return ValueKind::Time;
    default:
        return ValueKind::Text;
    }
}

QString valueText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::Double: {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9e15)
            return QString::number(static_cast<qint64>(d));
        return QString::number(d, 'g', 15);
    }
    default:
        return value.toString();
    }
}

namespace {

QVariant toNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return QVariant(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong u = value.toULongLong();
        if (u <= static_cast<qulonglong>(std::numeric_limits<qlonglong>::max()))
            return QVariant(static_cast<qlonglong>(u));
        return QVariant(static_cast<double>(u));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return QVariant(value.toDouble());
    default:
        break;
    }
    const QString text = value.toString().trimmed();
    bool ok = false;
    const qlonglong whole = text.toLongLong(&ok);
    if (ok)
        return QVariant(whole);
    const double d = text.toDouble(&ok);
    if (ok)
        return QVariant(d);
    return {};
}

QVariant toTime(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QTime:
        return value.toTime().isValid() ? value : QVariant();
    case QMetaType::QDateTime: {
        const QTime t = value.toDateTime().time();
        return t.isValid() ? QVariant(QTime(t.hour(), t.minute(), t.second())) : QVariant();
    }
    default:
        break;
    }
    const QString text = value.toString().trimmed();
    for (const auto* format : {"HH:mm:ss", "H:mm:ss", "HH:mm"}) {
        const QTime t = QTime::fromString(text, QString::fromLatin1(format));
        if (t.isValid())
            return QVariant(t);
    }
    const QDateTime dt = QDateTime::fromString(text, Qt::ISODate);
    if (dt.isValid())
        return QVariant(QTime(dt.time().hour(), dt.time().minute(), dt.time().second()));
    return {};
}

} // namespace

QVariant coerceValue(int adoType, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (kindOfType(adoType)) {
    case ValueKind::Number:
        return toNumber(value);
    case ValueKind::Time:
        return toTime(value);
    case ValueKind::Text:
        break;
    }
    if (value.typeId() == QMetaType::QString)
        return value;
    return QVariant(valueText(value));
}

} // namespace tw::platform
