#include "AdoXml.h"
#include "AdoXmlNames.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <deque>
#include <optional>

namespace tw::platform {

namespace {

using adoxml::rowNs;
using adoxml::rowsetNs;
using adoxml::schemaNs;

using adoxml::standIn;

// Characters of a value that the writer keeps out of the file and the parser would refuse, written as
// the stand-in U+FDD0 followed by a second character; see appendEscaped in the writer.
QString restoreValue(QString value)
{
    if (!value.contains(QChar(standIn)))
        return value;
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        const char16_t next = i + 1 < value.size() ? value[i + 1].unicode() : 0;
        if (c != standIn || !adoxml::isStandInSecond(next)) {
            out.append(QChar(c));
            continue;
        }
        out.append(QChar(adoxml::standInFor(next)));
        ++i;
    }
    return out;
}

// The file's bytes as the parser reads them, made in one pass a chunk at a time so that memory follows
// the records, not the file: UTF-16 becomes UTF-8, and inside attribute values what the parser would
// change or refuse is written as character references. ADO writes tab, CR and LF raw, which a parser
// turns into blanks, and the other control characters raw, which XML does not allow at all; those
// become the writer's stand-in pairs. Every other byte passes unchanged, so the parser itself
// decodes the declared encoding and refuses bytes that are not valid in it.
class RowsetInput : public QIODevice
{
public:
    RowsetInput(QIODevice& source, Breather* breather) : m_source(source), m_breather(breather)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_done && available() == 0; }
    qint64 bytesAvailable() const override { return available() + (m_done ? 0 : 1); }

    // Why the bytes could not be read or decoded; empty when they could.
    const QString& failure() const { return m_failure; }
    bool hadNoBytes() const { return m_done && m_total == 0; }

    // The value a row's attribute stands for: one decoded here in place of the parser, or the parser's.
    QString takeValue(QStringView seen);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    enum class State
    {
        Content,
        Tag,
        Value,
        Comment,
        CData,
        Instruction,
    };

    qint64 available() const { return m_out.size() - m_outPos; }
    bool pump();
    void begin(const QByteArray& chunk);
    void transcode(const QByteArray& chunk, bool last);
    void protect(bool last);
    qsizetype appendProtected(const char* p, qsizetype from, qsizetype to, qsizetype n);
    void endValue();
    bool decodeValue(QByteArrayView raw, QString& out) const;
    void stop(const QString& why)
    {
        m_failure = why;
        m_in.clear();
    }

    QIODevice& m_source;
    Breather* m_breather;
    QByteArray m_in; // bytes not yet looked at: the file's own, or UTF-8 made from UTF-16
    QByteArray m_out;
    qsizetype m_outPos = 0;
    qint64 m_total = 0;
    bool m_begun = false;
    bool m_done = false;
    // Whether U+FFFE and U+FFFF can stand in the bytes as EF BF BE and EF BF BF.
    bool m_utf8 = true;
    std::optional<QStringDecoder> m_utf16;
    bool m_littleEndian = false;
    QByteArray m_utf16Rest;
    State m_state = State::Content;
    char m_quote = 0;
    // The parser takes a long value one character at a time, a journal's list of actions in a quarter of
    // a second per 100,000; this reader decodes a row's long values itself and hands the parser a token,
    // made unguessable so that no file's own text can pass for one.
    QByteArray m_value;
    bool m_inRow = false;
    bool m_collect = false; // the value at hand is a row's that may be decoded here
    // A document type could declare entities and value types, a declaration longer than the first
    // chunk an encoding not seen here: no value is decoded here then.
    bool m_decodeHere = true;
    QString m_token;
    // Values not yet taken, the first of them numbered m_firstValue; the parser takes them in order.
    std::deque<QString> m_values;
    qsizetype m_firstValue = 0;
    QString m_failure;
};

QString RowsetInput::takeValue(QStringView seen)
{
    if (!m_values.empty() && seen.startsWith(m_token)) {
        bool ok = false;
        const qsizetype i = seen.sliced(m_token.size()).toLongLong(&ok) - m_firstValue;
        if (ok && i >= 0 && i < static_cast<qsizetype>(m_values.size())) {
            QString value = std::move(m_values[static_cast<size_t>(i)]);
            // Those before it belong to what the parser has passed, such as deleted rows: let go.
            m_values.erase(m_values.begin(), m_values.begin() + i + 1);
            m_firstValue += i + 1;
            return value;
        }
    }
    return seen.toString();
}

qint64 RowsetInput::readData(char* data, qint64 maxSize)
{
    while (available() < maxSize && pump()) {
    }
    const qint64 n = std::min(available(), maxSize);
    std::memcpy(data, m_out.constData() + m_outPos, static_cast<size_t>(n));
    m_outPos += n;
    return n;
}

