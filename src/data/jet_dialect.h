#pragma once

#include "data/sql_dialect.h"

#include <QString>

// The program writes its SQL in the Jet dialect; this turns it into a backend's without changing
// what it means:
//  - #dd/mm/yyyy# (and #dd/mm/yyyy hh:mm:ss#) become the stored ISO date text, day first (on
//    PostgreSQL a timestamp literal);
//  - "text" and 'text' become one single-quoted literal (doubled quotes inside stay one quote)
//    compared with the Turkish collation, so = ignores letter case the Turkish way;
//  - on PostgreSQL, `x like 'p'` compares lower(x) and lower('p') folded the Turkish way, since
//    LIKE refuses a collation that ignores case;
//  - the words true and false become -1 and 0;
//  - ORDER BY terms that name a text column sort by the Turkish collation; on PostgreSQL empty
//    values come first as SQLite sorts them (last when descending).
// Everything else is left as written. A literal can never end early: its quotes are re-escaped.
// Throws DatabaseError for a date literal that names no real date.
QString translateJet(const QString& jet, SqlDialect dialect = SqlDialect::Sqlite);
