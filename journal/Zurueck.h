#pragma once

#include "journal/Rueckgaengig.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBox.h"
#include "platform/RecordSet.h"
#include "platform/TwipsForm.h"

#include <QPointer>
#include <array>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tw::platform {
class AtomicFileWriter;
}

namespace tw::journal {

// What the undo window is given from outside; tests pass fakes.
struct ZurueckUmgebung
{
    QString programmordner;
    const platform::ScreenMetrics* screen = nullptr;
    platform::MessageBox* messages = nullptr;
    platform::DocumentOpener* opener = nullptr;
};

// The undo window: a journal file, a program start and a session are chosen; the session is shown as
// a page or reversed.
class Zurueck : public platform::TwipsForm
{
    Q_OBJECT

public:
    explicit Zurueck(ZurueckUmgebung umgebung, QWidget* parent = nullptr);
    ~Zurueck() override;

    void File1_Click();
    void Datenbankchecken(const QString& pfad);
    void Combo1_Click();
    void combo_aktion(int index);
    void Combo2_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    // Reverses the chosen session and reloads the lists from the rewritten file.
    RueckgaengigErgebnis Rueckgaengig();
    void Anzeigen();

    // What a combo box shows: "Bitte auswählen" while nothing is chosen in it.
    static QString comboText(const QComboBox* combo);

    // The record set of the chosen journal file; empty when none is open.
    std::unique_ptr<platform::RecordSet> Sicherungsdaten;

    std::array<QLabel*, 4> Label1{};
    QListWidget* File1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void dateienAuflisten(const QString& auswahl = {});
    bool beideGewaehlt() const;
    bool sitzungFiltern();
    void meldung(const RueckgaengigErgebnis& ergebnis);
    // While long work lets events run, nothing in the window may start more of it, change the choice it
    // works on or close the window under it; the window keeps painting.
    std::array<bool, 6> sperren();
    void freigeben(const std::array<bool, 6>& bedienbar);

    ZurueckUmgebung m_umgebung;
    QString m_datei; // full path of the file chosen in File1
    // The record whose pattern Text1 shows: "Betrachten" and the undo act on exactly this one, whatever
    // the set's sort or filter has become since.
    std::optional<Sitzungssatz> m_gewaehlt;
    DateiUmkehrer m_umkehrer;
    std::unique_ptr<platform::AtomicFileWriter> m_writer;
    bool m_laeuft = false;     // an undo or a read of a journal is running
    QPointer<QWidget> m_fokus; // where the focus was when the controls were locked
};

} // namespace tw::journal
