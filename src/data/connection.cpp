#include "data/connection.h"

#include "data/database_error.h"
#include "data/migration.h"
#include "data/schema.h"
#include "data/transaction.h"
#include "data/turkish_text.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <sqlite3.h>

#include <filesystem>

namespace {

const QString Provider = QStringLiteral("Provider=Kalvista.SQLite;Data Source=");
const QString Tail = QStringLiteral(";Persist Security Info=False");
const QString FileName = QStringLiteral("veriler.db");
const QString ServerSettingFileName = QStringLiteral("veriler.baglanti");

DatabaseError engineError(int rc, const QString& engineText) {
    return DatabaseError(databaseErrorText(rc, engineText), rc & 0xff);
}

[[noreturn]] void fail(sqlite3* db) {
    throw engineError(sqlite3_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
}

void check(sqlite3* db, int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        fail(db);
}

sqlite3* openFile(const QString& path, int flags) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        throw engineError(rc, QString("%1: %2").arg(message, QDir::toNativeSeparators(path)));
    }
    sqlite3_extended_result_codes(db, 0);
    return db;
}

QStringList tableNames(sqlite3* db) {
    Statement tables(db, "SELECT name FROM sqlite_master WHERE type = 'table'");
    QStringList names;
    while (tables.step())
        names << tables.text(0);
    return names;
}

// Only reads: a file that is not ours is left exactly as it was found.
void refuseForeignFile(sqlite3* db, const QString& path) {
    QStringList names;
    try {
        names = tableNames(db);
    } catch (const DatabaseError& e) {
        if (e.code() != SQLITE_NOTADB)
            throw;
    }
    const QString file = QDir::toNativeSeparators(path);
    for (const Table& table : Schema::firstTables())
        if (!names.contains(table.name, Qt::CaseInsensitive))
            throw DatabaseError(
                QString("%1 dosyası bu programın veritabanı değil. Dosyada hiçbir şey değiştirilmedi.")
                    .arg(file));
    if (Migration::fileVersion(db) > Schema::Version)
        throw DatabaseError(QString("%1 dosyası programın daha yeni bir sürümüyle hazırlanmış; bu sürüm onu "
                                    "açamaz. Programın yeni sürümünü kurun.")
                                .arg(file));
}

// Every page of `db` into `copy` in one pass, so the copy is one consistent state of the file.
int backUp(sqlite3* db, sqlite3* copy) {
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", db, "main");
    if (!backup)
        return sqlite3_errcode(copy);
    const int rc = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    return rc == SQLITE_DONE ? finished : rc;
}

} // namespace

Statement::Statement(sqlite3* db, const QString& sql) : m_db(db) {
    prepare(sql);
}

Statement::Statement(pg_conn* db, const QString& sql) : m_server(db) {
    prepareOnServer(sql);
}

Statement::Statement(Connection& connection, const QString& sql) {
    if (connection.isServer()) {
        m_server = connection.serverHandle();
        prepareOnServer(sql);
    } else {
        m_db = connection.handle();
        prepare(sql);
    }
}

void Statement::prepare(const QString& sql) {
    sqlite3* db = m_db;
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    check(db, sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_stmt, &tail));
    if (!m_stmt)
        throw DatabaseError("Boş SQL deyimi.");
    // A second statement after the first is never run: one text, one statement.
    while (tail && *tail && (*tail == ' ' || *tail == '\n' || *tail == '\r' || *tail == '\t' || *tail == ';'))
        ++tail;
    if (tail && *tail) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw DatabaseError(QString("Tek bir SQL deyimi bekleniyordu: %1").arg(sql));
    }
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
    releaseServerResult();
}

void Statement::bind(int index, const QVariant& value) {
    if (m_server)
        return bindOnServer(index, value);
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(m_stmt, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text64(m_stmt, index, text.constData(), text.size(), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
        }
        }
    }
    check(m_db, rc);
}

bool Statement::step() {
    if (m_server)
        return stepOnServer();
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(m_db);
}

void Statement::execute() {
    while (step()) {
    }
}

int Statement::changedRows() const {
    return m_server ? serverChangedRows() : sqlite3_changes(m_db);
}

