#include "export/export_writers.h"
#include "export/plain_text.h"
#include "report/report_model.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace {

// The text of one cell as it is drawn: its lines, wrapped to the cell's width.
using CellLines = QStringList;

// A font with its measures on the device it is drawn on.
struct TextStyle {
    TextStyle(const QFont& font, QPaintDevice* device) : font(font), metrics(font, device), device(device) {}

    // A text wrapped to a width, each line break starting a new line; cut to the last line that
    // fits, with an ellipsis, when it has more than maxLines.
    CellLines wrapped(const QString& text, qreal width, int maxLines) const {
        CellLines lines;
        for (const QString& paragraph : text.split(lineBreak()))
            appendWrapped(lines, paragraph, width);
        if (lines.size() > maxLines) {
            const QString rest = lines.mid(maxLines - 1).join(' ');
            lines.resize(maxLines);
            lines.back() = metrics.elidedText(rest, Qt::ElideRight, width);
        }
        return lines;
    }

    // The lines of a paragraph broken at word boundaries, or inside a word too long for a line.
    void appendWrapped(CellLines& lines, const QString& paragraph, qreal width) const {
        if (metrics.horizontalAdvance(paragraph) <= width) {
            lines << paragraph;
            return;
        }
        lines << Report::wrapParagraph(paragraph, font, device, width);
    }

    QFont font;
    QFontMetricsF metrics;
    QPaintDevice* device;
};

QFont valueFont(const ExportFont& style) {
    QFont font(style.family);
    font.setPointSizeF(style.points);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    return font;
}

QFont captionFont(const ExportFont& style) {
    QFont font = valueFont(style);
    font.setBold(true);
    return font;
}

struct TableRow {
    std::vector<CellLines> cells;
    qreal height = 0;
};

struct TableColumn {
    ExportKind kind;
    int group; // the columns that share a page, counted from 0
    qreal left;
    qreal width;
};

// A table over as many pages as it needs, on any paged device, within the page layout the device
// has. Captions head every page. Columns that do not fit the page width go on to following pages
// as groups, like a spreadsheet's printout: the rows that fill one page are held back, then drawn
// once per column group ("over, then down"), so memory holds no more than a page of rows.
class TableWriter : public ExportWriter {
public:
    TableWriter(QPagedPaintDevice& device, const ExportSettings& settings)
        : m_device(device), m_settings(settings), m_valueStyle(valueFont(settings.pdf.font), &device),
          m_captionStyle(captionFont(settings.pdf.font), &device),
          m_lineHeight(m_valueStyle.metrics.lineSpacing()), m_padding(m_lineHeight / 4) {}

    void begin(const std::vector<ExportColumn>& columns) override;
    void writeRow(const ExportRow& row) override;
    void end() override;

private:
    qreal pageWidth() const { return m_device.width(); }
    // Where the rows end: the foot of the page below holds its number.
    qreal pageBottom() const { return m_device.height() - 2 * m_lineHeight; }
    qreal tableTop() const { return m_firstBand ? m_headerHeight : 0; }
    // The height for rows below the captions, on the pages of the band being gathered.
    qreal bandSpace() const { return pageBottom() - tableTop() - m_captions.height; }

    void layOutColumns(const std::vector<ExportColumn>& columns);
    qreal columnWidth(const ExportColumn& column) const;
    TableRow layOutRow(const QStringList& texts, const TextStyle& style, int maxLines) const;
    CellLines layOutBlock(const QString& text) const;

    void startPage();
    void drawBand();
    void drawRow(const TableRow& row, int group, qreal top, const TextStyle& style);
    void drawCell(const CellLines& lines, const TableColumn& column, const QRectF& cell,
                  const QFontMetricsF& metrics);
    void drawBlock(const CellLines& lines, qreal top);
    void drawFooter(qreal top);

    QPagedPaintDevice& m_device;
    const ExportSettings m_settings;
    const TextStyle m_valueStyle;
    const TextStyle m_captionStyle;
    const qreal m_lineHeight;
    const qreal m_padding;
    QPainter m_painter;
    std::vector<TableColumn> m_columns;
    int m_groupCount = 0;
    int m_maxCellLines = 1;
    CellLines m_header;
    qreal m_headerHeight = 0;
    TableRow m_captions;
    std::vector<TableRow> m_band;
    qreal m_bandHeight = 0;
    bool m_firstBand = true;
    int m_pageNumber = 0;
};

