#include "Journalansicht.h"

#include "journal/DatenBanken.h"
#include "platform/FieldDef.h"
#include "platform/FileOps.h"

#include <QDir>

namespace tw::journal {

namespace {

const QString kopf = QStringLiteral("<html><body><table border=1><tr><td>");
const QString zelle = QStringLiteral("</td><td>");
const QString zeile = QStringLiteral("</td></tr><tr><td>");
const QString ende = QStringLiteral("</td></tr></table></body></html>");

} // namespace

QString htmlMaskiert(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QStringList seitenZeilen(const std::optional<Sitzungssatz>& satz)
{
    QStringList zeilen{kopf};
    if (satz) {
        const QStringList p = platform::valueText(satz->Ergebnisstring).split(Trennzeichen);
        // A value the text lacks (a damaged list) shows as an empty cell.
        const auto teil = [&p](qsizetype i) { return i < p.size() ? htmlMaskiert(p[i]) : QString(); };
        zeilen.append(zelle + teil(0) + zelle + teil(1) + zelle + teil(3) + zelle +
                      htmlMaskiert(platform::valueText(satz->Programmstart)) + zelle +
                      htmlMaskiert(platform::valueText(satz->Sitzung)) + zeile);
        for (qsizetype i = 4; i <= p.size() - 2; i += 4)
            zeilen.append(zelle + teil(i) + zelle + teil(i + 1) + zelle + teil(i + 3) + zeile);
    }
    zeilen.append(ende);
    return zeilen;
}

QByteArray seitenText(const QStringList& zeilen)
{
    QByteArray text("\xEF\xBB\xBF");
    for (const QString& z : zeilen) {
        text += z.toUtf8();
        text += "\r\n";
    }
    return text;
}

platform::Expected<QString> Anzeigen(const QString& programmordner, const std::optional<Sitzungssatz>& satz,
                                     platform::AtomicFileWriter& writer)
{
    const QDir ordner(programmordner);
    const QString lesen = ordner.filePath(QStringLiteral("Lesen.xml"));
    const QString seite = ordner.filePath(QStringLiteral("versionen.html"));
    // Nothing reads this file any more: a copy that will not go is harmless.
    if (platform::fileExists(lesen))
        static_cast<void>(platform::deleteFile(lesen));
    if (satz && platform::valueText(satz->Ergebnisstring).isEmpty())
        return platform::Result::failure(QStringLiteral("Diese Sitzung enthält keine Aktionen."));
    if (platform::Result geschrieben = writer.replace(seite, seitenText(seitenZeilen(satz))); !geschrieben)
        return platform::Result::failure(geschrieben.code(),
                                         QStringLiteral("Die Seite „versionen.html“ konnte nicht geschrieben "
                                                        "werden: %1")
                                             .arg(geschrieben.message()));
    return seite;
}

} // namespace tw::journal
