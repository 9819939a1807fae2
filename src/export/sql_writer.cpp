#include "export/export_writers.h"
#include "export/markup_escape.h"

#include <cmath>

// A UTF-8 SQL script: the table made when asked, then an INSERT per row in one transaction. It
// keeps to the SQL that SQLite, PostgreSQL and MySQL (in ANSI_QUOTES mode) all read.

namespace {

QString quoted(const QString& text, QChar quote) {
    return quote + QString(text).replace(quote, QString(2, quote)) + quote;
}

QString identifier(const QString& name) {
    return quoted(name, '"');
}

// Yes/no is a 0 or 1 INTEGER: a BOOLEAN column would not take them in every database.
QString columnType(const ExportColumn& column) {
    switch (column.kind) {
    case ExportKind::Integer:
    case ExportKind::Boolean:
        return "INTEGER";
    case ExportKind::Number:
        return "REAL";
    case ExportKind::Date:
        return "DATE";
    case ExportKind::Text:
        break;
    }
    return column.width > 0 ? QString("VARCHAR(%1)").arg(column.width) : "TEXT";
}

QString literal(const QVariant& value, ExportKind kind) {
    if (value.isNull())
        return "NULL";
    const QString plain = exportPlainText(value, kind);
    switch (kind) {
    case ExportKind::Integer: {
        bool isNumber = false;
        value.toLongLong(&isNumber);
        return isNumber ? plain : quoted(plain, '\'');
    }
    case ExportKind::Number:
        return std::isfinite(value.toDouble()) ? plain : "NULL";
    case ExportKind::Boolean:
        return plain;
    case ExportKind::Date:
    case ExportKind::Text:
        break;
    }
    return quoted(plain, '\'');
}

QString createTable(const QString& table, const std::vector<ExportColumn>& columns) {
    QStringList definitions;
    for (const ExportColumn& column : columns)
        definitions += identifier(column.name) + ' ' + columnType(column);
    return "CREATE TABLE " + table + " (" + definitions.join(", ") + ");\n";
}

class SqlWriter : public StreamWriter {
public:
    using StreamWriter::StreamWriter;

    void begin(const std::vector<ExportColumn>& columns) override {
        if (m_settings.sql.tableName.trimmed().isEmpty())
            throw ExportError("SQL dosyası için bir tablo adı girin.");
        m_columns = columns;
        const QString table = identifier(m_settings.sql.tableName);
        QStringList names;
        for (const ExportColumn& column : columns)
            names += identifier(column.name);
        m_insert = "INSERT INTO " + table + " (" + names.join(", ") + ") VALUES (";
        write("BEGIN;\n" + (m_settings.sql.createTable ? createTable(table, columns) : QString()));
    }

    void writeRow(const ExportRow& row) override {
        QStringList values;
        for (size_t i = 0; i < m_columns.size(); ++i)
            values += literal(row[i], m_columns[i].kind);
        write(m_insert + values.join(", ") + ");\n");
    }

    void end() override { write("COMMIT;\n"); }

private:
    QString m_insert;
};

} // namespace

std::unique_ptr<ExportWriter> makeSqlWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<SqlWriter>(out, settings);
}
