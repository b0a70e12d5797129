#pragma once

#include "catalogue/KatalogAnsicht.h"
#include "platform/Browser.h"
#include "platform/RecordSet.h"

#include <QList>
#include <QSet>
#include <QString>

namespace tw::catalogue {

// Separator of the entries of Endungsliste.
inline const QString EndungsTrenner = QStringLiteral("§$§");
// Separator of the parts of a combo entry.
inline const QString ComboTrenner = QStringLiteral(" ---- ");
inline const QString StichwortLeer = QStringLiteral("Stichwortsuche");
inline const QString ComboLeer = QStringLiteral("Endung - Anwendung");

// The filter that finds one file's record by its full path; a path with an apostrophe, which a
// filter value cannot hold, is matched by the pieces around its first apostrophe, and one with an
// asterisk at an end is compared whole, not as a pattern.
QString Pfadfilter(const QString& pfad);
// Makes the record of exactly this path current, through the path filter, which may show neighbours
// too; false when there is none. The filter stays in force.
bool Pfad_suchen(platform::RecordSet& katalog, const QString& pfad);

// The catalogue of candidate files and the keyword, extension, sort and display choices that shape the
// right list. Everything here runs without a window; the window reaches it through KatalogAnsicht.
class KatalogLogik
{
public:
    explicit KatalogLogik(KatalogAnsicht& ansicht);

    // Takes the new files of Explorerauswahl over into Katalog and refills the lists. Ignored while a
    // take-over runs already (window messages run during it). Returns the notice about files left out for
    // a reason the user cannot see (a name that is not valid UTF-8, a file gone since the selection);
    // empty when there are none, as folders, duplicates and names without an extension go silently.
    QString uebernehmen();
    bool uebernahmeLaeuft() const { return m_uebernahmeLaeuft; }
    // Ends a running take-over at its next file, without refilling the lists.
    void uebernahmeAbbrechen() { m_uebernahmeAbbrechen = true; }
    void Liste_fuellen();
    void combo_fuellen();
    // Removes the records of the marked entries of the right list; not while a take-over runs.
    void Sub_Loeschen();
    // Shows the change time of the one marked entry as the right list's tip.
    void Datumtipp();

    // The choices of the filter and option frames.
    void Stichwort_eingegeben(const QString& text2);
    void Go_Click(const QString& text2);
    void Command5_Click();
    void Combo1_Click();
    void Option1_Click(int index);

    // The filter of the right list's view: keyword and extension.
    QString ansichtsfilter() const;
    // Whether the display shows full paths ("Pfadname").
    bool zeigtPfade() const;

    platform::RecordSet Katalog;
    int Anzeigefeld = 0; // field index of Pfad or Name
    QString Endungsliste;
    platform::ShellItems Explorerauswahl;
    QString Stichwort;
    QString Endungsfilter;
    QString Combotext;

private:
    KatalogAnsicht& m_ansicht;
    QSet<QString> m_endungen;  // folded entries of Endungsliste
    QStringList m_listenPfade; // the path of each entry of the right list
    bool m_uebernahmeLaeuft = false;
    bool m_uebernahmeAbbrechen = false;
};

} // namespace tw::catalogue
