#pragma once

#include "Breather.h"
#include "FieldDef.h"
#include "RecordFilter.h"
#include "Result.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace tw::platform {

// A text as the filters compare it, case folded, without a folded copy of its own.
struct FoldedText
{
    QString text;
};
inline bool operator==(const FoldedText& a, const FoldedText& b)
{
    return a.text == b.text || a.text.compare(b.text, Qt::CaseInsensitive) == 0;
}
std::size_t qHash(const FoldedText& key, std::size_t seed = 0) noexcept;

// The rows of one index key: nearly always one, which then needs no allocation of its own.
class IndexRows
{
public:
    void add(int row);
    void remove(int row);
    std::size_t size() const { return m_first < 0 ? 0 : 1 + m_more.size(); }
    bool empty() const { return m_first < 0; }
    template <typename F> void forEach(F f) const
    {
        if (m_first < 0)
            return;
        f(m_first);
        for (int row : m_more)
            f(row);
    }

private:
    int m_first = -1;
    std::vector<int> m_more;
};

// An in-memory table in the manner of an ADO record set: fields defined before Open, records added
// with AddNew / field assignment / Update, a view narrowed by Filter and ordered by Sort, a current
// record, and persistence in ADO's XML rowset format.
class RecordSet
{
public:
    Result Append(const QString& name, int adoType, int definedSize);
    // An empty set with the appended fields.
    Result Open();
    // The set saved in an XML file; the fields come from the file. The breather ticks while it is read.
    Result Open(const QString& path, Breather* breather = nullptr);
    bool isOpen() const { return m_open; }
    // The breather ticks while the records are let go of: a large set takes a while to free.
    void Close(Breather* breather = nullptr);

    const QVector<FieldDef>& fields() const { return m_fields; }
    int fieldIndex(QStringView name) const { return findField(m_fields, name); }

    // Starts a new record, which becomes current; Update commits it.
    Result AddNew();
    Result Update();
    // Sets a field of the record being added, or of the current record.
    Result setValue(QStringView field, const QVariant& value);
    // The same by the field's index, for loops over many records.
    Result setValueAt(int field, const QVariant& value);
    Expected<QVariant> value(QStringView field) const;
    // The field's text form; empty when it is NULL or cannot be read.
    QString text(QStringView field) const;
    QString textAt(int field) const;

    Result MoveFirst();
    Result MoveNext();
    bool Eof() const;
    // For walking the view, for (rs.toFirst(); !rs.Eof(); rs.toNext()): Eof() says all that the moves'
    // results would.
    void toFirst() { static_cast<void>(MoveFirst()); }
    void toNext() { static_cast<void>(MoveNext()); }
    int RecordCount() const;
    // Removes the current record; it leaves the view at once and MoveNext reaches the one after it.
    Result Delete();
    // Builds the index of a field that lookups will need, the breather ticking between pieces. A change
    // to the set meanwhile leaves the index to the first lookup, which builds it in one piece.
    void prepareIndex(QStringView field, Breather* breather);
    // Removes the first record whose field reads exactly this text, found through the field's index;
    // filter and sort stay. False when there is none. Leaves no record current.
    bool deleteExact(QStringView field, const QString& value);

    Result setFilter(const QString& filter);
    // The empty filter and the empty sort are always accepted.
    void clearFilter() { static_cast<void>(setFilter(QString())); }
    void clearSort() { static_cast<void>(setSort(QString())); }
    const QString& Filter() const { return m_filterText; }
    Result setSort(const QString& sort);
    const QString& Sort() const { return m_sortText; }

    // Values of the visible records from the current one on, each followed by one delimiter; at most
    // numRows records when it is not negative. Leaves the set after the last record taken.
    QString getstring(const QString& columnDelimiter, const QString& rowDelimiter, int numRows = -1);
    // The same, appended to out: a text of 100,000 records is then built in one buffer.
    void appendString(QString& out, const QString& columnDelimiter, const QString& rowDelimiter, int numRows);

    // Writes the whole set, in the order of adding; refuses an existing file.
    Result Save(const QString& path) const;
    QByteArray toXml() const;
    // The XML in pieces, as writeRowsetXml makes them.
    Result writeXml(const std::function<Result(QByteArrayView)>& sink, Breather* breather = nullptr) const;
    RowsetData toRowset() const;

private:
    void commitPending();
    void rebuildView();
    void settleView() const;
    void ensureIndex(int field);
    void rebuildIndexes();
    void indexRow(int row);
    void unindexRow(int row);
    void sortView();
    bool hasCurrent() const;

    struct Row
    {
        QVector<QVariant> values;
        bool deleted = false;
    };

    QVector<FieldDef> m_fields;
    bool m_open = false;
    std::vector<Row> m_rows;
    // Rows removed by deleteExact leave the view when it is next looked at (settleView).
    mutable std::vector<int> m_view;
    mutable int m_pos = 0;
    bool m_currentDeleted = false;
    mutable bool m_viewStale = false;
    bool m_adding = false;
    QVector<QVariant> m_newValues;

    QString m_filterText;
    RecordFilter m_filter;
    QString m_sortText;
    RecordSort m_sort;

    // Exact-match indexes per field, built when a filter first needs one: folded text -> rows.
    std::unordered_map<int, QHash<FoldedText, IndexRows>> m_indexes;
    std::size_t m_deletedInIndexes = 0;
    // Counts the changes to records, so that an index built while events run knows whether it still fits.
    std::uint64_t m_changes = 0;
};

} // namespace tw::platform
