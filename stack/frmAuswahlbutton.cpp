#include "frmAuswahlbutton.h"

#include "platform/ImageStrip.h"
#include "shell/DisplayAnpassen.h"
#include "stack/Fokus.h"
#include "stack/Klickflaeche.h"
#include "stack/Laufwerksliste.h"
#include "stack/Stapelziehen.h"

#include <QCloseEvent>
#include <QCursor>
#include <QPainter>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

namespace tw::stack {

namespace {

// Design places in twips: left, top, width, height.
struct Place
{
    float left, top, width, height;
};

constexpr Place drive1Place{60, 30, 2685, 315};
constexpr Place image1Place{30, 0, 15360, 300};
constexpr Place zurueckPlace{3690, 0, 1695, 315};
constexpr Place vorPlace{10650, 0, 1695, 315};
constexpr Place eplorerButtonPlace{0, 30, 15360, 315};
constexpr float clientWidth = 15075;
constexpr float clientHeight = 345;
constexpr double drive1Font = 8.25;

// The picture's 1024 pixels span the handle's 15360 design twips: a label drawn under a click area's
// design place stays under it however the bar is fitted.
QRect unterDerFlaeche(const Place& p)
{
    const int mitte = static_cast<int>((p.left + p.width / 2) / platform::fixedTwipsPerPixel);
    return QRect(mitte - 90, 0, 180, 20);
}

} // namespace

frmAuswahlbutton::frmAuswahlbutton(const platform::ScreenMetrics& screen, shell::Gemeinsam& gemeinsam,
                                   const Laufwerksquelle& laufwerke, QWidget* parent)
    : platform::TwipsForm(screen, parent, Qt::Tool | Qt::FramelessWindowHint), m_gemeinsam(gemeinsam),
      m_quelle(laufwerke)
{
    setObjectName(QStringLiteral("frmAuswahlbutton"));
    setWindowTitle(QStringLiteral("Tausch1"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The stack's other windows decide when the program ends.
    setAttribute(Qt::WA_QuitOnClose, false);
    bauen();
    Form_Load();
    Timer1->start();
}

frmAuswahlbutton::~frmAuswahlbutton() = default;

void frmAuswahlbutton::bauen()
{
    setWidth(clientWidth);
    setHeight(clientHeight);

    // Created back to front: the handle, the click areas over its labels, the rename phase's handle,
    // and the drive list above them all.
    EplorerButton = new platform::ImageStrip(explorerBild(), this);
    EplorerButton->setObjectName(QStringLiteral("EplorerButton"));
    for (int i = 0; i < 2; ++i) {
        Image2[i] = new Klickflaeche(this);
        Image2[i]->setObjectName(QStringLiteral("Image2_%1").arg(i));
        connect(Image2[i], &Klickflaeche::clicked, this, [this, i] { Image2_Click(i); });
    }
    Image1 = new platform::ImageStrip(monitorBild(), this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->hide();
    Drive1 = new Laufwerksliste(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->vorDemOeffnen = [this] { laufwerkeLesen(); };

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(250);

    addControl(Drive1, drive1Place.left, drive1Place.top, drive1Place.width, drive1Place.height, drive1Font);
    addControl(Image1, image1Place.left, image1Place.top, image1Place.width, image1Place.height);
    addControl(Image2[1], vorPlace.left, vorPlace.top, vorPlace.width, vorPlace.height);
    addControl(Image2[0], zurueckPlace.left, zurueckPlace.top, zurueckPlace.width, zurueckPlace.height);
    addControl(EplorerButton, eplorerButtonPlace.left, eplorerButtonPlace.top, eplorerButtonPlace.width,
               eplorerButtonPlace.height);
    addPositionOnly(Timer1, 0, 0);

    connect(Drive1, &QComboBox::currentIndexChanged, this, [this] { Drive1_Change(); });
    connect(EplorerButton, &platform::ImageStrip::pressed, this, &frmAuswahlbutton::EplorerButton_MouseDown);
    // The pointer's place on the screen, not the event's: the bar moves under the pointer.
    connect(EplorerButton, &platform::ImageStrip::moved, this,
            [this] { EplorerButton_MouseMove(QCursor::pos().y()); });
    connect(EplorerButton, &platform::ImageStrip::released, this, &frmAuswahlbutton::EplorerButton_MouseUp);
    connect(Image1, &platform::ImageStrip::pressed, this, &frmAuswahlbutton::Image1_MouseDown);
    connect(Image1, &platform::ImageStrip::moved, this, [this] { Image1_MouseMove(QCursor::pos().y()); });
    connect(Image1, &platform::ImageStrip::released, this, &frmAuswahlbutton::Image1_MouseUp);
    connect(Timer1, &QTimer::timeout, this, &frmAuswahlbutton::Timer1_Timer);
}

void frmAuswahlbutton::Form_Load()
{
    platform::Formular form = formular();
    shell::Display_anpassen(form, 0, screen());
    setFormular(form);
    laufwerkeLesen();
}

void frmAuswahlbutton::laufwerkeLesen()
{
    const int alt = Drive1->currentIndex();
    QString gezeigt = alt >= 0 && alt < m_laufwerke.size() ? m_laufwerke[alt].wurzel : QString();
    if (gezeigt.isEmpty()) {
        // At load the list starts on the volume of the folder the browser shows.
        if (platform::Browser* ie = m_gemeinsam.IE.get()) {
            if (const auto adresse = ie->locationurl()) {
                if (const QString ordner = ordnerAusAdresse(*adresse); !ordner.isEmpty())
                    gezeigt = m_quelle.wurzelVon(ordner);
            }
        }
    }
    m_laufwerke = m_quelle.laufwerke();

    const QSignalBlocker still(Drive1);
    Drive1->clear();
    int index = m_laufwerke.isEmpty() ? -1 : 0;
    for (int i = 0; i < m_laufwerke.size(); ++i) {
        Drive1->addItem(m_laufwerke[i].text);
        if (m_laufwerke[i].wurzel == gezeigt)
            index = i;
    }
    Drive1->setCurrentIndex(index);
}

void frmAuswahlbutton::zeigeLaufwerk(int index)
{
    // Showing the browser's own drive must not send it anywhere.
    const QSignalBlocker still(Drive1);
    Drive1->setCurrentIndex(index);
}

void frmAuswahlbutton::Drive1_Change()
{
    platform::Browser* ie = m_gemeinsam.IE.get();
    const int i = Drive1->currentIndex();
    if (!ie || i < 0 || i >= m_laufwerke.size())
        return;
    // A browser the user has closed does nothing, without a word, as for every member below.
    static_cast<void>(ie->navigate(adresseVon(m_laufwerke[i].wurzel)));
}

void frmAuswahlbutton::Image2_Click(int index)
{
    platform::Browser* ie = m_gemeinsam.IE.get();
    if (!ie)
        return;
    // At the ends of the history these fail; that is no news to the user.
    if (index == 0)
        static_cast<void>(ie->GoBack());
    else
        static_cast<void>(ie->GoForward());
}

void frmAuswahlbutton::Timer1_Timer()
{
    platform::Browser* ie = m_gemeinsam.IE.get();
    if (!ie)
        return;
    const auto adresse = ie->locationurl();
    if (!adresse)
        return;
    const QString ordner = ordnerAusAdresse(*adresse);
    if (ordner.isEmpty() || ordner == Letztes_Laufwerk)
        return;
    const QString wurzel = m_quelle.wurzelVon(ordner);
    const auto bekannt = [&] {
        return std::any_of(m_laufwerke.cbegin(), m_laufwerke.cend(),
                           [&](const Laufwerk& l) { return l.wurzel == ordner; });
    };
    // A volume mounted since the list was read.
    if (wurzel == ordner && !bekannt())
        laufwerkeLesen();
    const int index = Laufwerk_abgleichen(ordner, wurzel, m_laufwerke, Letztes_Laufwerk);
    if (index >= 0)
        zeigeLaufwerk(index);
}

void frmAuswahlbutton::EplorerButton_MouseDown()
{
    Ziehen_Explorer = true;
}

void frmAuswahlbutton::EplorerButton_MouseMove(int y)
{
    if (!Ziehen_Explorer || !m_auswahlfenster)
        return;
    const ExplorerZug zug = explorerZiehen(y, m_auswahlfenster->Top(), screen().twipsPerPixelY());
    if (!zug.bewegt)
        return;
    setTop(static_cast<float>(zug.barTop));
    if (platform::Browser* ie = m_gemeinsam.IE.get()) {
        static_cast<void>(ie->setTop(zug.browserTop));
        static_cast<void>(ie->setHeight(std::max(0, zug.browserHeight)));
    }
}

void frmAuswahlbutton::EplorerButton_MouseUp()
{
    Ziehen_Explorer = false;
    if (m_auswahlfenster) {
        m_auswahlfenster->activateWindow();
        m_auswahlfenster->setFocus();
    }
}

void frmAuswahlbutton::setUmbenennfenster(platform::TwipsForm* aenderungen, platform::TwipsForm* monitor)
{
    m_aenderungen = aenderungen;
    m_monitor = monitor;
}

void frmAuswahlbutton::Image1_MouseDown()
{
    Ziehen_Monitor = true;
}

void frmAuswahlbutton::Image1_MouseMove(int y)
{
    if (!Ziehen_Monitor || !m_aenderungen)
        return;
    const MonitorZug zug = monitorZiehen(y, m_aenderungen->Top(), Height());
    if (!zug.bewegt)
        return;
    setTop(static_cast<float>(zug.barTop));
    if (m_monitor) {
        m_monitor->setTop(zug.monitorTop);
        m_monitor->setHeight(zug.monitorHeight);
    }
}

void frmAuswahlbutton::Image1_MouseUp()
{
    Ziehen_Monitor = false;
    fokussieren(m_aenderungen);
}

void frmAuswahlbutton::Versch()
{
    platform::Browser* ie = m_gemeinsam.IE.get();
    if (!ie || !m_monitor)
        return;
    const BrowserPlatz platz = browserAufMonitor(m_monitor->Top(), m_monitor->Height());
    static_cast<void>(ie->setTop(platz.top));
    static_cast<void>(ie->setHeight(platz.height));
}

void frmAuswahlbutton::umbenennphaseBeginnen()
{
    Image1->show();
    for (Klickflaeche* flaeche : Image2)
        flaeche->setEnabled(false);
}

void frmAuswahlbutton::umbenennphaseBeenden()
{
    Image1->hide();
    for (Klickflaeche* flaeche : Image2)
        flaeche->setEnabled(true);
    Versch();
}

void frmAuswahlbutton::laufwerkslisteZeigen(bool zeigen)
{
    Drive1->setVisible(zeigen);
}

void frmAuswahlbutton::closeEvent(QCloseEvent* event)
{
    Timer1->stop();
    Ziehen_Explorer = false;
    Ziehen_Monitor = false;
    event->accept();
}

QImage frmAuswahlbutton::explorerBild()
{
    QImage bild = platform::ImageStrip::drawBar(QStringLiteral("Auswahlfenster"));
    QPainter p(&bild);
    QFont font = p.font();
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(unterDerFlaeche(zurueckPlace), Qt::AlignCenter, QStringLiteral("<<< zurück <<<"));
    p.drawText(unterDerFlaeche(vorPlace), Qt::AlignCenter, QStringLiteral(">>> vorwärts >>>"));
    return bild;
}

QImage frmAuswahlbutton::monitorBild()
{
    return platform::ImageStrip::drawBar(QStringLiteral("Überwachungsfenster"));
}

} // namespace tw::stack
