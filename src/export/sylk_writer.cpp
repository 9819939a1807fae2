#include "export/export_writers.h"
#include "export/plain_text.h"

#include <QDateTime>

namespace {

// The SYLK spreadsheet format: an ID record, one C record per filled cell, E at the end; the row
// count is not known while the rows stream by, so there is no B record.
//
// SYLK has no escape for the Turkish letters ı İ ş Ş ğ Ğ, and readers take the bytes in the
// system's encoding: the file is UTF-8, which LibreOffice on a UTF-8 system reads whole. Inside a
// text a ';' is doubled and a line break is written as ESC " :", the form LibreOffice and Excel
// read back as a line break. Yes/no are 1 and 0: LibreOffice reads TRUE and FALSE both as 0.
// Dates are spreadsheet dates, days since 30.12.1899, shown through the date formats of the P
// records (F;P<n> gives a cell the n-th), so that a sheet sorts and counts with them; a date before
// 1900, which spreadsheets do not count, is written as text.
class SylkWriter : public StreamWriter {
public:
    using StreamWriter::StreamWriter;

    void begin(const std::vector<ExportColumn>& columns) override {
        m_columns = columns;
        write("ID;PKalvista\r\nP;PGeneral\r\nP;Pdd\\.mm\\.yyyy\r\nP;Pdd\\.mm\\.yyyy\\ hh:mm\r\n");
        if (!m_settings.writeCaptions)
            return;
        QString record;
        for (size_t i = 0; i < columns.size(); ++i)
            record += textCell(i, columns[i].caption);
        writeRowOfCells(record);
    }

    void writeRow(const ExportRow& row) override {
        QString record;
        for (size_t i = 0; i < m_columns.size(); ++i)
            record += cell(i, row[i]);
        writeRowOfCells(record);
    }

    void end() override { write("E\r\n"); }

private:
    QString place(size_t column) const { return QString("C;Y%1;X%2;K").arg(m_row + 1).arg(column + 1); }

    QString textCell(size_t column, const QString& text) const {
        if (text.isEmpty())
            return {};
        const QString escaped = withoutLineBreaks(text, "\x1b :").replace(';', ";;");
        return place(column) + '"' + escaped + "\"\r\n";
    }

    QString cell(size_t column, const QVariant& value) const {
        const ExportKind kind = m_columns[column].kind;
        if (value.isNull())
            return {};
        if (isNumeric(kind) || kind == ExportKind::Boolean)
            return place(column) + exportPlainText(value, kind) + "\r\n";
        if (kind == ExportKind::Date)
            return dateCell(column, value.toDateTime());
        return textCell(column, exportText(value, kind, m_settings));
    }

    QString dateCell(size_t column, const QDateTime& date) const {
        if (!date.isValid() || date.date().year() < 1900)
            return textCell(column, exportText(date, ExportKind::Date, m_settings));
        constexpr double SecondsPerDay = 24 * 60 * 60;
        const double serial = double(SpreadsheetEpoch.daysTo(date.date())) +
                              date.time().msecsSinceStartOfDay() / 1000.0 / SecondsPerDay;
        const int format = date.time() == QTime(0, 0) ? DateFormat : DateTimeFormat;
        return QString("F;P%1;FG0G;Y%2;X%3\r\n").arg(format).arg(m_row + 1).arg(column + 1) + place(column) +
               QString::number(serial, 'g', 15) + "\r\n";
    }

    void writeRowOfCells(const QString& cells) {
        write(cells);
        ++m_row;
    }

    static constexpr int DateFormat = 1; // the P records' order
    static constexpr int DateTimeFormat = 2;
    static inline const QDate SpreadsheetEpoch{1899, 12, 30};

    int m_row = 0;
};

} // namespace

std::unique_ptr<ExportWriter> makeSylkWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<SylkWriter>(out, settings);
}
