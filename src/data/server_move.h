#pragma once

#include "data/table_copy.h"

#include <QString>

#include <optional>

class Connection;

// The move of a school from its file `veriler.db` to a PostgreSQL server: the server's database is
// made and filled in one transaction, checked against the file, and only then named in
// `veriler.baglanti`. The file itself is never changed, so the way back stays open.
namespace ServerMove {

// The server as the user typed it: a libpq connection string that names no password, and the
// password asked for when the server wants one libpq has none for.
struct Target {
    QString connectionString;
    std::optional<QString> password;
};

// What a trial connection found.
struct Probe {
    QString server;  // "sunucu:5432/kalvista"
    QString version; // the server's own, "16.4"
    bool empty = false;
    bool holdsProgram = false; // the program's tables are already there
};

struct Moved {
    qint64 trainees = 0;
    qint64 payments = 0;
};

// Throws DatabaseError unless the string can be kept in `veriler.baglanti`: it must parse and
// must not carry a password, which the program never writes anywhere.
void checkSetting(const QString& connectionString);

// Connects and looks; throws PasswordNeeded when the server wants a password and none is given,
// DatabaseError when it cannot be reached.
Probe probe(const Target& target);

// Moves every row of the file open in `file` to the server and writes the setting beside the
// program. Refuses a database that holds the program's tables already; on any failure nothing is
// left on the server, no setting is written, and DatabaseError is thrown.
Moved move(Connection& file, const Target& target, const QString& programFolder,
           const TableCopy::Progress& progress = {});

} // namespace ServerMove
