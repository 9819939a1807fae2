#pragma once

// The table of the document formats (Word, RTF, LaTeX) laid out for a printed page: each column
// as wide as its caption's longest word and its values need, up to a cap past which values wrap.
// Columns that do not fit the page's width go on in groups, "over, then down" as the PDF does:
// the rows that fill a page are held back, then written once per group, each group's table on
// pages of its own and each repeating the columns that name a row (candidate number, name).

#include "export/export_writer.h"

#include <QStringList>

#include <functional>

// Widths in points of a text in the values' font and in the captions' font, and the height of a
// line of a cell.
struct TextMeasure {
    std::function<double(const QString&)> value;
    std::function<double(const QString&)> caption;
    double lineHeight = 0;
};

// Qt's measure of two fonts, as the system draws them.
TextMeasure fontMeasure(const ExportFont& values, const ExportFont& captions);

// An A4 page with 2 cm margins, in points; landscape when the table is wider than a portrait page.
struct DocumentPage {
    bool landscape = false;
    double width = 595.28;
    double height = 841.89;
    double margin = 56.69;

    double textWidth() const { return width - 2 * margin; }
    double textHeight() const { return height - 2 * margin; }
};

struct DocumentTable {
    DocumentPage page;
    std::vector<double> widths;              // per column, the text's width inside the cell
    std::vector<std::vector<size_t>> groups; // the columns of each group, in the order written
};

inline int twips(double points) {
    return qRound(points * 20);
}

// `cellSpace` is what a cell adds to its text's width: padding and rules.
DocumentTable documentTable(const std::vector<ExportColumn>& columns, const ExportSettings& settings,
                            const TextMeasure& measure, double cellSpace);

// The lines a text takes in a column of the given width, by its measure.
int estimatedLines(const QString& text, double width, const std::function<double(const QString&)>& measure);

// A writer of such a table: it lays the table out, holds back a page of rows when there is more
// than one group, and tells the format what to write.
class DocumentTableWriter : public ExportWriter {
public:
    DocumentTableWriter(const ExportSettings& settings, TextMeasure measure, double cellSpace,
                        double cellHeight)
        : m_settings(settings), m_measure(std::move(measure)), m_cellSpace(cellSpace),
          m_cellHeight(cellHeight) {}

    void begin(const std::vector<ExportColumn>& columns) final;
    void writeRow(const ExportRow& row) final;
    void end() final;

protected:
    // The document up to its table, with the header text.
    virtual void startDocument() = 0;
    // A table of the given columns with its caption row when captions are written; a table after
    // the first starts a new page.
    virtual void startTable(const std::vector<size_t>& columns, bool newPage) = 0;
    virtual void writeCells(const std::vector<size_t>& columns, const QStringList& texts) = 0;
    virtual void endTable() = 0;
    // The footer text and the end of the document.
    virtual void endDocument() = 0;

    const ExportSettings m_settings;
    const TextMeasure m_measure;
    std::vector<ExportColumn> m_columns;
    DocumentTable m_table;

private:
    double rowHeight(const QStringList& texts, bool captions) const;
    void writeBand();

    const double m_cellSpace;
    const double m_cellHeight; // what a cell adds to its lines' height
    std::vector<QStringList> m_band;
    double m_bandHeight = 0;
    double m_bandSpace = 0;
    double m_headerSpace = 0;
    bool m_tableOpen = false;
    int m_tables = 0;
};
