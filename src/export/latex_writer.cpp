#include "export/code_page_1254.h"
#include "export/document_table.h"
#include "export/export_writers.h"
#include "export/markup_escape.h"

#include <QHash>

#include <array>

namespace {

using namespace markup;

// The characters TeX reads as commands, < > | " ' ` that print as themselves only in some fonts or
// turn into typographic quotes, and - , that join into dashes and low quotes when doubled.
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
                                                  {'"', "\\textquotedbl{}"},
                                                  {'\'', "\\textquotesingle{}"},
                                                  {'`', "\\textasciigrave{}"},
                                                  {'-', "-{}"},
                                                  {',', ",{}"}};
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text)
        escaped += escapes.value(c, QString(c));
    return escaped;
}

// The widths of the article's fonts, Latin Modern at 10 pt in T1 encoding (ec-lmr10 and ec-lmbx10),
// in ems, for the printable ASCII characters from '!' on; a space is the font's word space.
constexpr std::array<double, 94> RomanWidths = {
    0.2778, 0.3738, 0.8333, 0.5000, 0.8333, 0.7778, 0.2778, 0.3889, 0.3889, 0.5000, 0.7778, 0.2778,
    0.3333, 0.2778, 0.5000, 0.5000, 0.5000, 0.5000, 0.5000, 0.5000, 0.5000, 0.5000, 0.5000, 0.5000,
    0.5000, 0.2778, 0.2778, 0.7778, 0.7778, 0.7778, 0.4722, 0.7778, 0.7500, 0.7083, 0.7222, 0.7639,
    0.6805, 0.6528, 0.7847, 0.7500, 0.3611, 0.5139, 0.7778, 0.6250, 0.9167, 0.7500, 0.7778, 0.6805,
    0.7778, 0.7361, 0.5555, 0.7222, 0.7500, 0.7500, 1.0278, 0.7500, 0.7500, 0.6111, 0.2778, 0.5000,
    0.2778, 0.5555, 0.7500, 0.2778, 0.5000, 0.5555, 0.4445, 0.5555, 0.4445, 0.3055, 0.5000, 0.5555,
    0.2778, 0.3055, 0.5278, 0.2778, 0.8333, 0.5555, 0.5000, 0.5555, 0.5278, 0.3917, 0.3945, 0.3889,
    0.5555, 0.5278, 0.7222, 0.5278, 0.5278, 0.4445, 0.5000, 0.2778, 0.5000, 0.5555};
constexpr std::array<double, 94> BoldWidths = {
    0.3500, 0.4814, 0.9583, 0.5750, 0.9583, 0.8944, 0.3195, 0.4472, 0.4472, 0.5750, 0.8944, 0.3195,
    0.3833, 0.3195, 0.5750, 0.5750, 0.5750, 0.5750, 0.5750, 0.5750, 0.5750, 0.5750, 0.5750, 0.5750,
    0.5750, 0.3195, 0.3195, 0.8944, 0.8944, 0.8944, 0.5431, 0.8944, 0.8694, 0.8180, 0.8306, 0.8819,
    0.7555, 0.7236, 0.9042, 0.9000, 0.4361, 0.5945, 0.9014, 0.6917, 1.0917, 0.9000, 0.8639, 0.7861,
    0.8639, 0.8625, 0.6389, 0.8000, 0.8847, 0.8694, 1.1889, 0.8694, 0.8694, 0.7028, 0.3195, 0.5750,
    0.3195, 0.5555, 0.8694, 0.3195, 0.5590, 0.6389, 0.5111, 0.6389, 0.5271, 0.3514, 0.5750, 0.6389,
    0.3195, 0.3514, 0.6070, 0.3195, 0.9583, 0.6389, 0.5750, 0.6389, 0.6070, 0.4736, 0.4536, 0.4472,
    0.6389, 0.6070, 0.8306, 0.6070, 0.6070, 0.5111, 0.5750, 0.3195, 0.5750, 0.5555};
constexpr double RomanSpace = 0.3333;
constexpr double BoldSpace = 0.3833;
constexpr double FontPoints = 10;
constexpr double BaselineSkip = 12;

// A letter with an accent is as wide as its letter (ş as s, İ as I, ı as i); any other character
// as wide as an M.
double texWidth(const QString& text, const std::array<double, 94>& widths, double space) {
    double ems = 0;
    for (const char32_t c : text.toUcs4()) {
        char32_t base = c;
        if (c >= 0x80)
            base = c == U'ı'
                       ? U'i'
                       : QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D).at(0).unicode();
        if (base == ' ')
            ems += space;
        else if (base > ' ' && base < 0x7F)
            ems += widths[base - '!'];
        else
            ems += widths['M' - '!'];
    }
    return ems * FontPoints;
}

TextMeasure texMeasure() {
    return {[](const QString& text) { return texWidth(text, RomanWidths, RomanSpace); },
            [](const QString& text) { return texWidth(text, BoldWidths, BoldSpace); }, BaselineSkip};
}

