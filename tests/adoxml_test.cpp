#include "platform/AdoXml.h"
#include "support/QtPrinters.h"

#include <QStringEncoder>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <random>

using namespace tw::platform;

namespace {

// Fields as "name type size", joined by '|'.
QString describe(const QVector<FieldDef>& fields)
{
    QStringList out;
    for (const FieldDef& f : fields)
        out << u8("%1 %2 %3").arg(f.name).arg(f.type).arg(f.definedSize);
    return out.join(QLatin1Char('|'));
}

// Records as text: values joined by '|', a line per record, NULL shown as "-".
QString texts(const RowsetData& data)
{
    QString out;
    for (const QVector<QVariant>& row : data.rows) {
        QStringList values;
        for (const QVariant& v : row)
            values << (v.isValid() ? valueText(v) : u8("-"));
        out += values.join(QLatin1Char('|')) + QLatin1Char('\n');
    }
    return out;
}

QVector<FieldDef> journalFields()
{
    return {{u8("Programmstart"), adType::VarChar, 100},
            {u8("Sitzung"), adType::VarChar, 100},
            {u8("Aktionsstring"), adType::VarChar, -1},
            {u8("Ergebnisstring"), adType::VarChar, -1},
            {u8("Zeit"), adType::VarChar, 100}};
}

// A file laid out as ADO lays it out, around the given row type and data section.
QByteArray rowsetFile(const QByteArray& rowType, const QByteArray& data)
{
    return "<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882'\r\n"
           "\txmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882'\r\n"
           "\txmlns:rs='urn:schemas-microsoft-com:rowset'\r\n\txmlns:z='#RowsetSchema'>\r\n"
           "<s:Schema id='RowsetSchema'>\r\n" +
           rowType + "</s:Schema>\r\n" + data + "</xml>\r\n";
}

// The fields Pfad, Nr and Notiz, declared as ADO declares them.
QByteArray adoFile(const QByteArray& data)
{
    return rowsetFile(R"(	<s:ElementType name='row' content='eltOnly' rs:updatable='true'>
		<s:AttributeType name='Pfad' rs:number='1' rs:nullable='true' rs:write='true'>
			<s:datatype dt:type='string' rs:dbtype='str' dt:maxLength='4294967295' rs:long='true'/>
		</s:AttributeType>
		<s:AttributeType name='Nr' rs:number='2' rs:nullable='true' rs:write='true'>
			<s:datatype dt:type='string' rs:dbtype='str' dt:maxLength='10'/>
		</s:AttributeType>
		<s:AttributeType name='Notiz' rs:number='3' rs:nullable='true' rs:write='true'>
			<s:datatype dt:type='string' dt:maxLength='50'/>
		</s:AttributeType>
		<s:extends type='rs:rowbase'/>
	</s:ElementType>
)",
                      data);
}

const char* const kUpdateData = R"(<rs:data>
	<rs:update>
		<rs:original><z:row Pfad='alt' Nr='1' Notiz='n'/></rs:original>
		<z:row Pfad='neu' rs:forcenull='Notiz'/>
		<rs:original><z:row Pfad='zwei' Nr='2'/></rs:original>
		<z:row Nr='22'/>
	</rs:update>
	<rs:insert><z:row Pfad='drei' Nr='3'/></rs:insert>
	<rs:delete><z:row Pfad='weg' Nr='9'/></rs:delete>
</rs:data>
)";

} // namespace

// The journal's own round trip carries a value of 10 MB; here the characters XML cannot hold as they are,
// in a short value and in a long one.
TEST(AdoXmlRoundTrip, JournalValuesComeBackExactlyFromAWellFormedFile)
{
    const QChar s(0xFDD0); // the writer's stand-in, and its neighbours
    const QString tricky = u8("' \" & < > \t|CR\r|LF\n|CRLF\r\n|¢©® äöüß ÄÖÜ|") + QChar(0x01) + QChar(0x1F) +
                           s + s + QChar(0xFDD1) + QChar(0xFFFF) + s + QChar(0x02) + s + u8("x") +
                           QChar(0xFFFE) + s;
    const RowsetData data{journalFields(),
                          {{u8("1"), u8("1"), tricky, u8(""), u8("05.12.2026 14:03:11")},
                           {u8("1"), u8("2"), QVariant(), tricky.repeated(40), QVariant()}}};
    const QByteArray xml = writeRowsetXml(data);

    QXmlStreamReader plain(xml); // any reader, without our reader's allowances
    while (!plain.atEnd())
        plain.readNext();
    EXPECT_FALSE(plain.hasError()) << plain.errorString().toStdString();
    EXPECT_TRUE(xml.contains((s + u8("x")).toUtf8()))
        << "a stand-in before an ordinary character stays as it is";

    const Expected<RowsetData> back = readRowsetXml(xml);
    ASSERT_TRUE(back.ok()) << back.error().message().toStdString();
    EXPECT_EQ(describe(back->fields), describe(data.fields));
    EXPECT_TRUE(back->rows == data.rows); // QVariant() and empty text differ here
}

