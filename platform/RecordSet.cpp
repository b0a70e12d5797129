#include "RecordSet.h"

#include "AdoXml.h"
#include "Beside.h"
#include "FileOps.h"

#include <QFile>
#include <algorithm>

namespace tw::platform {

namespace {

Result noCurrentRecord()
{
    return Result::failure(3021, QStringLiteral("Kein aktueller Datensatz."));
}

Result notOpen()
{
    return Result::failure(3704, QStringLiteral("Die Datensatzgruppe ist nicht geöffnet."));
}

Result unknownField(QStringView name)
{
    return Result::failure(3265, QStringLiteral("Das Feld „%1“ gibt es nicht.").arg(name.toString()));
}

FoldedText indexKey(const QVariant& value)
{
    return FoldedText{value.toString()};
}

} // namespace

std::size_t qHash(const FoldedText& key, std::size_t seed) noexcept
{
    // Folded code point by code point, as the comparison folds them.
    std::uint64_t h = 0xcbf29ce484222325ULL ^ seed;
    const QChar* p = key.text.constData();
    const QChar* const end = p + key.text.size();
    while (p < end) {
        char32_t c = p->unicode();
        ++p;
        if (c < 0x80) {
            if (c >= u'A' && c <= u'Z')
                c += 0x20;
        } else {
            if (QChar::isHighSurrogate(c) && p < end && p->isLowSurrogate()) {
                c = QChar::surrogateToUcs4(static_cast<char16_t>(c), p->unicode());
                ++p;
            }
            c = QChar::toCaseFolded(c);
        }
        h = (h ^ c) * 0x100000001b3ULL;
    }
    return static_cast<std::size_t>(h ^ (h >> 29));
}

void IndexRows::add(int row)
{
    if (m_first < 0)
        m_first = row;
    else
        m_more.push_back(row);
}

void IndexRows::remove(int row)
{
    if (m_first == row) {
        if (m_more.empty()) {
            m_first = -1;
            return;
        }
        m_first = m_more.back();
        m_more.pop_back();
        return;
    }
    m_more.erase(std::remove(m_more.begin(), m_more.end(), row), m_more.end());
}

Result RecordSet::Append(const QString& name, int adoType, int definedSize)
{
    if (m_open)
        return Result::failure(3219, QStringLiteral("Felder können nur vor dem Öffnen angefügt werden."));
    if (name.isEmpty() || findField(m_fields, name) >= 0)
        return Result::failure(3367,
                               QStringLiteral("Das Feld „%1“ ist schon vorhanden oder leer.").arg(name));
    m_fields.append(FieldDef{name, adoType, definedSize});
    return Result::success();
}

Result RecordSet::Open()
{
    if (m_open)
        return Result::failure(3705, QStringLiteral("Die Datensatzgruppe ist schon geöffnet."));
    m_open = true;
    rebuildView();
    return Result::success();
}

Result RecordSet::Open(const QString& path, Breather* breather)
{
    if (m_open)
        return Result::failure(3705, QStringLiteral("Die Datensatzgruppe ist schon geöffnet."));
    QFile file(path);
    if (Result opened = openForReading(file); !opened)
        return opened;
    Expected<RowsetData> data = readRowsetXml(file, breather);
    if (!data)
        return data.error();
    m_fields = std::move(data->fields);
    m_rows.clear();
    m_rows.reserve(data->rows.size());
    for (auto& values : data->rows) {
        values.resize(m_fields.size());
        m_rows.push_back(Row{std::move(values), false});
    }
    m_open = true;
    rebuildView();
    return Result::success();
}

void RecordSet::Close(Breather* breather)
{
    // Taken out first, so that the set is already closed; with a breather, a window waits, and the rows and
    // indexes are freed beside it.
    std::vector<Row> rows = std::move(m_rows);
    auto indexes = std::move(m_indexes);
    *this = RecordSet();
    if (breather) {
        letGoBeside(std::move(rows));
        letGoBeside(std::move(indexes));
    }
}

Result RecordSet::AddNew()
{
    if (!m_open)
        return notOpen();
    if (m_adding) {
        if (Result r = Update(); !r)
            return r;
    }
    m_adding = true;
    m_newValues = QVector<QVariant>(m_fields.size());
    return Result::success();
}

Result RecordSet::Update()
{
    if (!m_open)
        return notOpen();
    commitPending();
    return Result::success();
}

// Moving, filtering or sorting commits a record being added, as in ADO; that cannot fail.
void RecordSet::commitPending()
{
    // Edits of the current record take effect at once; only an added record waits for this.
    if (!m_adding)
        return;
    settleView();
    m_adding = false;
    ++m_changes;
    const int row = static_cast<int>(m_rows.size());
    m_rows.push_back(Row{std::move(m_newValues), false});
    m_newValues.clear();
    indexRow(row);
    // A new record joins the view at its end and becomes current, as in ADO.
    m_view.push_back(row);
    m_pos = static_cast<int>(m_view.size()) - 1;
    m_currentDeleted = false;
}

Result RecordSet::setValue(QStringView field, const QVariant& value)
{
    if (!m_open)
        return notOpen();
    const int f = findField(m_fields, field);
    if (f < 0)
        return unknownField(field);
    return setValueAt(f, value);
}

Result RecordSet::setValueAt(int f, const QVariant& value)
{
    if (!m_open)
        return notOpen();
    if (f < 0 || f >= m_fields.size())
        return unknownField(QString::number(f));
    const QVariant stored = coerceValue(m_fields[f].type, value);
    if (m_adding) {
        m_newValues[f] = stored;
        return Result::success();
    }
    if (!hasCurrent())
        return noCurrentRecord();
    const int row = m_view[m_pos];
    ++m_changes;
    const bool indexed = m_indexes.count(f) != 0;
    if (indexed)
        unindexRow(row);
    m_rows[row].values[f] = stored;
    if (indexed)
        indexRow(row);
    return Result::success();
}

Expected<QVariant> RecordSet::value(QStringView field) const
{
    if (!m_open)
        return notOpen();
    const int f = findField(m_fields, field);
    if (f < 0)
        return unknownField(field);
    if (m_adding)
        return m_newValues[f];
    if (!hasCurrent())
        return noCurrentRecord();
    return m_rows[m_view[m_pos]].values[f];
}

QString RecordSet::text(QStringView field) const
{
    const Expected<QVariant> v = value(field);
    return v ? valueText(*v) : QString();
}

QString RecordSet::textAt(int field) const
{
    if (!m_open || field < 0 || field >= m_fields.size())
        return {};
    if (m_adding)
        return valueText(m_newValues[field]);
    return hasCurrent() ? valueText(m_rows[m_view[m_pos]].values[field]) : QString();
}

bool RecordSet::hasCurrent() const
{
    settleView();
    return m_open && !m_currentDeleted && m_pos >= 0 && m_pos < static_cast<int>(m_view.size());
}

Result RecordSet::MoveFirst()
{
    if (!m_open)
        return notOpen();
    commitPending();
    settleView();
    m_pos = 0;
    m_currentDeleted = false;
    if (m_view.empty())
        return noCurrentRecord();
    return Result::success();
}

Result RecordSet::MoveNext()
{
    if (!m_open)
        return notOpen();
    commitPending();
    settleView();
    if (m_currentDeleted) {
        // Delete already moved the next record into the deleted one's place.
        m_currentDeleted = false;
        return Result::success();
    }
    if (m_pos >= static_cast<int>(m_view.size()))
        return noCurrentRecord();
    ++m_pos;
    return Result::success();
}

bool RecordSet::Eof() const
{
    settleView();
    // A deleted record stays current (but unreadable) until the next move.
    return !m_open || (!m_currentDeleted && m_pos >= static_cast<int>(m_view.size()));
}

Result RecordSet::Delete()
{
    if (!m_open)
        return notOpen();
    if (m_adding) {
        m_adding = false;
        m_newValues.clear();
        return Result::success();
    }
    if (!hasCurrent())
        return noCurrentRecord();
    const int row = m_view[m_pos];
    // Indexes keep deleted rows until they are rebuilt: removing each one from its bucket would make
    // deleting every record of one extension quadratic.
    m_rows[row].deleted = true;
    ++m_deletedInIndexes;
    ++m_changes;
    m_rows[row].values = QVector<QVariant>(); // free the memory of big values at once
    m_view.erase(m_view.begin() + m_pos);
    m_currentDeleted = true;
    return Result::success();
}

bool RecordSet::deleteExact(QStringView field, const QString& value)
{
    const int f = findField(m_fields, field);
    if (!m_open || f < 0)
        return false;
    commitPending();
    ensureIndex(f);
    auto& index = m_indexes[f];
    const auto it = index.find(FoldedText{value});
    if (it == index.end())
        return false;
    int row = -1;
    it->forEach([&](int r) {
        if (!m_rows[r].deleted && (row < 0 || r < row) && valueText(m_rows[r].values[f]) == value)
            row = r;
    });
    if (row < 0)
        return false;
    // A small bucket lets go of the row at once: a run removes its files one by one, and freeing the
    // whole index of them when it is next rebuilt would be one long piece at the end of the run.
    if (it->size() <= 8) {
        it->remove(row);
        if (it->empty())
            index.erase(it);
    }
    m_rows[row].deleted = true;
    ++m_deletedInIndexes;
    ++m_changes;
    m_rows[row].values = QVector<QVariant>();
    // The row leaves the view when the view is next used: a run removes its files one by one from a view of
    // all of them, and erasing each at once would move the whole view each time.
    m_viewStale = true;
    m_pos = static_cast<int>(m_view.size());
    m_currentDeleted = false;
    return true;
}

void RecordSet::settleView() const
{
    if (!m_viewStale)
        return;
    m_viewStale = false;
    m_view.erase(
        std::remove_if(m_view.begin(), m_view.end(), [this](int row) { return m_rows[row].deleted; }),
        m_view.end());
    m_pos = static_cast<int>(m_view.size());
}

int RecordSet::RecordCount() const
{
    settleView();
    return static_cast<int>(m_view.size());
}

Result RecordSet::setFilter(const QString& filter)
{
    commitPending();
    Expected<RecordFilter> parsed = RecordFilter::parse(filter, m_fields);
    if (!parsed)
        return parsed.error();
    m_filterText = filter;
    m_filter = std::move(*parsed);
    rebuildView();
    return Result::success();
}

Result RecordSet::setSort(const QString& sort)
{
    commitPending();
    Expected<RecordSort> parsed = RecordSort::parse(sort, m_fields);
    if (!parsed)
        return parsed.error();
    m_sortText = sort;
    m_sort = std::move(*parsed);
    rebuildView();
    return Result::success();
}

void RecordSet::rebuildView()
{
    m_viewStale = false;
    m_view.clear();
    m_pos = 0;
    m_currentDeleted = false;
    const int indexed = m_filter.indexableTerm(m_fields);
    if (!m_indexes.empty() && m_deletedInIndexes > m_rows.size() / 2 + 64)
        rebuildIndexes();
    if (indexed >= 0) {
        const FilterTerm& term = m_filter.terms()[indexed];
        ensureIndex(term.field);
        const auto& index = m_indexes[term.field];
        const auto it = index.constFind(FoldedText{term.value});
        if (it != index.cend()) {
            it->forEach([&](int row) {
                if (!m_rows[row].deleted && m_filter.matches(m_rows[row].values, m_fields))
                    m_view.push_back(row);
            });
            std::sort(m_view.begin(), m_view.end());
        }
    } else {
        m_view.reserve(m_rows.size());
        for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
            if (!m_rows[row].deleted &&
                (m_filter.isEmpty() || m_filter.matches(m_rows[row].values, m_fields)))
                m_view.push_back(row);
        }
    }
    sortView();
}

