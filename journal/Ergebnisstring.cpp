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

std::optional<QVector<Aktionseintrag>> aktionenLesen(const QString& ergebnisstring, platform::Breather* atem)
{
    // Record by record, not through a list of all pieces, which for a large session would be a second
    // copy of its text held at once with the first.
    QVector<Aktionseintrag> aktionen;
    aktionen.reserve(ergebnisstring.count(Trennzeichen) / 4);
    for (qsizetype von = 0; von < ergebnisstring.size();) {
        QString teile[4];
        for (QString& teil : teile) {
            const qsizetype bis = ergebnisstring.indexOf(Trennzeichen, von);
            if (bis < 0)
                return std::nullopt;
            teil = ergebnisstring.mid(von, bis - von);
            von = bis + 1;
        }
        if (!istAktionstext(teile[3]))
            return std::nullopt;
        aktionen.append({std::move(teile[0]), std::move(teile[1]), std::move(teile[2]), std::move(teile[3])});
        if (atem && aktionen.size() % 1024 == 0)
            atem->tick();
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
