#pragma once

#include "platform/Breather.h"

#include <QString>
#include <QVector>
#include <optional>

namespace tw::journal {

// One action of a session as its Ergebnisstring records it.
struct Aktionseintrag
{
    QString AlterPfad;
    QString NeuerPfad;
    QString Zeit;
    QString Aktion;
};

// Whether the text is one of the journal's four action texts.
bool istAktionstext(QStringView text);

// Walks the actions of an Ergebnisstring one record at a time, so that a large session need not be held a
// second time as a list. The text must outlive the reader.
class Aktionsleser
{
public:
    explicit Aktionsleser(const QString& ergebnisstring) : m_text(ergebnisstring) {}
    // The next record into a; false at the end, or at a record that is not whole (then kaputt()).
    bool naechste(Aktionseintrag& a);
    // The same, as views into the text: for a pass that only looks.
    bool naechste(QStringView (&teile)[4]);
    bool kaputt() const { return m_kaputt; }

private:
    const QString& m_text;
    qsizetype m_von = 0;
    bool m_kaputt = false;
};

// The actions of an Ergebnisstring in list order. Nothing when the text does not split into whole
// records (4n + 1 pieces, the last one empty, an action text in every fourth place): a path that held
// the separator shifts every value after it, and reversing shifted values would move the wrong files.
// The breather ticks between the records.
std::optional<QVector<Aktionseintrag>> aktionenLesen(const QString& ergebnisstring,
                                                     platform::Breather* atem = nullptr);

// The text the journal stores for the actions: each value followed by the separator.
QString ergebnisstringBilden(const QVector<Aktionseintrag>& aktionen);

} // namespace tw::journal
