#pragma once

#include <QString>

#include <stdexcept>

// Any failure of the database layer: the message is the engine's own, shown to the user as is.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& message);
    QString message() const { return m_message; }

private:
    QString m_message;
};
