#include "Namensbauer.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace tw::rename {

namespace {

const QString bindestrich = QStringLiteral(" - ");

QString auffuellen(const QString& text, int breite)
{
    return text.size() >= breite ? text : QString(breite - text.size(), u'0') + text;
}

qint64 ganzzahl(const QString& text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    return ok ? v : 0;
}

} // namespace

QString zaehlerEinfuegen(const QString& muster, const QString& von, const QString& bis, bool nullenAuffuellen)
{
    const QString ende = bis.trimmed();
    const QString start =
        nullenAuffuellen ? auffuellen(von.trimmed(), static_cast<int>(ende.size())) : von.trimmed();
    return muster + ZaehlerMarke + start + bindestrich + ende + ZaehlerMarke;
}

QString nameEinfuegen(const QString& muster)
{
    return muster + NameMarke + QStringLiteral(" Urspungsdatei ") + NameMarke;
}

std::optional<qint64> zaehlerwert(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 12)
        return std::nullopt;
    for (QChar c : t) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const qint64 v = t.toLongLong();
    if (v > hoechsterZaehler)
        return std::nullopt;
    return v;
}

Feldpruefung zaehlerfeldVerlassen(int feld, const QString& von, const QString& bis, int listenAnzahl)
{
    Feldpruefung p{von, bis, {}, false, -1};
    QString& text = feld == 0 ? p.von : p.bis;
    if (!zaehlerwert(text)) {
        p.meldung = QStringLiteral("Sie müssen eine Zahl eingeben");
        text = QStringLiteral("0");
        p.fokus = feld;
        return p;
    }
    // Blanks around the number would end up in the pattern.
    text = text.trimmed();
    const qint64 start = zaehlerwert(p.von).value_or(0);
    // The end the field itself would still accept.
    const QString ende = QString::number(std::min(start + listenAnzahl, hoechsterZaehler));
    if (feld == 0) {
        p.bis = ende;
    } else if (*zaehlerwert(p.bis) < start) {
        p.meldung = QStringLiteral("Der Zählerbeginn muß kleiner sein als als das Zählerende!");
        p.fehlerSymbol = true;
        p.bis = ende;
        p.fokus = 1;
    }
    return p;
}

bool nurNamenszeichen(const QString& text)
{
    return !text.contains(u'/') && !text.contains(QChar(0));
}

bool text_check(const QString& text, const QString& vortext, QChar marke)
{
    if (!text.contains(marke))
        return true;
    const QStringList jetzt = text.split(marke);
    if (jetzt.size() % 2 == 0) // an odd number of markers
        return false;
    const QStringList vorher = vortext.split(marke);
    for (qsizetype k = 1; k < jetzt.size(); k += 2) {
        // A pair that had no counterpart before was not made by the buttons.
        if (k >= vorher.size() - 1 || jetzt[k] != vorher[k])
            return false;
    }
    return true;
}

void Zaehlwerk::Zaehler(const QString& muster)
{
    const QStringList teile = muster.split(ZaehlerMarke);
    for (qsizetype k = 1; k + 1 < teile.size(); k += 2) {
        const int trenner = teile[k].indexOf(bindestrich);
        if (trenner < 0)
            Zaehlerliste.append({teile[k], QString()});
        else
            Zaehlerliste.append({teile[k].left(trenner),
                                 teile[k].mid(trenner + bindestrich.size()).section(bindestrich, 0, 0)});
    }
    Zaehlerstand.clear();
    for (const Zaehlerangabe& z : std::as_const(Zaehlerliste))
        Zaehlerstand.append(z.start);
}

void Zaehlwerk::Umbenennen(int zaehlerbreite)
{
    for (qsizetype k = Zaehlerstand.size() - 1; k >= 0 && k < Zaehlerliste.size(); --k) {
        // A counter past the highest one (its end never met, or typed beyond it) wraps like one at its end.
        if (Zaehlerstand[k] == Zaehlerliste[k].ende || ganzzahl(Zaehlerstand[k]) >= hoechsterZaehler) {
            Zaehlerstand[k] = auffuellen(QString::number(ganzzahl(Zaehlerliste[k].start)), zaehlerbreite);
            continue;
        }
        Zaehlerstand[k] = auffuellen(QString::number(ganzzahl(Zaehlerstand[k]) + 1), zaehlerbreite);
        return;
    }
}

