#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct pg_conn;

// A new, empty database on the PostgreSQL server of the test run (libpq's environment, which
// pg_virtualenv sets), dropped with the object. The run fails, never skips, without a server.
class ServerDatabase {
public:
    ServerDatabase();
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    // The database's name, as a connection string names it.
    QString name() const { return m_name; }
    // True when the run puts the tests' databases on the server (KALVISTA_SERVER_TESTS=1).
    static bool serverRun();

    // Runs one statement; throws std::runtime_error with the server's message when it fails.
    void execute(const QString& sql) const;
    // The rows of a query, each value as text (a null as a null QString), with the columns named
    // by `names` in that order.
    QList<QStringList> rows(const QString& sql, const QStringList& names) const;

private:
    QString m_name;
    pg_conn* m_admin = nullptr;
    pg_conn* m_db = nullptr;
};
