#include "export/export_writers.h"
#include "export/plain_text.h"

namespace {

// The characters of a text as a reader counts them: a letter beyond the BMP is one.
qsizetype characters(const QString& text) {
    return text.size() - std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLowSurrogate(); });
}

// The text on one line: line breaks, tabs and other control characters become blanks.
QString oneLine(const QString& text) {
    QString line = withoutLineBreaks(text, " ");
    for (QChar& c : line) {
        if (c.unicode() < 0x20)
            c = ' ';
    }
    return line;
}

// A plain UTF-8 text of aligned columns, one line per row, every line as long as the others. The
// widths are fixed before the first row (the rows stream by once): a text column is as wide as its
// field, the others as their values usually are. A value longer than its column is cut there and
// ends in "…", so no value moves the columns after it.
class TextWriter : public StreamWriter {
public:
    using StreamWriter::StreamWriter;

    void begin(const std::vector<ExportColumn>& columns) override {
        m_columns = columns;
        m_widths.clear();
        for (const ExportColumn& column : columns) {
            const qsizetype caption = m_settings.writeCaptions ? characters(oneLine(column.caption)) : 0;
            const int values = column.kind == ExportKind::Text && column.width > 0
                                   ? column.width
                                   : columnCharacters(column, m_settings);
            m_widths.push_back(std::max({caption, qsizetype(values), qsizetype(1)}));
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

    void writeRow(const ExportRow& row) override { writeLine(rowTexts(row, m_columns, m_settings)); }

    void end() override { writeBlock(m_settings.footer, "\r\n", ""); }

private:
    static constexpr QChar CutMark = QChar(0x2026);

    QString cell(size_t column, const QString& value) const {
        const qsizetype width = m_widths[column];
        QString text = oneLine(value);
        qsizetype length = characters(text);
        if (length > width) {
            qsizetype keep = width - 1;
            for (qsizetype i = 0; i < keep; ++i)
                keep += text[i].isHighSurrogate() ? 1 : 0;
            text = text.left(keep) + CutMark;
            length = width;
        }
        const QString padding(width - length, ' ');
        return isNumeric(m_columns[column].kind) ? padding + text : text + padding;
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
