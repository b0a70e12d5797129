#include "Sitzungsauswahl.h"

#include "platform/Beside.h"
#include "platform/Breather.h"
#include "platform/FieldDef.h"
#include "platform/RecordSet.h"

#include <QSet>

namespace tw::journal {

namespace {

struct Feld
{
    const char16_t* name;
    QVariant Sitzungssatz::*wert;
};

constexpr Feld felder[] = {
    {u"Programmstart", &Sitzungssatz::Programmstart},
    {u"Sitzung", &Sitzungssatz::Sitzung},
    {u"Aktionsstring", &Sitzungssatz::Aktionsstring},
    {u"Ergebnisstring", &Sitzungssatz::Ergebnisstring},
    {u"Zeit", &Sitzungssatz::Zeit},
};

bool istNull(const QVariant& v)
{
    return !v.isValid() || v.isNull();
}

QVariant wertLesen(const platform::RecordSet& rs, const char16_t* feld)
{
    const platform::Expected<QVariant> v = rs.value(QStringView(feld));
    return v ? *v : QVariant();
}

} // namespace

Sitzungssatz Sitzungssatz::lesen(const platform::RecordSet& rs)
{
    Sitzungssatz satz;
    for (const Feld& f : felder)
        satz.*f.wert = wertLesen(rs, f.name);
    return satz;
}

bool Sitzungssatz::gleich(const platform::RecordSet& rs) const
{
    for (const Feld& f : felder) {
        const QVariant& mein = this->*f.wert;
        const QVariant dort = wertLesen(rs, f.name);
        if (istNull(mein) != istNull(dort) || platform::valueText(mein) != platform::valueText(dort))
            return false;
    }
    return true;
}

platform::Result journalOeffnen(const QString& pfad, platform::RecordSet& rs, platform::Breather* atem)
{
    if (platform::Result geoeffnet = rs.Open(pfad, atem); !geoeffnet)
        return geoeffnet;
    for (const Feld& f : felder) {
        if (rs.fieldIndex(QStringView(f.name)) < 0)
            return platform::Result::failure(QStringLiteral("Das Feld „%1“ fehlt.").arg(QStringView(f.name)));
    }
    if (platform::Result erster = rs.MoveFirst(); !erster)
        return erster;
    bool zahl = false;
    const double start = rs.text(u"Programmstart").trimmed().toDouble(&zahl);
    if (!zahl || start == 0)
        return platform::Result::failure(QStringLiteral("Der erste Datensatz hat keinen Programmstart."));
    return platform::Result::success();
}

platform::Result journalOeffnenNebenher(const QString& pfad, platform::RecordSet& rs,
                                        const std::function<void()>& zwischendurch)
{
    return platform::runBeside([&] { return journalOeffnen(pfad, rs); },
                               [&] {
                                   platform::Breather atem(zwischendurch);
                                   return journalOeffnen(pfad, rs, &atem);
                               },
                               zwischendurch);
}

QStringList Programmstarts(platform::RecordSet& rs)
{
    QStringList liste;
    QSet<QString> gesehen;
    for (rs.toFirst(); !rs.Eof(); rs.toNext()) {
        const QString start = rs.text(u"Programmstart");
        if (!gesehen.contains(start)) {
            gesehen.insert(start);
            liste.append(start);
        }
    }
    return liste;
}

QStringList Sitzungen(platform::RecordSet& rs)
{
    QStringList liste;
    std::optional<QString> letzte;
    for (rs.toFirst(); !rs.Eof(); rs.toNext()) {
        const QString sitzung = rs.text(u"Sitzung");
        if (!letzte || *letzte != sitzung) {
            liste.append(sitzung);
            letzte = sitzung;
        }
    }
    return liste;
}

std::optional<QString> auswahlFilter(const QString& programmstart, const std::optional<QString>& sitzung)
{
    if (programmstart.contains(u'\'') || (sitzung && sitzung->contains(u'\'')))
        return std::nullopt;
    QString filter = QStringLiteral("Programmstart= '") + programmstart + u'\'';
    if (sitzung)
        filter += QStringLiteral(" and Sitzung= '") + *sitzung + u'\'';
    return filter;
}

} // namespace tw::journal
