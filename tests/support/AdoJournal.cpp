#include "AdoJournal.h"

#include "journal/DatenBanken.h"
#include "platform/RecordSet.h"

#include <QFile>

namespace tw::test {

QByteArray adoJournalXml(const QList<QStringList>& rows)
{
    QString xml = QStringLiteral("<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882'\n"
                                 "\txmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882'\n"
                                 "\txmlns:rs='urn:schemas-microsoft-com:rowset'\n"
                                 "\txmlns:z='#RowsetSchema'>\n"
                                 "<s:Schema id='RowsetSchema'>\n"
                                 "\t<s:ElementType name='row' content='eltOnly' rs:updatable='true'>\n");
    const QStringList names = {QStringLiteral("Programmstart"), QStringLiteral("Sitzung"),
                               QStringLiteral("Aktionsstring"), QStringLiteral("Ergebnisstring"),
                               QStringLiteral("Zeit")};
    for (int i = 0; i < names.size(); ++i) {
        const bool unlimited = i == 2 || i == 3;
        xml += QStringLiteral(
                   "\t\t<s:AttributeType name='%1' rs:number='%2' rs:nullable='true' rs:write='true'>\n"
                   "\t\t\t<s:datatype dt:type='string' rs:dbtype='str' dt:maxLength='%3' "
                   "rs:precision='0'%4 rs:maybenull='false'/>\n"
                   "\t\t</s:AttributeType>\n")
                   .arg(names[i])
                   .arg(i + 1)
                   .arg(unlimited ? QStringLiteral("4294967295") : QStringLiteral("100"))
                   .arg(unlimited ? QStringLiteral(" rs:long='true'") : QString());
    }
    xml += QStringLiteral("\t\t<s:extends type='rs:rowbase'/>\n\t</s:ElementType>\n</s:Schema>\n"
                          "<rs:data>\n\t<rs:insert>\n");
    for (const QStringList& row : rows) {
        xml += QStringLiteral("\t\t<z:row");
        for (int i = 0; i < names.size() && i < row.size(); ++i) {
            QString value = row[i]; // ADO writes these as hexadecimal character references
            for (const auto& [c, ref] :
                 {std::pair{u'&', "&#x26;"}, std::pair{u'\'', "&#x27;"}, std::pair{u'"', "&#x22;"},
                  std::pair{u'<', "&#x3c;"}, std::pair{u'>', "&#x3e;"}})
                value.replace(c, QLatin1String(ref));
            xml += QStringLiteral(" %1='%2'").arg(names[i], value);
        }
        xml += QStringLiteral("/>\n");
    }
    xml += QStringLiteral("\t</rs:insert>\n</rs:data>\n</xml>\n");
    return xml.replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toUtf8();
}

QString ergebnis(const QList<QStringList>& aktionen)
{
    QString text;
    for (const QStringList& a : aktionen)
        for (const QString& wert : a)
            text += wert + journal::Trennzeichen;
    return text;
}

QList<QStringList> journalRecords(const QString& path)
{
    QList<QStringList> out;
    platform::RecordSet rs;
    if (!rs.Open(path))
        return out;
    for (rs.toFirst(); !rs.Eof(); rs.toNext())
        out.append({rs.text(u"Programmstart"), rs.text(u"Sitzung"), rs.text(u"Aktionsstring"),
                    rs.text(u"Ergebnisstring"), rs.text(u"Zeit")});
    return out;
}

platform::Result FailingWriter::commit(const QString& tempPath, const QString&)
{
    tempWritten = QFile(tempPath).size() > 0;
    return platform::Result::failure(EIO, QStringLiteral("Ein-/Ausgabefehler"));
}

} // namespace tw::test
