#include "server_database.h"

#include <QCoreApplication>

#include <libpq-fe.h>

#include <atomic>
#include <memory>
#include <stdexcept>

namespace {

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

pg_conn* connect(const QString& database) {
    const QByteArray options = database.isEmpty() ? QByteArray() : "dbname=" + database.toUtf8();
    pg_conn* connection = PQconnectdb(options.constData());
    if (PQstatus(connection) != CONNECTION_OK) {
        const std::string message = PQerrorMessage(connection);
        PQfinish(connection);
        throw std::runtime_error("No PostgreSQL server for the test (run it through pg_virtualenv, as "
                                 "ctest does): " +
                                 message);
    }
    return connection;
}

Result run(pg_conn* connection, const QString& sql) {
    // One statement only, as the program's own layer sends them: a second one is refused.
    Result result(
        PQexecParams(connection, sql.toUtf8().constData(), 0, nullptr, nullptr, nullptr, nullptr, 0));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw std::runtime_error(std::string(PQerrorMessage(connection)) + " in: " + sql.toStdString());
    return result;
}

} // namespace

ServerDatabase::ServerDatabase() {
    static std::atomic<int> made = 0;
    m_name = QString("kalvista_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    m_admin = connect({});
    run(m_admin, QString("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(m_name));
    m_db = connect(m_name);
}

ServerDatabase::~ServerDatabase() {
    PQfinish(m_db);
    // A connection a test left open must not keep the database behind.
    PQclear(
        PQexec(m_admin, QString("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name).toUtf8().constData()));
    PQfinish(m_admin);
}

bool ServerDatabase::serverRun() {
    return qEnvironmentVariableIntValue("KALVISTA_SERVER_TESTS") == 1;
}

void ServerDatabase::execute(const QString& sql) const {
    run(m_db, sql);
}

QList<QStringList> ServerDatabase::rows(const QString& sql, const QStringList& names) const {
    const Result result = run(m_db, sql);
    QList<QStringList> out;
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        QStringList values;
        for (const QString& name : names) {
            const int column = PQfnumber(result.get(), name.toUtf8().constData());
            if (column < 0)
                throw std::runtime_error("no column " + name.toStdString() + " in: " + sql.toStdString());
            values << (PQgetisnull(result.get(), row, column)
                           ? QString()
                           : QString::fromUtf8(PQgetvalue(result.get(), row, column)));
        }
        out << values;
    }
    return out;
}
