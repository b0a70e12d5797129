#include "Aenderungen.h"

#include "catalogue/Dateiauswahl.h"
#include "journal/DatenBanken.h"
#include "platform/ImageStrip.h"
#include "platform/WrapButton.h"
#include "rename/Datensicherung.h"
#include "shell/DisplayAnpassen.h"
#include "stack/Stapelziehen.h"
#include "stack/frmAuswahlbutton.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QTimer>

namespace tw::rename {

namespace {

constexpr double schrift = 8.25;

} // namespace

Aenderungen::Aenderungen(AenderungenUmgebung umgebung, catalogue::Dateiauswahl& dateiauswahl,
                         Ueberwachungsmonitor& monitor, QWidget* parent)
    : platform::TwipsForm(*umgebung.screen, parent, Qt::Window | Qt::FramelessWindowHint),
      m_umgebung(std::move(umgebung)), m_dateiauswahl(dateiauswahl), m_monitor(&monitor),
      m_auswahlbutton(m_umgebung.auswahlbutton), m_protokoll(*m_umgebung.journal),
      m_katalog(dateiauswahl.Katalog()), m_lauf(m_liste, m_monitorverweis, m_protokoll, &m_katalog)
{
    setObjectName(QStringLiteral("Aenderungen"));
    setWindowTitle(QStringLiteral("Tausch3"));
    setAttribute(Qt::WA_DeleteOnClose);
    setGreyBackground();
    bauen();
    laden();
}

Aenderungen::~Aenderungen() = default;

void Aenderungen::bauen()
{
    setWidth(15360);
    setHeight(5775);

    // Every control is made the same way: caption, object name, design place, the window's font.
    auto steuer = [this](auto* control, const char* name, float l, float t, float w, float h) {
        control->setObjectName(QString::fromLatin1(name));
        addControl(control, l, t, w, h, schrift);
        return control;
    };
    auto label = [&](QWidget* parent, const char* name, const char* text, float l, float t, float w,
                     float h) {
        return steuer(new QLabel(QString::fromUtf8(text), parent), name, l, t, w, h);
    };
    auto feld = [&](QWidget* parent, const char* name, const char* text, float l, float t, float w, float h) {
        return steuer(new QLineEdit(QString::fromUtf8(text), parent), name, l, t, w, h);
    };
    auto knopf = [&](QWidget* parent, const char* name, const char* text, float l, float t, float w,
                     float h) {
        return steuer(new platform::WrapButton(QString::fromUtf8(text), parent), name, l, t, w, h);
    };
    auto rahmen = [&](QWidget* parent, const char* name, const char* text, float l, float t, float w,
                      float h) {
        return steuer(new QGroupBox(QString::fromUtf8(text), parent), name, l, t, w, h);
    };
    auto option = [&](QWidget* parent, const char* name, const char* text, float l, float t, float w,
                      float h) {
        return steuer(new QRadioButton(QString::fromUtf8(text), parent), name, l, t, w, h);
    };

    Label2_0 = label(this, "Label2_0", "Dateiname   :", 180, 300, 975, 315);
    Text1 = feld(this, "Text1", "", 1170, 270, 13965, 345);
    Label2_1 = label(this, "Label2_1", "Ordnername :", 180, 660, 975, 315);
    Text3 = feld(this, "Text3", "Ursprungsfad", 1170, 630, 13965, 315);
    Text3->setEnabled(false);

    List1 = new QListView(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setModel(&m_liste);
    List1->setUniformItemSizes(true);
    List1->setLayoutMode(QListView::Batched);
    List1->setSelectionMode(QAbstractItemView::NoSelection);
    addControl(List1, 150, 1050, 6195, 3660, schrift);

    Frame1[0] = rahmen(this, "Frame1_0", "Optionen für Namensänderung", 6570, 1050, 8505, 3675);
    Frame2 = rahmen(Frame1[0], "Frame2", "Option für Ordneränderung", 150, 300, 2595, 1335);
    Frame1[2] = rahmen(Frame1[0], "Frame1_2", "Zahlen", 2820, 300, 2655, 3135);
    Command1[2] = knopf(Frame1[0], "Command1_2", "Urspungsname eintragen", 5610, 390, 2625, 495);
    Frame3 = rahmen(Frame1[0], "Frame3", "Zählerreihenfolge", 5640, 990, 2595, 1065);
    Frame3->setEnabled(false);

    Option3[0] = option(Frame2, "Option3_0", "Ordner beibehalten", 120, 270, 2355, 375);
    Option3[1] = option(Frame2, "Option3_1", "In Ordner kopieren", 150, 600, 2415, 375);
    Option3[2] = option(Frame2, "Option3_2", "Ordner verschieben", 120, 900, 2415, 375);
    Option3[0]->setChecked(true);

    Label1[0] = label(Frame1[2], "Label1_0", "Von:", 150, 330, 795, 285);
    text2[0] = feld(Frame1[2], "text2_0", "0", 570, 270, 1815, 285);
    Label1[1] = label(Frame1[2], "Label1_1", "Bis:", 180, 660, 495, 285);
    text2[1] = feld(Frame1[2], "text2_1", "0", 570, 600, 1815, 315);
    Option1[0] = option(Frame1[2], "Option1_0", "00001= 99999", 210, 1350, 2145, 345);
    Option1[1] = option(Frame1[2], "Option1_1", "        1= 99999", 210, 1740, 2355, 345);
    Option1[0]->setChecked(true);
    Command1[0] = knopf(Frame1[2], "Command1_0", "Zähler 1-?", 120, 2520, 2265, 405);

    Option4[0] = option(Frame3, "Option4_0", "Links -------> rechts", 90, 240, 2265, 345);
    Option4[1] = option(Frame3, "Option4_1", "Links <------- rechts", 90, 570, 2265, 345);
    Option4[1]->setChecked(true);

    Command3 = knopf(this, "Command3", "Alle Dateien Makieren", 150, 4800, 2835, 555);
    Command4 = knopf(this, "Command4", "Makierung löschen", 3187, 4800, 2835, 555);
    Command5 = knopf(this, "Command5", "Schrittweise beginnen", 6224, 4800, 2835, 555);
    Command6 = knopf(this, "Command6", "Alle Dateien umbennen", 9261, 4800, 2835, 555);
    Command2 = knopf(this, "Command2", "Abbrechen", 12300, 4800, 2835, 555);

    Verschieben = new platform::ImageStrip(
        platform::ImageStrip::drawBar(QStringLiteral("Umbenennfenster verschieben")), this);
    Verschieben->setObjectName(QStringLiteral("Verschieben"));
    Verschieben->setCursor(Qt::SizeVerCursor);
    addControl(Verschieben, 0, 5460, 15360, 300);

    // Tab order of the focusable controls.
    QWidget* reihenfolge[] = {Option1[0], text2[0],   Command1[0], Command1[2], List1,
                              Command2,   Text3,      Command3,    Command4,    Command5,
                              Command6,   Option3[2], Option3[1],  Option3[0],  Option4[1],
                              Option4[0], text2[1],   Option1[1],  Text1};
    for (std::size_t i = 0; i + 1 < std::size(reihenfolge); ++i)
        setTabOrder(reihenfolge[i], reihenfolge[i + 1]);

    // Only the chosen option of a group is a tab stop; the arrow keys move within the group.
    for (QRadioButton* b : {Option1[0], Option1[1], Option3[0], Option3[1], Option3[2]}) {
        b->setFocusPolicy(b->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        connect(b, &QRadioButton::toggled, b,
                [b](bool an) { b->setFocusPolicy(an ? Qt::StrongFocus : Qt::ClickFocus); });
    }

    Text1->installEventFilter(this);
    text2[0]->installEventFilter(this);
    text2[1]->installEventFilter(this);
    List1->installEventFilter(this);
    connect(Text1, &QLineEdit::textEdited, this, &Aenderungen::Text1_Geaendert);
    connect(Command1[0], &QPushButton::clicked, this, [this] { Command1_Click(0); });
    connect(Command1[2], &QPushButton::clicked, this, [this] { Command1_Click(2); });
    connect(Command2, &QPushButton::clicked, this, &Aenderungen::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Aenderungen::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Aenderungen::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Aenderungen::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Aenderungen::Command6_Click);
    for (int i = 0; i < 3; ++i)
        connect(Option3[i], &QRadioButton::clicked, this, [this, i] { Option3_Click(i); });
    connect(List1, &QListView::clicked, this, [this](const QModelIndex& index) { List1_Click(index.row()); });
    connect(Verschieben, &platform::ImageStrip::pressed, this, [this] { Ziehen = true; });
    connect(Verschieben, &platform::ImageStrip::released, this, [this] { Ziehen = false; });
    connect(Verschieben, &platform::ImageStrip::moved, this, [this] {
        if (Ziehen)
            verschiebenNach(QCursor::pos().y());
    });
}

void Aenderungen::laden()
{
    platform::Formular form = formular();
    shell::Display_anpassen(form, 0, *m_umgebung.screen);
    setFormular(form);

    m_dateiauswahl.hide();
    m_dateiauswahl.abfrageAnhalten();
    // A browser the user has closed needs no hiding.
    if (m_umgebung.gemeinsam->IE)
        static_cast<void>(m_umgebung.gemeinsam->IE->setVisible(false));
    if (m_auswahlbutton)
        m_auswahlbutton->umbenennphaseBeginnen();
    m_liste.setEintraege(m_dateiauswahl.markierteTexte());
    m_umgebung.journal->Sitzung_beginnen();
    standMerken();
    // The pattern may change between runs; a crash must find the one the window would have saved.
    connect(Text1, &QLineEdit::textChanged, this, &Aenderungen::standMerken);
}

void Aenderungen::standMerken()
{
    const shell::Gemeinsam& g = *m_umgebung.gemeinsam;
    m_umgebung.journal->Sitzungsstand(g.Programmstart, g.Sitzung, Text1->text());
}

void Aenderungen::nachrichten()
{
    QCoreApplication::processEvents();
}

void Aenderungen::meldung(const QString& text, platform::MessageBox::Icon icon)
{
    m_umgebung.messages->show(this, text, icon);
}

bool Aenderungen::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !m_pruefeFeld && !m_speichert) {
        // The check runs before the click that took the focus, and only when another control of this
        // window takes it: not when another window or a menu does.
        const Qt::FocusReason grund = static_cast<QFocusEvent*>(event)->reason();
        for (int i = 0; i < 2; ++i) {
            if (watched == text2[i] && grund != Qt::ActiveWindowFocusReason && grund != Qt::PopupFocusReason)
                text2_LostFocus(i);
        }
    }
    if (watched == List1 && event->type() == QEvent::KeyPress) {
        const auto* taste = static_cast<QKeyEvent*>(event);
        if (taste->key() == Qt::Key_Space && taste->modifiers() == Qt::NoModifier) {
            if (!taste->isAutoRepeat() && List1->currentIndex().isValid())
                List1_Click(List1->currentIndex().row());
            return true;
        }
    }
    return platform::TwipsForm::eventFilter(watched, event);
}

void Aenderungen::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        if (m_auswahlbutton && !m_entladen)
            m_auswahlbutton->laufwerkslisteZeigen(false);
        if (!focusWidget())
            setFocus();
    }
    platform::TwipsForm::changeEvent(event);
}

