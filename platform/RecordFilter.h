#pragma once

#include "FieldDef.h"
#include "Result.h"

#include <QString>
#include <QVector>

namespace tw::platform {

// One comparison of a filter text: FIELD Like 'PATTERN' or FIELD= 'VALUE'.
struct FilterTerm
{
    enum class Op
    {
        Equals,     // = 'v', or Like 'v' without asterisks
        Contains,   // Like '*v*'
        StartsWith, // Like 'v*'
        EndsWith,   // Like '*v'
        Any,        // Like '*': every record with a value
    };
    int field = -1;
    Op op = Op::Equals;
    QString value;     // the pattern without its asterisks
    QVariant number;   // value as a number when the field is numeric and the value parses
};

// A parsed record-set filter: comparisons joined by " and ", all of which must hold.
class RecordFilter
{
public:
    // Empty text gives the filter that lets every record through.
    static Expected<RecordFilter> parse(const QString& text, const QVector<FieldDef>& fields);

    bool isEmpty() const { return m_terms.isEmpty(); }
    const QVector<FilterTerm>& terms() const { return m_terms; }
    bool matches(const QVector<QVariant>& row, const QVector<FieldDef>& fields) const;
    static bool termMatches(const FilterTerm& term, const QVariant& value, int adoType);

    // A term the table can answer from an exact-match index, or -1.
    int indexableTerm(const QVector<FieldDef>& fields) const;

private:
    QVector<FilterTerm> m_terms;
};

// A parsed sort text: field names with Asc or Desc, separated by commas.
class RecordSort
{
public:
    struct Key
    {
        int field = -1;
        bool descending = false;
    };

    static Expected<RecordSort> parse(const QString& text, const QVector<FieldDef>& fields);

    bool isEmpty() const { return m_keys.isEmpty(); }
    const QVector<Key>& keys() const { return m_keys; }

    // Three-way comparison of two values of one field: NULL first, text without regard to case,
    // numbers as numbers, times by time of day.
    static int compareValues(const QVariant& a, const QVariant& b, int adoType);

private:
    QVector<Key> m_keys;
};

// Field lookup by name without regard to case; -1 when there is no such field.
int findField(const QVector<FieldDef>& fields, QStringView name);

} // namespace tw::platform
