// The PostgreSQL side of Connection and Statement, on libpq.
#include "data/connection.h"

#include "data/database_error.h"
#include "data/migration.h"
#include "data/schema.h"
#include "data/transaction.h"

#include <QFileInfo>
#include <QSocketNotifier>

#include <libpq-fe.h>

#include <charconv>
#include <cstring>
#include <utility>

namespace {

// libpq's type numbers of the results the program reads (pg_type.oid).
enum ServerType : Oid {
    BoolType = 16,
    ByteaType = 17,
    Int8Type = 20,
    Int2Type = 21,
    Int4Type = 23,
    OidType = 26,
    Float4Type = 700,
    Float8Type = 701,
    NumericType = 1700,
};

QString libpqText(const pg_conn* db) {
    return QString::fromUtf8(PQerrorMessage(db)).trimmed();
}

DatabaseError lostConnection(const pg_conn* db) {
    return DatabaseError(
        QString(
            "%1 sunucusuyla bağlantı koptu. Sunucunun çalıştığını ve ağ bağlantısını denetleyin; sunucu "
            "yeniden erişilebilir olunca \"Yenile\" ile devam edebilirsiniz. Son işlem kaydedilmedi. (%2)")
            .arg(serverDisplayName(db), libpqText(db)));
}

pg_result* run(pg_conn* db, const char* sql) {
    pg_result* result = PQexec(db, sql);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const DatabaseError error = serverStatementError(db, result);
        PQclear(result);
        throw error;
    }
    return result;
}

void runOnly(pg_conn* db, const char* sql) {
    PQclear(run(db, sql));
}

// `?` outside literals and quoted names becomes $1, $2, ... in order, as libpq numbers parameters.
QByteArray numberedParameters(const QString& sql) {
    QByteArray text = sql.toUtf8();
    QByteArray out;
    out.reserve(text.size() + 16);
    char quote = 0;
    int next = 1;
    for (char c : text) {
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '?') {
            out += '$' + QByteArray::number(next++);
            continue;
        }
        out += c;
    }
    return out;
}

QByteArray parameterText(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QByteArray::number(value.toLongLong());
    case QMetaType::Double:
        return QByteArray::number(value.toDouble(), 'g', 17);
    case QMetaType::QByteArray:
        return value.toByteArray();
    default:
        return value.toString().toUtf8();
    }
}

} // namespace

QString serverDisplayName(const pg_conn* db) {
    return QString("%1:%2/%3")
        .arg(QString::fromUtf8(PQhost(db)), QString::fromUtf8(PQport(db)), QString::fromUtf8(PQdb(db)));
}

DatabaseError serverStatementError(pg_conn* db, const pg_result* result) {
    if (PQstatus(db) == CONNECTION_BAD)
        return lostConnection(db);
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString message =
        result ? QString::fromUtf8(PQresultErrorMessage(result)).trimmed() : libpqText(db);
    return DatabaseError(serverErrorText(state ? state : "", message.isEmpty() ? libpqText(db) : message));
}

void Statement::prepareOnServer(const QString& sql) {
    m_serverSql = numberedParameters(sql);
}

void Statement::bindOnServer(int index, const QVariant& value) {
    if (index < 1)
        throw DatabaseError(QString("Geçersiz parametre sırası: %1").arg(index));
    if (m_parameters.size() < size_t(index))
        m_parameters.resize(size_t(index));
    m_parameters[size_t(index - 1)] =
        value.isNull() || !value.isValid() ? std::nullopt : std::optional<QByteArray>(parameterText(value));
}

// Rows come one result each (libpq's single-row mode), so a long list is held once, in the
// dataset's rows, never a second time in libpq's result.
void Statement::runOnServer() const {
    std::vector<const char*> values;
    values.reserve(m_parameters.size());
    for (const auto& parameter : m_parameters)
        values.push_back(parameter ? parameter->constData() : nullptr);
    if (!PQsendQueryParams(m_server, m_serverSql.constData(), int(values.size()), nullptr, values.data(),
                           nullptr, nullptr, 0))
        throw serverStatementError(m_server, nullptr);
    PQsetSingleRowMode(m_server);
    m_row = -1;
    m_result = takeServerResult();
}

// The statement's next result: a row, or its last result, after which the connection is free.
pg_result* Statement::takeServerResult() const {
    pg_result* result = PQgetResult(m_server);
    const ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_SINGLE_TUPLE)
        return result;
    while (pg_result* after = PQgetResult(m_server))
        PQclear(after);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        const DatabaseError error = serverStatementError(m_server, result);
        PQclear(result);
        throw error;
    }
    return result;
}

// The row after the current one is read ahead, so that once the last row is in hand the statement
// has ended and the connection is free for the next.
bool Statement::stepOnServer() {
    if (!m_result)
        runOnServer();
    else if (m_row == 0)
        PQclear(std::exchange(m_result, std::exchange(m_next, nullptr)));
    const bool row = PQresultStatus(m_result) == PGRES_SINGLE_TUPLE;
    if (row && !m_next)
        m_next = takeServerResult();
    m_row = row ? 0 : -1;
    return row;
}

