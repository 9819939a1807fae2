#include "data/transaction.h"

#include "data/connection.h"
#include "data/database_error.h"

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

const char* beginning(Transaction::Kind kind, SqlDialect dialect) {
    if (dialect == SqlDialect::Postgres)
        return kind == Transaction::Kind::Write ? "BEGIN" : "BEGIN ISOLATION LEVEL REPEATABLE READ";
    return kind == Transaction::Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN";
}

// Some failures (a full disk, for one) have already rolled the transaction back.
void rollBackIfOpen(sqlite3* db) noexcept {
    if (!sqlite3_get_autocommit(db))
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void rollBackIfOpen(pg_conn* db) noexcept {
    if (db && PQtransactionStatus(db) != PQTRANS_IDLE && PQtransactionStatus(db) != PQTRANS_UNKNOWN)
        PQclear(PQexec(db, "ROLLBACK"));
}

} // namespace

Transaction::Transaction(Connection& connection, Kind kind) : m_connection(connection) {
    if (connection.m_transactionDepth > 0) {
        ++connection.m_transactionDepth;
        return;
    }
    connection.execute(beginning(kind, connection.dialect()));
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
    // A joined guard that was not committed has ended the whole transaction already.
    if (m_connection.m_transactionDepth == 0) {
        m_done = true;
        throw DatabaseError("Komutun bir parçası yapılamadığı için bütün işlem geri alındı; hiçbir şey "
                            "kaydedilmedi.");
    }
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
    if (connection.m_pg)
        rollBackIfOpen(connection.m_pg);
    else if (connection.m_db)
        rollBackIfOpen(connection.m_db);
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

HandleTransaction::HandleTransaction(sqlite3* db, Transaction::Kind kind) : m_db(db) {
    Statement(db, beginning(kind, SqlDialect::Sqlite)).execute();
}

HandleTransaction::~HandleTransaction() {
    if (!m_done)
        rollBackIfOpen(m_db);
}

void HandleTransaction::commit() {
    Statement(m_db, "COMMIT").execute();
    m_done = true;
}
