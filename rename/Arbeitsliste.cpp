#include "Arbeitsliste.h"

namespace tw::rename {

Arbeitsliste::Arbeitsliste(QObject* parent) : QAbstractListModel(parent)
{
    m_aktualisierung.setSingleShot(true);
    m_aktualisierung.setInterval(150);
    connect(&m_aktualisierung, &QTimer::timeout, this, &Arbeitsliste::aktualisieren);
}

void Arbeitsliste::setEintraege(const QStringList& pfade)
{
    beginResetModel();
    m_pfade = pfade;
    m_alle.clear();
    m_alle.reserve(pfade.size());
    for (const QString& pfad : pfade)
        m_alle.insert(QDir::cleanPath(pfad));
    m_marke.assign(static_cast<std::size_t>(pfade.size()), 0);
    m_entfernt.assign(static_cast<std::size_t>(pfade.size()), 0);
    m_zeilen.resize(static_cast<std::size_t>(pfade.size()));
    for (int i = 0; i < pfade.size(); ++i)
        m_zeilen[static_cast<std::size_t>(i)] = i;
    m_anzahl = static_cast<int>(pfade.size());
    m_markiert = 0;
    m_suchbeginn = 0;
    endResetModel();
}

int Arbeitsliste::ersteMarkierte() const
{
    // Marks are only set between runs, so the search start only moves forward during a run.
    const int n = static_cast<int>(m_pfade.size());
    while (m_suchbeginn < n && (m_entfernt[m_suchbeginn] || !m_marke[m_suchbeginn]))
        ++m_suchbeginn;
    return m_suchbeginn < n ? m_suchbeginn : -1;
}

void Arbeitsliste::setMarkiert(int eintrag, bool markiert)
{
    if (eintrag < 0 || eintrag >= m_pfade.size() || m_entfernt[eintrag] ||
        (m_marke[eintrag] != 0) == markiert)
        return;
    m_marke[eintrag] = markiert ? 1 : 0;
    m_markiert += markiert ? 1 : -1;
    if (markiert && eintrag < m_suchbeginn)
        m_suchbeginn = eintrag;
    if (!m_zeilen.empty())
        emit dataChanged(index(0), index(static_cast<int>(m_zeilen.size()) - 1), {Qt::CheckStateRole});
}

void Arbeitsliste::alleMarkieren(bool markiert)
{
    m_markiert = 0;
    for (std::size_t i = 0; i < m_marke.size(); ++i) {
        m_marke[i] = (markiert && !m_entfernt[i]) ? 1 : 0;
        m_markiert += m_marke[i];
    }
    m_suchbeginn = 0;
    if (!m_zeilen.empty())
        emit dataChanged(index(0), index(static_cast<int>(m_zeilen.size()) - 1), {Qt::CheckStateRole});
}

void Arbeitsliste::entfernen(int eintrag)
{
    if (eintrag < 0 || eintrag >= m_pfade.size() || m_entfernt[eintrag])
        return;
    m_entfernt[eintrag] = 1;
    --m_anzahl;
    if (m_marke[eintrag]) {
        m_marke[eintrag] = 0;
        --m_markiert;
    }
    spaeterAktualisieren();
}

void Arbeitsliste::spaeterAktualisieren()
{
    if (!m_aktualisierung.isActive())
        m_aktualisierung.start();
}

void Arbeitsliste::aktualisieren()
{
    m_aktualisierung.stop();
    beginResetModel();
    m_zeilen.clear();
    m_zeilen.reserve(static_cast<std::size_t>(m_anzahl));
    for (int i = 0; i < m_pfade.size(); ++i) {
        if (!m_entfernt[i])
            m_zeilen.push_back(i);
    }
    endResetModel();
}

QStringList Arbeitsliste::eintraege() const
{
    QStringList out;
    out.reserve(m_anzahl);
    for (int i = 0; i < m_pfade.size(); ++i) {
        if (!m_entfernt[i])
            out.append(m_pfade[i]);
    }
    return out;
}

QStringList Arbeitsliste::markierteEintraege() const
{
    QStringList out;
    for (int i = 0; i < m_pfade.size(); ++i) {
        if (!m_entfernt[i] && m_marke[i])
            out.append(m_pfade[i]);
    }
    return out;
}

int Arbeitsliste::eintragInZeile(int zeile) const
{
    return zeile >= 0 && zeile < static_cast<int>(m_zeilen.size()) ? m_zeilen[static_cast<std::size_t>(zeile)]
                                                                   : -1;
}

int Arbeitsliste::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_zeilen.size());
}

QVariant Arbeitsliste::data(const QModelIndex& index, int role) const
{
    const int eintrag = eintragInZeile(index.row());
    if (eintrag < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return m_pfade[eintrag];
    case Qt::CheckStateRole:
        return m_marke[eintrag] ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

Qt::ItemFlags Arbeitsliste::flags(const QModelIndex& index) const
{
    // Marks change by a click on the entry, which the window handles; the box only shows them.
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

} // namespace tw::rename