void Aenderungen::Text1_Geaendert(const QString& text)
{
    // Every edit by the user is checked against the last accepted pattern, typed or pasted alike.
    if (!text.isEmpty() && (!text_check(text, Vortext, ZaehlerMarke) ||
                            !text_check(text, Vortext, NameMarke) || !nurNamenszeichen(text))) {
        meldung(QStringLiteral("Eingabe Ungültig"));
        Text1->setText(Vortext);
        return;
    }
    Vortext = text;
}

void Aenderungen::text2_LostFocus(int index)
{
    const Feldpruefung p = zaehlerfeldVerlassen(index, text2[0]->text(), text2[1]->text(), m_liste.anzahl());
    text2[0]->setText(p.von);
    text2[1]->setText(p.bis);
    if (!p.meldung.isEmpty()) {
        m_pruefeFeld = true;
        feldMeldung(p);
    }
}

void Aenderungen::feldMeldung(const Feldpruefung& p)
{
    // A box opened amid a click would take the button's release: the values count at once, for that
    // click, and the message waits until the click is over.
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        QTimer::singleShot(20, this, [this, p] { feldMeldung(p); });
        return;
    }
    if (!m_entladen) {
        meldung(p.meldung, p.fehlerSymbol ? platform::MessageBox::Icon::Critical
                                          : platform::MessageBox::Icon::Information);
        if (p.fokus >= 0)
            text2[p.fokus]->setFocus();
    }
    m_pruefeFeld = false;
}

