#pragma once

#include <QString>
#include <QStringList>

namespace tw::catalogue {

// What the catalogue logic needs of the selection window's controls: the right list, the extension
// combo box, the count label and the keyword box. The window implements it with real widgets.
class KatalogAnsicht
{
public:
    virtual ~KatalogAnsicht() = default;

    // The right list, replaced in one pass.
    virtual void setRechteListe(const QStringList& eintraege) = 0;
    // Positions of the marked entries of the right list, in list order.
    virtual QList<int> markierte() const = 0;
    virtual void rechteListeFokus() = 0;
    virtual void setDatumTipp(const QString& text) = 0;

    // The combo box: its entries (added in one pass) and its edit text.
    virtual void setComboEintraege(const QStringList& eintraege) = 0;
    virtual QString comboText() const = 0;
    virtual void setComboText(const QString& text) = 0;

    virtual void setStichwortText(const QString& text) = 0;
    // Label1(0).
    virtual void setAnzahlText(const QString& text) = 0;

    // Lets pending window messages run once, so that long loops keep the window responsive.
    virtual void nachrichtenVerarbeiten() = 0;
};

} // namespace tw::catalogue