void TableWriter::begin(const std::vector<ExportColumn>& columns) {
    if (!m_painter.begin(&m_device))
        throw ExportError("Sayfalar çizilmeye başlanamadı.");
    m_header = layOutBlock(m_settings.header);
    m_headerHeight = m_header.isEmpty() ? 0 : (m_header.size() + 1) * m_lineHeight;
    layOutColumns(columns);
    if (m_settings.writeCaptions) {
        QStringList captions;
        for (const ExportColumn& column : columns)
            captions << column.caption;
        const int captionLines = std::max(1, int(pageBottom() / 4 / m_lineHeight));
        m_captions = layOutRow(captions, m_captionStyle, captionLines);
    }
    m_maxCellLines = std::max(1, int((pageBottom() - m_captions.height - 2 * m_padding) / m_lineHeight));
}

qreal TableWriter::columnWidth(const ExportColumn& column) const {
    // A date or an amount is as wide as its digits, which are wider than the average letter.
    qreal width = std::max(columnCharacters(column, m_settings) * m_valueStyle.metrics.averageCharWidth(),
                           m_valueStyle.metrics.horizontalAdvance(typicalValue(column.kind, m_settings)));
    if (m_settings.writeCaptions)
        width = std::max(width, m_captionStyle.metrics.horizontalAdvance(column.caption));
    return std::min(width + 2 * m_padding, pageWidth());
}

void TableWriter::layOutColumns(const std::vector<ExportColumn>& columns) {
    m_columns.clear();
    int group = 0;
    qreal left = 0;
    for (const ExportColumn& column : columns) {
        const qreal width = columnWidth(column);
        if (left > 0 && left + width > pageWidth()) {
            ++group;
            left = 0;
        }
        m_columns.push_back({column.kind, group, left, width});
        left += width;
    }
    m_groupCount = group + 1;
}

TableRow TableWriter::layOutRow(const QStringList& texts, const TextStyle& style, int maxLines) const {
    TableRow row;
    qsizetype lines = 1;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        row.cells.push_back(style.wrapped(texts[qsizetype(i)], m_columns[i].width - 2 * m_padding, maxLines));
        lines = std::max(lines, row.cells.back().size());
    }
    row.height = lines * style.metrics.lineSpacing() + 2 * m_padding;
    return row;
}

CellLines TableWriter::layOutBlock(const QString& text) const {
    if (text.isEmpty())
        return {};
    return m_valueStyle.wrapped(text, pageWidth(), std::max(1, int(pageBottom() / m_lineHeight) - 1));
}

void TableWriter::writeRow(const ExportRow& row) {
    QStringList texts;
    for (size_t i = 0; i < m_columns.size(); ++i)
        texts << exportText(row[i], m_columns[i].kind, m_settings);
    TableRow laidOut = layOutRow(texts, m_valueStyle, m_maxCellLines);
    // Cells are cut to fit an empty page, so a row overflows an empty band only below a tall
    // header: the header then has its pages, and the row starts the next band.
    if (m_bandHeight + laidOut.height > bandSpace() && (!m_band.empty() || m_firstBand))
        drawBand();
    m_bandHeight += laidOut.height;
    m_band.push_back(std::move(laidOut));
}

void TableWriter::end() {
    const qreal tableBottom = tableTop() + m_captions.height + m_bandHeight;
    drawBand();
    drawFooter(tableBottom + m_lineHeight);
    if (!m_painter.end())
        throw ExportError("Sayfalar yazılamadı.");
}

void TableWriter::startPage() {
    if (m_pageNumber > 0 && !m_device.newPage())
        throw ExportError("Yeni sayfa açılamadı.");
    ++m_pageNumber;
    m_painter.setFont(m_valueStyle.font);
    m_painter.setPen(m_settings.pdf.font.color);
    const QRectF foot(0, pageBottom(), pageWidth(), m_device.height() - pageBottom());
    m_painter.drawText(foot, Qt::AlignHCenter | Qt::AlignBottom, QString("Sayfa %1").arg(m_pageNumber));
}

