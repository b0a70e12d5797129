#pragma once

#include "catalogue/KatalogAnsicht.h"

#include <functional>

namespace tw::test {

// The selection window's controls as plain values, with a record of what was written to them.
class FakeKatalogAnsicht : public catalogue::KatalogAnsicht
{
public:
    void setRechteListe(const QStringList& eintraege) override
    {
        liste = eintraege;
        markiert.clear();
    }
    QList<int> markierte() const override { return markiert; }
    void rechteListeFokus() override { ++fokus; }
    void setDatumTipp(const QString& text) override { tipp = text; }
    void setComboEintraege(const QStringList& eintraege) override { combo = eintraege; }
    QString comboText() const override { return comboEdit; }
    void setComboText(const QString& text) override { comboEdit = text; }
    void setStichwortText(const QString& text) override { stichwort = text; }
    void setAnzahlText(const QString& text) override { anzahlTexte.append(text); }
    void nachrichtenVerarbeiten() override
    {
        ++nachrichten;
        if (beiNachricht)
            beiNachricht(nachrichten);
    }

    void markiereAlle()
    {
        markiert.clear();
        for (int i = 0; i < liste.size(); ++i)
            markiert.append(i);
    }
    QString anzahl() const { return anzahlTexte.isEmpty() ? QString() : anzahlTexte.last(); }

    QStringList liste;
    QList<int> markiert;
    QStringList combo;
    QString comboEdit;
    QString stichwort = QStringLiteral("Stichwortsuche");
    QStringList anzahlTexte;
    QString tipp;
    int fokus = 0;
    int nachrichten = 0;
    // What the user does while window messages run, with the number of the message.
    std::function<void(int)> beiNachricht;
};

} // namespace tw::test
