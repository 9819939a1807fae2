#include "server_school.h"

#include "data/connection.h"
#include "data/database_error.h"
#include "data/jet_dialect.h"
#include "data/schema.h"
#include "data/statements.h"

#include <QCoreApplication>
#include <QFile>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <memory>

namespace Bench {
namespace {

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

DatabaseError serverError(pg_conn* db, const QString& what) {
    return DatabaseError(what + ": " + QString::fromUtf8(PQerrorMessage(db)).trimmed());
}

pg_conn* connect(const QString& connectionString) {
    pg_conn* db = PQconnectdb(connectionString.toUtf8().constData());
    if (PQstatus(db) != CONNECTION_OK) {
        const DatabaseError error = serverError(db, "no PostgreSQL server in libpq's environment (PG*)");
        PQfinish(db);
        throw error;
    }
    // As the program's own session speaks: UTF-8 and ISO dates.
    PQsetClientEncoding(db, "UTF8");
    PQclear(PQexec(db, "SET DateStyle = 'ISO, YMD'"));
    return db;
}

// One statement as the program sends it: the extended protocol, results as text.
Result run(pg_conn* db, const QByteArray& sql, int parameters = 0, const char* const* values = nullptr) {
    Result result(PQexecParams(db, sql.constData(), parameters, nullptr, values, nullptr, nullptr, 0));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw serverError(db, QString::fromUtf8(sql.left(200)));
    return result;
}

void runOnly(pg_conn* db, const QString& sql) {
    run(db, sql.toUtf8());
}

// COPY's text form: backslash, tab and line ends escaped, \N for null.
void appendCopyValue(QByteArray& line, sqlite3_stmt* row, int column) {
    if (sqlite3_column_type(row, column) == SQLITE_NULL) {
        line += "\\N";
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
    const int size = sqlite3_column_bytes(row, column);
    for (int i = 0; i < size; ++i) {
        switch (text[i]) {
        case '\\':
            line += "\\\\";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            line += text[i];
        }
    }
}

void copyTable(sqlite3* file, pg_conn* server, const Table& table) {
    QStringList columns;
    for (const Column& c : table.columns)
        columns << c.name;
    const QByteArray select = QString("SELECT %1 FROM %2").arg(columns.join(", "), table.name).toUtf8();
    sqlite3_stmt* row = nullptr;
    if (sqlite3_prepare_v2(file, select.constData(), int(select.size()), &row, nullptr) != SQLITE_OK)
        throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(file)));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalize(row, sqlite3_finalize);
    const QByteArray copy = QString("COPY %1 (%2) FROM STDIN").arg(table.name, columns.join(", ")).toUtf8();
    if (PQresultStatus(Result(PQexec(server, copy.constData())).get()) != PGRES_COPY_IN)
        throw serverError(server, copy);
    QByteArray chunk;
    const auto send = [&] {
        if (PQputCopyData(server, chunk.constData(), int(chunk.size())) != 1)
            throw serverError(server, copy);
        chunk.clear();
    };
    while (sqlite3_step(row) == SQLITE_ROW) {
        for (int c = 0; c < int(columns.size()); ++c) {
            if (c > 0)
                chunk += '\t';
            appendCopyValue(chunk, row, c);
        }
        chunk += '\n';
        if (chunk.size() > 1 << 20)
            send();
    }
    send();
    if (PQputCopyEnd(server, nullptr) != 1)
        throw serverError(server, copy);
    for (Result done(PQgetResult(server)); done; done.reset(PQgetResult(server)))
        if (PQresultStatus(done.get()) != PGRES_COMMAND_OK)
            throw serverError(server, copy);
}

} // namespace