void Aenderungen::List1_Click(int zeile)
{
    const int eintrag = m_liste.eintragInZeile(zeile);
    if (eintrag >= 0)
        m_liste.setMarkiert(eintrag, !m_liste.istMarkiert(eintrag));
    text2[1]->setText(QString::number(m_liste.markierteAnzahl()));
}

void Aenderungen::Command1_Click(int index)
{
    if (index == 0)
        Text1->setText(
            zaehlerEinfuegen(Text1->text(), text2[0]->text(), text2[1]->text(), Option1[0]->isChecked()));
    else if (index == 2)
        Text1->setText(nameEinfuegen(Text1->text()));
    Vortext = Text1->text();
}

void Aenderungen::Command3_Click()
{
    m_liste.alleMarkieren(true);
    text2[1]->setText(QString::number(m_liste.markierteAnzahl()));
}

void Aenderungen::Command4_Click()
{
    m_liste.alleMarkieren(false);
    Text1->setText(QStringLiteral("0"));
    Vortext = Text1->text();
    text2[1]->setText(QStringLiteral("0"));
}

QString Aenderungen::Browse(const QString& titel)
{
    return m_umgebung.ordnerWaehlen ? m_umgebung.ordnerWaehlen(this, titel) : QString();
}

void Aenderungen::Option3_Click(int index)
{
    QString fehler;
    if (index == 0) {
        Text3->setText(Ursprungsfad);
    } else {
        Text3->setText(Browse(QStringLiteral("Suchen Sie sich einen Ordner aus!")));
        fehler = zielordnerFehler(Text3->text());
    }
    if (!fehler.isEmpty())
        meldung(fehler, platform::MessageBox::Icon::Warning);
    if (!fehler.isEmpty() || Text3->text().isEmpty()) {
        Text3->setText(Ursprungsfad);
        Option3[0]->setChecked(true);
    }
}

