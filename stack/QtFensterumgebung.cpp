#include "QtFensterumgebung.h"

#include "stack/Fokus.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace tw::stack {

QtFensterumgebung::QtFensterumgebung(const shell::Gemeinsam& gemeinsam, QTimer& timer, Formulare formulare)
    : m_gemeinsam(gemeinsam), m_timer(timer), m_formulare(std::move(formulare))
{}

QWidget* QtFensterumgebung::formular(const std::function<QWidget*()>& zugriff)
{
    return zugriff ? zugriff() : nullptr;
}

Fensterhandle QtFensterumgebung::handle(QWidget* fenster)
{
    // Asking a window that has none for its id would create one.
    if (!fenster || !fenster->testAttribute(Qt::WA_WState_Created))
        return 0;
    return static_cast<Fensterhandle>(fenster->winId());
}

Fensterhandle QtFensterumgebung::Vordergrundfenster() const
{
    return handle(QApplication::activeWindow());
}

QString QtFensterumgebung::Fenstertext(Fensterhandle fenster) const
{
    const QWidget* w = fenster ? QWidget::find(static_cast<WId>(fenster)) : nullptr;
    return w ? w->windowTitle() : QString();
}

platform::Expected<Fensterhandle> QtFensterumgebung::Browserfenster() const
{
    const platform::Browser* ie = m_gemeinsam.IE.get();
    if (!ie)
        return platform::Result::failure(QStringLiteral("Es ist kein Browserfenster geöffnet."));
    const auto hwnd = ie->hwnd();
    if (!hwnd)
        return hwnd.error();
    return static_cast<Fensterhandle>(*hwnd);
}

Fensterhandle QtFensterumgebung::Auswahlbuttonfenster() const
{
    return handle(formular(m_formulare.auswahlbutton));
}

Fensterhandle QtFensterumgebung::Aenderungenfenster() const
{
    return handle(formular(m_formulare.aenderungen));
}

void QtFensterumgebung::SetForegroundWindow(Fensterhandle fenster)
{
    QWidget* w = fenster ? QWidget::find(static_cast<WId>(fenster)) : nullptr;
    if (!w || !w->isVisible())
        return;
    w->raise();
    if (!w->isActiveWindow())
        w->activateWindow();
    QGuiApplication::sync();
}

void QtFensterumgebung::BringWindowToTop(Fensterhandle fenster)
{
    QWidget* w = fenster ? QWidget::find(static_cast<WId>(fenster)) : nullptr;
    if (!w || !w->isVisible())
        return;
    w->raise();
    // The request would otherwise wait in the connection's buffer until the program next hears from
    // the display, which a timer tick does not make happen.
    QGuiApplication::sync();
}

void QtFensterumgebung::Dateiauswahl_fokussieren()
{
    fokussieren(formular(m_formulare.dateiauswahl));
}

void QtFensterumgebung::Aenderungen_fokussieren()
{
    fokussieren(formular(m_formulare.aenderungen));
}

void QtFensterumgebung::Timer_schalten(bool an)
{
    if (an)
        m_timer.start();
    else
        m_timer.stop();
}

} // namespace tw::stack