ServerSchool::ServerSchool(const QString& suffix) {
    m_name = QString("kalvista_bench_%1%2").arg(QCoreApplication::applicationPid()).arg(suffix);
    m_admin = connect({});
    runOnly(m_admin, QString("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(m_name));
}

ServerSchool::~ServerSchool() {
    PQclear(
        PQexec(m_admin, QString("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name).toUtf8().constData()));
    PQfinish(m_admin);
}

void ServerSchool::load(const QString& databasePath) {
    {
        Connection schema;
        schema.setServer(connectionString());
        schema.fillServer();
    }
    sqlite3* file = nullptr;
    const int opened =
        sqlite3_open_v2(QFile::encodeName(databasePath).constData(), &file, SQLITE_OPEN_READONLY, nullptr);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> closeFile(file, sqlite3_close);
    if (opened != SQLITE_OK)
        throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(file)));
    pg_conn* server = connect(connectionString());
    const std::unique_ptr<pg_conn, void (*)(pg_conn*)> closeServer(server, PQfinish);
    QStringList tables;
    for (const Table& table : Schema::tables())
        tables << table.name;
    runOnly(server, "BEGIN");
    // The first rows a new database gets are in the file as well.
    runOnly(server, "TRUNCATE " + tables.join(", "));
    for (const Table& table : Schema::tables()) {
        copyTable(file, server, table);
        if (!table.key.isEmpty())
            runOnly(server,
                    QString("SELECT setval(pg_get_serial_sequence('%1', '%2'), coalesce(max(%2), 0) + 1, "
                            "false) FROM %1")
                        .arg(table.name, table.key.toLower()));
    }
    runOnly(server, "COMMIT");
    runOnly(server, "VACUUM ANALYZE");
}

ServerFloor::ServerFloor(const QString& connectionString) : m_db(connect(connectionString)) {}

ServerFloor::~ServerFloor() {
    PQfinish(m_db);
}

qint64 ServerFloor::readAll(const QString& sql) {
    const Result result = run(m_db, sql.toUtf8());
    qint64 sum = 0;
    const int rows = PQntuples(result.get());
    const int columns = PQnfields(result.get());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            if (!PQgetisnull(result.get(), r, c))
                sum += *PQgetvalue(result.get(), r, c) + PQgetlength(result.get(), r, c);
    return sum;
}

// The program's own statements for a saved trainee, whose payments belong to no entry.
qint64 ServerFloor::readPaymentsAndTotals(qint64 kID) {
    return readAll(translateJet(Sql::paymentsOf(kID, {}), SqlDialect::Postgres)) +
           readAll(translateJet(Sql::paymentTotal(true, kID, {}), SqlDialect::Postgres)) +
           readAll(translateJet(Sql::paymentTotal(false, kID, {}), SqlDialect::Postgres));
}

qint64 ServerFloor::lastPaymentKey() {
    const Result result = run(m_db, "SELECT coalesce(max(odemeID), 0) FROM tb_odeme");
    return QByteArray(PQgetvalue(result.get(), 0, 0)).toLongLong();
}

void ServerFloor::writeInstallments(qint64 kID, const QDate& first, int count) {
    run(m_db, "BEGIN");
    Result prepared(PQprepare(m_db, "taksit", "INSERT INTO tb_odeme (kID, tarih, miktar) VALUES ($1, $2, $3)",
                              3, nullptr));
    if (PQresultStatus(prepared.get()) != PGRES_COMMAND_OK)
        throw serverError(m_db, "PQprepare");
    const QByteArray key = QByteArray::number(kID);
    for (int i = 0; i < count; ++i) {
        const QByteArray date = toStoredDate(QDateTime(first.addMonths(i), QTime(0, 0))).toUtf8();
        const char* values[] = {key.constData(), date.constData(), "12.5"};
        Result inserted(PQexecPrepared(m_db, "taksit", 3, values, nullptr, nullptr, 0));
        if (PQresultStatus(inserted.get()) != PGRES_COMMAND_OK)
            throw serverError(m_db, "INSERT INTO tb_odeme");
    }
    run(m_db, "COMMIT");
    run(m_db, "DEALLOCATE taksit");
}

void ServerFloor::removePaymentsAfter(qint64 key) {
    run(m_db, "DELETE FROM tb_odeme WHERE odemeID > " + QByteArray::number(key));
}

void ServerFloor::copyToFile(const QString& path) {
    createDatabase(path);
    sqlite3* file = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &file, SQLITE_OPEN_READWRITE, nullptr);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> closeFile(file, sqlite3_close);
    sqlite3_exec(file, "BEGIN", nullptr, nullptr, nullptr);
    run(m_db, "BEGIN ISOLATION LEVEL REPEATABLE READ");
    for (const Table& table : Schema::tables()) {
        QStringList columns;
        for (const Column& c : table.columns)
            columns << c.name;
        sqlite3_exec(file, qPrintable("DELETE FROM " + table.name), nullptr, nullptr, nullptr);
        const QByteArray insert =
            QString("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table.name, columns.join(", "), QStringList(columns.size(), "?").join(", "))
                .toUtf8();
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(file, insert.constData(), int(insert.size()), &statement, nullptr) !=
            SQLITE_OK)
            throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(file)));
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalize(statement, sqlite3_finalize);
        const Result rows =
            run(m_db, QString("SELECT %1 FROM %2").arg(columns.join(", "), table.name).toUtf8());
        for (int r = 0; r < PQntuples(rows.get()); ++r) {
            for (int c = 0; c < PQnfields(rows.get()); ++c) {
                if (PQgetisnull(rows.get(), r, c))
                    sqlite3_bind_null(statement, c + 1);
                else
                    sqlite3_bind_text(statement, c + 1, PQgetvalue(rows.get(), r, c),
                                      PQgetlength(rows.get(), r, c), SQLITE_STATIC);
            }
            if (sqlite3_step(statement) != SQLITE_DONE)
                throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(file)));
            sqlite3_reset(statement);
        }
    }
    run(m_db, "COMMIT");
    if (sqlite3_exec(file, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(file)));
}

} // namespace Bench
