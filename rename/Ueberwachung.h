#pragma once

#include "platform/FileOutcome.h"
#include "rename/Namensbauer.h"

#include <QString>
#include <array>

namespace tw::rename {

// The progress monitor's labels.
enum class MonitorLabel
{
    Label2,   // old folder
    Label3,   // new full path
    Label4,   // old file name
    Label5,   // new file name
    Label7,   // new folder
    Label6_0, // result line of the last file operation
    Label6_1,
    Label6_2, // entries left
};

// The monitor line of a file operation: "Datei <target> wurde <verb>" or "Pfad <target> wurde nicht <verb>
// wegen Fehler <reason>".
QString ergebniszeile(const platform::FileOutcome& ergebnis);

// What a run shows while it works. The run hands over values, not texts: a monitor that shows less often
// than once per file may keep only the last and build its texts when it paints.
class Ueberwachung
{
public:
    virtual ~Ueberwachung() = default;
    virtual void setLabel(MonitorLabel label, const QString& text) = 0;
    virtual QString label(MonitorLabel label) const = 0;

    // The current entry's names and the number of entries in the work list.
    virtual void dateiZeigen(const NeuerName& name, int eintraege);
    // The outcome of the last file operation.
    virtual void ergebnisZeigen(const platform::FileOutcome& ergebnis);
};

// The labels without a window, for tests and for runs without a display.
class MonitorTexte : public Ueberwachung
{
public:
    void setLabel(MonitorLabel label, const QString& text) override
    {
        m_texte[static_cast<int>(label)] = text;
    }
    QString label(MonitorLabel label) const override { return m_texte[static_cast<int>(label)]; }

private:
    std::array<QString, 8> m_texte;
};

} // namespace tw::rename
