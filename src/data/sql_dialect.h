#pragma once

// The SQL the backends speak: the file's SQLite, the server's PostgreSQL.
enum class SqlDialect { Sqlite, Postgres };
