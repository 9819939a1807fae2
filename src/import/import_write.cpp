#include "import/import_write.h"

#include "data/candidate_numbers.h"
#include "data/connection.h"
#include "data/database_error.h"
#include "data/transaction.h"
#include "export/plain_text.h"
#include "import/checked_cells.h"

#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

// Rows written between two reports of progress, each a chance to stop.
constexpr int ProgressRows = 1000;
// Rows sent to the server in one COPY: a few megabytes of trainees.
constexpr int ServerBatchRows = 2000;

bool goOn(const ImportProgress& progress, double done) {
    return !progress || progress(done);
}

// A value as the program stores it: dates as ISO text, yes as -1 and no as 0.
QVariant storedValue(const QVariant& value, ColumnType type) {
    if (value.isNull())
        return {};
    switch (type) {
    case ColumnType::Date:
        // toStoredDate's text of the day's midnight, written without a pattern: formatting a date by
        // a pattern cost a tenth of the whole write.
        return QString(value.toDate().toString(Qt::ISODate) + QStringLiteral(" 00:00:00"));
    case ColumnType::YesNo:
        return qint64(value.toBool() ? -1 : 0);
    case ColumnType::Number:
        return value.toDouble();
    default:
        return value.toString();
    }
}

// COPY's text form of a value: \N for none, a backslash, a tab or a line end inside a text escaped.
void appendCopyValue(QByteArray& out, const QVariant& value) {
    if (value.isNull())
        return void(out += "\\N");
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return void(out += QByteArray::number(value.toLongLong()));
    case QMetaType::Double:
        return void(out += QByteArray::number(value.toDouble(), 'g', 17));
    default:
        break;
    }
    for (const char c : value.toString().toUtf8())
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
}

