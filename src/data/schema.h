#pragma once

#include "data/sql_dialect.h"

#include <QString>
#include <QStringView>

#include <vector>

// The database's tables, described once: the DDL, the field types of every dataset and the
// widths of the edits all come from here.

enum class ColumnType { AutoNumber, Integer, Text, Date, YesNo, Number };

struct Column {
    QString name;
    ColumnType type;
    int width = 0; // characters, for text columns; a text without a width is a memo of any length
    QString label; // the caption of the field's control, where it has one
};

struct Table {
    QString name;
    std::vector<Column> columns;
    QString key; // the auto number column
    // The schema version that brought the table: a file of an older version lacks it until the
    // upgrade that opening runs.
    int since = 1;

    const Column* column(QStringView columnName) const;
};

namespace Schema {

inline constexpr int Version = 8;
// The version that brought the driving-lesson plan.
inline constexpr int LessonPlanVersion = 7;
inline constexpr const char* PaymentsView = "Query_Odemeler";
// Every table's row version: each write names the version it read and raises it, so a row that
// another copy of the program changed meanwhile is never overwritten.
inline constexpr const char* RowVersion = "surum";

// Every table of the program, those added by later versions (`since`) included: what a new
// database gets, what copies and backups carry.
const std::vector<Table>& tables();
// The tables of the first released schema, which every database of the program holds even before
// its upgrade: a file or server database without one of them is not the program's.
const std::vector<Table>& firstTables();
const Table* table(QStringView name);
// A column of the given name in any table or in the payments view, for result columns that
// carry no table of their own.
const Column* anyColumn(QStringView name);
bool isTextColumn(QStringView name);

// What keeps two lessons of one instructor, vehicle or trainee from overlapping, whatever writes
// them, and the course hours a new database starts with for every licence class.
QStringList lessonPlanRules(SqlDialect dialect);

// The table that holds the schema version on the server.
inline constexpr const char* VersionTable = "kalvista_surum";
// The server's notification channel: every write to a table of the program is announced on it.
inline constexpr const char* ChangeChannel = "kalvista_degisiklik";

// The mail settings' one row as a new or upgraded database gets it: no server yet, the common
// submission port and encryption once one is typed.
inline constexpr const char* MailSettingsRow =
    "INSERT INTO tb_eposta_ayar (port, guvenlik) VALUES (587, 'STARTTLS')";

// Every statement that makes a new, empty database, in order.
QStringList creationStatements(SqlDialect dialect = SqlDialect::Sqlite);

} // namespace Schema

// Stored form of dates: ISO text that sorts and compares as text.
QString toStoredDate(const class QDateTime& value);
// The day of a stored date or time, as a statement reads it as text.
class QDate dayOfStoredDate(const QString& stored);
