#include "Ergebnisstring.h"

#include "journal/DatenBanken.h"

#include <QStringList>

namespace tw::journal {

bool istAktionstext(QStringView text)
{
    for (const char* aktion : {AktionUmbenannt, AktionKopiert, AktionVerschoben, AktionFehler}) {
        if (text == QLatin1String(aktion))
            return true;
    }
    return false;
}

bool Aktionsleser::naechste(QStringView (&teile)[4])
{
    if (m_kaputt || m_von >= m_text.size())
        return false;
    for (QStringView& teil : teile) {
        const qsizetype bis = m_text.indexOf(Trennzeichen, m_von);
        if (bis < 0) {
            m_kaputt = true;
            return false;
        }
        teil = QStringView(m_text).mid(m_von, bis - m_von);
        m_von = bis + 1;
    }
    m_kaputt = !istAktionstext(teile[3]);
    return !m_kaputt;
}

bool Aktionsleser::naechste(Aktionseintrag& a)
{
    QStringView teile[4];
    if (!naechste(teile))
        return false;
    a = {teile[0].toString(), teile[1].toString(), teile[2].toString(), teile[3].toString()};
    return true;
}

std::optional<QVector<Aktionseintrag>> aktionenLesen(const QString& ergebnisstring, platform::Breather* atem)
{
    QVector<Aktionseintrag> aktionen;
    aktionen.reserve(ergebnisstring.count(Trennzeichen) / 4);
    Aktionsleser leser(ergebnisstring);
    for (Aktionseintrag a; leser.naechste(a);) {
        aktionen.append(std::move(a));
        if (atem && aktionen.size() % 1024 == 0)
            atem->tick();
    }
    if (leser.kaputt())
        return std::nullopt;
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