bool RowsetInput::pump()
{
    if (m_done)
        return false;
    if (m_breather)
        m_breather->tick();
    // The parser takes less than a chunk at a time, so what it has taken goes before more comes: the
    // buffer would otherwise grow to the size of the file.
    m_out.remove(0, m_outPos);
    m_outPos = 0;
    constexpr qint64 chunkSize = 64 * 1024;
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    const qint64 n = m_source.read(chunk.data(), chunkSize);
    if (n < 0) {
        stop(m_source.errorString());
        m_done = true;
        return false;
    }
    chunk.resize(n);
    m_total += n;
    const bool last = n == 0;
    if (!m_begun)
        begin(chunk);
    if (m_utf16)
        transcode(chunk, last);
    else
        m_in.append(chunk);
    if (m_failure.isEmpty())
        protect(last);
    m_done = last || !m_failure.isEmpty();
    return true;
}

// Finds the encoding from the byte order mark or the first bytes, and for an ASCII-compatible file
// from its declaration.
void RowsetInput::begin(const QByteArray& chunk)
{
    m_begun = true;
    const auto starts = [&chunk](const char* bytes, qsizetype n) {
        return chunk.startsWith(QByteArrayView(bytes, n));
    };
    const qsizetype mark = starts("\xEF\xBB\xBF", 3) ? 3 : 0;
    if (starts("\xFF\xFE", 2) || starts("<\0", 2)) {
        m_utf16.emplace(QStringConverter::Utf16LE);
        m_littleEndian = true;
    } else if (starts("\xFE\xFF", 2) || starts("\0<", 2)) {
        m_utf16.emplace(QStringConverter::Utf16BE);
    } else if (QByteArrayView(chunk).sliced(mark).startsWith("<?xml")) {
        const qsizetype end = chunk.indexOf("?>");
        if (end < 0)
            m_decodeHere = false;
        const QByteArray declaration = chunk.left(std::max<qsizetype>(end, 0));
        const QRegularExpression encoding(QStringLiteral("\\sencoding\\s*=\\s*[\"']([A-Za-z0-9._:-]+)[\"']"));
        const QRegularExpressionMatch match = encoding.match(QString::fromLatin1(declaration));
        if (match.hasMatch()) {
            const QString name = match.captured(1);
            m_utf8 = name.compare(u"UTF-8", Qt::CaseInsensitive) == 0 ||
                     name.compare(u"UTF8", Qt::CaseInsensitive) == 0;
        }
    }
}

// UTF-16 in whole characters: a chunk is cut before an odd byte and before a leading surrogate, which
// wait for the next one.
void RowsetInput::transcode(const QByteArray& chunk, bool last)
{
    const QByteArray bytes = m_utf16Rest + chunk;
    qsizetype whole = bytes.size() & ~qsizetype(1);
    if (whole >= 2) {
        const bool le = m_littleEndian;
        const auto b = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
        const char16_t unit =
            le ? char16_t(b(whole - 2) | b(whole - 1) << 8) : char16_t(b(whole - 2) << 8 | b(whole - 1));
        if (QChar::isHighSurrogate(unit))
            whole -= 2;
    }
    if (last && whole != bytes.size())
        return stop(QStringLiteral("die Datei endet mitten in einem Zeichen (UTF-16)"));
    m_utf16Rest = bytes.sliced(whole);
    const QString text = m_utf16->decode(QByteArrayView(bytes).first(whole));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return stop(QStringLiteral("die Datei enthält ein ungültiges UTF-16-Zeichen"));
    }
    const bool first = m_total == chunk.size();
    m_in.append(text.toUtf8());
    // The declaration names UTF-16, which the parser must not apply to the UTF-8 made here.
    if (first && m_in.startsWith("<?xml")) {
        const qsizetype end = m_in.indexOf("?>");
        if (end >= 0)
            m_in.remove(0, end + 2);
        else
            m_decodeHere = false;
    }
}

// Bytes at which the scan of an attribute value must look closer: the quotes, the control characters
// and the lead byte of U+FFFE and U+FFFF in UTF-8.
constexpr auto valueStops = [] {
    std::array<bool, 256> stops{};
    for (int c = 0x01; c < 0x20; ++c)
        stops[c] = true;
    stops['\''] = stops['"'] = stops[0xEF] = true;
    return stops;
}();

// Whether the value whose quote is p[q] belongs to a namespace declaration, which the parser compares
// with others, or to a name that began before p.
bool namespaceOrUnknown(const char* p, qsizetype q)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    qsizetype j = q;
    while (j > 0 && blank(p[j - 1]))
        --j;
    if (j == 0 || p[j - 1] != '=')
        return true;
    --j;
    while (j > 0 && blank(p[j - 1]))
        --j;
    const qsizetype end = j;
    while (j > 0 && !blank(p[j - 1]) && !std::strchr("<'\"", p[j - 1]))
        --j;
    const QByteArrayView name(p + j, end - j);
    return j == 0 || name == "xmlns" || name.startsWith("xmlns:");
}

