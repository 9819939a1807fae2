#pragma once

#include <QDateTime>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Dataset;
class QFont;
class QPaintDevice;

// A banded report in millimetres and the pages it lays out. Everything here is plain data: the
// painter draws a Page on a screen, a printer or a PDF alike, and tests read the same pages.
namespace Report {

// Arial where the system has it, else its metric twin, so that every page keeps its line breaks.
QString baseFamily();

// A paragraph broken into lines no wider than `width` on the device: at word boundaries, inside a
// word only when the word alone is too wide; blanks at line ends are dropped.
QStringList wrapParagraph(const QString& paragraph, const QFont& font, const QPaintDevice* device,
                          qreal width);

struct FontStyle {
    QString family = baseFamily();
    double pointSize = 9;
    bool bold = false;
    bool operator==(const FontStyle&) const = default;
};

// Positions are millimetres from the top left corner of the paper.
struct PlacedText {
    QRectF box;
    QString text;
    FontStyle font;
    Qt::Alignment alignment = Qt::AlignLeft;
};

struct PlacedLine {
    QPointF from;
    QPointF to;
    double width = 0.2;
};

struct Page {
    int number = 0; // from 1
    std::vector<PlacedText> texts;
    std::vector<PlacedLine> lines;
};

struct PageSetup {
    QSizeF paper{210, 297};
    double margin = 10;
    double printableHeight() const { return paper.height() - 2 * margin; }
};

// What an item prints; `row` is the dataset row of the detail line, -1 for the line printed over
// an empty dataset. Count prints its text followed by the run's row count, the same on every page.
enum class ItemKind { Text, Field, Memo, SystemDate, Sum, Count, Line, Callback };

struct Item {
    ItemKind kind = ItemKind::Text;
    QString name;
    // From the band's top left, inside the margins. A width of 0 makes the item as wide as its text.
    QRectF box;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool bold = false;
    QString text;                            // Text, Count
    QString field;                           // Field, Sum
    QString mask;                            // "#,###0.00" prints a field or a sum as an amount
    QStringList lines;                       // Memo
    std::function<QString(int row)> onPrint; // Callback
};

enum class BandKind { PageHeader, Detail, PageFooter, Summary };

struct Band {
    BandKind kind = BandKind::Detail;
    double height = 0;
    std::vector<Item> items;
};

struct Definition {
    QString title;
    PageSetup setup;
    std::vector<Band> bands;

    const Band* band(BandKind kind) const;
    Item& item(const QString& name); // throws std::out_of_range for a name the layout lacks
};

// Texts as the layouts print them, in the program's locale.
QString amountText(const QVariant& value);
QString fieldText(const QVariant& value, const QString& mask);
QString dateTimeText(const QDateTime& when);

// One run of a definition over a dataset: the page count is arithmetic over the row count, and a
// page is laid out only when it is asked for. The run reads rows by index and never moves the
// dataset's cursor; the caller puts it where the report leaves it.
class Run {
public:
    Run(const Definition& definition, const Dataset& data,
        const QDateTime& printedAt = QDateTime::currentDateTime());
    // A run over `rows` lines that the layout's callbacks print from what the caller holds (a
    // list read with its own statement): fields and sums print nothing.
    Run(const Definition& definition, int rows, const QDateTime& printedAt = QDateTime::currentDateTime());

    const QString& title() const { return m_definition.title; }
    const PageSetup& setup() const { return m_definition.setup; }
    int rowCount() const { return m_rows; }
    int pageCount() const { return m_pages; }
    int linesPerPage() const { return m_perPage; }
    Page page(int index) const; // from 0

private:
    void place(Page& page, const Band& band, double top, int row) const;
    QString itemText(const Item& item, int row) const;
    QVariant value(const QString& field, int row) const;
    double sum(const QString& field) const;

    Definition m_definition;
    const Dataset* m_data = nullptr;
    QDateTime m_printedAt;
    int m_rows = 0;
    int m_lines = 1;
    int m_perPage = 1;
    int m_pages = 1;
    bool m_summaryOnOwnPage = false;
    mutable std::vector<std::pair<QString, double>> m_sums;
};

} // namespace Report
