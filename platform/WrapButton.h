#pragma once

#include <QPushButton>

namespace tw::platform {

// A push button whose caption wraps onto several lines when it does not fit on one.
class WrapButton : public QPushButton
{
    Q_OBJECT

public:
    explicit WrapButton(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tw::platform
