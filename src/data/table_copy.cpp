#include "data/table_copy.h"

#include "data/connection.h"
#include "data/schema.h"

#include <QStringList>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

// Rows read and written at a time: large enough that a round trip costs little per row, small
// enough that a batch of trainees (about a hundred columns each) stays a few megabytes.
constexpr int BatchRows = 5000;

std::unique_ptr<Statement> statement(TableCopy::Database db, const QString& sql) {
    return db.server ? std::make_unique<Statement>(db.server, sql)
                     : std::make_unique<Statement>(db.file, sql);
}

QString columnList(const Table& table) {
    QStringList names;
    for (const Column& column : table.columns)
        names << column.name;
    return names.join(", ");
}

int keyColumn(const Table& table) {
    for (int i = 0; i < int(table.columns.size()); ++i)
        if (table.columns[size_t(i)].name == table.key)
            return i;
    return 0;
}

qint64 number(TableCopy::Database db, const QString& sql) {
    auto s = statement(db, sql);
    s->step();
    return s->integer(0);
}

[[noreturn]] void serverFailure(pg_conn* db, const PGresult* result, const Table& table) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString text =
        QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(db)).trimmed();
    throw DatabaseError(QString("%1 tablosu sunucuya aktarılamadı.\n%2")
                            .arg(table.name, serverErrorText(QString::fromLatin1(state ? state : ""),
                                                             text.isEmpty() ? PQerrorMessage(db) : text)));
}

// A value the server cannot take as a date or a number is no value: an empty text in such a
// column is sent as a null, as the file's own screens read it.
bool emptyOfNonText(const Cell& cell, const Column& column) {
    return cell.kind == Cell::Kind::Text && cell.size == 0 && column.type != ColumnType::Text;
}

// Writes rows into the file through one statement prepared once, bound and reset for each row.
class FileWriter {
public:
    explicit FileWriter(sqlite3* db) : m_db(db) {}

    // The rows come from a database of the program, which held every rule its triggers hold: they
    // are set aside while the table is filled and made again after, in the same transaction, so a
    // copy does not check half a million lessons one by one.
    void begin(const Table& table) {
        setTriggersAside(table.name);
        Statement(m_db, QString("DELETE FROM %1").arg(table.name)).execute();
        QStringList marks;
        for (size_t i = 0; i < table.columns.size(); ++i)
            marks << "?";
        m_insert = std::make_unique<Statement>(
            m_db,
            QString("INSERT INTO %1 (%2) VALUES (%3)").arg(table.name, columnList(table), marks.join(", ")));
    }

    void add(const Statement& row) {
        sqlite3_stmt* s = m_insert->handle();
        for (int i = 0; i < row.columnCount(); ++i)
            bind(s, i + 1, row.cell(i));
        const int rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_DONE)
            throw DatabaseError(databaseErrorText(rc, QString::fromUtf8(sqlite3_errmsg(m_db))), rc);
    }

    void flush() {}
    void end() {
        m_insert.reset();
        for (const QString& trigger : m_triggers)
            Statement(m_db, trigger).execute();
        m_triggers.clear();
    }
    void abandon() noexcept { m_insert.reset(); }

private:
    void setTriggersAside(const QString& table) {
        QStringList names;
        Statement triggers(m_db,
                           "SELECT name, sql FROM sqlite_master WHERE type = 'trigger' AND tbl_name = ?");
        triggers.bind(1, table);
        while (triggers.step()) {
            names << triggers.text(0);
            m_triggers << triggers.text(1);
        }
        for (const QString& name : names)
            Statement(m_db, "DROP TRIGGER " + name).execute();
    }

    static void bind(sqlite3_stmt* s, int index, const Cell& cell) {
        switch (cell.kind) {
        case Cell::Kind::Null:
            sqlite3_bind_null(s, index);
            break;
        case Cell::Kind::Integer:
            sqlite3_bind_int64(s, index, cell.integer);
            break;
        case Cell::Kind::Real:
            sqlite3_bind_double(s, index, cell.real);
            break;
        case Cell::Kind::Text:
            sqlite3_bind_text(s, index, cell.data, cell.size, SQLITE_TRANSIENT);
            break;
        case Cell::Kind::Blob:
            sqlite3_bind_blob(s, index, cell.data, cell.size, SQLITE_TRANSIENT);
            break;
        }
    }

    sqlite3* m_db;
    std::unique_ptr<Statement> m_insert;
    QStringList m_triggers;
};

// Writes rows to the server through COPY: one stream a table, sent a batch at a time.
class ServerWriter {
public:
    explicit ServerWriter(pg_conn* db) : m_db(db) {}

    void begin(const Table& table) {
        m_table = &table;
        m_largestBefore = largestKey();
        Statement(m_db, QString("DELETE FROM %1").arg(table.name)).execute();
        PGresult* result = PQexec(
            m_db, QString("COPY %1 (%2) FROM STDIN").arg(table.name, columnList(table)).toUtf8().constData());
        const std::unique_ptr<PGresult, decltype(&PQclear)> owned(result, &PQclear);
        if (PQresultStatus(result) != PGRES_COPY_IN)
            serverFailure(m_db, result, table);
        m_copying = true;
    }

    void add(const Statement& row) {
        for (int i = 0; i < row.columnCount(); ++i) {
            if (i > 0)
                m_buffer += '\t';
            append(row.cell(i), m_table->columns[size_t(i)]);
        }
        m_buffer += '\n';
    }

    void flush() {
        if (!m_buffer.isEmpty() && PQputCopyData(m_db, m_buffer.constData(), int(m_buffer.size())) != 1)
            serverFailure(m_db, nullptr, *m_table);
        m_buffer.clear();
    }

