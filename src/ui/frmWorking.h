#pragma once

#include "ui/cAniCursor.h"

#include <QDialog>
#include <QHash>
#include <QString>
#include <QStringList>

class QLabel;
class QPushButton;
class QTimer;

namespace quorvane {

// The small always-on-top window that shows what a long operation is doing,
// with the animated busy picture from "anicursor.ani". Created once, then
// only shown (setMsg) and hidden (by the caller).
class frmWorking final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmWorking)
public:
    // programDir: the folder that holds anicursor.ani.
    explicit frmWorking(const QString &programDir, QWidget *parent = nullptr);
    ~frmWorking() override;

    // Puts the message into the label and shows the window if it is hidden.
    // The title is accepted for the callers' convenience and not used.
    void setMsg(const QString &msg, const QString &title = QString());

    [[nodiscard]] QString message() const;
    // The file the picture is loaded from on each activation.
    [[nodiscard]] QString aniCursorFile() const;
    [[nodiscard]] const cAniCursor &aniCursor() const { return m_aniCursor; }

    // Shows cancelBut while a process that can be stopped runs. Its click,
    // and Esc, then ask for that (cancelRequested); otherwise Esc does
    // nothing, the dialog stays.
    void setCancellable(bool cancellable);
    [[nodiscard]] bool cancellable() const;

    // While the replica script runs: progressLbl names the hosts its
    // progress file says are still waited for (hostOf: replica -> host),
    // read again every refreshMs. Ends with endProgress or when the dialog
    // is hidden.
    void watchProgress(const QString &progressFile, const QHash<QString, QString> &hostOf);
    void endProgress();
    [[nodiscard]] QString progressText() const;
    static constexpr int refreshMs = 500;

signals:
    void cancelRequested();

protected:
    bool event(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void reject() override;

private:
    void activated();
    // Wide enough for a line of a usual message in the label's font, and
    // as high as the message's lines need.
    void fitToMessage();

    QString m_programDir;
    // A message set while the window shows is fitted when the window is
    // next drawn: a load that sets one per VOB is drawn once a frame, and
    // so measured once a frame.
    bool m_fitPending = false;
    void refreshProgress();

    QLabel *m_mainLbl = nullptr;
    QLabel *m_progressLbl = nullptr;
    QPushButton *m_cancelBut = nullptr;
    QTimer *m_progressTimer = nullptr;
    QString m_progressFile;
    QHash<QString, QString> m_hostOf;
    // Declared last: its picture (a child of this window) goes first.
    cAniCursor m_aniCursor;
};

} // namespace quorvane
