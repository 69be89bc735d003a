#pragma once

#include <QLabel>

namespace quorvane {

// A picture that answers a left click (press and release on it) with
// clicked(), and shows the pointing hand to say so.
class ClickableImage final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClickableImage)
public:
    explicit ClickableImage(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

} // namespace quorvane
