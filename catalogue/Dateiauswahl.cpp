#include "Dateiauswahl.h"

#include "platform/ImageStrip.h"
#include "platform/WrapButton.h"
#include "shell/DisplayAnpassen.h"
#include "stack/Stapelziehen.h"

#include <QAbstractListModel>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QStringListModel>
#include <QTimer>
#include <algorithm>

namespace tw::catalogue {

// The left list: the browser's selection, each path shown as it is, kept as the selection itself so that
// 100,000 marked files cost no copy of their paths.
class Eintragsliste : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void setAuswahl(platform::ShellItems auswahl)
    {
        beginResetModel();
        m_auswahl = std::move(auswahl);
        endResetModel();
    }
    // The entries as they are kept: each path followed by CR LF.
    QStringList eintraege() const
    {
        QStringList eintraege = m_auswahl.paths();
        for (QString& e : eintraege)
            e += QStringLiteral("\r\n");
        return eintraege;
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : m_auswahl.Count();
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_auswahl.Count())
            return {};
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return m_auswahl.path(index.row());
        return {};
    }

private:
    platform::ShellItems m_auswahl;
};

namespace {

constexpr double schrift = 8.25;

QListView* liste(QWidget* parent, QAbstractItemView::SelectionMode mode)
{
    auto* view = new QListView(parent);
    view->setSelectionMode(mode);
    view->setUniformItemSizes(true);
    view->setLayoutMode(QListView::Batched);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return view;
}

} // namespace

