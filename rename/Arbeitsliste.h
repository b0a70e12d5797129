#pragma once

#include <QAbstractListModel>
#include <QDir>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <vector>

namespace tw::rename {

// The rename window's work list: full paths, each with a mark. A run over 100,000 files finds the
// next marked entry and removes the processed one in constant time; the view learns of removals in
// batches, not once per file.
class Arbeitsliste : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit Arbeitsliste(QObject* parent = nullptr);

    void setEintraege(const QStringList& pfade);
    int anzahl() const { return m_anzahl; }
    int markierteAnzahl() const { return m_markiert; }
    // The first marked entry in list order, -1 when none is marked; an entry keeps its number while
    // others are removed.
    int ersteMarkierte() const;
    QString text(int eintrag) const { return m_pfade.at(eintrag); }
    bool istMarkiert(int eintrag) const { return m_marke.at(eintrag) != 0; }
    void setMarkiert(int eintrag, bool markiert);
    void alleMarkieren(bool markiert);
    void entfernen(int eintrag);
    QStringList eintraege() const;
    QStringList markierteEintraege() const;
    // Whether the path was handed over to this list, processed since or not.
    bool enthaelt(const QString& pfad) const { return m_alle.contains(QDir::cleanPath(pfad)); }

    // The entry shown in a row of the view.
    int eintragInZeile(int zeile) const;
    // Brings the view up to date at once instead of at the next batch.
    void aktualisieren();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void spaeterAktualisieren();

    QStringList m_pfade;
    QSet<QString> m_alle;
    std::vector<char> m_marke;
    std::vector<char> m_entfernt;
    std::vector<int> m_zeilen; // entries the view shows, in order
    int m_anzahl = 0;
    int m_markiert = 0;
    mutable int m_suchbeginn = 0;
    QTimer m_aktualisierung;
};

} // namespace tw::rename