// A cell's room: \tabcolsep on either side and the rule.
constexpr double CellSpace = 2 * 6 + 0.4;

// pdflatex with inputenc sets every character of code page 1254; any other would stop it.
QString settable(const QString& text) {
    QString kept;
    for (const char32_t c : withoutControlCharacters(text).toUcs4())
        kept += inCp1254(c) ? QString::fromUcs4(&c, 1) : QString("?");
    return kept;
}

// A word wider than its column may break after any letter; other words break only at blanks.
QString breakableWord(const QString& word, double width,
                      const std::function<double(const QString&)>& measure) {
    if (measure(word) <= width)
        return latexEscape(word);
    QStringList letters;
    for (const char32_t c : word.toUcs4())
        letters << latexEscape(QString::fromUcs4(&c, 1));
    return letters.join("\\allowbreak{}");
}

// A text with its line breaks; \newline cannot open a paragraph, so an empty first line is a box.
QString latexText(const QString& text, double width, const std::function<double(const QString&)>& measure) {
    QStringList lines = settable(text).split(lineBreak());
    for (QString& line : lines) {
        QStringList words = line.split(' ');
        for (QString& word : words)
            word = breakableWord(word, width, measure);
        line = words.join(' ');
    }
    const QString escaped = lines.join("\\newline ");
    return escaped.startsWith("\\newline") ? "\\mbox{}" + escaped : escaped;
}

QString paragraph(const QString& text) {
    constexpr double AnyWidth = 1e9;
    return text.isEmpty() ? QString() : latexText(text, AnyWidth, texMeasure().value) + "\\par\n";
}

QString preamble(const DocumentPage& page) {
    return QString("\\documentclass{article}\n"
                   "\\usepackage[utf8]{inputenc}\n"
                   "\\usepackage[T1]{fontenc}\n"
                   "\\usepackage{lmodern}\n"
                   "\\usepackage{array}\n"
                   "\\usepackage{longtable}\n"
                   "\\usepackage[a4paper,margin=2cm%1]{geometry}\n"
                   "\\begin{document}\n")
        .arg(page.landscape ? ",landscape" : "");
}

// Longtables, one per group of columns and page of rows, alone (for a document that loads array
// and longtable) or in an article that compiles as it is. Letters are written as UTF-8 for
// inputenc, with T1 fonts for the Turkish ones.
class LatexWriter : public DocumentTableWriter {
public:
    LatexWriter(QIODevice& out, const ExportSettings& settings)
        : DocumentTableWriter(settings, texMeasure(), CellSpace, 2), m_out(out) {}

private:
    void startDocument() override {
        // Cells cut so that a row fits a page with its captions: a longtable does not break a row.
        m_maxLines = std::max(1, int(m_table.page.textHeight() / m_measure.lineHeight) - 8);
        if (m_settings.latex.wholeDocument)
            write(preamble(m_table.page) + paragraph(m_settings.header));
    }

    void startTable(const std::vector<size_t>& columns, bool newPage) override {
        QString start = newPage ? "\\clearpage\n" : "";
        start += "\\begin{longtable}{|";
        for (const size_t c : columns)
            start += QString(">{\\%1\\arraybackslash}p{%2pt}|")
                         .arg(isNumeric(m_columns[c].kind) ? "raggedleft" : "raggedright")
                         .arg(m_table.widths[c], 0, 'f', 2);
        start += "}\n\\hline\n";
        if (m_settings.writeCaptions) {
            QStringList cells;
            for (const size_t c : columns)
                cells << "\\bfseries " +
                             latexText(m_columns[c].caption, m_table.widths[c], m_measure.caption);
            start += cells.join('&') + "\\\\\\hline\n\\endhead\n";
        }
        write(start);
    }

    void writeCells(const std::vector<size_t>& columns, const QStringList& texts) override {
        QStringList cells;
        for (const size_t c : columns)
            cells << latexText(cut(texts[qsizetype(c)], m_table.widths[c]), m_table.widths[c],
                               m_measure.value);
        write(cells.join('&') + "\\\\\\hline\n");
    }

    void endTable() override { write("\\end{longtable}\n"); }

    void endDocument() override {
        if (m_settings.latex.wholeDocument)
            write(paragraph(m_settings.footer) + "\\end{document}\n");
    }

    // A text too tall for a page, cut to the share that fits, with an ellipsis.
    QString cut(const QString& text, double width) const {
        if (text.isEmpty())
            return text;
        const int lines = estimatedLines(text, width, m_measure.value);
        if (lines <= m_maxLines)
            return text;
        return text.left(text.size() * m_maxLines / lines) + QChar(0x2026);
    }

    void write(const QString& text) { writeUtf8(m_out, text); }

    QIODevice& m_out;
    int m_maxLines = 1;
};

} // namespace

std::unique_ptr<ExportWriter> makeLatexWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<LatexWriter>(out, settings);
}