void RecordSet::sortView()
{
    if (m_sort.isEmpty())
        return;
    const auto& keys = m_sort.keys();
    // Equal keys keep the order of adding, whichever the direction: a choice made in a sorted view
    // must not turn into another record when the sort changes.
    std::stable_sort(m_view.begin(), m_view.end(), [&](int a, int b) {
        for (const RecordSort::Key& key : keys) {
            const int c = RecordSort::compareValues(m_rows[a].values[key.field], m_rows[b].values[key.field],
                                                    m_fields[key.field].type);
            if (c != 0)
                return key.descending ? c > 0 : c < 0;
        }
        return false;
    });
}

void RecordSet::ensureIndex(int field)
{
    if (m_indexes.count(field))
        return;
    auto& index = m_indexes[field];
    index.reserve(static_cast<qsizetype>(m_rows.size()));
    for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
        if (!m_rows[row].deleted)
            index[indexKey(m_rows[row].values[field])].add(row);
    }
}

void RecordSet::prepareIndex(QStringView field, Breather* breather)
{
    const int f = findField(m_fields, field);
    if (!m_open || f < 0 || m_indexes.count(f))
        return;
    const std::uint64_t changes = m_changes;
    const int rows = static_cast<int>(m_rows.size());
    QHash<FoldedText, IndexRows> index;
    index.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        if (!m_rows[row].deleted)
            index[indexKey(m_rows[row].values[f])].add(row);
        if (breather && row % 1024 == 1023) {
            breather->tick();
            if (m_changes != changes)
                return;
        }
    }
    if (!m_indexes.count(f))
        m_indexes[f] = std::move(index);
}

