#include "ProgrammStart.h"

#include "catalogue/Dateiauswahl.h"
#include "journal/Wiederherstellung.h"
#include "journal/Zurueck.h"
#include "platform/FileOps.h"
#include "platform/QtScreenMetrics.h"
#include "rename/Aenderungen.h"
#include "rename/Ueberwachungsmonitor.h"
#include "shell/Stapellayout.h"
#include "stack/frmAuswahlbutton.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <cmath>

namespace tw::shell {

namespace {

struct Place
{
    int left, top, width, height;
};

// Design places in twips.
constexpr Place schritt1Place{270, 323, 4125, 615};
constexpr Place verwaltungPlace{270, 1223, 4125, 615};
constexpr Place dokumentationPlace{278, 2153, 4125, 615};
constexpr Place label1Place{4260, 2790, 465, 345};
constexpr int clientWidth = 4680;
constexpr int clientHeight = 3450;

} // namespace

ProgrammStart::ProgrammStart(StartDependencies deps, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_deps(std::move(deps)),
      m_datenBanken(std::make_unique<journal::DatenBanken>(m_deps.programFolder, *m_deps.clock))
{
    setObjectName(QStringLiteral("ProgrammStart"));
    setWindowTitle(QStringLiteral("Tauschwerk © TW-Team"));
    setAttribute(Qt::WA_QuitOnClose, true);

    const char* texts[3] = {"Schritt1 _ Datenauswählen", "Verwaltung", "Dokumentation"};
    for (int i = 0; i < 3; ++i) {
        Command1[i] = new QPushButton(QString::fromUtf8(texts[i]), this);
        Command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    Label1 = new QLabel(QStringLiteral("1"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Tab order follows the tab indexes: Dokumentation, Verwaltung, Schritt1.
    setTabOrder(Command1[2], Command1[1]);
    setTabOrder(Command1[1], Command1[0]);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(20);
    connect(Timer1, &QTimer::timeout, this, &ProgrammStart::Timer1_Timer);

    startfensterSichtbar = [this](bool sichtbar) { setVisible(sichtbar); };
    Form_Load();
    Timer1->start();
    Command1[2]->setFocus();
}

ProgrammStart::~ProgrammStart()
{
    // A closed undo window may still wait for its deferred deletion when the event loop has ended.
    delete m_zurueck.data();
}

void ProgrammStart::Form_Load()
{
    einstellungen = Einstellungen::leer();
    // Before the count: a recovered session of today counts as a program start of its own.
    const journal::Wiederherstellung w = journal::offeneSitzungenWiederherstellen(*m_datenBanken);
    std::optional<journal::UnlesbaresJournal> unlesbar;
    Programmstart = m_datenBanken->Programmstart_ermitteln(&unlesbar);
    Label1->setText(QString::number(Programmstart));
    placeControls();
    if (const QString text = journal::startMeldung(w, unlesbar); !text.isEmpty()) {
        const bool stoerung =
            unlesbar || !w.unlesbar.isEmpty() || !w.nichtGespeichert.isEmpty() || !w.journale.isEmpty();
        startmeldungZeigen(text, stoerung ? platform::MessageBox::Icon::Warning
                                          : platform::MessageBox::Icon::Information);
    }
}

void ProgrammStart::startmeldungZeigen(const QString& text, platform::MessageBox::Icon icon, int versuch)
{
    // Over the window once it stands on the screen, where the window manager put it; a box shown before
    // would be placed against a window that is not yet there.
    const bool steht = isVisible() && windowHandle() && windowHandle()->isExposed();
    if (!steht && versuch < 50) {
        QTimer::singleShot(20, this,
                           [this, text, icon, versuch] { startmeldungZeigen(text, icon, versuch + 1); });
        return;
    }
    m_deps.messages->show(this, text, icon);
}

void ProgrammStart::placeControls()
{
    const float tx = m_deps.screen->twipsPerPixelX();
    const float ty = m_deps.screen->twipsPerPixelY();
    auto place = [tx, ty](QWidget* w, const Place& p) {
        w->setGeometry(platform::twipsToPixels(p.left, tx), platform::twipsToPixels(p.top, ty),
                       platform::twipsToPixels(p.width, tx), platform::twipsToPixels(p.height, ty));
    };
    place(Command1[0], schritt1Place);
    place(Command1[1], verwaltungPlace);
    place(Command1[2], dokumentationPlace);
    place(Label1, label1Place);
    setFixedSize(platform::twipsToPixels(clientWidth, tx), platform::twipsToPixels(clientHeight, ty));
}

void ProgrammStart::Timer1_Timer()
{
    if (fensterPruefen)
        fensterPruefen();
}

void ProgrammStart::Command1_Click(int index)
{
    switch (index) {
    case 0:
        IE_Neu_erstellen();
        if (!IE || !m_dateiauswahl)
            break;
        if (!einstellungen.Item(QStringLiteral("Button_top")).isEmpty()) {
            const auto zahl = [this](const char* key) {
                return einstellungen.Item(QString::fromLatin1(key));
            };
            m_auswahlbutton->setTop(zahl("Button_top").toFloat());
            m_dateiauswahl->setTop(zahl("Datei_top").toFloat());
            // A value the closing window could not read was not stored; it is not applied either.
            // The browser's members fail only once the user has closed it, and then nothing is left
            // to place; a remembered folder that is gone leaves the browser where it starts.
            bool ok = false;
            if (const int top = zahl("IE_Top").toInt(&ok); ok)
                static_cast<void>(IE->setTop(top));
            if (const int hoehe = zahl("IE_Height").toInt(&ok); ok)
                static_cast<void>(IE->setHeight(hoehe));
            static_cast<void>(IE->navigate(zahl("ie_Pfad")));
        }
        static_cast<void>(IE->setVisible(true));
        break;
    case 1:
        if (!m_zurueck) {
            journal::ZurueckUmgebung umgebung;
            umgebung.programmordner = m_deps.programFolder;
            umgebung.screen = m_deps.screen;
            umgebung.messages = m_deps.messages;
            umgebung.opener = m_deps.opener;
            m_zurueck = new journal::Zurueck(umgebung);
            m_zurueck->setAttribute(Qt::WA_DeleteOnClose);
        }
        m_zurueck->show();
        m_zurueck->raise();
        m_zurueck->activateWindow();
        break;
    case 2: {
        const QString page = m_deps.documentation;
        if (!platform::fileExists(page)) {
            m_deps.messages->show(this,
                                  QStringLiteral("Die Dokumentation wurde nicht gefunden:\n%1")
                                      .arg(QDir::toNativeSeparators(page)),
                                  platform::MessageBox::Icon::Warning);
            break;
        }
        if (const platform::Result opened = m_deps.opener->open(page); !opened) {
            m_deps.messages->show(
                this,
                QStringLiteral("Die Dokumentation konnte nicht geöffnet werden.\n%1").arg(opened.message()),
                platform::MessageBox::Icon::Warning);
        }
        break;
    }
    default:
        break;
    }
}

void ProgrammStart::IE_Neu_erstellen()
{
    IE = m_deps.browserErstellen ? m_deps.browserErstellen() : nullptr;
    if (!IE) {
        m_deps.messages->show(this, QStringLiteral("Das Browserfenster konnte nicht geöffnet werden."),
                              platform::MessageBox::Icon::Critical);
        return;
    }
    // A browser just made takes these; should the user close it at once, the steps are moot.
    static_cast<void>(IE->navigate(QStringLiteral("file://C:\\")));
    static_cast<void>(IE->setFullscreen(true));

    // The selection window is loaded first: on a narrow screen the browser's top comes from it.
    m_dateiauswahl = new catalogue::Dateiauswahl(*m_deps.screen, *this, *m_deps.messages);
    const Stapellayout l = stapelBerechnen(*m_deps.screen, m_dateiauswahl->Top());
    static_cast<void>(IE->setWidth(static_cast<int>(std::lround(l.browserWidth))));
    static_cast<void>(IE->setHeight(0));
    static_cast<void>(IE->setTop(static_cast<int>(std::lround(l.browserTop))));
    static_cast<void>(IE->setLeft(0));

    m_auswahlbutton = new stack::frmAuswahlbutton(*m_deps.screen, *this, *m_deps.laufwerke);
    m_auswahlbutton->setLeft(l.barLeft);
    m_auswahlbutton->setWidth(l.barWidth);
    m_auswahlbutton->setTop(l.barTop);

    m_dateiauswahl->setWidth(l.auswahlWidth);
    m_dateiauswahl->setHeight(l.auswahlHeight);
    m_dateiauswahl->setTop(l.auswahlTop);
    m_dateiauswahl->setLeft(l.auswahlLeft);
    m_dateiauswahl->verschiebenAnsEnde();

    m_auswahlbutton->setAuswahlfenster(m_dateiauswahl);
    m_dateiauswahl->setAuswahlbutton(m_auswahlbutton);
    m_dateiauswahl->umschreibenOeffnen = [this] { umschreibenOeffnen(); };

    m_auswahlbutton->show();
    m_dateiauswahl->show();
    hide();
}

catalogue::Dateiauswahl* ProgrammStart::dateiauswahl() const
{
    return m_dateiauswahl;
}

stack::frmAuswahlbutton* ProgrammStart::auswahlbutton() const
{
    return m_auswahlbutton;
}

rename::Aenderungen* ProgrammStart::aenderungen() const
{
    return m_aenderungen;
}

rename::Ueberwachungsmonitor* ProgrammStart::ueberwachungsmonitor() const
{
    return m_monitor;
}

journal::Zurueck* ProgrammStart::zurueck() const
{
    return m_zurueck;
}

void ProgrammStart::umschreibenOeffnen()
{
    if (!m_dateiauswahl || !IE)
        return;
    m_monitor = new rename::Ueberwachungsmonitor(*m_deps.screen);
    m_monitor->setAttribute(Qt::WA_DeleteOnClose);
    // The browser's place in pixels, converted with the fixed factor.
    const auto twips = [](const platform::Expected<int>& pixel) {
        return static_cast<float>((pixel.ok() ? *pixel : 0) * platform::fixedTwipsPerPixel);
    };
    m_monitor->setWidth(twips(IE->Width()));
    m_monitor->setHeight(twips(IE->Height()));
    m_monitor->setTop(twips(IE->Top()));
    m_monitor->setLeft(twips(IE->Left()));

    rename::AenderungenUmgebung umgebung;
    umgebung.screen = m_deps.screen;
    umgebung.gemeinsam = this;
    umgebung.messages = m_deps.messages;
    umgebung.journal = m_datenBanken.get();
    umgebung.ordnerWaehlen = m_deps.ordnerWaehlen;
    umgebung.auswahlbutton = m_auswahlbutton;
    m_aenderungen = new rename::Aenderungen(umgebung, *m_dateiauswahl, *m_monitor);
    if (m_auswahlbutton)
        m_auswahlbutton->setUmbenennfenster(m_aenderungen, m_monitor);
    m_aenderungen->setWidth(m_dateiauswahl->Width());
    m_aenderungen->setHeight(m_dateiauswahl->Height());
    m_aenderungen->setTop(m_dateiauswahl->Top());
    m_aenderungen->setLeft(m_dateiauswahl->Left());
    m_aenderungen->show();
    m_monitor->show();
}

void ProgrammStart::closeEvent(QCloseEvent* event)
{
    // The rename window goes first: it saves its session and needs the selection window to do so.
    if (m_aenderungen) {
        m_aenderungen->close();
        if (m_aenderungen && m_aenderungen->isVisible()) {
            event->ignore();
            return;
        }
    }
    if (m_dateiauswahl)
        m_dateiauswahl->close();
    if (m_monitor)
        m_monitor->close();
    if (m_zurueck)
        m_zurueck->close();
    Timer1->stop();
    event->accept();
}

} // namespace tw::shell
