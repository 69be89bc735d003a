#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace quorvane::bench {

// The least a client of "cleartool -status" does: one command a line in,
// the answer read up to its "Command N returned status S" line. Written
// apart from the program's own client so that what that one costs shows
// against it.
class MiniClient {
public:
    explicit MiniClient(const QString &clearTool)
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(clearTool, {QStringLiteral("-status")});
        if (!m_process.waitForStarted(30000))
            throw std::runtime_error("cleartool did not start");
    }
    ~MiniClient()
    {
        m_process.write("exit\n");
        if (!m_process.waitForFinished(10000))
            m_process.kill(), m_process.waitForFinished(10000);
    }
    MiniClient(const MiniClient &) = delete;
    MiniClient &operator=(const MiniClient &) = delete;

    // The answer without its status line; status gets S.
    QString ask(const QString &command, int *status = nullptr)
    {
        m_process.write(command.toUtf8() + '\n');
        const QByteArray end = "Command " + QByteArray::number(++m_count) + " returned status ";
        for (;;) {
            const qsizetype at = m_buffer.indexOf(end);
            const qsizetype eol = at < 0 ? -1 : m_buffer.indexOf('\n', at);
            if (eol >= 0) {
                const QString answer = QString::fromUtf8(m_buffer.left(at));
                if (status)
                    *status = m_buffer.mid(at + end.size(), eol - at - end.size()).toInt();
                m_buffer.remove(0, eol + 1);
                return answer;
            }
            if (!m_process.waitForReadyRead(30000))
                throw std::runtime_error("cleartool did not answer within 30 s");
            m_buffer += m_process.readAll();
        }
    }

private:
    QProcess m_process;
    QByteArray m_buffer;
    int m_count = 0;
};

} // namespace quorvane::bench
