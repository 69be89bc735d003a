#pragma once

#include <QLabel>

namespace quorvane {

// A label or picture that starts an action: reports a single click, a
// double click and the pointer moving over it. A double click does not
// report a second single click, so a picture that acts on one click runs
// once per double click.
//
// Given a focus policy that takes Tab, it becomes a keyboard action too:
// it shows its focus and reports Return, Enter or Space as activated(), so
// that an action reached by double click can be run without a mouse.
class ActionLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ActionLabel)
public:
    explicit ActionLabel(QWidget *parent = nullptr);

    // Takes Tab and click focus: the label acts on the keys above.
    void makeKeyboardAction();

signals:
    void clicked();
    void doubleClicked();
    void mouseMoved();
    void activated();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_pressed = false;
    bool m_inDoubleClick = false;
};

} // namespace quorvane
