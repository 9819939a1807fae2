#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

struct sqlite3;
class Connection;

// Copies of the database in the folder "yedekler" beside it: one a day taken at closing, kept for
// 14 days, and copies taken by hand, kept until the user deletes them. Every copy is a plain SQLite
// file holding one consistent state of the database: the file's made through the online backup, the
// server's read in one snapshot. On the server the folder is the one beside `veriler.db` all the
// same, the file the program would use without a server.
namespace Backup {

inline constexpr int DaysKept = 14;

// What a database file holds, as the backups window lists it and the restore question names it.
struct Contents {
    QString path;
    QDateTime modified;
    qint64 size = 0;
    qint64 trainees = -1; // -1 when the file could not be read
    qint64 payments = -1;
    int version = 0;
};

QString folderOf(const QString& databasePath);

// The day's copy, "<name>-YYYY-MM-DD.db"; a later copy of the same day replaces it. Daily copies
// older than DaysKept days are deleted afterwards. Returns the copy's path; throws DatabaseError.
QString takeDailyCopy(Connection& connection, const QDate& today);
QString takeDailyCopy(sqlite3* db, const QString& databasePath, const QDate& today);
// A copy named with the time as well, "<name>-YYYY-MM-DD-HHMMSS<suffix>.db", never deleted by the
// program.
QString takeCopy(Connection& connection, const QDateTime& now, const QString& suffix = {});
QString takeCopy(sqlite3* db, const QString& databasePath, const QDateTime& now, const QString& suffix = {});
// Deletes the daily copies of `databaseBaseName` in `folder` dated DaysKept days or more before
// `today`; any other file is left alone.
void deleteOldDailyCopies(const QString& folder, const QString& databaseBaseName, const QDate& today);

// The copies in the database's backup folder, newest first.
std::vector<Contents> list(const QString& databasePath);

// Reads `file` without changing it and throws DatabaseError, in words naming the check that failed,
// unless it is a whole database of this program's schema or an older one that opening upgrades.
Contents verify(const QString& file);

// Puts `file` in the place of the database of `connection`, which must have no dataset open. The
// file is copied beside the database and that copy verified; the current database is copied to the
// backup folder as "<name>-YYYY-MM-DD-HHMMSS-geri-yukleme-oncesi.db"; the connection is closed, the
// copy flushed to the disk and renamed over the database in one move, and the connection opened
// again. On any failure the connection is open on the database it had and DatabaseError is thrown.
// Returns what the restored database holds.
// On the server the file, upgraded first when it is of an older version, takes the place of every
// row of every table in one transaction, keys kept; the safety copy is a copy of the server.
Contents restore(Connection& connection, const QString& file, const QDateTime& now);

// Removes what a copy of the program that was killed while writing a copy, a restore or a new
// database left behind: the files of the program's own temporary names beside the database and
// in its backup folder. Call it only while no other copy of the program runs on the database,
// since those names are in use while a copy works.
void removeLeftovers(const QString& databasePath);

struct Findings {
    // What the program's own rules forbid, in words for the user; empty when there is none.
    QStringList faults;
    // What the user should know besides, none of it a fault.
    QStringList notes;
};

// Checks the open database. Nothing is repaired.
Findings check(Connection& connection);

// The same checks as `verify` and `check`, on a file read without changing a byte of it.
struct FileCheck {
    // Why the file is no whole database of this program; empty when it is one.
    QString refusal;
    Contents contents;
    Findings findings;
    bool sound() const { return refusal.isEmpty() && findings.faults.isEmpty(); }
};
FileCheck checkFile(const QString& file);

} // namespace Backup
