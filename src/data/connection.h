#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <vector>

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
    // Rows the INSERT, UPDATE or DELETE just executed changed.
    int changedRows() const;
    sqlite3_stmt* handle() const { return m_stmt; }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
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
    QString databasePath() const { return dataSource(m_connectionString); }

    // Opens the existing file named by the connection text; never creates one.
    void open();
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const;

    // Runs SQLite statements that return no rows (no dialect translation).
    void execute(const QString& sql);
    qint64 lastInsertId() const;

    void addParticipant(TransactionParticipant* participant);
    void removeParticipant(TransactionParticipant* participant);
    bool inTransaction() const { return m_transactionDepth > 0; }

private:
    friend class Transaction;
    std::vector<TransactionParticipant*> m_participants;
    int m_transactionDepth = 0;
    QString m_connectionString;
    sqlite3* m_db = nullptr;
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
