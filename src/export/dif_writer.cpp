#include "export/code_page_1254.h"
#include "export/export_writers.h"
#include "export/plain_text.h"

namespace {

// The Data Interchange Format of spreadsheets: a header of topics, then per row a BOT marker and
// one value pair per cell, then EOD; lines end with CR LF.
//
// DIF cannot declare an encoding, so readers take the bytes in the system's text code page: on a
// Turkish Windows system that is code page 1254, the file's. A character 1254 lacks becomes '?'.
// A DIF string is one line: line breaks inside a text become blanks.
class DifWriter : public StreamWriter {
public:
    using StreamWriter::StreamWriter;

    void begin(const std::vector<ExportColumn>& columns) override {
        m_columns = columns;
        // The rows are not counted before they stream by: TUPLES says 0. LibreOffice reads the
        // rows up to EOD and only checks the form of the count.
        writeCp1254(topic("TABLE", 1) + topic("VECTORS", int(columns.size())) + topic("TUPLES", 0) +
                    topic("DATA", 0));
        if (!m_settings.writeCaptions)
            return;
        QString record = BeginningOfTuple;
        for (const ExportColumn& column : columns)
            record += text(column.caption);
        writeCp1254(record);
    }

    void writeRow(const ExportRow& row) override {
        QString record = BeginningOfTuple;
        for (size_t i = 0; i < m_columns.size(); ++i)
            record += value(row[i], m_columns[i].kind);
        writeCp1254(record);
    }

    void end() override { writeCp1254("-1,0\r\nEOD\r\n"); }

private:
    void writeCp1254(const QString& text) { writeBytes(m_out, toCp1254(text)); }

    static inline const QString BeginningOfTuple = "-1,0\r\nBOT\r\n";

    static QString topic(const QString& name, int number) {
        return QString("%1\r\n0,%2\r\n\"\"\r\n").arg(name).arg(number);
    }

    static QString text(const QString& value) {
        return "1,0\r\n" + quoted(withoutLineBreaks(value, " "), "\"") + "\r\n";
    }

    QString value(const QVariant& value, ExportKind kind) const {
        if (value.isNull())
            return text(QString());
        switch (kind) {
        case ExportKind::Integer:
        case ExportKind::Number:
            return "0," + exportPlainText(value, kind) + "\r\nV\r\n";
        case ExportKind::Boolean:
            return value.toBool() ? "0,1\r\nTRUE\r\n" : "0,0\r\nFALSE\r\n";
        case ExportKind::Date:
        case ExportKind::Text:
            break;
        }
        return text(exportText(value, kind, m_settings));
    }
};

} // namespace

std::unique_ptr<ExportWriter> makeDifWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<DifWriter>(out, settings);
}
