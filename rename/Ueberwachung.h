#pragma once

#include <QString>

#include <array>

namespace tw::rename {

// The progress monitor's labels: what the name builder writes there is what the per-file driver
// processes.
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

class Ueberwachung
{
public:
    virtual ~Ueberwachung() = default;
    virtual void setLabel(MonitorLabel label, const QString& text) = 0;
    virtual QString label(MonitorLabel label) const = 0;
};

// The labels without a window, for the undo and for tests.
class MonitorTexte : public Ueberwachung
{
public:
    void setLabel(MonitorLabel label, const QString& text) override { m_texte[static_cast<int>(label)] = text; }
    QString label(MonitorLabel label) const override { return m_texte[static_cast<int>(label)]; }

private:
    std::array<QString, 8> m_texte;
};

} // namespace tw::rename
