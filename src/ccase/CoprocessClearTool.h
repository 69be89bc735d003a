#pragma once

#include "ccase/ClearTool.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <memory>

class QProcess;

namespace quorvane {

// cleartool driven as one long-lived "cleartool -status" co-process: each
// command is one line on its input, its reply is read up to "Command N
// returned status S" for its own number N. The process starts on first use
// and is started again when it has died. Where it cannot be started or does
// not keep to that protocol, every later command runs as a process of its own.
// Blocking: a command returns when cleartool has answered.
class CoprocessClearTool final : public ClearTool {
public:
    enum class Mode { Coprocess, ProcessPerCommand };

    // program: path or name (looked up on PATH) of cleartool.
    explicit CoprocessClearTool(QString program, Mode mode = Mode::Coprocess);
    ~CoprocessClearTool() override;
    Q_DISABLE_COPY_MOVE(CoprocessClearTool)

    QString CmdExec(const QString &subcommand) override;
    QStringList vobTags() override;

    // Coprocess until the co-process failed to start or broke the protocol.
    [[nodiscard]] Mode mode() const { return m_mode; }
    // Process id of the running co-process, 0 when there is none.
    [[nodiscard]] qint64 processId() const;
    [[nodiscard]] const QString &program() const { return m_program; }

private:
    bool ensureCoprocess();
    void discardCoprocess();
    QString runInCoprocess(const QString &subcommand);
    QString runOnce(const QString &subcommand);
    QString fallBack(const QString &subcommand);

    QString m_program;
    Mode m_mode;
    std::unique_ptr<QProcess> m_process;
    qint64 m_sent = 0;      // commands sent to the current co-process
    qint64 m_completed = 0; // commands it answered
};

// The description of a failed command: cleartool's error text without its
// trailing line end; its output when it wrote no error text; else a plain
// note with the status.
QString clearToolFailure(const QByteArray &errorText, const QByteArray &output,
                         const QString &subcommand, int status);

} // namespace quorvane
