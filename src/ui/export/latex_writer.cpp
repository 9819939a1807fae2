#include "ui/export/export_writers.h"
#include "ui/export/markup_escape.h"

#include <QHash>

// A longtable whose caption row repeats on every page, alone or in an article that compiles as it
// is. Letters are written as UTF-8 for inputenc, with T1 fonts for the Turkish ones.

namespace {

using namespace markup;

// The characters TeX reads as commands, and < > | " that print as themselves only in some fonts.
QString latexEscape(const QString& text) {
    static const QHash<QChar, QString> escapes = {{'\\', "\\textbackslash{}"},
                                                  {'#', "\\#"},
                                                  {'$', "\\$"},
                                                  {'%', "\\%"},
                                                  {'&', "\\&"},
                                                  {'_', "\\_"},
                                                  {'{', "\\{"},
                                                  {'}', "\\}"},
                                                  {'~', "\\textasciitilde{}"},
                                                  {'^', "\\textasciicircum{}"},
                                                  {'<', "\\textless{}"},
                                                  {'>', "\\textgreater{}"},
                                                  {'|', "\\textbar{}"},
                                                  {'"', "\\textquotedbl{}"}};
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text)
        escaped += escapes.value(c, QString(c));
    return escaped;
}

// A text with its line breaks; \newline cannot open a paragraph, so an empty first line is a box.
QString latexText(const QString& text) {
    const QString escaped = markupText(text, latexEscape, "\\newline ");
    return escaped.startsWith("\\newline") ? "\\mbox{}" + escaped : escaped;
}

// Paragraph columns, as wide as the Word table's columns would be on the same page.
QString columnFormats(const PageLayout& page) {
    QString formats = "|";
    for (const int width : page.columns)
        formats += QString("p{\\dimexpr%1\\linewidth-2\\tabcolsep-\\arrayrulewidth\\relax}|")
                       .arg(double(width) / page.textWidth(), 0, 'f', 3);
    return formats;
}

QString tableRow(const QStringList& texts, const QString& cellStart = {}) {
    QStringList cells;
    for (const QString& text : texts)
        cells += cellStart + latexText(text);
    return cells.join('&') + "\\\\\\hline\n";
}

QString paragraph(const QString& text) {
    return text.isEmpty() ? QString() : latexText(text) + "\\par\n";
}

QString preamble(const PageLayout& page) {
    return QString("\\documentclass{article}\n"
                   "\\usepackage[utf8]{inputenc}\n"
                   "\\usepackage[T1]{fontenc}\n"
                   "\\usepackage{longtable}\n"
                   "\\usepackage[a4paper,margin=2cm%1]{geometry}\n"
                   "\\begin{document}\n")
        .arg(page.landscape ? ",landscape" : "");
}

class LatexWriter : public StreamWriter {
public:
    using StreamWriter::StreamWriter;

    void begin(const std::vector<ExportColumn>& columns) override {
        m_columns = columns;
        // The article's font is 10 pt.
        const PageLayout page = pageLayout(columns, m_settings, 10);
        QString start =
            m_settings.latex.wholeDocument ? preamble(page) + paragraph(m_settings.header) : QString();
        start += "\\begin{longtable}{" + columnFormats(page) + "}\n\\hline\n";
        if (m_settings.writeCaptions)
            start += tableRow(captionTexts(columns), "\\bfseries ") + "\\endhead\n";
        write(start);
    }

    void writeRow(const ExportRow& row) override { write(tableRow(rowTexts(row, m_columns, m_settings))); }

    void end() override {
        QString finish = "\\end{longtable}\n";
        if (m_settings.latex.wholeDocument)
            finish += paragraph(m_settings.footer) + "\\end{document}\n";
        write(finish);
    }
};

} // namespace

std::unique_ptr<ExportWriter> makeLatexWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<LatexWriter>(out, settings);
}
