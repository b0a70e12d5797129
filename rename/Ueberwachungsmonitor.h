#pragma once

#include "platform/TwipsForm.h"
#include "rename/Ueberwachung.h"

#include <array>

class QGroupBox;
class QLabel;

namespace tw::rename {

// The progress monitor: shows the current file's old and new names and the result of the last file
// operation during a run.
class Ueberwachungsmonitor : public platform::TwipsForm, public Ueberwachung
{
    Q_OBJECT

public:
    explicit Ueberwachungsmonitor(const platform::ScreenMetrics& screen, QWidget* parent = nullptr);

    void setLabel(MonitorLabel label, const QString& text) override;
    QString label(MonitorLabel label) const override;

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
};

} // namespace tw::rename
