#include "RecordFilter.h"

#include <QTime>

namespace tw::platform {

int findField(const QVector<FieldDef>& fields, QStringView name)
{
    for (int i = 0; i < fields.size(); ++i) {
        if (QStringView(fields[i].name).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

namespace {

Result unreadable(const QString& text, const QString& why)
{
    return Result::failure(QStringLiteral("Der Filter „%1“ ist nicht lesbar: %2").arg(text, why));
}

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t';
}

class Scanner
{
public:
    explicit Scanner(const QString& text) : m_text(text) {}

    void skipSpaces()
    {
        while (m_pos < m_text.size() && isSpace(m_text[m_pos]))
            ++m_pos;
    }
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text[m_pos]; }

    // A field name: everything up to a blank, '=' or an apostrophe.
    QStringView word()
    {
        const int start = m_pos;
        while (m_pos < m_text.size() && !isSpace(m_text[m_pos]) && m_text[m_pos] != u'=' &&
               m_text[m_pos] != u'\'')
            ++m_pos;
        return QStringView(m_text).mid(start, m_pos - start);
    }

    bool keyword(QLatin1StringView kw)
    {
        if (QStringView(m_text).mid(m_pos, kw.size()).compare(kw, Qt::CaseInsensitive) != 0)
            return false;
        const int after = m_pos + static_cast<int>(kw.size());
        if (after < m_text.size() && !isSpace(m_text[after]) && m_text[after] != u'\'')
            return false;
        m_pos = after;
        return true;
    }

    bool take(QChar c)
    {
        if (peek() != c)
            return false;
        ++m_pos;
        return true;
    }

    // The text up to the closing apostrophe, which is consumed; false when there is none. Two
    // apostrophes in a row stand for one in the value, as in ADO.
    bool quoted(QString& out)
    {
        out.clear();
        for (;;) {
            const int close = m_text.indexOf(u'\'', m_pos);
            if (close < 0)
                return false;
            out += QStringView(m_text).mid(m_pos, close - m_pos);
            m_pos = close + 1;
            if (peek() != u'\'')
                return true;
            out += u'\'';
            ++m_pos;
        }
    }

private:
    const QString& m_text;
    int m_pos = 0;
};

bool textEquals(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

Expected<RecordFilter> RecordFilter::parse(const QString& text, const QVector<FieldDef>& fields)
{
    RecordFilter filter;
    Scanner s(text);
    s.skipSpaces();
    if (s.atEnd())
        return filter;
    for (;;) {
        s.skipSpaces();
        const QStringView name = s.word();
        if (name.isEmpty())
            return unreadable(text, QStringLiteral("Feldname fehlt"));
        FilterTerm term;
        term.field = findField(fields, name);
        if (term.field < 0)
            return unreadable(text, QStringLiteral("unbekanntes Feld „%1“").arg(name.toString()));
        s.skipSpaces();
        bool like = false;
        if (s.take(u'=')) {
            like = false;
        } else if (s.keyword(QLatin1StringView("like"))) {
            like = true;
        } else {
            return unreadable(text, QStringLiteral("Vergleich fehlt"));
        }
        s.skipSpaces();
        QString value;
        if (!s.take(u'\'') || !s.quoted(value))
            return unreadable(text, QStringLiteral("Wert ohne Hochkommas"));

        term.op = FilterTerm::Op::Equals;
        if (like) {
            const bool lead = value.startsWith(u'*');
            const bool trail = value.size() > 1 && value.endsWith(u'*');
            if (value == QStringLiteral("*")) {
                term.op = FilterTerm::Op::Any;
                value.clear();
            } else if (lead && trail) {
                term.op = FilterTerm::Op::Contains;
                value = value.mid(1, value.size() - 2);
            } else if (trail) {
                term.op = FilterTerm::Op::StartsWith;
                value.chop(1);
            } else if (lead) {
                term.op = FilterTerm::Op::EndsWith;
                value.remove(0, 1);
            }
        }
        term.value = value;
        if (kindOfType(fields[term.field].type) == ValueKind::Number && term.op == FilterTerm::Op::Equals)
            term.number = coerceValue(fields[term.field].type, value);
        filter.m_terms.append(term);

        const bool spaced = s.peek().isNull() || isSpace(s.peek());
        s.skipSpaces();
        if (s.atEnd())
            break;
        if (!spaced || !s.keyword(QLatin1StringView("and")))
            return unreadable(text, QStringLiteral("unerwarteter Text nach einem Vergleich"));
        s.skipSpaces();
        if (s.atEnd())
            return unreadable(text, QStringLiteral("Vergleich nach „and“ fehlt"));
    }
    return filter;
}

bool RecordFilter::termMatches(const FilterTerm& term, const QVariant& value, int adoType)
{
    if (!value.isValid() || value.isNull())
        return false;
    if (term.op == FilterTerm::Op::Equals && term.number.isValid() &&
        kindOfType(adoType) == ValueKind::Number)
        return value.toDouble() == term.number.toDouble();
    const QString text = value.typeId() == QMetaType::QString ? value.toString() : valueText(value);
    switch (term.op) {
    case FilterTerm::Op::Equals:
        return textEquals(text, term.value);
    case FilterTerm::Op::Contains:
        return text.contains(term.value, Qt::CaseInsensitive);
    case FilterTerm::Op::StartsWith:
        return text.startsWith(term.value, Qt::CaseInsensitive);
    case FilterTerm::Op::EndsWith:
        return text.endsWith(term.value, Qt::CaseInsensitive);
    case FilterTerm::Op::Any:
        return true;
    }
    return false;
}

bool RecordFilter::matches(const QVector<QVariant>& row, const QVector<FieldDef>& fields) const
{
    for (const FilterTerm& term : m_terms) {
        if (!termMatches(term, row[term.field], fields[term.field].type))
            return false;
    }
    return true;
}

int RecordFilter::indexableTerm(const QVector<FieldDef>& fields) const
{
    for (int i = 0; i < m_terms.size(); ++i) {
        const FilterTerm& t = m_terms[i];
        if (t.op == FilterTerm::Op::Equals && kindOfType(fields[t.field].type) == ValueKind::Text)
            return i;
    }
    return -1;
}

Expected<RecordSort> RecordSort::parse(const QString& text, const QVector<FieldDef>& fields)
{
    RecordSort sort;
    const QStringList parts = text.split(u',');
    if (text.trimmed().isEmpty())
        return sort;
    for (const QString& part : parts) {
        const QStringList words = part.simplified().split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty() || words.size() > 2)
            return Result::failure(QStringLiteral("Die Sortierung „%1“ ist nicht lesbar").arg(text));
        Key key;
        key.field = findField(fields, words[0]);
        if (key.field < 0)
            return Result::failure(
                QStringLiteral("Die Sortierung „%1“ nennt ein unbekanntes Feld").arg(text));
        if (words.size() == 2) {
            if (words[1].compare(QLatin1StringView("desc"), Qt::CaseInsensitive) == 0)
                key.descending = true;
            else if (words[1].compare(QLatin1StringView("asc"), Qt::CaseInsensitive) != 0)
                return Result::failure(QStringLiteral("Die Sortierung „%1“ ist nicht lesbar").arg(text));
        }
        sort.m_keys.append(key);
    }
    return sort;
}

int RecordSort::compareValues(const QVariant& a, const QVariant& b, int adoType)
{
    const bool aNull = !a.isValid() || a.isNull();
    const bool bNull = !b.isValid() || b.isNull();
    if (aNull || bNull)
        return aNull == bNull ? 0 : (aNull ? -1 : 1);
    switch (kindOfType(adoType)) {
    case ValueKind::Number: {
        if (a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong) {
            const qlonglong x = a.toLongLong();
            const qlonglong y = b.toLongLong();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case ValueKind::Time: {
        const int x = a.toTime().msecsSinceStartOfDay();
        const int y = b.toTime().msecsSinceStartOfDay();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case ValueKind::Text:
        break;
    }
    return a.toString().compare(b.toString(), Qt::CaseInsensitive);
}

} // namespace tw::platform
