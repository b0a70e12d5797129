#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

#include <vector>

namespace tw::platform {

// ADO data type codes used by the program's tables.
namespace adType {
constexpr int Integer = 3;
constexpr int Double = 5;
constexpr int Date = 7;
constexpr int Boolean = 11;
constexpr int BigInt = 20;
constexpr int Numeric = 131;
constexpr int DBTime = 134;
constexpr int DBTimeStamp = 135;
constexpr int VarNumeric = 139;
constexpr int VarChar = 200;
constexpr int LongVarChar = 201;
constexpr int VarWChar = 202;
constexpr int LongVarWChar = 203;
} // namespace adType

enum class ValueKind
{
    Text,
    Number,
    Time,
};

ValueKind kindOfType(int adoType);

struct FieldDef
{
    QString name;
    int type = adType::VarChar;
    int definedSize = -1; // -1: no limit
};

// A table as it travels to and from a file: field definitions and rows of values, a null QVariant
// being NULL. Text is QString, numbers qlonglong or double, times QTime.
struct RowsetData
{
    QVector<FieldDef> fields;
    std::vector<QVector<QVariant>> rows;
};

// The text form of a value (empty for NULL): times as hh:mm:ss, numbers in decimal.
QString valueText(const QVariant& value);

// Converts an assigned value to what a field of the given type stores; invalid input gives NULL.
QVariant coerceValue(int adoType, const QVariant& value);

} // namespace tw::platform
