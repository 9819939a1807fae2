#pragma once

#include "export/export_run.h"

#include <QDate>
#include <QDateTime>
#include <QProcess>
#include <QStringList>
#include <QTest>

// A small list that holds what breaks writers: every Turkish letter, both quotes, the CSV
// separators, a percent sign, a line break inside a value, empty and null values, dates, a
// fractional and a negative amount.
class ExportSample : public ExportSource {
public:
    static inline const QString TurkishLetters = QString::fromUtf8("ı İ ş Ş ğ Ğ ü Ü ö Ö ç Ç");

    std::vector<ExportColumn> columns() const override {
        return {{"kID", "kID", ExportKind::Integer, 0},
                {"adi", "adi", ExportKind::Text, 30},
                {"soyadi", "soyadi", ExportKind::Text, 30},
                {"dogumtarihi", "dogumtarihi", ExportKind::Date, 0},
                {"odeme_tutari", "odeme_tutari", ExportKind::Number, 0},
                {"ser_hak", "ser_hak", ExportKind::Boolean, 0}};
    }
    int rowCount() const override { return int(rows().size()); }
    QVariant value(int row, int column) const override { return rows()[size_t(row)][size_t(column)]; }

    static const std::vector<ExportRow>& rows() {
        static const std::vector<ExportRow> all = {
            {1, TurkishLetters, QString::fromUtf8("Çağlar \"Şef\" 'Ağa'"),
             QDateTime(QDate(1990, 3, 7), QTime(0, 0)), 1234.5, true},
            {2, QString::fromUtf8("a;b,c %100"), QString::fromUtf8("iki\nsatır"),
             QDateTime(QDate(2001, 12, 31), QTime(0, 0)), -250.75, false},
            {3, QString(""), QVariant(), QVariant(), QVariant(), QVariant()},
        };
        return all;
    }
};

// Rows given in place, for what the sample does not hold: bad inputs, other columns.
class TableSource : public ExportSource {
public:
    TableSource(std::vector<ExportColumn> columns, std::vector<ExportRow> rows)
        : m_columns(std::move(columns)), m_rows(std::move(rows)) {}
    std::vector<ExportColumn> columns() const override { return m_columns; }
    int rowCount() const override { return int(m_rows.size()); }
    QVariant value(int row, int column) const override { return m_rows[size_t(row)][size_t(column)]; }

private:
    std::vector<ExportColumn> m_columns;
    std::vector<ExportRow> m_rows;
};

// Runs a reader that we did not write and gives what it printed; the test fails when it fails.
inline QString runReader(const QString& program, const QStringList& arguments) {
    QProcess reader;
    reader.start(program, arguments);
    if (!reader.waitForFinished(60000) || reader.exitStatus() != QProcess::NormalExit ||
        reader.exitCode() != 0) {
        qWarning().noquote() << program << arguments.join(' ')
                             << QString::fromUtf8(reader.readAllStandardError());
        return QString();
    }
    return QString::fromUtf8(reader.readAllStandardOutput());
}

// A Python script given inline, run by the system's own interpreter, where Debian's readers live.
inline QString runPython(const QString& script, const QStringList& arguments) {
    return runReader("/usr/bin/python3", QStringList{"-c", script} + arguments);
}
