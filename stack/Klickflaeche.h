#pragma once

#include <QWidget>

namespace tw::stack {

// An image without a picture: it draws nothing, so what lies behind it shows through, and it reports
// a click (press and release on it).
class Klickflaeche : public QWidget
{
    Q_OBJECT

public:
    explicit Klickflaeche(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_gedrueckt = false;
};

} // namespace tw::stack
