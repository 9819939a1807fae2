#pragma once

class Connection;

// A command's writes, all or nothing. The first guard on a connection begins the transaction and
// has every dataset on the connection remember its state; a guard made while one runs joins it.
// Unless committed, the guard rolls the database back and the datasets return to the state they
// had when it began, so that after a failure the screen shows what the database holds.
class Transaction {
public:
    enum class Kind {
        Write, // takes the write lock at once: a busy database fails the command before it writes anything
        Read,  // only a consistent view for a command that reloads datasets
    };

    explicit Transaction(Connection& connection, Kind kind = Kind::Write);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    void rollBack() noexcept;

    Connection& m_connection;
    bool m_outer = false;
    bool m_done = false;
};