void RowsetInput::protect(bool last)
{
    // The longest look ahead: "<![CDATA[".
    constexpr qsizetype lookAhead = 9;
    const char* p = m_in.constData();
    const qsizetype n = m_in.size();
    const qsizetype limit = last ? n : n - lookAhead;
    const auto at = [p, n](qsizetype i, QByteArrayView what) {
        return n - i >= what.size() && std::memcmp(p + i, what.data(), static_cast<size_t>(what.size())) == 0;
    };
    const auto skipTo = [&](qsizetype i, char c) {
        const void* hit = i < limit ? std::memchr(p + i, c, static_cast<size_t>(limit - i)) : nullptr;
        return hit ? static_cast<const char*>(hit) - p : limit;
    };
    qsizetype i = 0;
    qsizetype run = 0;
    while (i < limit) {
        switch (m_state) {
        case State::Content:
            i = skipTo(i, '<');
            if (i >= limit)
                break;
            if (at(i, "<!--")) {
                m_state = State::Comment;
                i += 4;
            } else if (at(i, "<![CDATA[")) {
                m_state = State::CData;
                i += 9;
            } else if (at(i, "<?")) {
                m_state = State::Instruction;
                i += 2;
            } else {
                m_state = State::Tag;
                i += 1;
                if (at(i, "!DOCTYPE"))
                    m_decodeHere = false;
                // A row's element, whatever its prefix; a name cut by the chunk's end counts as none.
                qsizetype end = i;
                while (end < n && !std::strchr(" \t\r\n/>", p[end]))
                    ++end;
                const QByteArrayView name(p + i, end - i);
                m_inRow = end < n && (name == "row" || name.endsWith(":row"));
            }
            break;
        case State::Tag:
            for (; i < limit; ++i) {
                const char c = p[i];
                if (c == '\'' || c == '"') {
                    m_quote = c;
                    m_state = State::Value;
                    m_collect = m_inRow && m_decodeHere && m_utf8 && !namespaceOrUnknown(p, i);
                    ++i;
                    m_out.append(p + run, i - run);
                    run = i;
                    break;
                }
                if (c == '>') {
                    m_state = State::Content;
                    ++i;
                    break;
                }
            }
            break;
        case State::Value: {
            const void* quote =
                i < limit ? std::memchr(p + i, m_quote, static_cast<size_t>(limit - i)) : nullptr;
            const qsizetype to = quote ? static_cast<const char*>(quote) - p : limit;
            if (m_collect) {
                // A raw '<' the parser refuses: it gets the value as it comes, not after the whole rest
                // of a file whose quote does not close.
                const void* lt = std::memchr(p + i, '<', static_cast<size_t>(to - i));
                const qsizetype upTo = lt ? static_cast<const char*>(lt) - p : to;
                // A long value grows at once to what is left of the file (by 64 MB at most), of which
                // only what it fills is ever touched, instead of being copied on every doubling.
                if (m_value.size() >= 64 * 1024 && m_value.size() + (upTo - i) > m_value.capacity() &&
                    !m_source.isSequential()) {
                    const qint64 left = std::clamp<qint64>(m_source.size() - m_source.pos(), 0, 64 << 20);
                    m_value.reserve(m_value.size() + (upTo - i) + left);
                }
                m_value.append(p + i, upTo - i);
                i = run = upTo;
                if (lt) {
                    m_collect = false;
                    appendProtected(m_value.constData(), 0, m_value.size(), m_value.size());
                    m_value.clear();
                }
            }
            if (!m_collect)
                i = run = appendProtected(p, i, to, n);
            if (quote && i == to) {
                if (m_collect)
                    endValue();
                m_state = State::Tag;
                ++i;
            }
            break;
        }
        case State::Comment:
            i = skipTo(i, '-');
            if (i < limit && at(i, "-->")) {
                m_state = State::Content;
                i += 3;
            } else if (i < limit) {
                ++i;
            }
            break;
        case State::CData:
            i = skipTo(i, ']');
            if (i < limit && at(i, "]]>")) {
                m_state = State::Content;
                i += 3;
            } else if (i < limit) {
                ++i;
            }
            break;
        case State::Instruction:
            i = skipTo(i, '?');
            if (i < limit && at(i, "?>")) {
                m_state = State::Content;
                i += 2;
            } else if (i < limit) {
                ++i;
            }
            break;
        }
    }
    i = std::max<qsizetype>(i, 0);
    m_out.append(p + run, i - run);
    m_in.remove(0, i);
    // A file that ends inside a value: the parser sees it end there.
    if (last && m_state == State::Value && m_collect) {
        m_collect = false;
        endValue();
    }
}

