#include "export/document_table.h"
#include "export/export_writers.h"
#include "export/markup_escape.h"

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

// \trgaph: half the space between two cells' texts, on either side of each text.
constexpr int HalfGapTwips = 70;
constexpr double CellSpace = 2 * HalfGapTwips / 20.0 + 0.5;

QString pageSetup(const DocumentPage& page) {
    return QString("\\paperw%1\\paperh%2\\margl%3\\margr%3\\margt%3\\margb%3%4\n")
        .arg(twips(page.width))
        .arg(twips(page.height))
        .arg(twips(page.margin))
        .arg(page.landscape ? "\\landscape" : "");
}

class RtfWriter : public DocumentTableWriter {
public:
    RtfWriter(QIODevice& out, const ExportSettings& settings)
        : DocumentTableWriter(settings, fontMeasure(settings.word.defaultFont, settings.word.rowHeaderFont),
                              CellSpace, 2),
          m_out(out) {}

private:
    void startDocument() override {
        write("{\\rtf1\\ansi\\ansicpg1254\\deff0\\uc1\n" + fontTable(m_settings) + "\n" +
              colourTable(m_settings) + "\n" + pageSetup(m_table.page) + paragraph(m_settings.header));
    }

    void startTable(const std::vector<size_t>& columns, bool newPage) override {
        if (newPage)
            write("\\pard\\plain\\pagebb\\par\n");
        m_rowStart = rowDefinition(columns, false);
        if (!m_settings.writeCaptions)
            return;
        QStringList captions;
        for (const size_t c : columns)
            captions << m_columns[c].caption;
        write(row(rowDefinition(columns, true), columns, captions, CaptionFont));
    }

    void writeCells(const std::vector<size_t>& columns, const QStringList& texts) override {
        QStringList cells;
        for (const size_t c : columns)
            cells << texts[qsizetype(c)];
        write(row(m_rowStart, columns, cells, DefaultFont));
    }

    void endTable() override {}

    void endDocument() override { write(paragraph(m_settings.footer) + "}\n"); }

    // The definition that opens a row: thin borders round every cell, the cells' right edges.
    QString rowDefinition(const std::vector<size_t>& columns, bool captions) const {
        QString definition = QString("\\trowd\\trgaph%1\\trleft0").arg(HalfGapTwips);
        if (captions)
            definition += "\\trhdr";
        int right = 0;
        for (const size_t c : columns) {
            right += twips(m_table.widths[c] + CellSpace);
            definition += QString("\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
                                  "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx%1")
                              .arg(right);
        }
        return definition;
    }

    // Each cell a paragraph in the table, a number set to the right.
    QString row(const QString& start, const std::vector<size_t>& columns, const QStringList& texts,
                FontIndex index) const {
        QString row = start;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            const bool right = index == DefaultFont && isNumeric(m_columns[columns[size_t(i)]].kind);
            row += QString("\\pard\\plain\\intbl%1 ").arg(right ? "\\qr" : "") +
                   fontGroup(m_settings, index, texts[i]) + "\\cell ";
        }
        return row + "\\row\n";
    }
    QString paragraph(const QString& text) const {
        return text.isEmpty() ? QString()
                              : "\\pard\\plain " + fontGroup(m_settings, DefaultFont, text) + "\\par\n";
    }
    void write(const QString& text) { writeBytes(m_out, text.toLatin1()); }

    QIODevice& m_out;
    QString m_rowStart;
};

} // namespace

std::unique_ptr<ExportWriter> makeRtfWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<RtfWriter>(out, settings);
}
