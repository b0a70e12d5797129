#include "KatalogLogik.h"

#include "platform/FieldDef.h"
#include "platform/FileTransfer.h"
#include "platform/FolderListing.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>

namespace tw::catalogue {

namespace adType = platform::adType;

namespace {

// The catalogue's fields in the order they are made.
enum Feld
{
    FeldPfad = 0,
    FeldName = 1,
    FeldEndung = 2,
    FeldAnwendung = 3,
    FeldID = 4,
    FeldTime = 5,
};

bool istOrdnerOderUnbekannt(const QString& typ)
{
    return typ == QLatin1StringView("Dateiordner") || typ == QLatin1StringView("Ordner") ||
           typ == QLatin1StringView("Datei");
}

// Files of one kind left out of a take-over: how many, and the first few by path.
struct Ausgelassen
{
    static constexpr int gezeigt = 5;
    int anzahl = 0;
    QStringList erste;

    void hinzu(const QString& pfad)
    {
        if (++anzahl <= gezeigt)
            erste.append(pfad);
    }
    QString text(const QString& grund) const
    {
        if (anzahl == 0)
            return {};
        QString t = u'\n' + grund;
        for (const QString& pfad : erste)
            t += QStringLiteral("\n    ") + pfad;
        if (anzahl > gezeigt)
            t += QStringLiteral("\n    … und %1 weitere").arg(anzahl - gezeigt);
        return t;
    }
};

} // namespace

QString Pfadfilter(const QString& pfad)
{
    // Like takes an asterisk at either end as a wildcard, = compares the whole text; an apostrophe is
    // doubled inside the value, so every path has an exact filter that the table answers from its index.
    if (!pfad.contains(u'\'') && !pfad.startsWith(u'*') && !pfad.endsWith(u'*'))
        return QStringLiteral("Pfad Like '") + pfad + u'\'';
    return QStringLiteral("Pfad= '") + QString(pfad).replace(u'\'', QStringLiteral("''")) + u'\'';
}

bool Pfad_suchen(platform::RecordSet& katalog, const QString& pfad)
{
    if (!katalog.setFilter(Pfadfilter(pfad)))
        return false;
    for (katalog.toFirst(); !katalog.Eof(); katalog.toNext()) {
        if (katalog.text(u"Pfad") == pfad)
            return true;
    }
    return false;
}

KatalogLogik::KatalogLogik(KatalogAnsicht& ansicht) : m_ansicht(ansicht)
{
    // Distinct fields of known types on a new set: nothing here can fail.
    const bool angelegt = Katalog.Append(QStringLiteral("Pfad"), adType::VarWChar, 1000) &&
                          Katalog.Append(QStringLiteral("Name"), adType::VarWChar, 100) &&
                          Katalog.Append(QStringLiteral("Endung"), adType::VarWChar, 100) &&
                          Katalog.Append(QStringLiteral("Anwendung"), adType::VarWChar, 100) &&
                          Katalog.Append(QStringLiteral("ID"), adType::VarNumeric, 100) &&
                          Katalog.Append(QStringLiteral("Time"), adType::DBTime, 20) && Katalog.Open();
    Q_ASSERT(angelegt);
    Q_UNUSED(angelegt);
    Anzeigefeld = FeldPfad;
}

bool KatalogLogik::zeigtPfade() const
{
    return Anzeigefeld == FeldPfad;
}

QString KatalogLogik::uebernehmen()
{
    // Window messages run during the loop: a second click waits for this one to end.
    if (m_uebernahmeLaeuft)
        return {};
    m_uebernahmeLaeuft = true;
    m_uebernahmeAbbrechen = false;
    // A poll may replace Explorerauswahl while messages run; the take-over keeps what it started with.
    const platform::ShellItems auswahl = Explorerauswahl;

    Katalog.clearSort();
    Katalog.clearFilter();

    // One snapshot of the paths before the loop; records added below are not in it.
    QSet<QString> vorhanden;
    vorhanden.reserve(Katalog.RecordCount());
    for (Katalog.toFirst(); !Katalog.Eof(); Katalog.toNext())
        vorhanden.insert(Katalog.text(u"Pfad").toCaseFolded());

    const QChar trenner = QDir::separator();
    Ausgelassen unlesbar, fehlt;
    QString letzteEndung;
    // Window messages run at the start and then every 1,024 files or 10 ms, whichever comes first: a pass
    // of the event loop per file would cost more than taking the file over.
    QElapsedTimer seitNachrichten;
    for (int i = 0; i < auswahl.Count(); ++i) {
        if (i % 1024 == 0 || seitNachrichten.hasExpired(10)) {
            m_ansicht.nachrichtenVerarbeiten();
            seitNachrichten.start();
        }
        if (m_uebernahmeAbbrechen)
            break;
        if (!vorhanden.isEmpty() && vorhanden.contains(auswahl.path(i).toCaseFolded()))
            continue;
        const platform::ShellItem item = auswahl.Item(i);
        if (istOrdnerOderUnbekannt(item.Type))
            continue;
        // The browser's own rule, so that every file it gives a kind of its own is taken over.
        const QStringView endungstext =
            platform::extensionViewOf(QStringView(item.Path).mid(item.Path.lastIndexOf(trenner) + 1));
        if (endungstext.isNull())
            continue;
        // Files of a folder mostly share their extension, and then its text.
        const QString endung =
            !letzteEndung.isNull() && endungstext == letzteEndung ? letzteEndung : endungstext.toString();
        if (!platform::representable(item.Path)) {
            unlesbar.hinzu(item.Path);
            continue;
        }
        // The browser reads an item when it is asked for, and one gone by then has no time of last
        // change: only such items are looked for on disk, so that no file is looked at twice.
        if (!item.ModifyDate.isValid() && !QFileInfo::exists(item.Path)) {
            fehlt.hinzu(item.Path);
            continue;
        }

        const bool hinzu =
            Katalog.AddNew() && Katalog.setValueAt(FeldPfad, item.Path) &&
            Katalog.setValueAt(FeldName, item.Name) && Katalog.setValueAt(FeldEndung, endung) &&
            Katalog.setValueAt(FeldAnwendung, item.Type) && Katalog.setValueAt(FeldID, item.Size) &&
            Katalog.setValueAt(FeldTime, item.ModifyDate) && Katalog.Update();
        if (!hinzu)
            continue;

        // Files of a folder mostly share their extension: only a new spelling is folded and looked up.
        if (endung == letzteEndung)
            continue;
        letzteEndung = endung;
        const QString gefaltet = endung.toCaseFolded();
        if (!m_endungen.contains(gefaltet)) {
            m_endungen.insert(gefaltet);
            Endungsliste += endung + EndungsTrenner;
        }
    }
    m_uebernahmeLaeuft = false;
    if (m_uebernahmeAbbrechen)
        return {};
    m_ansicht.setAnzahlText(QStringLiteral("Es wurden %1 Files übernommen").arg(Katalog.RecordCount()));
    Liste_fuellen();

    const int ausgelassen = unlesbar.anzahl + fehlt.anzahl;
    if (ausgelassen == 0)
        return {};
    return (ausgelassen == 1 ? QStringLiteral("1 Datei wurde nicht übernommen.\n")
                             : QStringLiteral("%1 Dateien wurden nicht übernommen.\n").arg(ausgelassen)) +
           unlesbar.text(QStringLiteral("Der Name ist kein gültiges UTF-8 und ließe sich nicht unverfälscht "
                                        "umbenennen:")) +
           fehlt.text(QStringLiteral("Die Datei ist seit der Auswahl nicht mehr vorhanden:"));
}

QString KatalogLogik::ansichtsfilter() const
{
    QString f;
    if (!Stichwort.isEmpty() && Stichwort != StichwortLeer)
        f = QStringLiteral("Pfad Like '*") + Stichwort + QStringLiteral("*'");
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
        m_listenPfade.clear();
        m_ansicht.setRechteListe({});
        m_ansicht.setComboEintraege({});
        m_ansicht.setComboText(QString());
        return;
    }
    QStringList eintraege;
    eintraege.reserve(Katalog.RecordCount());
    m_listenPfade.clear();
    m_listenPfade.reserve(Katalog.RecordCount());
    for (; !Katalog.Eof(); Katalog.toNext()) {
        eintraege.append(Katalog.textAt(Anzeigefeld));
        m_listenPfade.append(Katalog.textAt(FeldPfad));
    }
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
        // Every extension counted over the whole table in one pass, compared whole (a filter would take an
        // asterisk as a wildcard); the type shown is that of its first record in the table's order.
        struct Zaehlung
        {
            int anzahl = 0;
            QString anwendung;
        };
        QHash<QString, Zaehlung> je;
        Katalog.clearFilter();
        // Neighbouring records mostly share their extension: only a new spelling is folded and looked up.
        QString letzte;
        Zaehlung* z = nullptr;
        for (Katalog.toFirst(); !Katalog.Eof(); Katalog.toNext()) {
            const QString endung = Katalog.textAt(FeldEndung);
            if (!z || endung != letzte) {
                z = &je[endung.toCaseFolded()];
                letzte = endung;
            }
            if (z->anzahl++ == 0)
                z->anwendung = Katalog.textAt(FeldAnwendung);
        }
        QStringList eintraege;
        QStringList teile = Endungsliste.split(EndungsTrenner);
        teile.removeLast();
        for (const QString& endung : std::as_const(teile)) {
            // An extension the view filter cannot take (an apostrophe) gets no entry: choosing it would
            // show nothing.
            const auto z = je.constFind(endung.toCaseFolded());
            if (z != je.cend() && !endung.contains(u'\''))
                eintraege.append(endung + ComboTrenner + QString::number(z->anzahl) + ComboTrenner +
                                 z->anwendung);
        }
        m_ansicht.setComboEintraege(eintraege);
    }
    Katalog.clearFilter();
}