// The journal's two kinds of field, as ADO declares them; the catalogue's other types are never saved.
TEST(AdoXmlWriter, WritesTheLayoutAdoExpects)
{
    const RowsetData data{
        {{u8("Text"), adType::VarChar, 10}, {u8("Memo"), adType::VarChar, -1}},
        {{u8("a'b\"c&d<e>f\tg\rh\ni"), u8("")}, {QString(u8("ä©\x01") + QChar(0) + u8("z")), QVariant()}}};
    const QByteArray field =
        " rs:nullable='true' rs:write='true'>\r\n\t\t\t<s:datatype dt:type='string' rs:dbtype='str'";
    const QByteArray expected = rowsetFile(
        "\t<s:ElementType name='row' content='eltOnly' rs:updatable='true'>\r\n"
        "\t\t<s:AttributeType name='Text' rs:number='1'" +
            field +
            " dt:maxLength='10' rs:precision='0' rs:maybenull='false'/>\r\n\t\t</s:AttributeType>\r\n"
            "\t\t<s:AttributeType name='Memo' rs:number='2'" +
            field +
            " dt:maxLength='4294967295' rs:precision='0' rs:long='true' rs:maybenull='false'/>\r\n"
            "\t\t</s:AttributeType>\r\n\t\t<s:extends type='rs:rowbase'/>\r\n\t</s:ElementType>\r\n",
        "<rs:data>\r\n"
        "\t<z:row Text='a&#x27;b&#x22;c&#x26;d&#x3c;e&#x3e;f&#x9;g&#xD;h&#xA;i' Memo=''/>\r\n"
        // U+0001 as the stand-in pair U+FDD0 U+FDD1; U+0000 has no form in XML; NULL is left out
        "\t<z:row Text='\xC3\xA4\xC2\xA9\xEF\xB7\x90\xEF\xB7\x91z'/>\r\n"
        "</rs:data>\r\n");
    EXPECT_EQ(writeRowsetXml(data).toStdString(), expected.toStdString());
}

TEST(AdoXmlReader, TheRecordsAdoWouldShow)
{
    const struct
    {
        const char* name;
        QByteArray xml;
        const char* records;
        const char* fields = "Pfad 200 -1|Nr 200 10|Notiz 202 50";
    } cases[] = {
        {"plain rows",
         adoFile("<rs:data><z:row Pfad='C:\\a.txt' Nr='1'/><z:row Pfad='' Notiz='x'/></rs:data>"),
         "C:\\a.txt|1|-\n|-|x\n"},
        {"pending inserts are records",
         adoFile("<rs:data><z:row Nr='1'/><rs:insert><z:row Nr='2'/><z:row Nr='3'/></rs:insert></rs:data>"),
         "-|1|-\n-|2|-\n-|3|-\n"},
        {"updates lay changes over the original and deleted rows are gone", adoFile(kUpdateData),
         "neu|1|-\nzwei|22|-\ndrei|3|-\n"},
        {"entities and references",
         adoFile("<rs:data><z:row Pfad='&apos;&quot;&amp;&lt;&gt;&#65;&#x42;' Notiz=\"it's\"/></rs:data>"),
         "'\"&<>AB|-|it's\n"},
        {"raw whitespace and control characters are kept",
         adoFile("<rs:data>\r\n\t<z:row Pfad='a\tb\r\nc\nd\re \x01\x1f' Nr=\"\t\"/>\r\n</rs:data>"),
         "a\tb\r\nc\nd\re \x01\x1f|\t|-\n"},
        {"older layout with fields beside the row type",
         rowsetFile(R"(<s:AttributeType name='Nr' dt:type='string' rs:dbtype='str' dt:maxLength='10'/>
<s:ElementType name='row' content='eltOnly'>
  <s:attribute type='Pfad'/><s:attribute type='Nr'/><s:attribute type='Notiz'/>
</s:ElementType>
<s:AttributeType name='Notiz'><s:datatype dt:type='string' dt:maxLength='50'/></s:AttributeType>
<s:AttributeType name='Pfad'><s:datatype dt:type='string' rs:dbtype='str' rs:long='true'/></s:AttributeType>
)",
                    "<rs:data><z:row Nr='7' Pfad='p'/></rs:data>"),
         "p|7|-\n"},
        {"aliases with real names in field number order",
         rowsetFile(R"(<s:ElementType name='row' content='eltOnly'>
  <s:AttributeType name='c1' rs:name='1. Nr' rs:number='2'><s:datatype dt:type='string' dt:maxLength='5'/></s:AttributeType>
  <s:AttributeType name='c0' rs:name='Alter Pfad' rs:number='1'><s:datatype dt:type='string'/></s:AttributeType>
</s:ElementType>
)",
                    "<rs:data><z:row c0='a' c1='1'/><z:row c1='2'/></rs:data>"),
         "a|1\n-|2\n", "Alter Pfad 202 -1|1. Nr 202 5"},
    };
    for (const auto& c : cases) {
        const Expected<RowsetData> data = readRowsetXml(c.xml);
        ASSERT_TRUE(data.ok()) << c.name << ": " << data.error().message().toStdString();
        EXPECT_EQ(describe(data->fields), u8(c.fields)) << c.name;
        EXPECT_EQ(texts(*data), u8(c.records)) << c.name;
    }
}

