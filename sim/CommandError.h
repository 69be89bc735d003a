#pragma once

#include <QString>

namespace quorvane::ccsim {

// A command refused: the message is printed after "<tool>: Error: " and the
// command exits with status 1.
class CommandError final {
public:
    explicit CommandError(QString message) : m_message(std::move(message)) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace quorvane::ccsim