// The rows held back, on one page per column group.
void TableWriter::drawBand() {
    for (int group = 0; group < m_groupCount; ++group) {
        startPage();
        if (m_pageNumber == 1)
            drawBlock(m_header, 0);
        qreal top = tableTop();
        drawRow(m_captions, group, top, m_captionStyle);
        top += m_captions.height;
        for (const TableRow& row : m_band) {
            drawRow(row, group, top, m_valueStyle);
            top += row.height;
        }
    }
    m_band.clear();
    m_bandHeight = 0;
    m_firstBand = false;
}

void TableWriter::drawRow(const TableRow& row, int group, qreal top, const TextStyle& style) {
    m_painter.setFont(style.font);
    for (size_t i = 0; i < row.cells.size(); ++i) {
        const TableColumn& column = m_columns[i];
        if (column.group == group)
            drawCell(row.cells[i], column, QRectF(column.left, top, column.width, row.height), style.metrics);
    }
}

void TableWriter::drawCell(const CellLines& lines, const TableColumn& column, const QRectF& cell,
                           const QFontMetricsF& metrics) {
    const qreal halfPoint = m_device.logicalDpiX() / 144.0;
    m_painter.setPen(QPen(Qt::gray, halfPoint));
    m_painter.drawRect(cell);
    m_painter.setPen(m_settings.pdf.font.color);
    qreal baseline = cell.top() + m_padding + metrics.ascent();
    for (const QString& line : lines) {
        const qreal left = isNumeric(column.kind) ? cell.right() - m_padding - metrics.horizontalAdvance(line)
                                                  : cell.left() + m_padding;
        m_painter.drawText(QPointF(left, baseline), line);
        baseline += metrics.lineSpacing();
    }
}

void TableWriter::drawBlock(const CellLines& lines, qreal top) {
    m_painter.setFont(m_valueStyle.font);
    m_painter.setPen(m_settings.pdf.font.color);
    for (const QString& line : lines) {
        m_painter.drawText(QPointF(0, top + m_valueStyle.metrics.ascent()), line);
        top += m_lineHeight;
    }
}

// The footer below the last row, or on a page of its own when the last page is full.
void TableWriter::drawFooter(qreal top) {
    const CellLines footer = layOutBlock(m_settings.footer);
    if (footer.isEmpty())
        return;
    if (top + footer.size() * m_lineHeight > pageBottom()) {
        startPage();
        top = 0;
    }
    drawBlock(footer, top);
}

// A PDF on A4 with the settings' orientation and margins, holding the paged table.
class PdfWriter : public ExportWriter {
public:
    PdfWriter(QIODevice& out, const ExportSettings& settings) : m_pdf(&out) {
        constexpr int DotsPerInch = 300;
        m_pdf.setResolution(DotsPerInch);
        const auto orientation = settings.pdf.landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
        const QPageLayout layout(QPageSize(QPageSize::A4), orientation, settings.pdf.margins,
                                 QPageLayout::Inch);
        if (!m_pdf.setPageLayout(layout))
            throw ExportError("PDF sayfa kenar boşlukları A4 sayfaya sığmıyor.");
        m_pdf.setTitle(settings.header.isEmpty() ? QFileInfo(settings.fileName).completeBaseName()
                                                 : settings.header.split(lineBreak()).first());
        m_pdf.setCreator("Kalvista");
        m_table = makeTableWriter(m_pdf, settings);
    }

    void begin(const std::vector<ExportColumn>& columns) override { m_table->begin(columns); }
    void writeRow(const ExportRow& row) override { m_table->writeRow(row); }
    void end() override { m_table->end(); }

private:
    QPdfWriter m_pdf;
    std::unique_ptr<ExportWriter> m_table; // paints on m_pdf, so it goes first
};

} // namespace

std::unique_ptr<ExportWriter> makeTableWriter(QPagedPaintDevice& device, const ExportSettings& settings) {
    return std::make_unique<TableWriter>(device, settings);
}

std::unique_ptr<ExportWriter> makePdfWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<PdfWriter>(out, settings);
}