int Statement::columnCount() const {
    return m_server ? serverColumnCount() : sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const {
    return m_server ? serverColumnName(column) : QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

Cell Statement::cell(int column) const {
    return m_server ? serverCell(column) : RowStore::readCell(m_stmt, column);
}

qint64 Statement::integer(int column) const {
    const Cell c = cell(column);
    switch (c.kind) {
    case Cell::Kind::Integer:
        return c.integer;
    case Cell::Kind::Real:
        return qint64(c.real);
    case Cell::Kind::Text:
        return QByteArray(c.data, c.size).toLongLong();
    default:
        return 0;
    }
}

double Statement::number(int column) const {
    const Cell c = cell(column);
    switch (c.kind) {
    case Cell::Kind::Integer:
        return double(c.integer);
    case Cell::Kind::Real:
        return c.real;
    case Cell::Kind::Text:
        return QByteArray(c.data, c.size).toDouble();
    default:
        return 0.0;
    }
}

QString Statement::text(int column) const {
    const Cell c = cell(column);
    switch (c.kind) {
    case Cell::Kind::Integer:
        return QString::number(c.integer);
    case Cell::Kind::Real:
        return QString::number(c.real, 'g', 17);
    case Cell::Kind::Null:
        return {};
    default:
        return QString::fromUtf8(c.data, c.size);
    }
}

RowStore::Row Statement::addRowTo(RowStore& store) const {
    if (!m_server)
        return store.add(m_stmt);
    thread_local std::vector<Cell> cells;
    cells.resize(size_t(store.columnCount()));
    for (int i = 0; i < store.columnCount(); ++i)
        cells[size_t(i)] = serverCell(i);
    return store.add(cells);
}

Connection::Connection(QObject* parent) : QObject(parent) {}

Connection::~Connection() {
    close();
}

QString Connection::connectionText(const QString& programFolder) {
    return Provider + programFolder + FileName + Tail;
}

QString Connection::dataSource(const QString& connectionText) {
    const qsizetype start = connectionText.indexOf("Data Source=", 0, Qt::CaseInsensitive);
    if (start < 0)
        return {};
    const qsizetype from = start + qsizetype(strlen("Data Source="));
    const qsizetype end = connectionText.indexOf(';', from);
    return connectionText.mid(from, end < 0 ? -1 : end - from);
}

QString Connection::serverSettingFile(const QString& programFolder) {
    return QDir(programFolder).filePath(ServerSettingFileName);
}

QString Connection::serverSetting(const QString& programFolder) {
    return readServerSetting(serverSettingFile(programFolder));
}

QString Connection::readServerSetting(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream lines(&file);
    while (!lines.atEnd()) {
        const QString line = lines.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith('#'))
            return line;
    }
    return {};
}

void Connection::useProgramFolder(const QString& programFolder) {
    setConnectionString(connectionText(programFolder));
    setServer(serverSetting(programFolder));
}

void Connection::setServer(const QString& libpqConnectionString, const std::optional<QString>& password) {
    m_server = libpqConnectionString;
    m_password = password;
}

void Connection::open() {
    close();
    if (isServer())
        return openServer();
    const QString path = databasePath();
    sqlite3* db = openFile(path, SQLITE_OPEN_READWRITE);
    try {
        // At start-up another copy of the program may be in the middle of a long write: wait longer.
        sqlite3_busy_timeout(db, 10000);
        refuseForeignFile(db, path);
        Migration::upgrade(db, path, Migration::programSteps());
        sqlite3_busy_timeout(db, 5000);
        // After the checks are finished: SQLite refuses to replace like() while a statement is pending.
        check(db, TurkishText::registerOn(db));
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    m_db = db;
}

void Connection::close() {
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    closeServer();
}

sqlite3* Connection::handle() const {
    if (!m_db)
        throw DatabaseError("Veritabanı bağlantısı kapalı.");
    return m_db;
}

void Connection::execute(const QString& sql) {
    Statement(*this, sql).execute();
}

qint64 Connection::lastInsertId() {
    if (!isServer())
        return sqlite3_last_insert_rowid(handle());
    Statement last(*this, "SELECT lastval()");
    last.step();
    return last.integer(0);
}

void Connection::addParticipant(TransactionParticipant* participant) {
    m_participants.push_back(participant);
}

void Connection::removeParticipant(TransactionParticipant* participant) {
    std::erase(m_participants, participant);
}

void createDatabase(const QString& path) {
    const QString temporary = path + UnfinishedFileSuffix;
    QFile::remove(temporary);
    sqlite3* db = openFile(temporary, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    try {
        HandleTransaction creation(db);
        for (const QString& statement : Schema::creationStatements())
            Statement(db, statement).execute();
        creation.commit();
    } catch (...) {
        sqlite3_close(db);
        QFile::remove(temporary);
        throw;
    }
    sqlite3_close(db);
    if (!QFile::rename(temporary, path)) {
        QFile::remove(temporary);
        throw DatabaseError(
            QString("Veritabanı dosyası oluşturulamadı: %1").arg(QDir::toNativeSeparators(path)));
    }
}

void copyDatabase(sqlite3* db, const QString& target) {
    const QString temporary = target + UnfinishedFileSuffix;
    QFile::remove(temporary);
    sqlite3* copy = openFile(temporary, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    const int rc = backUp(db, copy);
    sqlite3_close(copy);
    if (rc != SQLITE_OK) {
        QFile::remove(temporary);
        throw engineError(rc, QString::fromUtf8(sqlite3_errstr(rc)));
    }
    // Unlike QFile::rename, this replaces the older copy in one move.
    std::error_code failed;
    std::filesystem::rename(temporary.toStdU16String(), target.toStdU16String(), failed);
    if (failed) {
        QFile::remove(temporary);
        throw DatabaseError(
            QString("Veritabanının kopyası kaydedilemedi: %1").arg(QDir::toNativeSeparators(target)));
    }
}
