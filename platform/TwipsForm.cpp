#include "TwipsForm.h"

#include "platform/QtScreenMetrics.h"

#include <QMoveEvent>

namespace tw::platform {

TwipsForm::TwipsForm(const ScreenMetrics& screen, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), m_screen(screen)
{
}

void TwipsForm::setGreyBackground()
{
    QPalette grau = palette();
    grau.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    grau.setColor(QPalette::Button, QColor(0xD4, 0xD0, 0xC8));
    const QColor gedimmt(0x5A, 0x5A, 0x5A);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        grau.setColor(QPalette::Disabled, role, gedimmt);
    grau.setColor(QPalette::Disabled, QPalette::Base, QColor(0xD8, 0xD8, 0xD8));
    setPalette(grau);
    setAutoFillBackground(true);
}

int TwipsForm::toPixelsX(float twips) const
{
    return twipsToPixels(twips, m_screen.twipsPerPixelX());
}

int TwipsForm::toPixelsY(float twips) const
{
    return twipsToPixels(twips, m_screen.twipsPerPixelY());
}

void TwipsForm::setTop(float twips)
{
    m_top = twips;
    applyWindow();
}

void TwipsForm::setLeft(float twips)
{
    m_left = twips;
    applyWindow();
}

void TwipsForm::setWidth(float twips)
{
    m_width = twips;
    applyWindow();
}

void TwipsForm::setHeight(float twips)
{
    m_height = twips;
    applyWindow();
}

void TwipsForm::applyWindow()
{
    setGeometry(toPixelsX(m_left), toPixelsY(m_top), std::max(0, toPixelsX(m_width)),
                std::max(0, toPixelsY(m_height)));
}

void TwipsForm::moveEvent(QMoveEvent* event)
{
    // Keep the twips place when the pixel place is its rounding; take over a move made elsewhere.
    if (event->pos().x() != toPixelsX(m_left))
        m_left = static_cast<float>(event->pos().x()) * m_screen.twipsPerPixelX();
    if (event->pos().y() != toPixelsY(m_top))
        m_top = static_cast<float>(event->pos().y()) * m_screen.twipsPerPixelY();
    QWidget::moveEvent(event);
}

void TwipsForm::addControl(QWidget* control, float left, float top, float width, float height,
                           std::optional<double> fontPoints)
{
    m_controls.push_back(Control{control, Steuerelement{left, top, width, height, fontPoints}});
    applyControl(m_controls.size() - 1);
}

void TwipsForm::addPositionOnly(QObject* control, float left, float top)
{
    m_controls.push_back(Control{control, Steuerelement{left, top, std::nullopt, std::nullopt, std::nullopt}});
}

std::optional<Steuerelement> TwipsForm::place(const QObject* control) const
{
    for (const Control& c : m_controls) {
        if (c.object == control)
            return c.place;
    }
    return std::nullopt;
}

void TwipsForm::setPlace(const QObject* control, const Steuerelement& place)
{
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        if (m_controls[i].object == control) {
            m_controls[i].place = place;
            applyControl(i);
        }
    }
}

Formular TwipsForm::formular() const
{
    Formular form;
    form.Width = m_width;
    form.Controls.reserve(m_controls.size());
    for (const Control& c : m_controls)
        form.Controls.push_back(c.place);
    return form;
}

void TwipsForm::setFormular(const Formular& form)
{
    for (std::size_t i = 0; i < m_controls.size() && i < form.Controls.size(); ++i) {
        m_controls[i].place = form.Controls[i];
        applyControl(i);
    }
    if (form.Width != m_width)
        setWidth(form.Width);
}

void TwipsForm::applyControl(std::size_t index)
{
    auto* widget = qobject_cast<QWidget*>(m_controls[index].object.data());
    const Steuerelement& p = m_controls[index].place;
    if (!widget || !p.Width || !p.Height)
        return;
    widget->setGeometry(toPixelsX(p.Left.value_or(0)), toPixelsY(p.Top.value_or(0)), std::max(0, toPixelsX(*p.Width)),
                        std::max(0, toPixelsY(*p.Height)));
    if (p.FontSize && *p.FontSize > 0) {
        QFont font = widget->font();
        font.setPointSizeF(*p.FontSize);
        widget->setFont(font);
    }
}

} // namespace tw::platform
