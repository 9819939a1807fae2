#pragma once

#include <QString>
#include <QStringList>

#include <vector>

struct sqlite3;
struct pg_conn;

// Brings a school's existing file up to the schema of this program, one version at a time.
namespace Migration {

// steps[n - 1] holds the statements that take a file from version n to version n + 1, so the
// last step ends at version steps.size() + 1.
using Steps = std::vector<QStringList>;

// The program's own steps, which end at Schema::Version.
const Steps& programSteps();

// The schema version of the open file. Files of the first released schema carry no version and
// count as version 1.
int fileVersion(sqlite3* db);

// Runs every step the file at `path`, open as `db`, has not had yet, each in one transaction. Before
// the first, the whole file is copied beside it as "<name>-surum<old version>.db". A failed step
// leaves the file at the last completed version and throws DatabaseError naming the copy.
void upgrade(sqlite3* db, const QString& path, const Steps& steps);

// The server's schema starts at this version: servers came with it, so their steps begin there.
inline constexpr int FirstServerVersion = 4;
// serverSteps()[n] takes a server database from version FirstServerVersion + n one version up.
const Steps& serverSteps();
// The version in the server's version table.
int serverVersion(pg_conn* db);
// Runs every server step not run yet, each in one transaction that also raises the version.
void upgradeServer(pg_conn* db, const Steps& steps);

} // namespace Migration
