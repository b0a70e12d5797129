#include "KatalogLogik.h"

#include "platform/FieldDef.h"
#include "platform/FolderListing.h"

#include <QDir>

namespace tw::catalogue {

namespace adType = platform::adType;

namespace {

enum Feld
{
    FeldPfad = 0,
    FeldName = 1,
};

bool istOrdnerOderUnbekannt(const QString& typ)
{
    return typ == QLatin1StringView("Dateiordner") || typ == QLatin1StringView("Ordner") ||
           typ == QLatin1StringView("Datei");
}

} // namespace

QString Pfadfilter(const QString& pfad)
{
    const int erstes = pfad.indexOf(u'\'');
    if (erstes < 0)
        return QStringLiteral("Pfad Like '") + pfad + u'\'';
    const int zweites = pfad.indexOf(u'\'', erstes + 1);
    const QString a = pfad.left(erstes);
    const QString b = zweites < 0 ? pfad.mid(erstes + 1) : pfad.mid(erstes + 1, zweites - erstes - 1);
    return QStringLiteral("Pfad Like '*") + a + QStringLiteral("*' and Pfad like '*") + b +
           QStringLiteral("*'");
}

KatalogLogik::KatalogLogik(KatalogAnsicht& ansicht) : m_ansicht(ansicht)
{
    Katalog.Append(QStringLiteral("Pfad"), adType::VarWChar, 1000);
    Katalog.Append(QStringLiteral("Name"), adType::VarWChar, 100);
    Katalog.Append(QStringLiteral("Endung"), adType::VarWChar, 100);
    Katalog.Append(QStringLiteral("Anwendung"), adType::VarWChar, 100);
    Katalog.Append(QStringLiteral("ID"), adType::VarNumeric, 100);
    Katalog.Append(QStringLiteral("Time"), adType::DBTime, 20);
    Katalog.Open();
    Anzeigefeld = FeldPfad;
}

bool KatalogLogik::zeigtPfade() const
{
    return Anzeigefeld == FeldPfad;
}

void KatalogLogik::uebernehmen()
{
    // Window messages run during the loop: a second click waits for this one to end.
    if (m_uebernahmeLaeuft)
        return;
    m_uebernahmeLaeuft = true;
    m_uebernahmeAbbrechen = false;
    // A poll may replace Explorerauswahl while messages run; the take-over keeps what it started with.
    const platform::ShellItems auswahl = Explorerauswahl;

    Katalog.setSort(QString());
    Katalog.setFilter(QString());

    // One snapshot of the paths before the loop; records added below are not in it.
    QSet<QString> vorhanden;
    vorhanden.reserve(Katalog.RecordCount() + auswahl.Count());
    for (Katalog.MoveFirst(); !Katalog.Eof(); Katalog.MoveNext())
        vorhanden.insert(Katalog.text(u"Pfad").toCaseFolded());

    const QChar trenner = QDir::separator();
    for (int i = 0; i < auswahl.Count(); ++i) {
        m_ansicht.nachrichtenVerarbeiten();
        if (m_uebernahmeAbbrechen)
            break;
        if (vorhanden.contains(auswahl.paths().at(i).toCaseFolded()))
            continue;
        const platform::ShellItem item = auswahl.Item(i);
        if (istOrdnerOderUnbekannt(item.Type))
            continue;
        // The browser's own rule, so that every file it gives a kind of its own is taken over.
        const QString endung = platform::extensionOf(item.Path.section(trenner, -1));
        if (endung.isNull())
            continue;

        Katalog.AddNew();
        Katalog.setValue(u"Pfad", item.Path);
        Katalog.setValue(u"Name", item.Name);
        Katalog.setValue(u"Endung", endung);
        Katalog.setValue(u"Anwendung", item.Type);
        Katalog.setValue(u"ID", item.Size);
        Katalog.setValue(u"Time", item.ModifyDate);
        Katalog.Update();

        const QString gefaltet = endung.toCaseFolded();
        if (!m_endungen.contains(gefaltet)) {
            m_endungen.insert(gefaltet);
            Endungsliste += endung + EndungsTrenner;
        }
    }
    m_uebernahmeLaeuft = false;
    if (m_uebernahmeAbbrechen)
        return;
    m_ansicht.setAnzahlText(QStringLiteral("Es wurden %1 Files übernommen").arg(Katalog.RecordCount()));
    Liste_fuellen();
}

QString KatalogLogik::ansichtsfilter(bool entfernen) const
{
    QString f;
    if (!Stichwort.isEmpty() && Stichwort != StichwortLeer)
        f = (entfernen ? QStringLiteral("Pfad like '*") : QStringLiteral("Pfad Like '*")) + Stichwort +
            QStringLiteral("*'");
    if (!Endungsfilter.isEmpty()) {
        if (!f.isEmpty())
            f += QStringLiteral(" and ");
        f += QStringLiteral("Endung= '") + Endungsfilter + u'\'';
    }
    return f;
}

void KatalogLogik::Liste_fuellen()
{
    if (!Katalog.setFilter(ansichtsfilter()) || !Katalog.MoveFirst()) {
        m_ansicht.setRechteListe({});
        m_ansicht.setComboEintraege({});
        m_ansicht.setComboText(QString());
        return;
    }
    const QString feld = Katalog.fields()[Anzeigefeld].name;
    QStringList eintraege;
    eintraege.reserve(Katalog.RecordCount());
    for (; !Katalog.Eof(); Katalog.MoveNext())
        eintraege.append(Katalog.text(feld));
    m_ansicht.setRechteListe(eintraege);
    m_ansicht.setAnzahlText(QStringLiteral("Es wurden %1 Dateien übernommen").arg(eintraege.size()));
    combo_fuellen();
}

void KatalogLogik::combo_fuellen()
{
    if (!Combotext.isEmpty())
        return;
    m_ansicht.setComboEintraege({});
    m_ansicht.setComboText(QString());
    if (Katalog.MoveFirst()) {
        QStringList eintraege;
        QStringList teile = Endungsliste.split(EndungsTrenner);
        teile.removeLast();
        for (const QString& endung : std::as_const(teile)) {
            // An extension the filter cannot take (an apostrophe) gets no entry rather than the
            // count of some other filter.
            if (!Katalog.setFilter(QStringLiteral("Endung Like '") + endung + u'\''))
                continue;
            if (Katalog.RecordCount() != 0)
                eintraege.append(endung + ComboTrenner + QString::number(Katalog.RecordCount()) +
                                 ComboTrenner + Katalog.text(u"Anwendung"));
        }
        m_ansicht.setComboEintraege(eintraege);
    }
    Katalog.setFilter(QString());
}

void KatalogLogik::Sub_Loeschen()
{
    if (m_uebernahmeLaeuft)
        return;
    if (!Katalog.setFilter(ansichtsfilter(true)) || !Katalog.MoveFirst())
        return;
    const QStringList eintraege = m_ansicht.rechteListe();
    const QList<int> markiert = m_ansicht.markierte();
    if (!markiert.isEmpty() && Katalog.RecordCount() == markiert.size()) {
        // Everything in view is marked: remove the whole view in one pass.
        m_ansicht.setRechteListe({});
        Katalog.MoveFirst();
        const int anzahl = Katalog.RecordCount();
        for (int i = 0; i < anzahl; ++i) {
            Katalog.Delete();
            Katalog.MoveNext();
        }
    } else {
        for (int i : markiert) {
            if (i < 0 || i >= eintraege.size())
                continue;
            const QString& pfad = eintraege[i];
            if (Katalog.setFilter(Pfadfilter(pfad)) && Katalog.MoveFirst() && Katalog.text(u"Pfad") == pfad)
                Katalog.Delete();
            Katalog.MoveFirst();
        }
    }
    Liste_fuellen();
    m_ansicht.setAnzahlText(QStringLiteral("Es wurden %1 Files ausgewählt").arg(Katalog.RecordCount()));
}

void KatalogLogik::Datumtipp()
{
    const QList<int> markiert = m_ansicht.markierte();
    if (markiert.size() != 1)
        return;
    const QStringList eintraege = m_ansicht.rechteListe();
    if (markiert[0] < 0 || markiert[0] >= eintraege.size())
        return;
    if (Katalog.setFilter(Pfadfilter(eintraege[markiert[0]])) && Katalog.MoveFirst())
        m_ansicht.setDatumTipp(Katalog.text(u"Time"));
}

void KatalogLogik::Stichwort_eingegeben(const QString& text2)
{
    Stichwort = text2;
}

void KatalogLogik::Go_Click(const QString& text2)
{
    const QString behalten = m_ansicht.comboText();
    Stichwort = text2;
    Liste_fuellen();
    m_ansicht.setComboText(behalten);
}

void KatalogLogik::Command5_Click()
{
    Katalog.setFilter(QString());
    Stichwort.clear();
    m_ansicht.setStichwortText(StichwortLeer);
    Endungsfilter.clear();
    Liste_fuellen();
    m_ansicht.setComboText(ComboLeer);
}

void KatalogLogik::Combo1_Click()
{
    Combotext = m_ansicht.comboText();
    const int ende = Combotext.indexOf(ComboTrenner);
    Endungsfilter = ende < 0 ? Combotext : Combotext.left(ende);
    Liste_fuellen();
    m_ansicht.rechteListeFokus();
    m_ansicht.setComboText(Combotext);
    Combotext.clear();
}

void KatalogLogik::Option1_Click(int index)
{
    switch (index) {
    case 0:
        Anzeigefeld = FeldPfad;
        break;
    case 1:
        Anzeigefeld = FeldName;
        break;
    case 2:
        Katalog.setSort(QStringLiteral("Name Asc"));
        break;
    case 3:
        Katalog.setSort(QStringLiteral("Pfad Asc"));
        break;
    case 4:
        Katalog.setSort(QStringLiteral("Anwendung Asc"));
        break;
    case 7:
        Katalog.setSort(QStringLiteral("Time Asc"));
        break;
    default:
        break;
    }
    Liste_fuellen();
}

} // namespace tw::catalogue
