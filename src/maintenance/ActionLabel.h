#pragma once

#include <QLabel>

namespace quorvane {

// A label or picture that starts an action: reports a single click, a
// double click and the pointer moving over it. A double click does not
// report a second single click, so a picture that acts on one click runs
// once per double click.
class ActionLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ActionLabel)
public:
    explicit ActionLabel(QWidget *parent = nullptr);

signals:
    void clicked();
    void doubleClicked();
    void mouseMoved();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
    bool m_inDoubleClick = false;
};

} // namespace quorvane
