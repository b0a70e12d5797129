#include "ProgrammStart.h"

#include "platform/FileOps.h"
#include "platform/QtScreenMetrics.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

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

ProgrammStart::~ProgrammStart() = default;

void ProgrammStart::Form_Load()
{
    einstellungen = Einstellungen::leer();
    Programmstart = m_datenBanken->Programmstart_ermitteln();
    Label1->setText(QString::number(Programmstart));
    placeControls();
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
        break;
    case 1:
        m_deps.messages->show(this,
                              QStringLiteral("Die Verwaltung der Sicherungsdateien ist in dieser Ausgabe "
                                             "von Tauschwerk noch nicht enthalten."),
                              platform::MessageBox::Icon::Information);
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
                this, QStringLiteral("Die Dokumentation konnte nicht geöffnet werden.\n%1").arg(opened.message()),
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
    m_deps.messages->show(this,
                          QStringLiteral("Die Dateiauswahl ist in dieser Ausgabe von Tauschwerk noch nicht "
                                         "enthalten."),
                          platform::MessageBox::Icon::Information);
}

void ProgrammStart::closeEvent(QCloseEvent* event)
{
    Timer1->stop();
    event->accept();
}

} // namespace tw::shell
