#include "Ergebnisstring.h"

#include "journal/DatenBanken.h"

#include <QStringList>

namespace tw::journal {

bool istAktionstext(const QString& text)
{
    for (const char* aktion : {AktionUmbenannt, AktionKopiert, AktionVerschoben, AktionFehler}) {
        if (text == QLatin1String(aktion))
            return true;
    }
    return false;
}

std::optional<QVector<Aktionseintrag>> aktionenLesen(const QString& ergebnisstring)
{
    const QStringList teile = ergebnisstring.split(Trennzeichen);
    if (teile.size() % 4 != 1 || !teile.last().isEmpty())
        return std::nullopt;
    QVector<Aktionseintrag> aktionen;
    aktionen.reserve(teile.size() / 4);
    for (qsizetype i = 0; i + 3 < teile.size(); i += 4) {
        if (!istAktionstext(teile[i + 3]))
            return std::nullopt;
        aktionen.append({teile[i], teile[i + 1], teile[i + 2], teile[i + 3]});
    }
    return aktionen;
}

QString ergebnisstringBilden(const QVector<Aktionseintrag>& aktionen)
{
    QString text;
    for (const Aktionseintrag& a : aktionen) {
        for (const QString* wert : {&a.AlterPfad, &a.NeuerPfad, &a.Zeit, &a.Aktion}) {
            text += *wert;
            text += Trennzeichen;
        }
    }
    return text;
}

} // namespace tw::journal
