#include "Ueberwachungsmonitor.h"

#include "shell/DisplayAnpassen.h"

#include <QGroupBox>
#include <QLabel>
#include <utility>

namespace tw::rename {

Ueberwachungsmonitor::Ueberwachungsmonitor(const platform::ScreenMetrics& screen, QWidget* parent)
    : platform::TwipsForm(screen, parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Ueberwachungsmonitor"));
    setWindowTitle(QStringLiteral("Tausch4"));
    setWidth(15360);
    setHeight(5385);

    Frame1 = new QGroupBox(QStringLiteral("Überwachungsmonitor"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    QPalette weiss = Frame1->palette();
    weiss.setColor(QPalette::Window, Qt::white);
    Frame1->setPalette(weiss);
    Frame1->setAutoFillBackground(true);
    addControl(Frame1, 150, 90, 15165, 4995, 8.25);

    auto label = [this](const char* name, const char* text, float l, float t, float w, float h, double pt,
                        bool rot) {
        auto* lbl = new QLabel(QString::fromUtf8(text), Frame1);
        lbl->setObjectName(QString::fromLatin1(name));
        lbl->setAutoFillBackground(true);
        QPalette p = lbl->palette();
        p.setColor(QPalette::Window, Qt::white);
        if (rot)
            p.setColor(QPalette::WindowText, Qt::red);
        lbl->setPalette(p);
        lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // File names are shown as they are, never read as markup.
        lbl->setTextFormat(Qt::PlainText);
        addControl(lbl, l, t, w, h, pt);
        return lbl;
    };
    // The result line sits right below the count, so that it shows in a monitor no taller than the
    // browser usually is (186 pixels) with the old and the new path; the rows below moved to make room.
    Label6[2] = label("Label6_2", "Noch 000 Datein zum Umbenennen", 240, 270, 9045, 495, 18, false);
    Label6[0] = label("Label6_0", "", 270, 765, 14700, 255, 9.75, false);
    Label1[0] = label("Label1_0", "Alter Pfad :", 240, 1020, 4095, 615, 24, false);
    Label2 = label("Label2", "Pfad", 3060, 1110, 11925, 435, 13.5, false);
    Label1[3] = label("Label1_3", "Alter Name :", 210, 1620, 3015, 615, 24, false);
    Label4 = label("Label4", "Name", 3060, 1740, 11745, 435, 13.5, false);
    Label1[1] = label("Label1_1", "NeuerPfad:", 240, 2190, 2535, 615, 24, false);
    Label7 = label("Label7", "Pfad", 3120, 2340, 11805, 435, 12, true);
    Label3 = label("Label3", "Pfad", 3240, 2340, 11805, 435, 12, true);
    Label1[2] = label("Label1_2", "Neuer Name:", 240, 2790, 4095, 615, 24, false);
    Label5 = label("Label5", "Name", 3240, 2910, 11775, 435, 12, true);
    Label6[1] = label("Label6_1", "", 270, 4290, 7305, 495, 18, false);

    platform::Formular form = formular();
    shell::Display_anpassen(form, 0, screen);
    setFormular(form);

    m_takt.setSingleShot(true);
    connect(&m_takt, &QTimer::timeout, this, &Ueberwachungsmonitor::zeigen);
}

namespace {

// One frame of a 60 Hz display.
constexpr qint64 bildMs = 16;

} // namespace

void Ueberwachungsmonitor::dateiZeigen(const NeuerName& name, int eintraege)
{
    m_datei = name;
    m_eintraege = eintraege;
    bald();
}

void Ueberwachungsmonitor::ergebnisZeigen(const platform::FileOutcome& ergebnis)
{
    m_ergebnis = ergebnis;
    bald();
}

void Ueberwachungsmonitor::bald()
{
    // A single step shows at once; a run shows its latest file one frame later.
    const qint64 seit = m_gezeigt.isValid() ? m_gezeigt.elapsed() : bildMs;
    if (seit >= bildMs)
        zeigen();
    else if (!m_takt.isActive())
        m_takt.start(static_cast<int>(bildMs - seit));
}

void Ueberwachungsmonitor::zeigen()
{
    m_takt.stop();
    m_gezeigt.start();
    if (m_datei)
        Ueberwachung::dateiZeigen(*std::exchange(m_datei, std::nullopt), m_eintraege);
    if (m_ergebnis)
        Ueberwachung::ergebnisZeigen(*std::exchange(m_ergebnis, std::nullopt));
}

QLabel* Ueberwachungsmonitor::zuLabel(MonitorLabel label) const
{
    switch (label) {
    case MonitorLabel::Label2:
        return Label2;
    case MonitorLabel::Label3:
        return Label3;
    case MonitorLabel::Label4:
        return Label4;
    case MonitorLabel::Label5:
        return Label5;
    case MonitorLabel::Label7:
        return Label7;
    case MonitorLabel::Label6_0:
        return Label6[0];
    case MonitorLabel::Label6_1:
        return Label6[1];
    case MonitorLabel::Label6_2:
        return Label6[2];
    }
    return nullptr;
}

void Ueberwachungsmonitor::setLabel(MonitorLabel label, const QString& text)
{
    // What was handed over before this text comes first, so that this one is not overwritten.
    if (m_takt.isActive())
        zeigen();
    zuLabel(label)->setText(text);
}

QString Ueberwachungsmonitor::label(MonitorLabel label) const
{
    // What was handed over is what the monitor says, drawn or not yet.
    if (m_takt.isActive())
        const_cast<Ueberwachungsmonitor*>(this)->zeigen();
    return zuLabel(label)->text();
}

} // namespace tw::rename