void KatalogLogik::Sub_Loeschen()
{
    if (m_uebernahmeLaeuft)
        return;
    // Exactly the marked entries of the list as it is shown, by the path each was filled from: the keyword
    // box may hold a keyword not applied yet, and display names are no paths.
    const QList<int> markiert = m_ansicht.markierte();
    if (markiert.isEmpty())
        return;
    for (int i : markiert) {
        // Pfad_suchen leaves the record current, so the deletion has nothing to refuse.
        if (i >= 0 && i < m_listenPfade.size() && Pfad_suchen(Katalog, m_listenPfade[i]))
            static_cast<void>(Katalog.Delete());
    }
    Liste_fuellen();
    m_ansicht.setAnzahlText(QStringLiteral("Es wurden %1 Files ausgewählt").arg(Katalog.RecordCount()));
}

void KatalogLogik::Datumtipp()
{
    const QList<int> markiert = m_ansicht.markierte();
    if (markiert.size() != 1 || markiert[0] < 0 || markiert[0] >= m_listenPfade.size())
        return;
    if (Pfad_suchen(Katalog, m_listenPfade[markiert[0]]))
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
    Katalog.clearFilter();
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
        static_cast<void>(Katalog.setSort(QStringLiteral("Name Asc"))); // a fixed sort of its own fields
        break;
    case 3:
        static_cast<void>(Katalog.setSort(QStringLiteral("Pfad Asc"))); // a fixed sort of its own fields
        break;
    case 4:
        static_cast<void>(Katalog.setSort(QStringLiteral("Anwendung Asc"))); // a fixed sort of its own fields
        break;
    case 7:
        static_cast<void>(Katalog.setSort(QStringLiteral("Time Asc"))); // a fixed sort of its own fields
        break;
    default:
        break;
    }
    Liste_fuellen();
}

} // namespace tw::catalogue
