#include "export/export_writers.h"
#include "export/markup_escape.h"

// A UTF-8 HTML5 page that holds its own style: the clipboard takes it as it is.

namespace {

using namespace markup;

QString htmlText(const QString& text) {
    return markupText(text, escapeXml, "<br>");
}

// A CSS string; a '<' is escaped too, so no text closes the style element.
QString cssString(const QString& text) {
    QString escaped = text;
    escaped.replace('\\', "\\5c ").replace('"', "\\22 ").replace('<', "\\3c ");
    return '"' + escaped + '"';
}

QString styleSheet(const ExportSettings& settings) {
    const auto& html = settings.html;
    const ExportFont& font = html.textFont;
    return QString(
               "body { background: %1; color: %2; font-family: %3; font-size: %4pt;%5%6 }\n"
               "table { border-collapse: collapse; }\n"
               "th, td { border: 1px solid %7; padding: 2px 4px; vertical-align: top; text-align: left; }\n"
               "th { background: %8; }\n"
               "tbody tr:nth-child(odd) { background: %9; }\n")
               .arg(html.background.name(), font.color.name(), cssString(font.family),
                    QString::number(font.points), font.bold ? " font-weight: bold;" : "",
                    font.italic ? " font-style: italic;" : "", html.borderColor.name(),
                    html.captionBackground.name(), html.oddRowBackground.name()) +
           QString("tbody tr:nth-child(even) { background: %1; }\n").arg(html.evenRowBackground.name());
}

QString tableRow(const QStringList& texts, const QString& cell) {
    QString row = "<tr>";
    for (const QString& text : texts)
        row += QString("<%1>%2</%1>").arg(cell, htmlText(text));
    return row + "</tr>\n";
}

QString paragraph(const QString& text) {
    return text.isEmpty() ? QString() : "<p>" + htmlText(text) + "</p>\n";
}

class HtmlWriter : public StreamWriter {
public:
    using StreamWriter::StreamWriter;

    void begin(const std::vector<ExportColumn>& columns) override {
        m_columns = columns;
        QString start = "<!DOCTYPE html>\n<html lang=\"tr\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                        markupText(m_settings.html.title, escapeXml, " ") + "</title>\n<style>\n" +
                        styleSheet(m_settings) + "</style>\n</head>\n<body>\n" +
                        paragraph(m_settings.header) + "<table>\n";
        if (m_settings.writeCaptions)
            start += "<thead>\n" + tableRow(captionTexts(columns), "th") + "</thead>\n";
        write(start + "<tbody>\n");
    }

    void writeRow(const ExportRow& row) override {
        write(tableRow(rowTexts(row, m_columns, m_settings), "td"));
    }

    void end() override {
        write("</tbody>\n</table>\n" + paragraph(m_settings.footer) + "</body>\n</html>\n");
    }
};

} // namespace

std::unique_ptr<ExportWriter> makeHtmlWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<HtmlWriter>(out, settings);
}