int Aenderungen::aktionsindex() const
{
    for (int i = 0; i < 3; ++i) {
        if (Option3[i]->isChecked())
            return i;
    }
    return 0;
}

void Aenderungen::eingabenFreigeben(bool frei)
{
    for (QWidget* w :
         {static_cast<QWidget*>(Text1), static_cast<QWidget*>(Command1[2]), static_cast<QWidget*>(Command3),
          static_cast<QWidget*>(Command4), static_cast<QWidget*>(List1), static_cast<QWidget*>(Frame1[0]),
          static_cast<QWidget*>(Frame1[2]), static_cast<QWidget*>(Frame2)})
        w->setEnabled(frei);
    if (!frei)
        Text3->setEnabled(false);
}

void Aenderungen::Command5_Click()
{
    if (m_entladen || m_speichert)
        return;
    m_nachrichtenUhr.invalidate();
    const Schrittantwort a = m_lauf.schritt(*this);
    // After the end of a step nothing of the window is touched: it may be gone.
    if (!a.ende)
        anzeigen(a);
}

void Aenderungen::Command6_Click()
{
    if (m_entladen || m_speichert)
        return;
    m_nachrichtenUhr.invalidate();
    m_lauf.alle(*this);
}

void Aenderungen::Command2_Click()
{
    if (!m_lauf.anhalten())
        close();
}

Laufeingaben Aenderungen::eingaben() const
{
    return {Text1->text(), Text3->text(), static_cast<platform::FileAction>(aktionsindex()),
            static_cast<int>(text2[1]->text().trimmed().size())};
}

bool Aenderungen::zwischendurch()
{
    if (m_entladen)
        return false;
    // A click is seen within this time, and a run of small files is not spent in the event loop: the
    // first pass of every click runs them, so that what was queued before it counts.
    constexpr qint64 nachrichtenMs = 10;
    if (m_nachrichtenUhr.isValid() && m_nachrichtenUhr.elapsed() < nachrichtenMs)
        return true;
    QPointer<Aenderungen> self(this);
    nachrichten();
    if (self)
        m_nachrichtenUhr.start();
    return self && !m_entladen;
}

bool Aenderungen::anzeigen(const Schrittantwort& a)
{
    if (m_entladen)
        return false;
    if (a.sitzungBegonnen) {
        ++m_umgebung.gemeinsam->Sitzung;
        standMerken();
    }
    // The caption changes only with the state; setting it per file would lay the button out again.
    if (a.zustandGewechselt) {
        Command5->setText(a.beschriftung);
        eingabenFreigeben(!m_lauf.laeuft());
    }
    if (a.listeFuellen) {
        m_liste.aktualisieren();
        m_dateiauswahl.Liste_fuellen();
    }
    using Meldung = Schrittantwort::Meldung;
    switch (a.meldung) {
    case Meldung::Keine:
        break;
    case Meldung::MusterFehlt:
        m_umgebung.messages->showTitled(this, QStringLiteral("Hinweis"), a.text,
                                        platform::MessageBox::Icon::Critical);
        Text1->setFocus();
        break;
    case Meldung::NichtsMarkiert:
    case Meldung::KeineDateienMehr:
    case Meldung::Fehlgeschlagen:
        meldung(a.text,
                a.fehlerGemeldet ? platform::MessageBox::Icon::Warning : platform::MessageBox::Icon::None);
        break;
    case Meldung::NichtEingetragen:
        meldung(a.text, platform::MessageBox::Icon::Critical);
        break;
    }
    if (a.fensterSchliessen)
        close();
    return !m_entladen;
}

