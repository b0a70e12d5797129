#pragma once

#include "platform/TwipsForm.h"
#include "shell/Gemeinsam.h"
#include "stack/Laufwerke.h"
#include "stack/Laufwerksquelle.h"

#include <QImage>
#include <QPointer>
#include <array>

class QTimer;

namespace tw::platform {
class ImageStrip;
} // namespace tw::platform

namespace tw::stack {

class Klickflaeche;
class Laufwerksliste;

// The pick bar across the top edge of the browser window: a drive list, back and forward, and a handle
// that pulls the bar and the browser's top edge up or down above the selection window. While renaming,
// the handle Image1 covers the others and pulls the bar and the monitor's top edge instead. Borderless,
// not in the task bar; close() unloads it (the window deletes itself).
class frmAuswahlbutton : public platform::TwipsForm
{
    Q_OBJECT

public:
    frmAuswahlbutton(const platform::ScreenMetrics& screen, shell::Gemeinsam& gemeinsam,
                     const Laufwerksquelle& laufwerke, QWidget* parent = nullptr);
    ~frmAuswahlbutton() override;

    // The selection window below the browser: the drag stops 300 twips above its top, and it gets the
    // focus when the drag ends.
    void setAuswahlfenster(platform::TwipsForm* fenster) { m_auswahlfenster = fenster; }
    platform::TwipsForm* auswahlfenster() const { return m_auswahlfenster; }
    // While renaming: the rename window, above which the rename handle stops and which gets the focus
    // when the drag ends, and the progress monitor that the handle resizes.
    void setUmbenennfenster(platform::TwipsForm* aenderungen, platform::TwipsForm* monitor);

    void Drive1_Change();
    void Image2_Click(int index);
    void Timer1_Timer();
    void EplorerButton_MouseDown();
    // A mouse move over the handle with the pointer at screen row y.
    void EplorerButton_MouseMove(int y);
    void EplorerButton_MouseUp();
    void Image1_MouseDown();
    // A mouse move over the rename handle with the pointer at screen row y.
    void Image1_MouseMove(int y);
    void Image1_MouseUp();
    // Puts the browser on the monitor's place.
    void Versch();
    // The rename phase: the rename handle covers the others, whose click areas rest. Leaving it puts
    // the browser on the monitor's place.
    void umbenennphaseBeginnen();
    void umbenennphaseBeenden();
    // The drive list gives way to the rename window while that is active.
    void laufwerkslisteZeigen(bool zeigen);

    // Re-reads the volumes; the entry shown stays when its volume is still mounted.
    void laufwerkeLesen();
    const QList<Laufwerk>& laufwerke() const { return m_laufwerke; }

    // The handles' pictures, 1024 x 20 pixels.
    static QImage explorerBild();
    static QImage monitorBild();

    Laufwerksliste* Drive1 = nullptr;
    platform::ImageStrip* Image1 = nullptr;
    std::array<Klickflaeche*, 2> Image2{};
    platform::ImageStrip* EplorerButton = nullptr;
    QTimer* Timer1 = nullptr;

    bool Ziehen_Explorer = false;
    bool Ziehen_Monitor = false;
    QString Letztes_Laufwerk;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void bauen();
    void Form_Load();
    void zeigeLaufwerk(int index);

    shell::Gemeinsam& m_gemeinsam;
    const Laufwerksquelle& m_quelle;
    QPointer<platform::TwipsForm> m_auswahlfenster;
    QPointer<platform::TwipsForm> m_aenderungen;
    QPointer<platform::TwipsForm> m_monitor;
    QList<Laufwerk> m_laufwerke;
};

} // namespace tw::stack
