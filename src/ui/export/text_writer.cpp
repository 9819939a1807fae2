#include "ui/export/export_writers.h"
#include "ui/export/plain_text.h"

namespace {

// A plain UTF-8 text of aligned columns, one line per row. The widths are fixed before the first
// row (the rows stream by once): a value longer than its column is written whole and shifts the
// rest of its line.
class TextWriter : public StreamWriter {
public:
    using StreamWriter::StreamWriter;

    void begin(const std::vector<ExportColumn>& columns) override {
        m_columns = columns;
        m_widths.clear();
        for (const ExportColumn& column : columns) {
            const qsizetype caption = m_settings.writeCaptions ? column.caption.size() : 0;
            m_widths.push_back(std::max(caption, qsizetype(columnCharacters(column, m_settings))));
        }
        writeBlock(m_settings.header, "", "\r\n");
        if (!m_settings.writeCaptions)
            return;
        QStringList captions, rules;
        for (size_t i = 0; i < columns.size(); ++i) {
            captions << columns[i].caption;
            rules << QString(m_widths[i], '-');
        }
        writeLine(captions);
        writeLine(rules);
    }

    void writeRow(const ExportRow& row) override {
        QStringList values;
        for (size_t i = 0; i < m_columns.size(); ++i)
            values << exportText(row[i], m_columns[i].kind, m_settings);
        writeLine(values);
    }

    void end() override { writeBlock(m_settings.footer, "\r\n", ""); }

private:
    QString cell(size_t column, const QString& value) const {
        const QString text = withoutLineBreaks(value, " ");
        if (isNumeric(m_columns[column].kind))
            return text.rightJustified(m_widths[column]);
        return column + 1 == m_columns.size() ? text : text.leftJustified(m_widths[column]);
    }

    void writeLine(const QStringList& values) {
        QStringList cells;
        for (size_t i = 0; i < m_columns.size(); ++i)
            cells << cell(i, values[qsizetype(i)]);
        write(cells.join(m_settings.text.columnGap) + "\r\n");
    }

    // The header or footer, line by line, set off from the table by a blank line.
    void writeBlock(const QString& text, const QString& before, const QString& after) {
        if (text.isEmpty())
            return;
        write(before + text.split(lineBreak()).join("\r\n") + "\r\n" + after);
    }

    std::vector<qsizetype> m_widths;
};

} // namespace

std::unique_ptr<ExportWriter> makeTextWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<TextWriter>(out, settings);
}
