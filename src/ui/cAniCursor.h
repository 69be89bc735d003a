#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace quorvane {

class AniCursorView;

// An animated cursor file shown, playing, in a small child window of some
// parent window. The object owns that picture: each successful Create
// replaces it, and the object's end releases it.
class cAniCursor final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cAniCursor)
public:
    explicit cAniCursor(QObject *parent = nullptr);
    ~cAniCursor() override;

    // Loads the animated cursor file and shows it in a new child of `parent`
    // with its top-left corner at X, Y (pixels), playing each step for its
    // rate. Returns false and changes nothing when there is no parent or the
    // file is missing, unreadable or not a valid animated cursor. On success
    // the previous picture is released and Width/Height are measured anew;
    // Left/Top keep their last written values.
    bool Create(const QString &sAniName, QWidget *parent, int X, int Y);

    // Whether the object holds a picture window (it may have been destroyed
    // with its parent meanwhile).
    [[nodiscard]] bool hasPicture() const;
    // The picture window, nullptr when none.
    [[nodiscard]] QWidget *hwnd() const;

    [[nodiscard]] int Width() const { return m_width; }
    [[nodiscard]] int Height() const { return m_height; }
    [[nodiscard]] int Left() const { return m_left; }
    [[nodiscard]] int Top() const { return m_top; }
    // Move the picture; ignored while there is none.
    void setLeft(int left);
    void setTop(int top);

    // The step of the animation on screen, -1 without a picture.
    [[nodiscard]] int currentStep() const;
    [[nodiscard]] int stepCount() const;

private:
    void release();

    QPointer<AniCursorView> m_view;
    int m_width = 0;
    int m_height = 0;
    int m_left = 0;
    int m_top = 0;
};

} // namespace quorvane
