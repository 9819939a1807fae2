#pragma once

#include "data/row_store.h"
#include "data/sql_dialect.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct pg_conn;
struct pg_result;
class Connection;
class QSocketNotifier;

// One statement on either backend, run once. Parameters are written `?` and counted from 1; on
// the server they are sent apart from the text, as the file's are bound. The server runs the
// statement at the first step and sends its rows one by one, so a long result is never held twice:
// read a statement to its end, or let it go, before the next one starts on the same connection.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
    Statement(pg_conn* db, const QString& sql);
    Statement(Connection& connection, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QVariant& value);
    bool step();    // true while a row is there
    void execute(); // steps to the end
    // Rows the INSERT, UPDATE or DELETE just executed changed.
    int changedRows() const;

    int columnCount() const;
    QString columnName(int column) const;
    // A value of the current row; its text stays valid until the next step.
    Cell cell(int column) const;
    qint64 integer(int column) const;
    // A number as stored, whole or not; 0 for an empty value.
    double number(int column) const;
    QString text(int column) const;
    // Copies the current row into `store`.
    RowStore::Row addRowTo(RowStore& store) const;
    // The SQLite statement, for bulk work that binds and resets it; none on the server.
    sqlite3_stmt* handle() const { return m_stmt; }

private:
    void prepare(const QString& sql);
    void prepareOnServer(const QString& sql);
    void bindOnServer(int index, const QVariant& value);
    bool stepOnServer();
    // Runs the statement when its result is first asked for.
    void runOnServer() const;
    pg_result* takeServerResult() const;
    void releaseServerResult();
    int serverChangedRows() const;
    int serverColumnCount() const;
    QString serverColumnName(int column) const;
    Cell serverCell(int column) const;

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    // The server's side: the text with $n for each ?, the values as text, the result.
    pg_conn* m_server = nullptr;
    QByteArray m_serverSql;
    std::vector<std::optional<QByteArray>> m_parameters;
    mutable pg_result* m_result = nullptr;
    pg_result* m_next = nullptr;
    mutable int m_row = -1;
};

// What a transaction restores when it is rolled back: a dataset's rows, its current row and its
// pending entry, so that after a failed command the screen shows what the database holds.
class TransactionParticipant {
public:
    virtual void saveState() = 0;
    virtual void restoreState() = 0;
    virtual void dropSavedState() = 0;

protected:
    ~TransactionParticipant() = default;
};

// Opening the server found what the program must ask its user about first: the server wants a
// password libpq has none for, or its database holds no table at all and may be filled.
class ServerQuestion : public std::runtime_error {
public:
    explicit ServerQuestion(const QString& server)
        : std::runtime_error("server question"), m_server(server) {}
    // "sunucu:5432/kalvista"
    QString server() const { return m_server; }

private:
    QString m_server;
};
class PasswordNeeded : public ServerQuestion {
    using ServerQuestion::ServerQuestion;
};
class EmptyServerDatabase : public ServerQuestion {
    using ServerQuestion::ServerQuestion;
};

// The one database connection: the file `veriler.db` beside the program, or the PostgreSQL server
// that the file `veriler.baglanti` there names. For the file, its text keeps the three-piece form
// "Provider=...;Data Source=<folder>veriler.db;Persist Security Info=False".
class Connection : public QObject {
    Q_OBJECT
public:
    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    static QString connectionText(const QString& programFolder);
    static QString dataSource(const QString& connectionText);
    // The libpq connection string of `veriler.baglanti` in the folder; empty when the program
    // works on its file.
    static QString serverSetting(const QString& programFolder);
    static QString serverSettingFile(const QString& programFolder);
    // The libpq connection string a server file holds; empty when there is no such file.
    static QString readServerSetting(const QString& file);
    // The database of the program in `programFolder`: its server when the folder names one, or else
    // its file.
    void useProgramFolder(const QString& programFolder);

    // The file named by the connection text; the server is used instead once one is set.
    void setConnectionString(const QString& text) { m_connectionString = text; }
    void setServer(const QString& libpqConnectionString, const std::optional<QString>& password = {});
    bool isServer() const { return !m_server.isEmpty(); }
    SqlDialect dialect() const { return isServer() ? SqlDialect::Postgres : SqlDialect::Sqlite; }
    QString databasePath() const { return dataSource(m_connectionString); }
    // What the status bar shows: "veriler.db", or "sunucu:5432/kalvista".
    QString displayName() const;

    // Opens the existing file named by the connection text; never creates one. On the server it
    // throws PasswordNeeded or EmptyServerDatabase where the program must ask its user first.
    void open();
    // Makes every table of the program in the empty server database and opens it.
    void fillServer();
    void close();
    bool isOpen() const { return m_db != nullptr || m_pg != nullptr; }
    sqlite3* handle() const;
    pg_conn* serverHandle();

    // Runs statements that return no rows (no dialect translation).
    void execute(const QString& sql);
    qint64 lastInsertId();

    enum class Hold { Shared, Exclusive };
    // Holds `name` until the write transaction running on this connection ends: another desk asking
    // for the same name of the same class waits until then (shared holders wait only for an exclusive
    // one), and gives up with the busy message after the lock wait. On the file the write transaction
    // already holds out every other writer, so nothing more is taken there.
    void holdForTransaction(int nameClass, const QString& name, Hold hold = Hold::Exclusive);

    void addParticipant(TransactionParticipant* participant);
    void removeParticipant(TransactionParticipant* participant);
    bool inTransaction() const { return m_transactionDepth > 0; }

signals:
    // Another desk wrote to the server since the program last looked.
    void changedElsewhere();
    // The server connection was lost and made again; what the session held is gone.
    void reconnected();

private:
    friend class Transaction;
    void openServer();
    void connectServer();
    void listenForChanges();
    void prepareServerSession();
    void checkServerDatabase();
    void readNotifications();
    void announceNotifications();
    void closeServer();
    std::vector<TransactionParticipant*> m_participants;
    int m_transactionDepth = 0;
    QString m_connectionString;
    QString m_server;
    std::optional<QString> m_password;
    sqlite3* m_db = nullptr;
    pg_conn* m_pg = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// What is added to a file's name while it is written, until it is whole and renamed.
inline const QString UnfinishedFileSuffix = QStringLiteral(".yeni");

// Makes a new, empty database file with every table, the payments view and the first rows.
// Writes to a temporary file first, so a failure never leaves a half-made database behind.
void createDatabase(const QString& path);

// Copies the whole database open as `db` into the file `target` through SQLite's online backup, so
// the copy is consistent even while others write. The copy is written under a temporary name and
// renamed when whole, replacing an older file of that name.
void copyDatabase(sqlite3* db, const QString& target);

class DatabaseError;

// How messages and the status bar name a server: "sunucu:5432/kalvista" over TCP, and over a Unix
// socket its folder in place of the computer, "/var/run/postgresql:5432/kalvista", as libpq
// reports them.
QString serverDisplayName(const pg_conn* db);

// The failure of a statement the server was sent: a lost connection told as every command tells it,
// or else the server's reason with what to do.
DatabaseError serverStatementError(pg_conn* db, const pg_result* result);
