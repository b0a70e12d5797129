#include "AdoXml.h"
#include "AdoXmlNames.h"

#include <QSet>
#include <QStringEncoder>
#include <QStringList>
#include <algorithm>

namespace tw::platform {

namespace {

bool isNameStartChar(char32_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || (c >= 0xC0 && c <= 0xD6) ||
           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
           (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(char32_t c)
{
    return isNameStartChar(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// A name that can stand as a row attribute: an XML name without a colon (that would be a prefix)
// and not the namespace declaration keyword.
bool isAttributeName(QStringView name)
{
    if (name.isEmpty() || name == u"xmlns")
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i], name[i + 1]);
            ++i;
        }
        if (i == 0 ? !isNameStartChar(c) : !isNameChar(c))
            return false;
    }
    return true;
}

// Names the rows use: the field's own name where it is a valid attribute name, otherwise the alias
// c<ordinal> as ADO makes it (made unique should another field already be called that).
QStringList attributeNames(const QVector<FieldDef>& fields)
{
    QSet<QString> taken;
    for (const FieldDef& f : fields) {
        if (isAttributeName(f.name))
            taken.insert(f.name);
    }
    QStringList names;
    names.reserve(fields.size());
    for (int i = 0; i < fields.size(); ++i) {
        if (isAttributeName(fields[i].name)) {
            names.append(fields[i].name);
            continue;
        }
        QString alias = QLatin1Char('c') + QString::number(i);
        while (taken.contains(alias))
            alias += QLatin1Char('_');
        taken.insert(alias);
        names.append(alias);
    }
    return names;
}

void appendUtf8(QByteArray& out, QStringView text)
{
    // In pieces: the encoder asks room for the worst case, three bytes per character, which for the
    // session record of 100,000 actions would be tens of megabytes more than the file needs. A piece
    // never ends between the two halves of a pair.
    constexpr qsizetype piece = qsizetype(1) << 16;
    QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    for (qsizetype from = 0; from < text.size();) {
        qsizetype length = std::min(piece, text.size() - from);
        if (from + length < text.size() && text[from + length - 1].isHighSurrogate())
            ++length;
        const qsizetype at = out.size();
        out.resize(at + utf8.requiredSpace(length));
        out.resize(utf8.appendToBuffer(out.data() + at, text.sliced(from, length)) - out.constData());
        from += length;
    }
}

// The first character the writer puts into the file for the character at i, or 0 when none.
char16_t firstWritten(QStringView text, qsizetype i)
{
    while (i < text.size() && text[i].unicode() == 0)
        ++i;
    if (i == text.size())
        return 0;
    const char16_t c = text[i].unicode();
    return adoxml::needsStandIn(c) ? adoxml::standIn : c;
}

// Appends text[from, to) with the characters that would end or alter an attribute value escaped the
// way ADO escapes them; tab, CR and LF as references so that no parser turns them into blanks; the
// characters XML cannot hold at all as stand-in pairs, which the reader maps back. What follows to
// still counts for the stand-ins, so a value escaped in slices reads as one escaped whole.
void appendEscaped(QString& out, QStringView text, qsizetype from, qsizetype to)
{
    qsizetype run = from;
    for (qsizetype i = from; i < to; ++i) {
        const char16_t c = text[i].unicode();
        QStringView escape;
        char16_t pair[2] = {adoxml::standIn, 0};
        switch (c) {
        case u'\'':
            escape = u"&#x27;";
            break;
        case u'"':
            escape = u"&#x22;";
            break;
        case u'&':
            escape = u"&#x26;";
            break;
        case u'<':
            escape = u"&#x3c;";
            break;
        case u'>':
            escape = u"&#x3e;";
            break;
        case u'\t':
            escape = u"&#x9;";
            break;
        case u'\r':
            escape = u"&#xD;";
            break;
        case u'\n':
            escape = u"&#xA;";
            break;
        case 0:
            break; // XML has no form at all for U+0000: the character is dropped
        default:
            if (adoxml::needsStandIn(c))
                pair[1] = adoxml::standInSecond(c);
            else if (c == adoxml::standIn && adoxml::isStandInSecond(firstWritten(text, i + 1)))
                pair[1] = adoxml::standIn;
            else
                continue;
            escape = QStringView(pair, 2);
            break;
        }
        out.append(text.sliced(run, i - run));
        out.append(escape);
        run = i + 1;
    }
    out.append(text.sliced(run, to - run));
}

void appendEscaped(QString& out, QStringView text)
{
    appendEscaped(out, text, 0, text.size());
}

// The file's text, made into UTF-8 a slice at a time and handed to the sink about a megabyte at a time.
class Pieces
{
public:
    Pieces(const std::function<Result(QByteArrayView)>& sink, Breather* breather)
        : m_sink(sink), m_breather(breather)
    {
        m_bytes.reserve(pieceBytes + slice * 3);
        m_text.reserve(slice * 2);
    }