void Zaehlwerk::Collection_leeren()
{
    while (!Zaehlerliste.isEmpty())
        Zaehlerliste.removeFirst();
}

NeuerName Neuen_Pfad_erstellen(const QString& pfad, const QString& muster, const Zaehlwerk& zaehlwerk,
                               const QString& zielordner)
{
    const QChar trenner = QDir::separator();
    NeuerName n;
    n.alterPfad = pfad;
    const int schnitt = pfad.lastIndexOf(trenner);
    n.alterName = pfad.mid(schnitt + 1);
    n.alterOrdner = pfad.left(schnitt + 1);
    const int punkt = n.alterName.lastIndexOf(u'.');
    n.endung = punkt < 0 ? n.alterName : n.alterName.mid(punkt + 1);
    n.basisname = punkt < 0 ? n.alterName : n.alterName.left(punkt);

    // One pass per marker instead of split and join: the name is built once per file of a run.
    QString gezaehlt;
    gezaehlt.reserve(muster.size() + 16);
    qsizetype j = 0;
    bool innen = false;
    for (qsizetype von = 0; von <= muster.size();) {
        qsizetype bis = muster.indexOf(ZaehlerMarke, von);
        if (bis < 0)
            bis = muster.size();
        const QStringView teil = QStringView(muster).sliced(von, bis - von);
        if (innen && j < zaehlwerk.Zaehlerstand.size() && j < zaehlwerk.Zaehlerliste.size()) {
            const QString& stand = zaehlwerk.Zaehlerstand[j];
            const Zaehlerangabe& z = zaehlwerk.Zaehlerliste[j];
            const QString wert = QString::number(ganzzahl(stand));
            // Padded counters keep their zeros while their value is shorter than their start text.
            gezaehlt +=
                (z.start.size() == z.ende.size() && wert.size() != z.start.size()) ? stand.trimmed() : wert;
            ++j;
        } else {
            // A counter beyond those set up keeps its text.
            gezaehlt += teil;
        }
        innen = !innen;
        von = bis + 1;
    }
    n.neuerName.reserve(gezaehlt.size() + n.basisname.size() + n.endung.size() + 1);
    innen = false;
    for (qsizetype von = 0; von <= gezaehlt.size();) {
        qsizetype bis = gezaehlt.indexOf(NameMarke, von);
        if (bis < 0)
            bis = gezaehlt.size();
        if (innen)
            n.neuerName += n.basisname;
        else
            n.neuerName += QStringView(gezaehlt).sliced(von, bis - von);
        innen = !innen;
        von = bis + 1;
    }
    n.neuerName += u'.';
    n.neuerName += n.endung;

    n.neuerPfad = zielordner == Ursprungsfad ? QString(n.alterOrdner + n.neuerName)
                                             : QString(zielordner + trenner + n.neuerName);
    n.neuerOrdner = n.neuerPfad.left(n.neuerPfad.lastIndexOf(trenner) + 1);
    return n;
}

bool bleibtImOrdner(const NeuerName& n, const QString& zielordner)
{
    const QString ordner = zielordner == Ursprungsfad ? n.alterOrdner : zielordner + QDir::separator();
    return nurNamenszeichen(n.neuerName) && n.neuerName != QLatin1String(".") &&
           n.neuerName != QLatin1String("..") && n.neuerPfad == ordner + n.neuerName;
}

QString zielordnerFehler(const QString& ordner)
{
    const QFileInfo info(ordner);
    if (ordner.isEmpty() || (info.isDir() && info.isExecutable()))
        return {};
    return QStringLiteral("Der Ordner „%1“ kann nicht geöffnet werden; die Dateien behalten ihren Ordner.")
        .arg(QDir::toNativeSeparators(ordner));
}

} // namespace tw::rename