// Hands the value on: decoded here when it is a row's and long, else as the parser should read it.
void RowsetInput::endValue()
{
    constexpr qsizetype decodedFrom = 1024;
    QString decoded;
    if (m_collect && m_value.size() >= decodedFrom && decodeValue(m_value, decoded)) {
        if (m_token.isEmpty()) {
            // Of one length, so that where the parser's buffers end in a file does not change by chance.
            m_token = QChar(0xFDEF) +
                      QString::number(QRandomGenerator::system()->generate64(), 36).rightJustified(13, u'0') +
                      QChar(0xFDEF);
        }
        m_out.append(
            (m_token + QString::number(m_firstValue + static_cast<qsizetype>(m_values.size()))).toUtf8());
        m_values.push_back(std::move(decoded));
    } else {
        appendProtected(m_value.constData(), 0, m_value.size(), m_value.size());
    }
    m_value.clear();
}

// Appends bytes from..to of a value as the parser should read them, where a character may run on to n;
// returns where it stopped.
qsizetype RowsetInput::appendProtected(const char* p, qsizetype from, qsizetype to, qsizetype n)
{
    qsizetype i = from;
    qsizetype run = from;
    const auto replace = [&](qsizetype length, QByteArrayView with) {
        m_out.append(p + run, i - run);
        m_out.append(with);
        i += length;
        run = i;
    };
    const auto at = [p, n](qsizetype i, QByteArrayView what) {
        return n - i >= what.size() && std::memcmp(p + i, what.data(), static_cast<size_t>(what.size())) == 0;
    };
    while (i < to) {
        // Most bytes of a value are ordinary: skip them at the pace of a table lookup.
        while (i < to && !valueStops[static_cast<unsigned char>(p[i])])
            ++i;
        if (i >= to)
            break;
        const auto c = static_cast<unsigned char>(p[i]);
        if (c == '\t') {
            replace(1, "&#x9;");
        } else if (c == '\r') {
            replace(1, "&#xD;");
        } else if (c == '\n') {
            replace(1, "&#xA;");
        } else if (c >= 0x01 && c < 0x20) {
            char pair[] = "&#xFDD0;&#xFDD0;";
            const char* hex = "0123456789ABCDEF";
            const unsigned second = adoxml::standInSecond(c);
            pair[13] = hex[(second >> 4) & 0xF];
            pair[14] = hex[second & 0xF];
            replace(1, pair);
        } else if (c == 0xEF && m_utf8 && at(i, "\xEF\xBF\xBE")) {
            replace(3, "&#xFDD0;&#xFDFE;");
        } else if (c == 0xEF && m_utf8 && at(i, "\xEF\xBF\xBF")) {
            replace(3, "&#xFDD0;&#xFDFF;");
        } else {
            ++i;
        }
    }
    m_out.append(p + run, i - run);
    return i;
}

// What the parser would make of a value in UTF-8 with the allowances of protect(): false for anything it
// should judge itself (a raw "<" or NUL, bytes that are no UTF-8, a reference it would refuse or one to
// an entity of its own).
bool RowsetInput::decodeValue(QByteArrayView raw, QString& out) const
{
    if (!raw.isValidUtf8())
        return false;
    const char* p = raw.data();
    const qsizetype n = raw.size();
    const auto special = [](unsigned char c) { return c < 0x20 || c == '&' || c == '<' || c == 0xEF; };
    if (std::none_of(p, p + n, [&](char c) { return special(static_cast<unsigned char>(c)); })) {
        out = QString::fromUtf8(raw);
        return true;
    }
    out.reserve(raw.size());
    qsizetype i = 0;
    while (i < n) {
        qsizetype run = i;
        while (run < n && !special(static_cast<unsigned char>(p[run])))
            ++run;
        if (run > i) {
            out.append(QString::fromUtf8(p + i, run - i));
            i = run;
            continue;
        }
        const auto c = static_cast<unsigned char>(p[i]);
        if (c == '<' || c == 0)
            return false;
        if (c == '\t' || c == '\r' || c == '\n') {
            out.append(QLatin1Char(static_cast<char>(c)));
            ++i;
        } else if (c < 0x20) {
            out.append(QChar(adoxml::standIn)).append(QChar(adoxml::standInSecond(c)));
            ++i;
        } else if (c == 0xEF) {
            // U+FFFE and U+FFFF as protect() writes them; every other character from U+F000 on as it is.
            const unsigned char b1 = static_cast<unsigned char>(p[i + 1]);
            const unsigned char b2 = static_cast<unsigned char>(p[i + 2]);
            if (b1 == 0xBF && (b2 == 0xBE || b2 == 0xBF))
                out.append(QChar(adoxml::standIn))
                    .append(QChar(adoxml::standInSecond(b2 == 0xBE ? 0xFFFE : 0xFFFF)));
            else // by hand: a lone U+FEFF would be taken for a byte order mark and dropped
                out.append(QChar(char16_t((c & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F))));
            i += 3;
        } else {
            const qsizetype semicolon = raw.indexOf(';', i);
            if (semicolon < 0 || semicolon - i > 10)
                return false;
            const QByteArrayView name = raw.sliced(i + 1, semicolon - i - 1);
            char32_t code = 0;
            if (name == "lt")
                code = '<';
            else if (name == "gt")
                code = '>';
            else if (name == "amp")
                code = '&';
            else if (name == "apos")
                code = '\'';
            else if (name == "quot")
                code = '"';
            else if (name.size() >= 2 && name[0] == '#') {
                const bool hex = name[1] == 'x';
                const QByteArrayView digits = name.sliced(hex ? 2 : 1);
                if (digits.isEmpty())
                    return false;
                for (const char d : digits) {
                    const int v = d >= '0' && d <= '9'   ? d - '0'
                                  : !hex                 ? -1
                                  : d >= 'a' && d <= 'f' ? d - 'a' + 10
                                  : d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                         : -1;
                    if (v < 0)
                        return false;
                    code = code * (hex ? 16 : 10) + static_cast<char32_t>(v);
                }
                const bool xmlChar = code == 0x9 || code == 0xA || code == 0xD ||
                                     (code >= 0x20 && code <= 0xD7FF) || (code >= 0xE000 && code <= 0xFFFD) ||
                                     (code >= 0x10000 && code <= 0x10FFFF);
                if (!xmlChar)
                    return false;
            } else {
                return false;
            }
            // By hand: fromUcs4() and fromUtf8() drop a U+FEFF as a byte order mark.
            if (QChar::requiresSurrogates(code))
                out.append(QChar(QChar::highSurrogate(code))).append(QChar(QChar::lowSurrogate(code)));
            else
                out.append(QChar(char16_t(code)));
            i = semicolon + 1;
        }
    }
    return true;
}