// A row's long values are decoded beside the parser; whatever a short one gives, or its refusal, a long
// one gives too.
TEST(AdoXmlReader, LongValuesReadAsShortOnes)
{
    const QByteArray pad(1500, 'x');
    const char* const fragments[] = {
        "&apos;&quot;&amp;&lt;&gt;&#65;&#x42;&#x00e4;&#128512;", "a\tb\r\nc\x01\x1f",
        "\xEF\xBF\xBE\xEF\xBF\xBF", "\xEF\xB7\x90\xEF\xBF\xBE\xEF\xB7\x90\x02",
        "\xEF\xB7\x90\xEF\xB7\x91 \xEF\xA3\xBF ä😀 ]]> >", "\"", "&#x9;&#xD;&#xA;&#xFDD0;&#xFDD1;",
        "\xEF\xBB\xBF&#xFEFF;&#65279;\xEF\xB7\x90\xEF\xBB\xBF\x05", // U+FEFF is no byte order mark here
        // refused
        "a<b", "&#X41;", "&#xD800;", "&#xFFFE;", "&#1;", "&#;", "&#x;", "&unbekannt;", "&amp", "\xC3",
        "\xED\xA0\x80", "\xF4\x90\x80\x80"};
    for (const char* fragment : fragments) {
        const auto read = [&](const QByteArray& value) {
            return readRowsetXml(adoFile("<rs:data><z:row Pfad='" + value + "' Nr='1'/>\n</rs:data>"));
        };
        const Expected<RowsetData> kurz = read(fragment);
        for (const auto& [vor, nach] : {std::pair{pad, QByteArray()}, {QByteArray(), pad}, {pad, pad}}) {
            const Expected<RowsetData> lang = read(vor + fragment + nach);
            ASSERT_EQ(lang.ok(), kurz.ok()) << fragment;
            if (kurz.ok()) {
                EXPECT_EQ(lang->rows[0][0].toString(),
                          QString::fromLatin1(vor) + kurz->rows[0][0].toString() + QString::fromLatin1(nach))
                    << fragment;
            }
        }
    }
    // The parser compares namespaces and reads the declared encoding, also where it comes late.
    const QByteArray uri(1100, 'u');
    EXPECT_FALSE(readRowsetXml(adoFile("<rs:data><z:row xmlns:a='" + uri + "' xmlns:b='" + uri +
                                       "' a:x='1' b:x='2' Pfad='p'/></rs:data>"))
                     .ok());
    const Expected<RowsetData> latin1 =
        readRowsetXml("<?xml version='1.0'" + QByteArray(70000, ' ') + " encoding='ISO-8859-1'?>" +
                      adoFile("<rs:data><z:row Pfad='" + pad + "\xC3\xA4'/></rs:data>"));
    ASSERT_TRUE(latin1.ok()) << latin1.error().message().toStdString();
    EXPECT_EQ(latin1->rows[0][0].toString(), QString::fromLatin1(pad + "\xC3\xA4"));
}

// Files of several reading chunks, so that characters, raw values and pairs of UTF-16 lie across the
// chunk borders somewhere.
TEST(AdoXmlReader, ReadsLargeFilesInEveryEncodingATextStreamOrDeclarationMayUse)
{
    const auto file = [](bool unicode) {
        QString rows, expected;
        for (int i = 0; i < 4000; ++i) {
            const QString value = u8("Grüße ©\t\x01 ") + (unicode ? u8("😀") : QString()) + QString::number(i);
            rows += u8("<z:row Pfad='") + value + u8("' Nr='1'/>\r\n");
            expected += value + u8("|1|-\n");
        }
        return std::pair{QString::fromUtf8(adoFile("<rs:data>@</rs:data>")).replace(u8("@"), rows), expected};
    };
    const std::vector<std::tuple<const char*, const char*, QByteArray, const char*>> encodings = {
        // name, encoding, what comes before the text, its declaration
        {"UTF-8 with mark", "UTF-8", "\xEF\xBB\xBF", ""},
        {"UTF-16BE with mark", "UTF-16BE", "\xFE\xFF", "<?xml version='1.0' encoding='UTF-16'?>"},
        {"UTF-16LE without mark", "UTF-16LE", "", "<?xml version='1.0' encoding='UTF-16'?>"},
        {"declared ISO-8859-1", "ISO-8859-1", "", "<?xml version='1.0' encoding='ISO-8859-1'?>"},
    };
    for (const auto& [name, encoding, mark, declaration] : encodings) {
        const bool unicode = QByteArray(encoding).startsWith("UTF");
        const auto [text, expected] = file(unicode);
        QStringEncoder encoder(encoding);
        const Expected<RowsetData> data =
            readRowsetXml(mark + QByteArray(encoder.encode(QString::fromLatin1(declaration) + text)));
        ASSERT_TRUE(data.ok()) << name << ": " << data.error().message().toStdString();
        EXPECT_TRUE(texts(*data) == expected) << name;
    }
}