    bool ok() const { return m_result.ok(); }
    void text(QStringView text)
    {
        m_text.append(text);
        drainWhenFull();
    }
    // A value of any length, escaped a slice at a time: its escaped copy is never whole.
    void escaped(QStringView value)
    {
        for (qsizetype from = 0; from < value.size() && ok();) {
            qsizetype length = std::min(slice, value.size() - from);
            if (from + length < value.size() && value[from + length - 1].isHighSurrogate())
                ++length;
            appendEscaped(m_text, value, from, from + length);
            drainWhenFull();
            from += length;
        }
    }
    Result finish()
    {
        drain();
        flush();
        return m_result;
    }

private:
    static constexpr qsizetype pieceBytes = qsizetype(1) << 20;
    static constexpr qsizetype slice = qsizetype(1) << 16;

    void drainWhenFull()
    {
        if (m_text.size() >= slice)
            drain();
    }
    void drain()
    {
        appendUtf8(m_bytes, m_text);
        m_text.resize(0);
        if (m_bytes.size() >= pieceBytes)
            flush();
    }
    void flush()
    {
        if (m_result && !m_bytes.isEmpty())
            m_result = m_sink(m_bytes);
        m_bytes.resize(0);
        if (m_breather)
            m_breather->tick();
    }

    const std::function<Result(QByteArrayView)>& m_sink;
    Breather* m_breather;
    QString m_text;
    QByteArray m_bytes;
    Result m_result;
};

void appendStringType(QString& out, bool ansi, int definedSize, bool isLong)
{
    out.append(u"dt:type='string'");
    if (ansi)
        out.append(u" rs:dbtype='str'");
    if (definedSize < 0) {
        out.append(u" dt:maxLength='" % adoxml::unlimitedLength % u"' rs:precision='0' rs:long='true'");
    } else {
        out.append(u" dt:maxLength='" % QString::number(definedSize) % u"' rs:precision='0'");
        if (isLong)
            out.append(u" rs:long='true'");
    }
}

// The attributes of a field's s:datatype as ADO writes them for a field appended in memory.
void appendDatatype(QString& out, const FieldDef& field)
{
    switch (field.type) {
    case adType::VarWChar:
    case adType::LongVarWChar:
        appendStringType(out, false, field.definedSize, field.type == adType::LongVarWChar);
        break;
    case adType::Integer:
        out.append(u"dt:type='int' dt:maxLength='4' rs:precision='0' rs:fixedlength='true'");
        break;
    case adType::Double:
        out.append(u"dt:type='float' dt:maxLength='8' rs:precision='0' rs:fixedlength='true'");
        break;
    case adType::Date:
        out.append(u"dt:type='dateTime' dt:maxLength='16' rs:precision='0' rs:fixedlength='true'");
        break;
    case adType::Boolean:
        out.append(u"dt:type='boolean' dt:maxLength='2' rs:precision='0' rs:fixedlength='true'");
        break;
    case adType::BigInt:
        out.append(u"dt:type='i8' dt:maxLength='8' rs:precision='0' rs:fixedlength='true'");
        break;
    case adType::Numeric:
        out.append(u"dt:type='number' rs:dbtype='numeric' dt:maxLength='19' rs:scale='0' rs:precision='0' "
                   u"rs:fixedlength='true'");
        break;
    case adType::DBTime:
        out.append(u"dt:type='time' dt:maxLength='6' rs:precision='0' rs:fixedlength='true'");
        break;
    case adType::DBTimeStamp:
        out.append(
            u"dt:type='dateTime' rs:dbtype='timestamp' dt:maxLength='16' rs:scale='0' rs:precision='0' "
            u"rs:fixedlength='true'");
        break;
    case adType::VarNumeric:
        out.append(u"dt:type='number' rs:dbtype='varnumeric'");
        if (field.definedSize > 0)
            out.append(u" dt:maxLength='" % QString::number(field.definedSize) % u"'");
        out.append(u" rs:scale='0' rs:precision='0'");
        break;
    default: // adVarChar, adLongVarChar, and anything else is kept as text
        appendStringType(out, true, field.definedSize, field.type == adType::LongVarChar);
        break;
    }
    out.append(u" rs:maybenull='false'");
}

} // namespace

Result writeRowsetXml(const RowsetData& data, const std::function<Result(QByteArrayView)>& sink,
                      Breather* breather)
{
    const QVector<FieldDef>& fields = data.fields;
    const QStringList names = attributeNames(fields);
    Pieces out(sink, breather);

    QString text;
    text.append(u"<xml xmlns:s='" % adoxml::schemaNs % u"'\r\n\txmlns:dt='" % adoxml::datatypeNs %
                u"'\r\n\txmlns:rs='" % adoxml::rowsetNs % u"'\r\n\txmlns:z='" % adoxml::rowNs % u"'>\r\n");
    text.append(u"<s:Schema id='" % adoxml::schemaId % u"'>\r\n");
    text.append(u"\t<s:ElementType name='row' content='eltOnly' rs:updatable='true'>\r\n");
    for (int i = 0; i < fields.size(); ++i) {
        text.append(u"\t\t<s:AttributeType name='");
        appendEscaped(text, names[i]);
        text.append(u"'");
        if (names[i] != fields[i].name) {
            text.append(u" rs:name='");
            appendEscaped(text, fields[i].name);
            text.append(u"'");
        }
        text.append(u" rs:number='" % QString::number(i + 1) % u"' rs:nullable='true' rs:write='true'>\r\n");
        text.append(u"\t\t\t<s:datatype ");
        appendDatatype(text, fields[i]);
        text.append(u"/>\r\n\t\t</s:AttributeType>\r\n");
    }
    text.append(u"\t\t<s:extends type='rs:rowbase'/>\r\n\t</s:ElementType>\r\n</s:Schema>\r\n<rs:data>\r\n");
    out.text(text);

    for (const QVector<QVariant>& row : data.rows) {
        if (!out.ok())
            break;
        out.text(u"\t<z:row");
        const int count = std::min(static_cast<int>(row.size()), static_cast<int>(fields.size()));
        for (int i = 0; i < count; ++i) {
            const QVariant& value = row[i];
            if (!value.isValid() || value.isNull())
                continue; // NULL: the attribute is left out
            out.text(u" ");
            out.text(names[i]);
            out.text(u"='");
            out.escaped(valueText(value));
            out.text(u"'");
        }
        out.text(u"/>\r\n");
    }
    out.text(u"</rs:data>\r\n</xml>\r\n");
    return out.finish();
}

QByteArray writeRowsetXml(const RowsetData& data)
{
    QByteArray file;
    static_cast<void>(writeRowsetXml(data, [&file](QByteArrayView piece) {
        file.append(piece);
        return Result::success();
    }));
    return file;
}

} // namespace tw::platform
