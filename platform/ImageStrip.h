#pragma once

#include <QImage>
#include <QWidget>

namespace tw::platform {

// A picture stretched over the whole control, which reports presses, moves and releases of the mouse;
// the drag bars and handles of the window stack are made of it.
class ImageStrip : public QWidget
{
    Q_OBJECT

public:
    explicit ImageStrip(QImage image, QWidget* parent = nullptr);
    const QImage& image() const { return m_image; }

    // A 1024 x 20 bar: a grey gradient with a caption in the middle between two upward arrows, and
    // optional texts at the left and right ends.
    static QImage drawBar(const QString& caption, const QString& left = {}, const QString& right = {});

signals:
    void pressed();
    void moved();
    void released();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_image;
};

} // namespace tw::platform