void Aenderungen::Monitorverweis::setLabel(MonitorLabel label, const QString& text)
{
    if (m_monitor)
        m_monitor->setLabel(label, text);
}

QString Aenderungen::Monitorverweis::label(MonitorLabel label) const
{
    return m_monitor ? m_monitor->label(label) : QString();
}

void Aenderungen::Monitorverweis::dateiZeigen(const NeuerName& name, int eintraege)
{
    if (m_monitor)
        m_monitor->dateiZeigen(name, eintraege);
}

void Aenderungen::Monitorverweis::ergebnisZeigen(const platform::FileOutcome& ergebnis)
{
    if (m_monitor)
        m_monitor->ergebnisZeigen(ergebnis);
}

void Aenderungen::verschiebenNach(int y)
{
    if (!m_auswahlbutton || !m_monitor)
        return;
    stack::Renamestapel s{m_auswahlbutton->Top(),
                          m_auswahlbutton->Height(),
                          m_monitor->Top(),
                          m_monitor->Height(),
                          Top(),
                          Height()};
    if (!stack::renamestapelZiehen(s, y))
        Ziehen = false;
    m_auswahlbutton->setTop(s.barTop);
    m_monitor->setTop(s.monitorTop);
    m_monitor->setHeight(s.monitorHeight);
    setTop(s.fensterTop);
}

void Aenderungen::closeEvent(QCloseEvent* event)
{
    // A run is never cut off in the middle of a file: closing asks it to stop at the next one.
    if (m_lauf.anhalten()) {
        event->ignore();
        return;
    }
    if (!entladen()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool Aenderungen::entladen()
{
    if (m_entladen)
        return true;
    // A second close while the save lets events run waits for the first.
    if (m_speichert)
        return false;
    m_speichert = true;
    shell::Gemeinsam& g = *m_umgebung.gemeinsam;
    // The window keeps painting while a large session is saved, but nothing in it may start a run. A save
    // short enough to let no events run locks nothing, and the focus stays where it is.
    QList<QWidget*> gesperrt;
    QPointer<QWidget> fokus;
    bool zu = false;
    platform::Breather atem([&] {
        if (!zu) {
            zu = true;
            fokus = focusWidget();
            for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (w->isEnabled()) {
                    w->setEnabled(false);
                    gesperrt.append(w);
                }
            }
        }
        QCoreApplication::processEvents();
    });
    const platform::Result gespeichert =
        m_umgebung.journal->Sitzung_speichern(g.Programmstart, g.Sitzung, Text1->text(), &atem);
    // Saved, the window closes and no run follows; still locked, as events run meanwhile.
    if (gespeichert.ok())
        m_lauf.vergessen();
    m_speichert = false;
    for (QWidget* w : gesperrt)
        w->setEnabled(true);
    if (fokus)
        fokus->setFocus();
    if (!gespeichert.ok()) {
        // Closing anyway would leave the files of this session without any record, so the window stays.
        meldung(QStringLiteral("Die Sitzung konnte nicht in die Sicherungsdatei geschrieben werden:\n%1\n\n"
                               "Das Fenster bleibt offen, damit die Aufzeichnung nicht verloren geht; beim "
                               "nächsten Schließen wird erneut gespeichert.")
                    .arg(gespeichert.message()),
                platform::MessageBox::Icon::Warning);
        return false;
    }
    if (!m_umgebung.journal->hinweis().isEmpty())
        meldung(m_umgebung.journal->hinweis(), platform::MessageBox::Icon::Information);
    m_entladen = true;
    m_dateiauswahl.setTop(Top());
    m_dateiauswahl.show();
    if (g.IE)
        static_cast<void>(g.IE->setVisible(true));
    if (m_auswahlbutton)
        m_auswahlbutton->umbenennphaseBeenden();
    if (m_monitor)
        m_monitor->close();
    m_dateiauswahl.abfrageFortsetzen();
    m_dateiauswahl.setAnzahlText(QStringLiteral("Aktion durchgeführt!"));
    m_dateiauswahl.Command5_Click();
    if (m_auswahlbutton)
        m_auswahlbutton->laufwerkslisteZeigen(true);
    return true;
}

} // namespace tw::rename