void RecordSet::rebuildIndexes()
{
    std::vector<int> fields;
    for (const auto& entry : m_indexes)
        fields.push_back(entry.first);
    m_indexes.clear();
    m_deletedInIndexes = 0;
    for (int field : fields)
        ensureIndex(field);
}

void RecordSet::indexRow(int row)
{
    for (auto& [field, index] : m_indexes)
        index[indexKey(m_rows[row].values[field])].add(row);
}

void RecordSet::unindexRow(int row)
{
    for (auto& [field, index] : m_indexes) {
        const auto it = index.find(indexKey(m_rows[row].values[field]));
        if (it == index.end())
            continue;
        it->remove(row);
        if (it->empty())
            index.erase(it);
    }
}

QString RecordSet::getstring(const QString& columnDelimiter, const QString& rowDelimiter, int numRows)
{
    QString out;
    appendString(out, columnDelimiter, rowDelimiter, numRows);
    return out;
}

void RecordSet::appendString(QString& out, const QString& columnDelimiter, const QString& rowDelimiter,
                             int numRows)
{
    commitPending();
    settleView();
    if (!m_open)
        return;
    if (m_currentDeleted)
        m_currentDeleted = false;
    const int end = numRows < 0
                        ? static_cast<int>(m_view.size())
                        : static_cast<int>(std::min<qsizetype>(m_view.size(), qsizetype(m_pos) + numRows));
    for (; m_pos < end; ++m_pos) {
        const QVector<QVariant>& values = m_rows[m_view[m_pos]].values;
        for (int f = 0; f < values.size(); ++f) {
            out += valueText(values[f]);
            out += (f + 1 < values.size()) ? columnDelimiter : rowDelimiter;
        }
    }
}

RowsetData RecordSet::toRowset() const
{
    RowsetData data;
    data.fields = m_fields;
    data.rows.reserve(m_rows.size());
    for (const Row& row : m_rows) {
        if (!row.deleted)
            data.rows.push_back(row.values);
    }
    if (m_adding)
        data.rows.push_back(m_newValues);
    return data;
}

QByteArray RecordSet::toXml() const
{
    return writeRowsetXml(toRowset());
}

Result RecordSet::writeXml(const std::function<Result(QByteArrayView)>& sink, Breather* breather) const
{
    return writeRowsetXml(toRowset(), sink, breather);
}

Result RecordSet::Save(const QString& path) const
{
    if (!m_open)
        return notOpen();
    return writeNewFile(path, toXml());
}

} // namespace tw::platform
