#pragma once

#include "catalogue/KatalogAnsicht.h"
#include "catalogue/KatalogLogik.h"
#include "platform/MessageBox.h"
#include "platform/TwipsForm.h"
#include "shell/Gemeinsam.h"

#include <QMap>
#include <QPointer>
#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QRadioButton;
class QStringListModel;
class QTimer;

namespace tw::platform {
class ImageStrip;
class WrapButton;
} // namespace tw::platform

namespace tw::catalogue {

class Eintragsliste;

// The selection window: mirrors the browser's selection, takes files over into the catalogue, narrows
// and sorts the catalogue's view, and hands the marked files over to renaming.
class Dateiauswahl : public platform::TwipsForm, public KatalogAnsicht
{
    Q_OBJECT

public:
    Dateiauswahl(const platform::ScreenMetrics& screen, shell::Gemeinsam& gemeinsam,
                 platform::MessageBox& messages, QWidget* parent = nullptr);
    ~Dateiauswahl() override;

    KatalogLogik& logik() { return m_logik; }
    platform::RecordSet& Katalog() { return m_logik.Katalog; }
    void Liste_fuellen() { m_logik.Liste_fuellen(); }
    void Command5_Click() { m_logik.Command5_Click(); }
    void Sub_Loeschen() { m_logik.Sub_Loeschen(); }

    // The pick bar above the browser, whose place the window stores and which it closes with itself.
    void setAuswahlbutton(platform::TwipsForm* bar) { m_auswahlbutton = bar; }
    platform::TwipsForm* auswahlbutton() const { return m_auswahlbutton; }
    // Opens the rename window with the marked entries; empty while renaming is not available.
    std::function<void()> umschreibenOeffnen;

    // The entries of the left list as they are kept: each path followed by CR LF.
    QStringList linkeListe() const;
    QStringList rechteListe() const;
    // The right list's marked entries' texts, in list order.
    QStringList markierteTexte() const;
    // Moves the drag bar to the bottom edge of the window.
    void verschiebenAnsEnde();

    // The poll of the browser's selection rests while renaming.
    void abfrageAnhalten();
    void abfrageFortsetzen();
    void Timer1_Timer();
    void Command1_Click(int index);
    void Command2_Click();
    void Command6_Click();
    void List1_Click();
    void Verschieben_MouseDown();
    void Verschieben_MouseMove();
    // One step of the drag with the pointer at screen row y.
    void verschiebenNach(int y);
    void Verschieben_MouseUp();

    // KatalogAnsicht
    void setRechteListe(const QStringList& eintraege) override;
    QList<int> markierte() const override;
    void rechteListeFokus() override;
    void setDatumTipp(const QString& text) override;
    void setComboEintraege(const QStringList& eintraege) override;
    QString comboText() const override;
    void setComboText(const QString& text) override;
    void setStichwortText(const QString& text) override;
    void setAnzahlText(const QString& text) override;
    void nachrichtenVerarbeiten() override;

    std::array<QLabel*, 2> Label1{};
    QListView* Text1 = nullptr;
    QListView* List1 = nullptr;
    std::array<platform::WrapButton*, 2> Command1{};
    QGroupBox* Frame2 = nullptr;
    std::array<QGroupBox*, 2> Frame1{};
    platform::WrapButton* Command2 = nullptr;
    platform::WrapButton* Command3 = nullptr;
    platform::WrapButton* Command4 = nullptr;
    platform::WrapButton* Command5 = nullptr;
    platform::WrapButton* Command6 = nullptr;
    QLineEdit* text2 = nullptr;
    QComboBox* Combo1 = nullptr;
    QMap<int, QRadioButton*> Option1;
    platform::ImageStrip* Verschieben = nullptr;
    QTimer* Timer1 = nullptr;

    // Name of the first and of the last selected item and their count, as last seen by the poll.
    std::array<QString, 3> Auswahlkennung;
    bool Ziehen = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void bauen();
    void entladen();
    // Starts the poll unless someone holds it paused or a take-over runs.
    void abfrageStarten();
    void knoepfeFreigeben(bool frei);

    shell::Gemeinsam& m_gemeinsam;
    platform::MessageBox& m_messages;
    KatalogLogik m_logik;
    Eintragsliste* m_linkeListe = nullptr;
    QStringListModel* m_rechteListe = nullptr;
    QPointer<platform::TwipsForm> m_auswahlbutton;
    bool m_entladen = false;
    // Pauses of the poll held from outside; while one is held nothing here restarts it.
    int m_abfragePause = 0;
    // Closed during a take-over: deleted once the take-over has returned.
    bool m_nachUebernahmeLoeschen = false;
};

} // namespace tw::catalogue
