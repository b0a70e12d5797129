#include "AdoXml.h"
#include "AdoXmlNames.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <algorithm>
#include <climits>
#include <deque>

namespace tw::platform {

namespace {

using adoxml::rowNs;
using adoxml::rowsetNs;
using adoxml::schemaNs;

// Start of a two-character stand-in for a character the parser would refuse in an attribute value.
// U+FDD0 is a noncharacter: it never stands in text for its own sake, so doubling it is rare.
constexpr char16_t standIn = 0xFDD0;

QString decodeFile(const QByteArray& bytes)
{
    const auto byte = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const auto decode = [&bytes](QStringConverter::Encoding encoding, qsizetype skip) {
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        return QString(decoder.decode(QByteArrayView(bytes).sliced(skip)));
    };
    const qsizetype n = bytes.size();
    if (n >= 2 && byte(0) == 0xFF && byte(1) == 0xFE)
        return decode(QStringConverter::Utf16LE, 2);
    if (n >= 2 && byte(0) == 0xFE && byte(1) == 0xFF)
        return decode(QStringConverter::Utf16BE, 2);
    if (n >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
        return decode(QStringConverter::Utf8, 3);
    // Without a byte order mark UTF-16 still gives itself away by the zero byte beside the first '<'.
    if (n >= 2 && byte(0) == '<' && byte(1) == 0)
        return decode(QStringConverter::Utf16LE, 0);
    if (n >= 2 && byte(0) == 0 && byte(1) == '<')
        return decode(QStringConverter::Utf16BE, 0);
    return decode(QStringConverter::Utf8, 0);
}

// What replaces a character inside an attribute value before parsing; empty where it stays.
// ADO writes tab, CR, LF and the other control characters raw: references keep the whitespace from
// being normalised to blanks, and stand-in pairs carry the characters XML does not allow at all.
QStringView protectedForm(char16_t c, char16_t (&pair)[2])
{
    switch (c) {
    case u'\t':
        return u"&#x9;";
    case u'\r':
        return u"&#xD;";
    case u'\n':
        return u"&#xA;";
    case 0xFFFE:
    case 0xFFFF:
        pair[0] = standIn;
        pair[1] = static_cast<char16_t>(c - 0x0200); // U+FDFE, U+FDFF
        return QStringView(pair, 2);
    default:
        break;
    }
    if ((c >= 0x01 && c < 0x20) || c == standIn) {
        pair[0] = standIn;
        pair[1] = c == standIn ? standIn : static_cast<char16_t>(standIn + c);
        return QStringView(pair, 2);
    }
    return {};
}

bool startsAt(QStringView text, qsizetype i, QStringView what)
{
    return text.sliced(i).startsWith(what);
}

// One pass over the markup that rewrites raw characters inside attribute values (and nowhere else)
// to a form the parser keeps; restoreValue undoes the stand-ins after parsing.
QString protectAttributeValues(QStringView text)
{
    enum class State
    {
        Content,
        Tag,
        Value,
        Comment,
        CData,
        Instruction,
    };
    QString out;
    out.reserve(text.size() + text.size() / 32 + 16);
    State state = State::Content;
    char16_t quote = 0;
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        switch (state) {
        case State::Content:
            if (c != u'<')
                break;
            if (startsAt(text, i, u"<!--")) {
                state = State::Comment;
                i += 3;
            } else if (startsAt(text, i, u"<![CDATA[")) {
                state = State::CData;
                i += 8;
            } else if (startsAt(text, i, u"<?")) {
                state = State::Instruction;
                i += 1;
            } else {
                state = State::Tag;
            }
            break;
        case State::Tag:
            if (c == u'\'' || c == u'"') {
                quote = c;
                state = State::Value;
            } else if (c == u'>') {
                state = State::Content;
            }
            break;
        case State::Value: {
            if (c == quote) {
                state = State::Tag;
                break;
            }
            char16_t pair[2];
            const QStringView replacement = protectedForm(c, pair);
            if (replacement.isEmpty())
                break;
            out.append(text.sliced(run, i - run));
            out.append(replacement);
            run = i + 1;
            break;
        }
        case State::Comment:
            if (c == u'-' && startsAt(text, i, u"-->")) {
                state = State::Content;
                i += 2;
            }
            break;
        case State::CData:
            if (c == u']' && startsAt(text, i, u"]]>")) {
                state = State::Content;
                i += 2;
            }
            break;
        case State::Instruction:
            if (c == u'?' && startsAt(text, i, u"?>")) {
                state = State::Content;
                i += 1;
            }
            break;
        }
    }
    out.append(text.sliced(run));
    return out;
}

QString restoreValue(QStringView value)
{
    if (!value.contains(QChar(standIn)))
        return value.toString();
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        if (c != standIn || i + 1 == value.size()) {
            out.append(QChar(c));
            continue;
        }
        const char16_t next = value[i + 1].unicode();
        if (next == standIn)
            out.append(QChar(standIn));
        else if (next > standIn && next < standIn + 0x20)
            out.append(QChar(static_cast<char16_t>(next - standIn)));
        else if (next == 0xFDFE || next == 0xFDFF)
            out.append(QChar(static_cast<char16_t>(next + 0x0200)));
        else {
            // A lone U+FDD0 from a character reference: keep it and read on from the next character.
            out.append(QChar(c));
            continue;
        }
        ++i;
    }
    return out;
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
    explicit RowsetParser(const QString& text) : m_xml(text) {}

    Expected<RowsetData> parse();

private:
    bool readDocument();
    bool readRoot();
    bool readSchema();
    bool readRowType(std::vector<FieldDecl>& decls, QStringList& references);
    bool readFieldDecl(FieldDecl& decl);
    bool defineFields(std::vector<FieldDecl> decls);
    bool readData();
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
    if (m_xml.hasError()) {
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
    decl.realName = restoreValue(attributeValue(attributes, rowsetNs, u"name"));
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
            m_xml.skipCurrentElement(); // deleted rows are no longer records
        else
            ok = unexpected();
        if (!ok)
            return false;
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
                *forceNull = a.value().toString();
            continue;
        }
        const int f = fieldOf(a.name());
        if (f < 0)
            return fail(QStringLiteral("die Zeile nennt das nicht beschriebene Feld „%1“").arg(a.name()));
        values[f] = coerceValue(m_data.fields[f].type, QVariant(restoreValue(a.value())));
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

Expected<RowsetData> readRowsetXml(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return Result::failure(QStringLiteral("Die Datei ist keine gültige Datensatzdatei: sie ist leer."));
    RowsetParser parser(protectAttributeValues(decodeFile(bytes)));
    return parser.parse();
}

} // namespace tw::platform
