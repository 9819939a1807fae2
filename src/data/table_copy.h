#pragma once

#include "data/database_error.h"

#include <QtGlobal>

#include <functional>
#include <vector>

struct sqlite3;
struct pg_conn;
class Connection;

// Every row of every table of the program from one open database to another, in either direction
// between the file and the server. Keys are kept as they are, never renumbered, so whatever refers
// to a row (a payment to its trainee, a receipt to its payment) still finds it.
namespace TableCopy {

// One end of a copy: an open SQLite file or a server session, exactly one of the two.
struct Database {
    sqlite3* file = nullptr;
    pg_conn* server = nullptr;
};
Database of(Connection& connection);

// Rows copied so far and rows in all; returning false stops the copy.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// The copy was stopped through its progress callback; what it wrote is rolled back by the caller.
class Stopped : public DatabaseError {
public:
    Stopped() : DatabaseError("Aktarma durduruldu.") {}
};

// The rows of each table, in the order of Schema::tables().
std::vector<qint64> rowCounts(Database db);
// The sum of all payments (tb_odeme.miktar).
double paymentSum(Database db);

// Deletes every row of every table of `to` and puts there every row of `from`, column by column as
// the schema lists them. On the server the numbering of each table then continues past its largest
// key. Runs in the caller's transactions: `from` should be read in one consistent view and `to`
// written in one transaction, rolled back when this throws. Throws DatabaseError.
void replaceAll(Database from, Database to, const Progress& progress = {});

} // namespace TableCopy