// What a field declaration says about the type; a null string where an attribute is absent.
struct TypeDecl
{
    QString type;
    QString dbtype;
    QString maxLength;
    QString isLong;
};

struct FieldDecl
{
    QString xmlName;
    QString realName;
    int number = -1;
    TypeDecl type;
};

void readTypeAttributes(const QXmlStreamAttributes& attributes, TypeDecl& decl)
{
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.namespaceUri() == adoxml::datatypeNs) {
            if (a.name() == u"type")
                decl.type = a.value().toString();
            else if (a.name() == u"maxLength")
                decl.maxLength = a.value().toString();
        } else if (a.namespaceUri() == rowsetNs) {
            if (a.name() == u"dbtype")
                decl.dbtype = a.value().toString();
            else if (a.name() == u"long")
                decl.isLong = a.value().toString();
        }
    }
}

// An attribute's value by namespace and local name; null when it is absent.
QStringView attributeValue(const QXmlStreamAttributes& attributes, QStringView ns, QStringView name)
{
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name() == name && a.namespaceUri() == ns)
            return a.value();
    }
    return {};
}

bool sameWord(QStringView text, QStringView word)
{
    return text.trimmed().compare(word, Qt::CaseInsensitive) == 0;
}

struct TypeName
{
    QStringView name;
    int type;
};

// dt:type values whose code does not depend on rs:dbtype.
constexpr TypeName plainTypes[] = {
    {u"int", adType::Integer},      {u"i4", adType::Integer},         {u"i2", adType::Integer},
    {u"i1", adType::Integer},       {u"ui1", adType::Integer},        {u"ui2", adType::Integer},
    {u"ui4", adType::Integer},      {u"i8", adType::BigInt},          {u"ui8", adType::BigInt},
    {u"float", adType::Double},     {u"r8", adType::Double},          {u"r4", adType::Double},
    {u"boolean", adType::Boolean},  {u"fixed.14.4", adType::Numeric}, {u"date", adType::Date},
    {u"dateTime.tz", adType::Date}, {u"time", adType::DBTime},        {u"time.tz", adType::DBTime},
};

// Maps ADO's type declaration back to a type code; what is not known is read as text.
FieldDef toFieldDef(const FieldDecl& decl)
{
    const TypeDecl& t = decl.type;
    bool lengthOk = false;
    const qulonglong length = t.maxLength.trimmed().toULongLong(&lengthOk);
    const bool fits = lengthOk && length <= static_cast<qulonglong>(INT_MAX);
    FieldDef f{decl.realName, adType::VarChar, fits ? static_cast<int>(length) : -1};

    if (t.type.trimmed().isEmpty() || sameWord(t.type, u"string")) {
        f.type = sameWord(t.dbtype, u"str") ? adType::VarChar : adType::VarWChar;
        if (sameWord(t.isLong, u"true") || sameWord(t.isLong, u"1"))
            f.definedSize = -1;
        return f;
    }
    if (sameWord(t.type, u"number")) {
        f.type = sameWord(t.dbtype, u"varnumeric") ? adType::VarNumeric : adType::Numeric;
        return f;
    }
    if (sameWord(t.type, u"dateTime")) {
        f.type = sameWord(t.dbtype, u"timestamp") ? adType::DBTimeStamp : adType::Date;
        return f;
    }
    for (const TypeName& known : plainTypes) {
        if (sameWord(t.type, known.name)) {
            f.type = known.type;
            return f;
        }
    }
    f.definedSize = -1; // binary, uuid and the like: kept as their text
    return f;
}

