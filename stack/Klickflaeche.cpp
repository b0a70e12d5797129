#include "Klickflaeche.h"

#include <QMouseEvent>

namespace tw::stack {

Klickflaeche::Klickflaeche(QWidget* parent) : QWidget(parent) {}

void Klickflaeche::mousePressEvent(QMouseEvent* event)
{
    m_gedrueckt = event->button() == Qt::LeftButton;
    event->accept();
}

void Klickflaeche::mouseReleaseEvent(QMouseEvent* event)
{
    const bool klick =
        m_gedrueckt && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_gedrueckt = false;
    event->accept();
    if (klick)
        emit clicked();
}

} // namespace tw::stack