Dateiauswahl::Dateiauswahl(const platform::ScreenMetrics& screen, shell::Gemeinsam& gemeinsam,
                           platform::MessageBox& messages, QWidget* parent)
    : platform::TwipsForm(screen, parent, Qt::Window | Qt::FramelessWindowHint), m_gemeinsam(gemeinsam),
      m_messages(messages), m_logik(*this)
{
    setObjectName(QStringLiteral("Dateiauswahl"));
    setWindowTitle(QStringLiteral("Tausch2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setGreyBackground();
    bauen();

    // Load: fit to the screen, then the catalogue exists (the logic made it).
    platform::Formular form = formular();
    shell::Display_anpassen(form, 0, screen);
    setFormular(form);
    abfrageStarten();
}

Dateiauswahl::~Dateiauswahl() = default;

void Dateiauswahl::bauen()
{
    setWidth(15075);
    setHeight(5490);

    auto beschriftung = [this](const QString& text) {
        auto* label = new QLabel(text, this);
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
        return label;
    };
    Label1[1] = beschriftung(QStringLiteral("Es wurden 0 Objekte makiert"));
    Label1[1]->setObjectName(QStringLiteral("Label1_1"));
    addControl(Label1[1], 270, 30, 4455, 285, schrift);

    Text1 = liste(this, QAbstractItemView::SingleSelection);
    Text1->setObjectName(QStringLiteral("Text1"));
    m_linkeListe = new Eintragsliste(this);
    Text1->setModel(m_linkeListe);
    addControl(Text1, 240, 300, 7365, 3180, schrift);

    Label1[0] = beschriftung(QStringLiteral("Es wurden 0 Files übernommen"));
    Label1[0]->setObjectName(QStringLiteral("Label1_0"));
    addControl(Label1[0], 7680, 30, 4395, 315, schrift);

    List1 = liste(this, QAbstractItemView::MultiSelection);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setToolTip(QStringLiteral("Datum"));
    m_rechteListe = new QStringListModel(this);
    List1->setModel(m_rechteListe);
    addControl(List1, 7680, 300, 7185, 3210, schrift);

    Command1[1] = new platform::WrapButton(QStringLiteral("Dateien in rechte Liste übernehmen ---->"), this);
    Command1[1]->setObjectName(QStringLiteral("Command1_1"));
    addControl(Command1[1], 240, 3600, 2085, 1455, schrift);

    Frame2 = new QGroupBox(QStringLiteral("Filteroption"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    addControl(Frame2, 2730, 3600, 3315, 1425, schrift);
    Command5 = new platform::WrapButton(QStringLiteral("Alle Dateien anzeigen"), Frame2);
    Command5->setObjectName(QStringLiteral("Command5"));
    addControl(Command5, 60, 270, 3135, 285, schrift);
    text2 = new QLineEdit(QStringLiteral("Stichwortsuche"), Frame2);
    text2->setObjectName(QStringLiteral("text2"));
    text2->installEventFilter(this);
    addControl(text2, 60, 630, 2625, 255, schrift);
    Command4 = new platform::WrapButton(QStringLiteral("Go"), Frame2);
    Command4->setObjectName(QStringLiteral("Command4"));
    addControl(Command4, 2700, 630, 495, 285, schrift);
    Combo1 = new QComboBox(Frame2);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setEditText(ComboLeer);
    addControl(Combo1, 60, 960, 3165, 315, schrift);

    Frame1[0] = new QGroupBox(QStringLiteral("Anzeigeoptionen"), this);
    Frame1[0]->setObjectName(QStringLiteral("Frame1_0"));
    addControl(Frame1[0], 6210, 3600, 1725, 1425, schrift);
    Frame1[1] = new QGroupBox(QStringLiteral("Sotierotion"), this);
    Frame1[1]->setObjectName(QStringLiteral("Frame1_1"));
    addControl(Frame1[1], 8070, 3600, 2175, 1425, schrift);
    struct OptionPlatz
    {
        int index;
        const char* text;
        int frame;
        float left, top;
    };
    for (const OptionPlatz& o :
         {OptionPlatz{0, "Pfadname", 0, 90, 270}, OptionPlatz{1, "Dateiname", 0, 90, 570},
          OptionPlatz{2, "Dateiname", 1, 120, 210}, OptionPlatz{3, "Ordner", 1, 120, 480},
          OptionPlatz{7, "Datum", 1, 120, 750}, OptionPlatz{4, "Anwendung", 1, 120, 960}}) {
        auto* button = new QRadioButton(QString::fromUtf8(o.text), Frame1[o.frame]);
        button->setObjectName(QStringLiteral("Option1_%1").arg(o.index));
        Option1.insert(o.index, button);
        addControl(button, o.left, o.top, o.frame == 0 ? 1455 : 1935, o.frame == 0 ? 255 : 210, schrift);
        connect(button, &QRadioButton::clicked, this, [this, i = o.index] { m_logik.Option1_Click(i); });
    }
    Option1[0]->setChecked(true);
    Option1[3]->setChecked(true);

    Command6 = new platform::WrapButton(QStringLiteral("Alle Dateien in Liste makieren"), this);
    Command6->setObjectName(QStringLiteral("Command6"));
    addControl(Command6, 10710, 3630, 2055, 705, schrift);
    Command1[0] = new platform::WrapButton(QStringLiteral("Aus Liste löschen"), this);
    Command1[0]->setObjectName(QStringLiteral("Command1_0"));
    addControl(Command1[0], 10710, 4380, 2055, 675, schrift);
    Command2 = new platform::WrapButton(QStringLiteral("Dateien umschreiben"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    addControl(Command2, 12810, 3630, 2085, 705, schrift);
    Command3 = new platform::WrapButton(QStringLiteral("Beenden"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    addControl(Command3, 12810, 4380, 2085, 675, schrift);

    Verschieben = new platform::ImageStrip(
        platform::ImageStrip::drawBar(QStringLiteral("Auswahlfenster verschieben")), this);
    Verschieben->setObjectName(QStringLiteral("Verschieben"));
    Verschieben->setCursor(Qt::SizeVerCursor);
    addControl(Verschieben, 0, 5100, 15360, 300);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    addPositionOnly(Timer1, 0, 0);

    connect(Timer1, &QTimer::timeout, this, &Dateiauswahl::Timer1_Timer);
    connect(Text1, &QListView::clicked, this, &Dateiauswahl::abfrageStarten);
    connect(Command1[0], &QPushButton::clicked, this, [this] { Command1_Click(0); });
    connect(Command1[1], &QPushButton::clicked, this, [this] { Command1_Click(1); });
    connect(Command2, &QPushButton::clicked, this, &Dateiauswahl::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &QWidget::close);
    connect(Command4, &QPushButton::clicked, this, [this] { m_logik.Go_Click(text2->text()); });
    connect(Command5, &QPushButton::clicked, this, [this] { m_logik.Command5_Click(); });
    connect(Command6, &QPushButton::clicked, this, &Dateiauswahl::Command6_Click);
    connect(Combo1, &QComboBox::activated, this, [this] { m_logik.Combo1_Click(); });
    // Every change of the marks, by mouse or by keyboard, updates the date tip.
    connect(List1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Dateiauswahl::List1_Click);
    connect(Verschieben, &platform::ImageStrip::pressed, this, &Dateiauswahl::Verschieben_MouseDown);
    connect(Verschieben, &platform::ImageStrip::moved, this, &Dateiauswahl::Verschieben_MouseMove);
    connect(Verschieben, &platform::ImageStrip::released, this, &Dateiauswahl::Verschieben_MouseUp);
}

void Dateiauswahl::verschiebenAnsEnde()
{
    if (auto p = place(Verschieben)) {
        p->Top = Height() - p->Height.value_or(0);
        setPlace(Verschieben, *p);
    }
}

bool Dateiauswahl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == text2 && event->type() == QEvent::KeyRelease)
        m_logik.Stichwort_eingegeben(text2->text());
    return platform::TwipsForm::eventFilter(watched, event);
}

void Dateiauswahl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        setFocus();
    platform::TwipsForm::changeEvent(event);
}

QStringList Dateiauswahl::linkeListe() const
{
    return m_linkeListe->eintraege();
}

void Dateiauswahl::Timer1_Timer()
{
    Timer1->stop();
    if (m_gemeinsam.IE) {
        if (auto auswahl = m_gemeinsam.IE->SelectedItems())
            m_logik.Explorerauswahl = *auswahl;
    }
    const platform::ShellItems& auswahl = m_logik.Explorerauswahl;
    const int anzahl = auswahl.Count();
    // An empty selection has no first item: it always counts as changed.
    const bool leer = anzahl == 0;
    bool geaendert = leer;
    if (!leer) {
        const QString erster = auswahl.Item(0).Name;
        const QString letzter = auswahl.Item(anzahl - 1).Name;
        geaendert = QString::number(anzahl) != Auswahlkennung[2] || letzter != Auswahlkennung[1] ||
                    erster != Auswahlkennung[0];
        if (geaendert) {
            Auswahlkennung = {erster, letzter, QString::number(anzahl)};
            m_linkeListe->setAuswahl(auswahl);
        }
    } else {
        // Forgotten too, so that the same files marked again count as a change.
        Auswahlkennung = {};
        m_linkeListe->setAuswahl({});
    }
    Label1[1]->setText(QStringLiteral("Es wurden %1 Objekte makiert").arg(m_linkeListe->rowCount()));
    abfrageStarten();
}

void Dateiauswahl::abfrageStarten()
{
    if (m_abfragePause == 0 && !m_logik.uebernahmeLaeuft())
        Timer1->start();
}

void Dateiauswahl::knoepfeFreigeben(bool frei)
{
    Command1[0]->setEnabled(frei);
    Command1[1]->setEnabled(frei);
    Command2->setEnabled(frei);
}

void Dateiauswahl::Command1_Click(int index)
{
    if (m_entladen || m_logik.uebernahmeLaeuft())
        return;
    if (index == 1) {
        if (m_linkeListe->rowCount() == 0) {
            m_messages.show(this,
                            QStringLiteral("Es müssen erst Daten in das Linke Listenfeld übernommen werden"));
            return;
        }
        Timer1->stop();
        // Window messages run during the take-over; what would change the catalogue or hand it over waits.
        knoepfeFreigeben(false);
        const QString hinweis = m_logik.uebernehmen();
        if (m_nachUebernahmeLoeschen) {
            deleteLater();
            return;
        }
        knoepfeFreigeben(true);
        if (!hinweis.isEmpty())
            m_messages.show(this, hinweis, platform::MessageBox::Icon::Warning);
        abfrageStarten();
    } else if (index == 0) {
        Timer1->stop();
        m_logik.Sub_Loeschen();
        m_logik.Liste_fuellen();
        abfrageStarten();
    }
}

void Dateiauswahl::Command6_Click()
{
    List1->selectAll();
}

void Dateiauswahl::List1_Click()
{
    m_logik.Datumtipp();
}

void Dateiauswahl::Command2_Click()
{
    if (m_entladen || m_logik.uebernahmeLaeuft())
        return;
    if (!Option1[0]->isChecked()) {
        m_messages.show(this, QStringLiteral("Bitte Anzeigeoption auf Pfadname stellen"));
        return;
    }
    if (umschreibenOeffnen) {
        umschreibenOeffnen();
        return;
    }
    m_messages.show(
        this, QStringLiteral("Das Umbenennen ist in dieser Ausgabe von Tauschwerk noch nicht enthalten."),
        platform::MessageBox::Icon::Information);
}

QStringList Dateiauswahl::markierteTexte() const
{
    QStringList texte;
    const QStringList alle = m_rechteListe->stringList();
    for (int i : markierte())
        texte.append(alle.at(i));
    return texte;
}

void Dateiauswahl::abfrageAnhalten()
{
    ++m_abfragePause;
    Timer1->stop();
}

void Dateiauswahl::abfrageFortsetzen()
{
    if (m_abfragePause > 0)
        --m_abfragePause;
    abfrageStarten();
}

void Dateiauswahl::Verschieben_MouseDown()
{
    Ziehen = true;
}

void Dateiauswahl::Verschieben_MouseUp()
{
    Ziehen = false;
}

void Dateiauswahl::Verschieben_MouseMove()
{
    if (Ziehen)
        verschiebenNach(QCursor::pos().y());
}

void Dateiauswahl::verschiebenNach(int y)
{
    platform::Browser* ie = m_gemeinsam.IE.get();
    if (!m_auswahlbutton || !ie)
        return;
    const auto browserTop = ie->Top();
    const auto browserHeight = ie->Height();
    if (!browserTop || !browserHeight)
        return;
    stack::Stapel s{m_auswahlbutton->Top(),           m_auswahlbutton->Height(),          Top(), Height(),
                    static_cast<double>(*browserTop), static_cast<double>(*browserHeight)};
    if (!stack::verschiebenSchritt(s, y))
        Ziehen = false;
    m_auswahlbutton->setTop(s.barTop);
    // A browser the user has closed keeps no place; the drag goes on without it.
    static_cast<void>(ie->setTop(static_cast<int>(s.browserTop)));
    static_cast<void>(ie->setHeight(std::max(0, static_cast<int>(s.browserHeight))));
    setTop(s.fensterTop);
}

void Dateiauswahl::setRechteListe(const QStringList& eintraege)
{
    m_rechteListe->setStringList(eintraege);
}

QStringList Dateiauswahl::rechteListe() const
{
    return m_rechteListe->stringList();
}

QList<int> Dateiauswahl::markierte() const
{
    QList<int> zeilen;
    for (const QItemSelectionRange& range : List1->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            zeilen.append(row);
    }
    std::sort(zeilen.begin(), zeilen.end());
    zeilen.erase(std::unique(zeilen.begin(), zeilen.end()), zeilen.end());
    return zeilen;
}

void Dateiauswahl::rechteListeFokus()
{
    List1->setFocus();
}

void Dateiauswahl::setDatumTipp(const QString& text)
{
    List1->setToolTip(text);
}

void Dateiauswahl::setComboEintraege(const QStringList& eintraege)
{
    const QString text = Combo1->currentText();
    Combo1->clear();
    Combo1->addItems(eintraege);
    Combo1->setEditText(text);
}

QString Dateiauswahl::comboText() const
{
    return Combo1->currentText();
}

void Dateiauswahl::setComboText(const QString& text)
{
    Combo1->setEditText(text);
}

void Dateiauswahl::setStichwortText(const QString& text)
{
    text2->setText(text);
}

void Dateiauswahl::setAnzahlText(const QString& text)
{
    Label1[0]->setText(text);
}

void Dateiauswahl::nachrichtenVerarbeiten()
{
    QCoreApplication::processEvents();
}

void Dateiauswahl::closeEvent(QCloseEvent* event)
{
    if (m_logik.uebernahmeLaeuft()) {
        m_logik.uebernahmeAbbrechen();
        // The take-over's loop is still on the stack: the window goes once it has returned.
        if (testAttribute(Qt::WA_DeleteOnClose)) {
            setAttribute(Qt::WA_DeleteOnClose, false);
            m_nachUebernahmeLoeschen = true;
        }
    }
    entladen();
    event->accept();
}

void Dateiauswahl::entladen()
{
    if (m_entladen)
        return;
    m_entladen = true;
    Timer1->stop();

    shell::Einstellungen& e = m_gemeinsam.einstellungen;
    for (int i = e.Count(); i >= 1; --i)
        e.Remove(i);
    if (m_auswahlbutton)
        e.Add(QStringLiteral("Button_top"), QString::number(m_auswahlbutton->Top()));
    e.Add(QStringLiteral("Datei_top"), QString::number(Top()));
    platform::Browser* ie = m_gemeinsam.IE.get();
    if (ie) {
        if (const auto top = ie->Top())
            e.Add(QStringLiteral("IE_Top"), QString::number(*top));
        if (const auto height = ie->Height())
            e.Add(QStringLiteral("IE_Height"), QString::number(*height));
    }
    const auto ort =
        ie ? ie->locationurl() : platform::Expected<QString>(platform::Result::failure(QString()));
    if (!ort || ort->isEmpty())
        e.Add(QStringLiteral("ie_pfad"), QStringLiteral("c:\\"));
    else
        e.Add(QStringLiteral("ie_Pfad"), *ort);

    if (m_auswahlbutton)
        m_auswahlbutton->close();
    // A browser the user has closed is gone already.
    if (ie)
        static_cast<void>(ie->Quit());
    if (m_gemeinsam.startfensterSichtbar)
        m_gemeinsam.startfensterSichtbar(true);
}

} // namespace tw::catalogue