// New rows of one table. The file's statement is prepared once and bound again for each row; the
// server takes a batch of rows through one COPY, which it reads many times faster than statements.
// Each batch is a COPY of its own, so a statement may run between two batches.
class RowInserter {
public:
    RowInserter(Connection& connection, const QString& table, const QStringList& columns)
        : m_connection(connection), m_columnCount(int(columns.size())) {
        if (connection.isServer())
            m_copy = QString("COPY %1 (%2) FROM STDIN").arg(table, columns.join(", ")).toUtf8();
        else
            m_fileInsert = std::make_unique<Statement>(
                connection, QString("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(table, columns.join(", "), QStringList(columns.size(), "?").join(", ")));
    }

    void add(const std::vector<QVariant>& values) {
        if (m_fileInsert) {
            for (int i = 0; i < m_columnCount; ++i)
                m_fileInsert->bind(i + 1, values[size_t(i)]);
            m_fileInsert->execute();
            sqlite3_reset(m_fileInsert->handle());
            return;
        }
        for (int i = 0; i < m_columnCount; ++i) {
            if (i > 0)
                m_pending += '\t';
            appendCopyValue(m_pending, values[size_t(i)]);
        }
        m_pending += '\n';
        if (++m_pendingRows == ServerBatchRows)
            flush();
    }

    void flush() {
        if (m_pendingRows == 0)
            return;
        pg_conn* server = m_connection.serverHandle();
        const std::unique_ptr<PGresult, decltype(&PQclear)> started(PQexec(server, m_copy.constData()),
                                                                    &PQclear);
        if (PQresultStatus(started.get()) != PGRES_COPY_IN)
            throw serverStatementError(server, started.get());
        const bool sent = PQputCopyData(server, m_pending.constData(), int(m_pending.size())) == 1;
        PQputCopyEnd(server, sent ? nullptr : "gönderilemedi");
        // The COPY's results are read to the end whatever they say, so the session is free again.
        std::unique_ptr<PGresult, decltype(&PQclear)> failed(nullptr, &PQclear);
        while (PGresult* result = PQgetResult(server)) {
            if (PQresultStatus(result) != PGRES_COMMAND_OK && !failed)
                failed.reset(result);
            else
                PQclear(result);
        }
        if (failed || !sent)
            throw serverStatementError(server, failed.get());
        m_pending.clear();
        m_pendingRows = 0;
    }

private:
    Connection& m_connection;
    int m_columnCount;
    QByteArray m_copy;
    std::unique_ptr<Statement> m_fileInsert;
    QByteArray m_pending;
    int m_pendingRows = 0;
};

QStringList namesOf(const std::vector<ImportField>& fields, int except = -1) {
    QStringList names;
    for (size_t f = 0; f < fields.size(); ++f)
        if (int(f) != except)
            names << fields[f].name;
    return names;
}

// Writes the accepted rows of one kind: new trainees and changes to stored ones, or payments.
class ImportWriter {
public:
    ImportWriter(Connection& connection, ImportKind kind)
        : m_connection(connection), m_kind(kind), m_fields(importFields(kind)),
          m_candidate(fieldNamed(kind, CandidateNumberField)),
          m_inserter(connection, kind == ImportKind::Trainees ? "tb_kursiyer" : "tb_odeme",
                     kind == ImportKind::Trainees ? namesOf(m_fields)
                                                  : namesOf(m_fields, m_candidate) << "kID") {}

    void add(const CheckedRow& row) {
        m_values.clear();
        for (size_t f = 0; f < m_fields.size(); ++f)
            if (m_kind == ImportKind::Trainees || int(f) != m_candidate)
                m_values.push_back(storedValue(row.values[f], m_fields[f].type));
        if (m_kind == ImportKind::Payments)
            m_values.push_back(row.traineeKey);
        m_inserter.add(m_values);
    }

    // Only the fields the file gives: the others keep what the trainee has.
    void update(const CheckedRow& row) {
        QStringList assignments;
        m_values.clear();
        for (size_t f = 0; f < m_fields.size(); ++f)
            if (int(f) != m_candidate && !row.values[f].isNull()) {
                assignments << m_fields[f].name + " = ?";
                m_values.push_back(storedValue(row.values[f], m_fields[f].type));
            }
        Statement update(
            m_connection,
            QString("UPDATE tb_kursiyer SET %1%2 = %2 + 1 WHERE kID = ?")
                .arg(assignments.isEmpty() ? QString() : assignments.join(", ") + ", ", Schema::RowVersion));
        for (size_t i = 0; i < m_values.size(); ++i)
            update.bind(int(i) + 1, m_values[i]);
        update.bind(int(m_values.size()) + 1, row.traineeKey);
        update.execute();
    }

    void finish() { m_inserter.flush(); }

private:
    Connection& m_connection;
    ImportKind m_kind;
    const std::vector<ImportField>& m_fields;
    int m_candidate;
    RowInserter m_inserter;
    std::vector<QVariant> m_values;
};

} // namespace

QString ImportResult::text(ImportKind kind) const {
    const QLocale locale;
    if (kind == ImportKind::Payments)
        return QString("%1 ödeme eklendi, %2 satır atlandı.")
            .arg(locale.toString(added), locale.toString(skipped));
    return QString("%1 kursiyer eklendi, %2 güncellendi, %3 satır atlandı.")
        .arg(locale.toString(added), locale.toString(updated), locale.toString(skipped));
}

std::optional<ImportResult> writeImport(Connection& connection, const QString& path,
                                        const ImportOptions& options, const ImportSetup& setup,
                                        const std::vector<AmountStyle>& amountStyles,
                                        const ImportProgress& progress) {
    Transaction transaction(connection);
    // Before the stored records are read: an import or a save beside this one would find this
    // one's rows not yet stored.
    holdOutCandidateWriters(connection);
    ImportChecker checker(setup, KnownRecords::read(connection, setup.kind), amountStyles);
    const std::unique_ptr<ImportReader> reader = readAhead(openImportFile(path, options));
    ImportWriter writer(connection, setup.kind);
    ImportResult result;
    ImportRow row;
    for (qint64 read = 1; reader->next(row); ++read) {
        const CheckedRow checked = checker.check(row, reader->rowNumber());
        switch (checked.outcome) {
        case RowOutcome::Add:
            writer.add(checked);
            ++result.added;
            break;
        case RowOutcome::Update:
            writer.update(checked);
            ++result.updated;
            break;
        case RowOutcome::AlreadyStored:
        case RowOutcome::Refused:
            ++result.skipped;
            break;
        }
        if (read % ProgressRows == 0 && !goOn(progress, reader->progress()))
            return std::nullopt;
    }
    writer.finish();
    if (!goOn(progress, 1))
        return std::nullopt;
    transaction.commit();
    return result;
}

namespace {

// Rows of the problem report gathered before they are written.
constexpr int ReportRows = 1000;

QString csvField(const QString& text) {
    static const QRegularExpression needsQuotes("[;\"\r\n]");
    return text.contains(needsQuotes) ? quoted(text, "\"") : text;
}

[[noreturn]] void reportNotWritten(const QString& reportPath, const QString& reason) {
    throw ImportError(
        QString("Sorun raporu \"%1\" yazılamadı: %2").arg(QFileInfo(reportPath).fileName(), reason));
}

} // namespace

qint64 saveProblemReport(const QString& reportPath, const QString& path, const ImportOptions& options,
                         const ImportSetup& setup, const KnownRecords& known,
                         const std::vector<AmountStyle>& amountStyles) {
    const std::unique_ptr<ImportReader> reader = openImportFile(path, options);
    const QStringList& captions = reader->captions();
    ImportChecker checker(setup, known, amountStyles);
    QSaveFile file(reportPath);
    if (!file.open(QIODevice::WriteOnly))
        reportNotWritten(reportPath, file.errorString());
    QByteArray pending = "\xEF\xBB\xBF";
    int pendingRows = 0;
    const auto write = [&] {
        if (file.write(pending) != pending.size())
            reportNotWritten(reportPath, file.errorString());
        pending.clear();
        pendingRows = 0;
    };
    QStringList fields{"Satır"};
    for (const QString& caption : captions)
        fields << csvField(caption);
    fields << "Sorun";
    pending += fields.join(';').toUtf8() + "\r\n";
    qint64 written = 0;
    ImportRow row;
    while (reader->next(row)) {
        const CheckedRow checked = checker.check(row, reader->rowNumber());
        if (checked.outcome != RowOutcome::Refused && checked.cutFields.empty())
            continue;
        fields = QStringList{QString::number(checked.fileRow)};
        for (qsizetype c = 0; c < captions.size(); ++c)
            fields << (size_t(c) < row.size() ? csvField(readText(row[size_t(c)])) : QString());
        fields << csvField(
            checked.reasons(captions, setup.matching, setup.kind, CheckedRow::Place::Caption).join(" | "));
        // Cells past the last column stay past it, where the next import finds them again.
        for (size_t c = size_t(captions.size()); c < row.size(); ++c)
            fields << csvField(readText(row[c]));
        pending += fields.join(';').toUtf8() + "\r\n";
        ++written;
        if (++pendingRows == ReportRows)
            write();
    }
    write();
    if (!file.commit())
        reportNotWritten(reportPath, file.errorString());
    return written;
}
