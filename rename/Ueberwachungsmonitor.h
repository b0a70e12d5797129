#pragma once

#include "platform/TwipsForm.h"
#include "rename/Ueberwachung.h"

#include <QElapsedTimer>
#include <QTimer>
#include <array>
#include <optional>

class QGroupBox;
class QLabel;

namespace tw::rename {

// The progress monitor: shows the current file's old and new names and the result of the last file
// operation during a run. A run hands over every file; the labels take the latest at most once per
// screen refresh, so that a fast run is not slowed by laying out and painting what no one could read.
class Ueberwachungsmonitor : public platform::TwipsForm, public Ueberwachung
{
    Q_OBJECT

public:
    explicit Ueberwachungsmonitor(const platform::ScreenMetrics& screen, QWidget* parent = nullptr);

    void setLabel(MonitorLabel label, const QString& text) override;
    QString label(MonitorLabel label) const override;
    void dateiZeigen(const NeuerName& name, int eintraege) override;
    void ergebnisZeigen(const platform::FileOutcome& ergebnis) override;

    QGroupBox* Frame1 = nullptr;
    std::array<QLabel*, 4> Label1{};
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    std::array<QLabel*, 3> Label6{};
    QLabel* Label7 = nullptr;

private:
    QLabel* zuLabel(MonitorLabel label) const;
    void bald();
    // Writes what is pending into the labels.
    void zeigen();

    std::optional<NeuerName> m_datei;
    int m_eintraege = 0;
    std::optional<platform::FileOutcome> m_ergebnis;
    QTimer m_takt;
    QElapsedTimer m_gezeigt;
};

} // namespace tw::rename