// A statement left before its last row still has rows coming: they are read and dropped, or the
// connection would refuse the next statement.
void Statement::releaseServerResult() {
    const bool rowsComing = PQresultStatus(m_next ? m_next : m_result) == PGRES_SINGLE_TUPLE;
    PQclear(m_result);
    PQclear(m_next);
    m_result = m_next = nullptr;
    if (rowsComing)
        while (pg_result* rest = PQgetResult(m_server))
            PQclear(rest);
}

int Statement::serverChangedRows() const {
    return m_result ? std::atoi(PQcmdTuples(m_result)) : 0;
}

int Statement::serverColumnCount() const {
    if (!m_result)
        runOnServer();
    return PQnfields(m_result);
}

QString Statement::serverColumnName(int column) const {
    if (!m_result)
        runOnServer();
    return QString::fromUtf8(PQfname(m_result, column));
}

Cell Statement::serverCell(int column) const {
    Cell c;
    if (!m_result || m_row < 0 || PQgetisnull(m_result, m_row, column))
        return c;
    const char* value = PQgetvalue(m_result, m_row, column);
    const int size = PQgetlength(m_result, m_row, column);
    switch (PQftype(m_result, column)) {
    case Int2Type:
    case Int4Type:
    case Int8Type:
    case OidType:
        c.kind = Cell::Kind::Integer;
        std::from_chars(value, value + size, c.integer);
        break;
    case Float4Type:
    case Float8Type:
    case NumericType:
        c.kind = Cell::Kind::Real;
        std::from_chars(value, value + size, c.real);
        break;
    case BoolType:
        c.kind = Cell::Kind::Integer;
        c.integer = value[0] == 't' ? 1 : 0;
        break;
    default:
        // Texts, and timestamps in the ISO form the file stores them in ("YYYY-MM-DD HH:MM:SS").
        c.kind = Cell::Kind::Text;
        c.data = value;
        c.size = size;
    }
    return c;
}

QString Connection::displayName() const {
    if (m_pg)
        return serverDisplayName(m_pg);
    if (isServer())
        return m_server;
    return QFileInfo(databasePath()).fileName();
}

// The server's advisory locks take two numbers: the class, and the name's hash (two names sharing a
// hash only wait for each other). A transaction's locks go with its end or with its connection.
void Connection::holdForTransaction(int nameClass, const QString& name, Hold hold) {
    if (!isServer())
        return;
    Statement lock(*this, QString("SELECT pg_advisory_xact_lock%1(%2, hashtext(?))")
                              .arg(hold == Hold::Shared ? "_shared" : "")
                              .arg(nameClass));
    lock.bind(1, name);
    lock.execute();
}

pg_conn* Connection::serverHandle() {
    if (!m_pg)
        throw DatabaseError("Veritabanı bağlantısı kapalı.");
    if (PQstatus(m_pg) == CONNECTION_OK) {
        // Notifications that came in with the last result wait in libpq, not on the socket.
        announceNotifications();
        return m_pg;
    }
    // What the lost session held (a transaction, a lock) is gone with it: only a command that
    // starts afresh may go on.
    if (inTransaction())
        throw lostConnection(m_pg);
    PQreset(m_pg);
    if (PQstatus(m_pg) != CONNECTION_OK)
        throw lostConnection(m_pg);
    prepareServerSession();
    listenForChanges();
    emit reconnected();
    return m_pg;
}

void Connection::openServer() {
    connectServer();
    try {
        checkServerDatabase();
    } catch (...) {
        closeServer();
        throw;
    }
    listenForChanges();
}

