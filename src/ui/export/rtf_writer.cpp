#include "ui/export/export_writers.h"
#include "ui/export/markup_escape.h"

// An RTF document in pure ASCII: every other character is a \u escape, so the Turkish code page
// named in the header only matters to readers that ignore the escapes.

namespace {

using namespace markup;

// \, { and } escaped, tabs as \tab, and each UTF-16 unit beyond ASCII as a signed \uN with '?'
// for readers that cannot show it; a character beyond the BMP is so written as its two surrogates.
QString rtfEscape(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit == '\t')
            escaped += QLatin1String("\\tab ");
        else if (unit >= 0x80)
            escaped += QString("\\u%1?").arg(qint16(unit));
        else if (unit == '\\' || unit == '{' || unit == '}')
            escaped += QLatin1String("\\") + c;
        else
            escaped += c;
    }
    return escaped;
}

QString rtfText(const QString& text) {
    return markupText(text, rtfEscape, "\\line ");
}

// The fonts by their index in the font table, each with its colour one place on in the colour table.
enum FontIndex { DefaultFont, CaptionFont };
constexpr FontIndex Fonts[] = {DefaultFont, CaptionFont};

const ExportFont& fontOf(const ExportSettings& settings, FontIndex index) {
    return index == DefaultFont ? settings.word.defaultFont : settings.word.rowHeaderFont;
}

QString fontTable(const ExportSettings& settings) {
    QString table = "{\\fonttbl";
    for (const FontIndex index : Fonts)
        table += QString("{\\f%1\\fnil\\fcharset162 %2;}")
                     .arg(index)
                     .arg(rtfEscape(fontOf(settings, index).family));
    return table + "}";
}

// Colour 0 is the reader's own.
QString colourTable(const ExportSettings& settings) {
    QString table = "{\\colortbl;";
    for (const FontIndex index : Fonts) {
        const QColor colour = fontOf(settings, index).color;
        table +=
            QString("\\red%1\\green%2\\blue%3;").arg(colour.red()).arg(colour.green()).arg(colour.blue());
    }
    return table + "}";
}

// A text in a group of its font: face, size in half points, colour, bold and italic.
QString fontGroup(const ExportSettings& settings, FontIndex index, const QString& text) {
    const ExportFont& font = fontOf(settings, index);
    return QString("{\\f%1\\fs%2\\cf%3%4%5 %6}")
        .arg(index)
        .arg(qRound(font.points * 2))
        .arg(index + 1)
        .arg(font.bold ? "\\b" : "", font.italic ? "\\i" : "", rtfText(text));
}

QString pageSetup(const PageLayout& page) {
    return QString("\\paperw%1\\paperh%2\\margl%3\\margr%3\\margt%3\\margb%3%4\n")
        .arg(page.width)
        .arg(page.height)
        .arg(page.margin)
        .arg(page.landscape ? "\\landscape" : "");
}

// The definition that opens a row: thin borders round every cell, the cells' right edges.
QString rowDefinition(const PageLayout& page, bool captions) {
    QString definition = captions ? "\\trowd\\trgaph70\\trleft0\\trhdr" : "\\trowd\\trgaph70\\trleft0";
    int right = 0;
    for (const int width : page.columns) {
        right += width;
        definition += QString("\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
                              "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx%1")
                          .arg(right);
    }
    return definition + "\\pard\\plain\\intbl";
}

class RtfWriter : public StreamWriter {
public:
    using StreamWriter::StreamWriter;

    void begin(const std::vector<ExportColumn>& columns) override {
        m_columns = columns;
        const PageLayout page = pageLayout(columns, m_settings, m_settings.word.defaultFont.points);
        m_rowStart = rowDefinition(page, false);
        write("{\\rtf1\\ansi\\ansicpg1254\\deff0\\uc1\n" + fontTable(m_settings) + "\n" +
              colourTable(m_settings) + "\n" + pageSetup(page) + paragraph(m_settings.header));
        if (m_settings.writeCaptions)
            write(row(rowDefinition(page, true), captionTexts(columns), CaptionFont));
    }

    void writeRow(const ExportRow& values) override {
        write(row(m_rowStart, rowTexts(values, m_columns, m_settings), DefaultFont));
    }

    void end() override { write(paragraph(m_settings.footer) + "}\n"); }

private:
    QString row(const QString& start, const QStringList& texts, FontIndex index) const {
        QString row = start;
        for (const QString& text : texts)
            row += fontGroup(m_settings, index, text) + "\\cell ";
        return row + "\\row\n";
    }
    QString paragraph(const QString& text) const {
        return text.isEmpty() ? QString()
                              : "\\pard\\plain " + fontGroup(m_settings, DefaultFont, text) + "\\par\n";
    }
    void write(const QString& text) { writeBytes(m_out, text.toLatin1()); }

    QString m_rowStart;
};

} // namespace

std::unique_ptr<ExportWriter> makeRtfWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<RtfWriter>(out, settings);
}
