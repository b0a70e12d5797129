#pragma once

#include "journal/DatenBanken.h"
#include "platform/Browser.h"
#include "platform/Clock.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBox.h"
#include "platform/ScreenMetrics.h"
#include "shell/Einstellungen.h"
#include "shell/Gemeinsam.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;

namespace tw::shell {

// What the start window is given from outside; tests pass fakes.
struct StartDependencies
{
    QString programFolder;
    const platform::Clock* clock = nullptr;
    const platform::ScreenMetrics* screen = nullptr;
    platform::MessageBox* messages = nullptr;
    platform::DocumentOpener* opener = nullptr;
    QString documentation; // full path of the user guide page
};

// The first window: step 1, the administration of earlier work and the documentation. It owns the
// state the other windows share for the life of the process.
class ProgrammStart : public QWidget, public Gemeinsam
{
    Q_OBJECT

public:
    explicit ProgrammStart(StartDependencies deps, QWidget* parent = nullptr);
    ~ProgrammStart() override;

    void Command1_Click(int index);
    void IE_Neu_erstellen();

    journal::DatenBanken& datenBanken() { return *m_datenBanken; }
    const StartDependencies& dependencies() const { return m_deps; }

    // The watcher the timer calls; the window stack sets it.
    std::function<void()> fensterPruefen;

    std::array<QPushButton*, 3> Command1{};
    QLabel* Label1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Timer1_Timer();
    void placeControls();

    StartDependencies m_deps;
    std::unique_ptr<journal::DatenBanken> m_datenBanken;
};

} // namespace tw::shell
