#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// One prepared SQLite statement; finalised when it goes out of scope.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QVariant& value); // 1-based, as SQLite counts
    bool step();                                 // true while a row is there
    void execute();                              // steps to the end
    sqlite3_stmt* handle() const { return m_stmt; }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// The one database connection. Its text keeps the three-piece form
// "Provider=...;Data Source=<folder>veriler.db;Persist Security Info=False".
class Connection : public QObject {
    Q_OBJECT
public:
    explicit Connection(QObject* parent = nullptr) : QObject(parent) {}
    ~Connection() override;

    static QString connectionText(const QString& programFolder);
    static QString dataSource(const QString& connectionText);

    void setConnectionString(const QString& text) { m_connectionString = text; }
    QString connectionString() const { return m_connectionString; }
    QString databasePath() const { return dataSource(m_connectionString); }

    // Opens the existing file named by the connection text; never creates one.
    void open();
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const;

    // Runs SQLite statements that return no rows (no dialect translation).
    void execute(const QString& sql);
    qint64 lastInsertId() const;

private:
    QString m_connectionString;
    sqlite3* m_db = nullptr;
};

// Several writes that belong together: rolled back unless committed.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& m_connection;
    bool m_done = false;
};

// Makes a new, empty database file with every table, the payments view and the first rows.
// Writes to a temporary file first, so a failure never leaves a half-made database behind.
void createDatabase(const QString& path);

// Copies the whole database open as `db` into the file `target` through SQLite's online backup, so
// the copy is consistent even while others write. The copy is written under a temporary name and
// renamed when whole, replacing an older file of that name.
void copyDatabase(sqlite3* db, const QString& target);
