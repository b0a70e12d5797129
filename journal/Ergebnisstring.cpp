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

bool Aktionsleser::naechste(Aktionseintrag& a)
{
    if (m_kaputt || m_von >= m_text.size())
        return false;
    for (QString* teil : {&a.AlterPfad, &a.NeuerPfad, &a.Zeit, &a.Aktion}) {
        const qsizetype bis = m_text.indexOf(Trennzeichen, m_von);
        if (bis < 0) {
            m_kaputt = true;
            return false;
        }
        *teil = m_text.mid(m_von, bis - m_von);
        m_von = bis + 1;
    }
    m_kaputt = !istAktionstext(a.Aktion);
    return !m_kaputt;
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
