#pragma once

class Connection;
struct sqlite3;

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

// The same all or nothing for a bare handle that no connection holds yet: the upgrade steps run
// while a file is opened, and a new database being made. Rolled back unless committed.
class HandleTransaction {
public:
    explicit HandleTransaction(sqlite3* db, Transaction::Kind kind = Transaction::Kind::Write);
    ~HandleTransaction();
    HandleTransaction(const HandleTransaction&) = delete;
    HandleTransaction& operator=(const HandleTransaction&) = delete;

    void commit();

private:
    sqlite3* m_db;
    bool m_done = false;
};