class RowsetParser
{
public:
    RowsetParser(QIODevice& source, Breather* breather) : m_input(source, breather), m_xml(&m_input) {}

    Expected<RowsetData> parse();

private:
    bool readDocument();
    bool readRoot();
    bool readSchema();
    bool readRowType(std::vector<FieldDecl>& decls, QStringList& references);
    bool readFieldDecl(FieldDecl& decl);
    bool defineFields(std::vector<FieldDecl> decls);
    bool readData();
    bool skipDeleted();
    bool readInsert();
    bool readUpdate();
    bool readRecord();
    bool readRow(QVector<QVariant>& values, QString* forceNull);
    int fieldOf(QStringView attributeName);

    bool isElement(QStringView ns, QStringView name) const
    {
        return m_xml.namespaceUri() == ns && m_xml.name() == name;
    }
    bool isRow() const { return isElement(rowNs, u"row"); }
    // After a loop over child elements: false when the loop ended on a parse error.
    bool closed() { return !m_xml.hasError() || fail(QString()); }
    bool fail(const QString& reason);
    bool unexpected();

    RowsetInput m_input;
    QXmlStreamReader m_xml;
    QString m_error;
    RowsetData m_data;
    QStringList m_attributeNames;
    QHash<QString, int> m_fieldByAttribute;
    int m_lastField = -1;
};

bool RowsetParser::fail(const QString& reason)
{
    if (!m_error.isEmpty())
        return false;
    // What made the bytes end early is the reason, not the parser's complaint about it.
    if (!m_input.failure().isEmpty()) {
        m_error = m_input.failure();
    } else if (m_input.hadNoBytes()) {
        m_error = QStringLiteral("sie ist leer");
    } else if (m_xml.hasError() &&
               m_xml.errorString() ==
                   QCoreApplication::translate("QXmlStream", "Encountered incorrectly encoded content.")) {
        // The parser decodes whole buffers, so its position says nothing here.
        const QStringView declared = m_xml.documentEncoding();
        m_error = QStringLiteral("sie enthält Bytes, die in der Kodierung %1 kein Zeichen sind")
                      .arg(declared.isEmpty() ? QStringLiteral("UTF-8") : declared.toString());
    } else if (m_xml.hasError()) {
        QString why = m_xml.errorString();
        while (why.endsWith(QLatin1Char('.')))
            why.chop(1);
        m_error = QStringLiteral("fehlerhaftes XML in Zeile %1, Spalte %2 (%3)")
                      .arg(m_xml.lineNumber())
                      .arg(m_xml.columnNumber())
                      .arg(why);
    } else {
        m_error = QStringLiteral("%1 (Zeile %2)").arg(reason).arg(m_xml.lineNumber());
    }
    return false;
}

bool RowsetParser::unexpected()
{
    return fail(QStringLiteral("unerwartetes Element „%1“").arg(m_xml.qualifiedName()));
}

Expected<RowsetData> RowsetParser::parse()
{
    if (!readDocument()) {
        fail(QStringLiteral("unbekannter Fehler"));
        return Result::failure(
            QStringLiteral("Die Datei ist keine gültige Datensatzdatei: %1.").arg(m_error));
    }
    return std::move(m_data);
}

bool RowsetParser::readDocument()
{
    bool sawRoot = false;
    while (!m_xml.atEnd()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::DTD:
            // Entity definitions could blow up small files; a rowset never has any.
            return fail(QStringLiteral("Dokumenttypdeklarationen sind nicht erlaubt"));
        case QXmlStreamReader::StartElement:
            if (!readRoot())
                return false;
            sawRoot = true;
            break;
        default:
            break;
        }
    }
    if (!closed())
        return false;
    return sawRoot || fail(QStringLiteral("die Datei enthält kein Element"));
}

