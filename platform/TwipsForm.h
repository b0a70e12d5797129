#pragma once

#include "platform/Formular.h"
#include "platform/ScreenMetrics.h"

#include <QPointer>
#include <QWidget>

#include <vector>

namespace tw::platform {

// A window laid out in twips: its own place and the places of its controls are kept in twips and
// shown in pixels through the screen's twips per pixel.
class TwipsForm : public QWidget
{
    Q_OBJECT

public:
    explicit TwipsForm(const ScreenMetrics& screen, QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    float Top() const { return m_top; }
    float Left() const { return m_left; }
    float Width() const { return m_width; }
    float Height() const { return m_height; }
    void setTop(float twips);
    void setLeft(float twips);
    void setWidth(float twips);
    void setHeight(float twips);

    // Registers a control with its design place in twips, relative to the widget that holds it, and
    // its font size in points when it has a font.
    void addControl(QWidget* control, float left, float top, float width, float height,
                    std::optional<double> fontPoints = {});
    // A control that has a place but no size and no font, such as a timer.
    void addPositionOnly(QObject* control, float left, float top);

    // The place of one registered control; a control that is not registered has none.
    std::optional<Steuerelement> place(const QObject* control) const;
    void setPlace(const QObject* control, const Steuerelement& place);

    // The controls' places and font sizes, in the order of registration, and the window's width.
    Formular formular() const;
    void setFormular(const Formular& form);

    // The light grey of the work windows, with disabled texts still readable on it.
    void setGreyBackground();

    const ScreenMetrics& screen() const { return m_screen; }
    int toPixelsX(float twips) const;
    int toPixelsY(float twips) const;

protected:
    void moveEvent(QMoveEvent* event) override;

private:
    void applyWindow();
    void applyControl(std::size_t index);

    struct Control
    {
        QPointer<QObject> object;
        Steuerelement place;
    };

    const ScreenMetrics& m_screen;
    std::vector<Control> m_controls;
    float m_top = 0;
    float m_left = 0;
    float m_width = 0;
    float m_height = 0;
};

} // namespace tw::platform
