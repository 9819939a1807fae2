#pragma once

#include "export/export_settings.h"

#include <QString>
#include <QVariant>

#include <stdexcept>
#include <vector>

class QIODevice;

enum class ExportKind { Text, Integer, Number, Date, Boolean };

struct ExportColumn {
    QString name;
    QString caption;
    ExportKind kind = ExportKind::Text;
    int width = 0; // characters, for text columns; 0 when the source gives none
};

// One row: a value per column, in column order. A null value is an empty cell.
using ExportRow = std::vector<QVariant>;

// An export that could not be written, with a message for the user.
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const QString& message) : std::runtime_error(message.toUtf8().toStdString()) {}
};

// The export's file refused the bytes: the export names the file and gives this reason.
class ExportWriteError : public ExportError {
public:
    explicit ExportWriteError(const QString& reason) : ExportError(reason), m_reason(reason) {}
    const QString& reason() const { return m_reason; }

private:
    QString m_reason;
};

// One file format: told the columns once, handed the rows one by one, then finished. A writer
// streams: it keeps no more of the rows than its format needs.
class ExportWriter {
public:
    virtual ~ExportWriter() = default;
    virtual void begin(const std::vector<ExportColumn>& columns) = 0;
    virtual void writeRow(const ExportRow& row) = 0;
    virtual void end() = 0;
};

// A value as text formats show it: dates, numbers and yes/no by the settings, null as empty.
QString exportText(const QVariant& value, ExportKind kind, const ExportSettings& settings);
// A value as a data file holds it, whatever the user's display formats: numbers with a point,
// dates as yyyy-MM-dd (with the time when it has one), yes/no as 1 and 0.
QString exportPlainText(const QVariant& value, ExportKind kind);