bool RowsetParser::readRoot()
{
    if (!isElement(u"", u"xml"))
        return fail(QStringLiteral("das Wurzelelement ist „%1“ statt „xml“").arg(m_xml.qualifiedName()));
    bool sawSchema = false;
    bool sawData = false;
    while (m_xml.readNextStartElement()) {
        if (isElement(schemaNs, u"Schema")) {
            if (sawSchema)
                return fail(QStringLiteral("die Datei hat zwei Schemata"));
            sawSchema = true;
            if (!readSchema())
                return false;
        } else if (isElement(rowsetNs, u"data")) {
            if (!sawSchema)
                return fail(QStringLiteral("die Daten stehen vor dem Schema"));
            if (sawData)
                return fail(QStringLiteral("die Datei hat zwei Datenteile"));
            sawData = true;
            if (!readData())
                return false;
        } else {
            m_xml.skipCurrentElement();
        }
    }
    if (!closed())
        return false;
    if (!sawSchema)
        return fail(QStringLiteral("das Schema fehlt"));
    if (!sawData)
        return fail(QStringLiteral("der Datenteil (rs:data) fehlt"));
    return true;
}

bool RowsetParser::readSchema()
{
    if (attributeValue(m_xml.attributes(), u"", u"id") != adoxml::schemaId)
        return fail(QStringLiteral("das Schema heißt nicht „RowsetSchema“"));
    bool sawRowType = false;
    std::vector<FieldDecl> decls;
    // Names of fields declared beside the row type (the older layout); resolved once all are read.
    QStringList references;
    QHash<QString, FieldDecl> declared;
    while (m_xml.readNextStartElement()) {
        if (isElement(schemaNs, u"ElementType") &&
            attributeValue(m_xml.attributes(), u"", u"name") == u"row") {
            if (sawRowType)
                return fail(QStringLiteral("die Zeile ist zweimal beschrieben"));
            sawRowType = true;
            if (!readRowType(decls, references))
                return false;
        } else if (isElement(schemaNs, u"AttributeType")) {
            FieldDecl decl;
            if (!readFieldDecl(decl))
                return false;
            const QString key = decl.xmlName;
            if (declared.contains(key))
                return fail(QStringLiteral("das Feld „%1“ ist zweimal beschrieben").arg(key));
            declared.insert(key, std::move(decl));
        } else {
            m_xml.skipCurrentElement();
        }
    }
    if (!closed())
        return false;
    if (!sawRowType)
        return fail(QStringLiteral("das Schema beschreibt keine Zeile"));
    for (int i = 0; i < static_cast<int>(decls.size()); ++i) {
        if (!references[i].isNull()) {
            const auto it = declared.constFind(references[i]);
            if (it == declared.cend())
                return fail(QStringLiteral("das Feld „%1“ ist nicht beschrieben").arg(references[i]));
            decls[i] = *it;
        }
    }
    return defineFields(std::move(decls));
}

bool RowsetParser::readRowType(std::vector<FieldDecl>& decls, QStringList& references)
{
    while (m_xml.readNextStartElement()) {
        if (isElement(schemaNs, u"AttributeType")) {
            decls.emplace_back();
            references.append(QString());
            if (!readFieldDecl(decls.back()))
                return false;
        } else if (isElement(schemaNs, u"attribute")) {
            const QString type = attributeValue(m_xml.attributes(), u"", u"type").toString();
            if (type.isEmpty())
                return fail(QStringLiteral("ein Feldverweis ohne Typ"));
            decls.emplace_back();
            references.append(type);
            m_xml.skipCurrentElement();
        } else {
            m_xml.skipCurrentElement();
        }
    }
    return closed();
}

bool RowsetParser::readFieldDecl(FieldDecl& decl)
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    decl.xmlName = attributeValue(attributes, u"", u"name").toString();
    if (decl.xmlName.isEmpty())
        return fail(QStringLiteral("ein Feld ohne Namen"));
    decl.realName = restoreValue(attributeValue(attributes, rowsetNs, u"name").toString());
    if (decl.realName.isEmpty())
        decl.realName = decl.xmlName;
    bool ok = false;
    const int number = attributeValue(attributes, rowsetNs, u"number").toInt(&ok);
    decl.number = ok && number > 0 ? number : -1;
    readTypeAttributes(attributes, decl.type);
    while (m_xml.readNextStartElement()) {
        if (isElement(schemaNs, u"datatype"))
            readTypeAttributes(m_xml.attributes(), decl.type);
        m_xml.skipCurrentElement();
    }
    return closed();
}

bool RowsetParser::defineFields(std::vector<FieldDecl> decls)
{
    if (decls.empty())
        return fail(QStringLiteral("das Schema beschreibt keine Felder"));
    if (std::all_of(decls.begin(), decls.end(), [](const FieldDecl& d) { return d.number > 0; })) {
        std::stable_sort(decls.begin(), decls.end(),
                         [](const FieldDecl& a, const FieldDecl& b) { return a.number < b.number; });
    }
    QSet<QString> realNames;
    for (const FieldDecl& decl : decls) {
        const QString folded = decl.realName.toCaseFolded();
        if (m_fieldByAttribute.contains(decl.xmlName) || realNames.contains(folded))
            return fail(QStringLiteral("das Feld „%1“ ist zweimal beschrieben").arg(decl.realName));
        realNames.insert(folded);
        m_fieldByAttribute.insert(decl.xmlName, static_cast<int>(m_data.fields.size()));
        m_attributeNames.append(decl.xmlName);
        m_data.fields.append(toFieldDef(decl));
    }
    return true;
}