void Connection::connectServer() {
    char* parseError = nullptr;
    const QByteArray setting = m_server.toUtf8();
    PQconninfoOption* options = PQconninfoParse(setting.constData(), &parseError);
    if (!options) {
        const QString reason = parseError ? QString::fromUtf8(parseError).trimmed() : QString();
        PQfreemem(parseError);
        throw DatabaseError(
            QString("Sunucu bağlantı bilgisi okunamadı: \"%1\". veriler.baglanti dosyasındaki "
                    "satırı düzeltin. (%2)")
                .arg(m_server, reason));
    }
    PQconninfoFree(options);

    const QByteArray password = m_password ? m_password->toUtf8() : QByteArray();
    std::vector<const char*> keys{"dbname", "fallback_application_name"};
    std::vector<const char*> values{setting.constData(), "Kalvista"};
    if (m_password) {
        keys.push_back("password");
        values.push_back(password.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    m_pg = PQconnectdbParams(keys.data(), values.data(), 1);
    try {
        if (PQstatus(m_pg) != CONNECTION_OK) {
            if (PQconnectionNeedsPassword(m_pg) && !m_password)
                throw PasswordNeeded(serverDisplayName(m_pg));
            const bool refused = m_password && QString::fromUtf8(PQerrorMessage(m_pg)).contains("password");
            throw DatabaseError(QString(refused ? "%1 sunucusu parolayı kabul etmedi. Parolayı denetleyip "
                                                  "programı yeniden başlatın. (%2)"
                                                : "%1 sunucusuna bağlanılamadı. Sunucunun çalıştığını, ağ "
                                                  "bağlantısını ve veriler.baglanti dosyasındaki bilgileri "
                                                  "denetleyin. (%2)")
                                    .arg(serverDisplayName(m_pg), libpqText(m_pg)));
        }
        prepareServerSession();
    } catch (...) {
        closeServer();
        throw;
    }
}

// Changes other desks write come as notifications on the connection's socket.
void Connection::listenForChanges() {
    runOnly(m_pg, (QByteArray("LISTEN ") + Schema::ChangeChannel).constData());
    m_notifier = std::make_unique<QSocketNotifier>(PQsocket(m_pg), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &Connection::readNotifications);
}

// The session speaks as the layer expects: UTF-8, backslashes plain in literals, ISO dates; a
// row another desk keeps locked fails the command after a while instead of waiting for ever.
void Connection::prepareServerSession() {
    if (PQsetClientEncoding(m_pg, "UTF8") != 0)
        throw serverStatementError(m_pg, nullptr);
    runOnly(m_pg, "SET standard_conforming_strings = on");
    runOnly(m_pg, "SET DateStyle = 'ISO, YMD'");
    runOnly(m_pg, "SET lock_timeout = '10s'");
    const char* conforming = PQparameterStatus(m_pg, "standard_conforming_strings");
    const char* encoding = PQparameterStatus(m_pg, "client_encoding");
    if (!conforming || std::strcmp(conforming, "on") != 0 || !encoding || std::strcmp(encoding, "UTF8") != 0)
        throw DatabaseError(QString("%1 sunucusu metinleri programın beklediği biçimde (UTF-8, "
                                    "standard_conforming_strings) karşılamıyor.")
                                .arg(serverDisplayName(m_pg)));
    if (PQserverVersion(m_pg) < 120000)
        throw DatabaseError(QString("%1 sunucusunun PostgreSQL sürümü çok eski; en az 12 gerekir.")
                                .arg(serverDisplayName(m_pg)));
}

void Connection::checkServerDatabase() {
    QStringList names;
    {
        Statement tables(m_pg, "SELECT table_name FROM information_schema.tables "
                               "WHERE table_schema = current_schema()");
        while (tables.step())
            names << tables.text(0);
    }
    if (names.isEmpty())
        throw EmptyServerDatabase(serverDisplayName(m_pg));
    QStringList expected{Schema::VersionTable};
    for (const Table& table : Schema::firstTables())
        expected << table.name;
    for (const QString& table : expected)
        if (!names.contains(table, Qt::CaseInsensitive))
            throw DatabaseError(QString("%1 sunucusundaki veritabanı bu programın veritabanı değil. "
                                        "Veritabanında hiçbir şey değiştirilmedi.")
                                    .arg(serverDisplayName(m_pg)));
    if (Migration::serverVersion(m_pg) > Schema::Version)
        throw DatabaseError(QString("%1 sunucusundaki veritabanı programın daha yeni bir sürümüyle "
                                    "hazırlanmış; bu sürüm onu açamaz. Programın yeni sürümünü kurun.")
                                .arg(serverDisplayName(m_pg)));
    Migration::upgradeServer(m_pg, Migration::serverSteps());
}

void Connection::fillServer() {
    close();
    connectServer();
    try {
        Transaction filling(*this);
        // Looked at again inside the transaction: another desk may have filled it meanwhile.
        Statement tables(m_pg, "SELECT count(*) FROM information_schema.tables WHERE table_schema = "
                               "current_schema()");
        tables.step();
        if (tables.integer(0) != 0)
            throw DatabaseError(QString("%1 sunucusundaki veritabanı artık boş değil; doldurulmadı.")
                                    .arg(serverDisplayName(m_pg)));
        for (const QString& statement : Schema::creationStatements(SqlDialect::Postgres))
            runOnly(m_pg, statement.toUtf8().constData());
        filling.commit();
        checkServerDatabase();
    } catch (...) {
        closeServer();
        throw;
    }
    listenForChanges();
}

void Connection::readNotifications() {
    if (!m_pg)
        return;
    // A closed socket stays readable: it is watched again once the connection is made anew.
    if (!PQconsumeInput(m_pg) || PQstatus(m_pg) != CONNECTION_OK) {
        m_notifier->setEnabled(false);
        return;
    }
    announceNotifications();
}

void Connection::announceNotifications() {
    bool elsewhere = false;
    while (PGnotify* note = PQnotifies(m_pg)) {
        elsewhere = elsewhere || note->be_pid != PQbackendPID(m_pg);
        PQfreemem(note);
    }
    if (elsewhere)
        emit changedElsewhere();
}

void Connection::closeServer() {
    m_notifier.reset();
    if (m_pg) {
        PQfinish(m_pg);
        m_pg = nullptr;
    }
}
