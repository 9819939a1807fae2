#pragma once

#include "bench_figures.h"

#include <QString>

struct pg_conn;

namespace Bench {

// A fresh database on the PostgreSQL server of libpq's environment (the PG* variables), made with
// the program's own schema and loaded with the rows of a generated file; dropped with the object.
class ServerSchool {
public:
    // A new database named by the process and the suffix, so that two may live side by side.
    explicit ServerSchool(const QString& suffix = {});
    ~ServerSchool();
    ServerSchool(const ServerSchool&) = delete;
    ServerSchool& operator=(const ServerSchool&) = delete;

    // What veriler.baglanti holds for this database.
    QString connectionString() const { return "dbname=" + m_name; }
    // Every row of every table of the file, keys kept, through COPY; the identities then number
    // on past the largest key, and the planner has fresh statistics.
    void load(const QString& databasePath);

private:
    QString m_name;
    pg_conn* m_admin = nullptr;
};

// The floor on the server: the same statements through bare libpq, each value read as text with
// PQgetvalue, nothing kept.
class ServerFloor : public Floor {
public:
    explicit ServerFloor(const QString& connectionString);
    ~ServerFloor() override;
    ServerFloor(const ServerFloor&) = delete;
    ServerFloor& operator=(const ServerFloor&) = delete;

    SqlDialect dialect() const override { return SqlDialect::Postgres; }
    qint64 readAll(const QString& sql) override;
    qint64 readPaymentsAndTotals(qint64 kID) override;
    qint64 lastPaymentKey() override;
    void writeInstallments(qint64 kID, const QDate& first, int count) override;
    void removePaymentsAfter(qint64 key) override;
    // Every row of every table into a new SQLite file of the program's schema, in one transaction:
    // the floor of the closing backup on the server.
    void copyToFile(const QString& path);

private:
    pg_conn* m_db = nullptr;
};

} // namespace Bench
