#include "export/export_writers.h"
#include "export/plain_text.h"

namespace {

// Comma-separated values as RFC 4180 has them, with the separator and quote of the settings (an
// empty quote never quotes): a field is quoted when it holds the separator, the quote, a line
// break, or blanks at either end; records end with CR LF. CSV is data: an amount keeps every
// digit, with the chosen decimal separator and no thousands grouped, whatever the display decimals.
class CsvWriter : public StreamWriter {
public:
    CsvWriter(QIODevice& out, const ExportSettings& settings)
        : StreamWriter(out, settings), m_valueSettings(valueSettings(settings)) {}

    void begin(const std::vector<ExportColumn>& columns) override {
        m_columns = columns;
        if (m_settings.csv.byteOrderMark)
            writeBytes(m_out, "\xEF\xBB\xBF");
        // Excel takes a file that starts with "ID" for SYLK; a quoted first field keeps it CSV.
        m_atStart = !m_settings.csv.byteOrderMark;
        if (!m_settings.writeCaptions)
            return;
        writeRecord(captionTexts(columns));
    }

    void writeRow(const ExportRow& row) override { writeRecord(rowTexts(row, m_columns, m_valueSettings)); }

    void end() override {}

private:
    static ExportSettings valueSettings(ExportSettings settings) {
        settings.decimals = -1;
        settings.thousandSeparator.clear();
        return settings;
    }

    bool needsQuotes(const QString& text) const {
        return text.contains(m_settings.csv.separator) || text.contains(m_settings.csv.quote) ||
               text.contains('\r') || text.contains('\n') || text.startsWith(' ') || text.endsWith(' ') ||
               (m_atStart && text.startsWith("ID"));
    }

    QString field(const QString& text) const {
        const QString& quote = m_settings.csv.quote;
        return !quote.isEmpty() && needsQuotes(text) ? quoted(text, quote) : text;
    }

    void writeRecord(const QStringList& fields) {
        QString record;
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                record += m_settings.csv.separator;
            record += field(fields[i]);
            m_atStart = false;
        }
        write(record + "\r\n");
    }

    const ExportSettings m_valueSettings;
    bool m_atStart = false;
};

} // namespace

std::unique_ptr<ExportWriter> makeCsvWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<CsvWriter>(out, settings);
}
