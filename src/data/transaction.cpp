#include "data/transaction.h"

#include "data/connection.h"

#include <sqlite3.h>

Transaction::Transaction(Connection& connection, Kind kind) : m_connection(connection) {
    if (connection.m_transactionDepth > 0) {
        ++connection.m_transactionDepth;
        return;
    }
    connection.execute(kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN");
    connection.m_transactionDepth = 1;
    m_outer = true;
    for (TransactionParticipant* participant : connection.m_participants)
        participant->saveState();
}

Transaction::~Transaction() {
    if (!m_done)
        rollBack();
}

void Transaction::commit() {
    if (m_outer)
        m_connection.execute("COMMIT");
    m_done = true;
    if (--m_connection.m_transactionDepth == 0)
        for (TransactionParticipant* participant : m_connection.m_participants)
            participant->dropSavedState();
}

// An unfinished guard, outer or joined, ends the whole transaction: its writes belong to the command.
void Transaction::rollBack() noexcept {
    Connection& connection = m_connection;
    if (connection.m_transactionDepth == 0)
        return;
    connection.m_transactionDepth = 0;
    if (connection.isOpen() && !sqlite3_get_autocommit(connection.handle()))
        sqlite3_exec(connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    // Reverse iterators, not std::views::reverse: Clang 14 cannot compile libstdc++ 12's views.
    const auto& participants = connection.m_participants;
    for (auto participant = participants.rbegin(); participant != participants.rend(); ++participant) {
        try {
            (*participant)->restoreState();
        } catch (...) {
            // A view that cannot follow must not keep the others from being restored.
        }
    }
}