    void end() {
        flush();
        m_copying = false;
        if (PQputCopyEnd(m_db, nullptr) != 1)
            serverFailure(m_db, nullptr, *m_table);
        finishCopy();
        continueNumbering();
    }

    void abandon() noexcept {
        m_buffer.clear();
        if (!m_copying)
            return;
        m_copying = false;
        PQputCopyEnd(m_db, "Aktarma durduruldu");
        while (PGresult* result = PQgetResult(m_db))
            PQclear(result);
    }

private:
    void append(const Cell& cell, const Column& column) {
        if (emptyOfNonText(cell, column))
            m_buffer += "\\N";
        else
            switch (cell.kind) {
            case Cell::Kind::Null:
                m_buffer += "\\N";
                break;
            case Cell::Kind::Integer:
                m_buffer += QByteArray::number(cell.integer);
                break;
            case Cell::Kind::Real:
                m_buffer += QByteArray::number(cell.real, 'g', 17);
                break;
            case Cell::Kind::Text:
            case Cell::Kind::Blob:
                appendText(cell.data, cell.size);
                break;
            }
    }

    // COPY's text form: a backslash, a tab or a line end inside a value is written escaped.
    void appendText(const char* data, int size) {
        for (int i = 0; i < size; ++i) {
            switch (data[i]) {
            case '\\':
                m_buffer += "\\\\";
                break;
            case '\t':
                m_buffer += "\\t";
                break;
            case '\n':
                m_buffer += "\\n";
                break;
            case '\r':
                m_buffer += "\\r";
                break;
            default:
                m_buffer += data[i];
            }
        }
    }

    void finishCopy() {
        PGresult* failed = nullptr;
        while (PGresult* result = PQgetResult(m_db)) {
            if (PQresultStatus(result) != PGRES_COMMAND_OK && !failed)
                failed = result;
            else
                PQclear(result);
        }
        if (failed) {
            const std::unique_ptr<PGresult, decltype(&PQclear)> owned(failed, &PQclear);
            serverFailure(m_db, failed, *m_table);
        }
    }

    qint64 largestKey() {
        return number({nullptr, m_db},
                      QString("SELECT coalesce(max(%1), 0) FROM %2").arg(m_table->key, m_table->name));
    }

    // The table's numbering goes on past every key it held, before and after, and any number it
    // ever gave, so a new row never takes a key in use, nor one a desk may still show for a row now
    // gone. Setting a sequence is not undone by a rollback; never going back keeps that harmless.
    void continueNumbering() {
        Statement sequence(m_db, QString("SELECT pg_get_serial_sequence('%1', '%2')")
                                     .arg(m_table->name.toLower(), m_table->key.toLower()));
        sequence.step();
        const QString name = sequence.text(0);
        Statement given(m_db, QString("SELECT CASE WHEN is_called THEN last_value ELSE last_value - 1 END "
                                      "FROM %1")
                                  .arg(name));
        given.step();
        const qint64 largest = std::max({given.integer(0), m_largestBefore, largestKey()});
        Statement set(m_db, "SELECT setval(?::regclass, ?, false)");
        set.bind(1, name);
        set.bind(2, largest + 1);
        set.execute();
    }

    pg_conn* m_db;
    const Table* m_table = nullptr;
    qint64 m_largestBefore = 0;
    QByteArray m_buffer;
    bool m_copying = false;
};

template <typename Writer>
void copyTables(TableCopy::Database from, Writer& writer, const TableCopy::Progress& progress) {
    qint64 total = 0;
    for (const qint64 rows : TableCopy::rowCounts(from))
        total += rows;
    qint64 done = 0;
    const auto report = [&] {
        if (progress && !progress(done, total))
            throw TableCopy::Stopped();
    };
    report();
    for (const Table& table : Schema::tables()) {
        const int key = keyColumn(table);
        writer.begin(table);
        try {
            std::optional<qint64> last;
            for (;;) {
                auto select = statement(
                    from, QString("SELECT %1 FROM %2 %3 ORDER BY %4 LIMIT %5")
                              .arg(columnList(table), table.name,
                                   last ? QString("WHERE %1 > ?").arg(table.key) : QString(), table.key)
                              .arg(BatchRows));
                if (last)
                    select->bind(1, *last);
                int rows = 0;
                while (select->step()) {
                    writer.add(*select);
                    last = select->integer(key);
                    ++rows;
                }
                writer.flush();
                done += rows;
                report();
                if (rows < BatchRows)
                    break;
            }
            writer.end();
        } catch (...) {
            writer.abandon();
            throw;
        }
    }
}

} // namespace

namespace TableCopy {

Database of(Connection& connection) {
    if (connection.isServer())
        return {nullptr, connection.serverHandle()};
    return {connection.handle(), nullptr};
}

std::vector<qint64> rowCounts(Database db) {
    std::vector<qint64> counts;
    for (const Table& table : Schema::tables())
        counts.push_back(number(db, QString("SELECT count(*) FROM %1").arg(table.name)));
    return counts;
}

double paymentSum(Database db) {
    auto s = statement(db, "SELECT coalesce(sum(miktar), 0) FROM tb_odeme");
    s->step();
    return s->number(0);
}

void replaceAll(Database from, Database to, const Progress& progress) {
    if (to.server) {
        ServerWriter writer(to.server);
        copyTables(from, writer, progress);
    } else {
        FileWriter writer(to.file);
        copyTables(from, writer, progress);
    }
}

} // namespace TableCopy