bool RowsetParser::readData()
{
    while (m_xml.readNextStartElement()) {
        bool ok = true;
        if (isRow())
            ok = readRecord();
        else if (isElement(rowsetNs, u"insert"))
            ok = readInsert();
        else if (isElement(rowsetNs, u"update"))
            ok = readUpdate();
        else if (isElement(rowsetNs, u"delete"))
            ok = skipDeleted();
        else
            ok = unexpected();
        if (!ok)
            return false;
    }
    return closed();
}

// Deleted rows are no longer records; long values decoded for them are let go as they pass.
bool RowsetParser::skipDeleted()
{
    for (int depth = 1; depth > 0 && !m_xml.atEnd();) {
        m_xml.readNext();
        if (m_xml.isStartElement()) {
            ++depth;
            for (const QXmlStreamAttribute& a : m_xml.attributes())
                m_input.takeValue(a.value());
        } else if (m_xml.isEndElement()) {
            --depth;
        }
    }
    return closed();
}

bool RowsetParser::readInsert()
{
    while (m_xml.readNextStartElement()) {
        if (!isRow())
            return unexpected();
        if (!readRecord())
            return false;
    }
    return closed();
}

// Each changed row follows its original; fields it names replace the original's, rs:forcenull
// empties others.
bool RowsetParser::readUpdate()
{
    const int fieldCount = static_cast<int>(m_data.fields.size());
    std::deque<QVector<QVariant>> originals;
    while (m_xml.readNextStartElement()) {
        if (isElement(rowsetNs, u"original")) {
            while (m_xml.readNextStartElement()) {
                if (!isRow())
                    return unexpected();
                originals.emplace_back(fieldCount);
                if (!readRow(originals.back(), nullptr))
                    return false;
            }
            if (!closed())
                return false;
        } else if (isRow()) {
            if (originals.empty())
                return fail(QStringLiteral("eine geänderte Zeile ohne ursprüngliche Zeile"));
            QVector<QVariant> values = std::move(originals.front());
            originals.pop_front();
            QString forceNull;
            if (!readRow(values, &forceNull))
                return false;
            const QStringList names = forceNull.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (const QString& name : names) {
                const int f = fieldOf(name);
                if (f < 0)
                    return fail(
                        QStringLiteral("rs:forcenull nennt das nicht beschriebene Feld „%1“").arg(name));
                values[f] = QVariant();
            }
            m_data.rows.push_back(std::move(values));
        } else {
            return unexpected();
        }
    }
    if (!closed())
        return false;
    // An original without a changed row stands unchanged.
    for (QVector<QVariant>& values : originals)
        m_data.rows.push_back(std::move(values));
    return true;
}

bool RowsetParser::readRecord()
{
    QVector<QVariant> values(m_data.fields.size());
    if (!readRow(values, nullptr))
        return false;
    m_data.rows.push_back(std::move(values));
    return true;
}

bool RowsetParser::readRow(QVector<QVariant>& values, QString* forceNull)
{
    m_lastField = -1;
    const QXmlStreamAttributes attributes = m_xml.attributes();
    for (const QXmlStreamAttribute& a : attributes) {
        if (!a.namespaceUri().isEmpty()) {
            // rs:forcenull and the like describe the row; they are no fields.
            if (forceNull && a.namespaceUri() == rowsetNs && a.name() == u"forcenull")
                *forceNull = m_input.takeValue(a.value());
            continue;
        }
        const int f = fieldOf(a.name());
        if (f < 0)
            return fail(QStringLiteral("die Zeile nennt das nicht beschriebene Feld „%1“").arg(a.name()));
        values[f] = coerceValue(m_data.fields[f].type, QVariant(restoreValue(m_input.takeValue(a.value()))));
    }
    m_xml.skipCurrentElement();
    return closed();
}

int RowsetParser::fieldOf(QStringView attributeName)
{
    // Rows name their fields in schema order, so the one after the last match is the likely one.
    const int next = m_lastField + 1;
    if (next < m_attributeNames.size() && m_attributeNames[next] == attributeName)
        return m_lastField = next;
    const int f = m_fieldByAttribute.value(attributeName.toString(), -1);
    if (f >= 0)
        m_lastField = f;
    return f;
}

} // namespace

Expected<RowsetData> readRowsetXml(QIODevice& source, Breather* breather)
{
    RowsetParser parser(source, breather);
    return parser.parse();
}

Expected<RowsetData> readRowsetXml(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readRowsetXml(buffer);
}

} // namespace tw::platform
