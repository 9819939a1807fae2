#include "data/database_error.h"

DatabaseError::DatabaseError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}