// Text that is no XML, another root and a document type are the unreadable journals' table.
TEST(AdoXmlReader, RefusesWhatIsNoRowset)
{
    const auto replaced = [](QByteArray t, const char* from, const char* to) { return t.replace(from, to); };
    const QByteArray valid = adoFile("<rs:data><z:row Pfad='a'/></rs:data>");
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"empty", ""},
        {"no schema", "<xml xmlns:rs='urn:schemas-microsoft-com:rowset'><rs:data/></xml>"},
        {"other schema id", replaced(valid, "id='RowsetSchema'", "id='Anders'")},
        {"no data section", adoFile("")},
        {"rows in another namespace", replaced(valid, "'#RowsetSchema'", "'#Anders'")},
        {"undeclared field", adoFile("<rs:data><z:row Pfad='a' Fremd='b'/></rs:data>")},
        {"raw less-than", adoFile("<rs:data><z:row Pfad='a<b'/></rs:data>")},
        {"change without original", adoFile("<rs:data><rs:update><z:row Pfad='x'/></rs:update></rs:data>")},
        {"forcenull of an undeclared field", replaced(adoFile(kUpdateData), "'Notiz'/>", "'Fremd'/>")},
        {"reference to an undeclared field",
         replaced(valid, "<s:extends", "<s:attribute type='X'/><s:extends")},
        {"field declared twice", replaced(valid, "name='Nr'", "name='Pfad'")},
        {"content after the end", valid + "<xml/>"},
        {"bytes that are no UTF-8", adoFile("<rs:data><z:row Pfad='a\xff\xc3'/></rs:data>")},
        {"unknown encoding", "<?xml version='1.0' encoding='x-unbekannt'?>" + valid},
        {"UTF-16 that ends inside a character", QByteArray("\xFF\xFE<\0x\0m\0l\0", 9)},
        {"UTF-16 with half of a pair", QByteArray("\xFF\xFE<\0x\0\x3D\xD8m\0l\0/\0>\0", 14)},
    };
    for (const auto& [name, xml] : cases) {
        const Expected<RowsetData> data = readRowsetXml(xml);
        ASSERT_FALSE(data.ok()) << name;
        EXPECT_TRUE(data.error().message().startsWith(u8("Die Datei ist keine gültige Datensatzdatei: ")))
            << name << ": " << data.error().message().toStdString();
    }
    const Expected<RowsetData> notUtf8 = readRowsetXml(cases[12].second);
    EXPECT_TRUE(notUtf8.error().message().endsWith(
        u8("sie enthält Bytes, die in der Kodierung UTF-8 kein Zeichen sind.")));
}

// Damaged real files reach deep into the reader. A cut one is refused or complete; otherwise any outcome
// but a crash will do.
TEST(AdoXmlReader, DamagedFilesAreRefusedOrCompleteAndNeverCrash)
{
    const QByteArray ado = adoFile(kUpdateData);
    for (const QByteArray& full :
         {ado,
          writeRowsetXml({journalFields(),
                          {{u8("1"), u8("1"), u8("a\r\nb ©\x01").repeated(200), u8(""), QVariant()}}})}) {
        const Expected<RowsetData> whole = readRowsetXml(full);
        ASSERT_TRUE(whole.ok()) << whole.error().message().toStdString();
        for (qsizetype length = 0; length < full.size(); ++length) {
            const Expected<RowsetData> part = readRowsetXml(full.left(length));
            EXPECT_TRUE(!part.ok() || part->rows == whole->rows) << "prefix of " << length << " bytes";
        }
    }
    std::mt19937 random(4711);
    const auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char interesting[] = "<>/='\"&;: \r\n\t\x01zrs";
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes = ado;
        for (int n = 1 + below(4); n > 0; --n)
            bytes[below(static_cast<int>(bytes.size()))] = interesting[below(sizeof interesting - 1)];
        static_cast<void>(readRowsetXml(bytes));
    }
}
