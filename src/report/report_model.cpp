#include "report/report_model.h"

#include "data/dataset.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QTextLayout>

#include <cmath>
#include <stdexcept>

namespace Report {

namespace {

// Texts are measured at printer resolution, where hinting no longer moves glyphs, so that a width
// taken here holds on every device the painter draws on.
constexpr double MeasureDpi = 1200;
constexpr double DotsPerMm = MeasureDpi / 25.4;

const QImage& measureDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(int(std::lround(MeasureDpi / 0.0254)));
        image.setDotsPerMeterY(int(std::lround(MeasureDpi / 0.0254)));
        return image;
    }();
    return device;
}

QFont qtFont(const FontStyle& style) {
    QFont font(style.family);
    font.setPointSizeF(style.pointSize);
    font.setBold(style.bold);
    return font;
}

const QFontMetricsF& metrics(const FontStyle& style) {
    static const QFontMetricsF regular(qtFont(FontStyle{}), &measureDevice());
    static const QFontMetricsF bold(qtFont(FontStyle{baseFamily(), 9, true}), &measureDevice());
    if (style.family == baseFamily() && style.pointSize == 9)
        return style.bold ? bold : regular;
    static thread_local std::optional<QFontMetricsF> other;
    other.emplace(qtFont(style), &measureDevice());
    return *other;
}

double textWidth(const FontStyle& font, const QString& text) {
    return metrics(font).horizontalAdvance(text) / DotsPerMm;
}

double lineHeight(const FontStyle& font) {
    return metrics(font).height() / DotsPerMm;
}

// The lines of a fixed-size memo: each of its own lines broken at word boundaries (inside a word
// only when the word alone is too wide), and lines below the box's height dropped.
QStringList wrapInBox(const QStringList& paragraphs, const FontStyle& font, const QSizeF& box) {
    QStringList lines;
    const double width = box.width() * DotsPerMm;
    const double height = lineHeight(font);
    const int fitting = int(std::floor(box.height() / height + 1e-9));
    for (const QString& paragraph : paragraphs) {
        lines << wrapParagraph(paragraph, qtFont(font), &measureDevice(), width);
        if (lines.size() >= fitting)
            break;
    }
    return lines.mid(0, fitting);
}

} // namespace

QStringList wrapParagraph(const QString& paragraph, const QFont& font, const QPaintDevice* device,
                          qreal width) {
    if (paragraph.isEmpty())
        return {QString()};
    QStringList lines;
    QTextLayout layout(paragraph, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        QString text = paragraph.mid(line.textStart(), line.textLength());
        while (text.endsWith(' '))
            text.chop(1);
        lines << text;
    }
    layout.endLayout();
    return lines;
}

QString baseFamily() {
    static const QString family =
        QFontDatabase::hasFamily("Arial") ? QStringLiteral("Arial") : QStringLiteral("Liberation Sans");
    return family;
}

const Band* Definition::band(BandKind kind) const {
    for (const Band& b : bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

Item& Definition::item(const QString& name) {
    for (Band& b : bands)
        for (Item& i : b.items)
            if (i.name == name)
                return i;
    throw std::out_of_range(("no report item " + name).toStdString());
}

QString amountText(const QVariant& value) {
    double amount = value.toDouble();
    // A tiny negative remainder would otherwise print as "-0,00".
    if (std::fabs(amount) < 0.005)
        amount = 0;
    return QLocale().toString(amount, 'f', 2);
}

namespace {

// The long time format without the time zone that some locales add to it.
QString longTimeText(const QTime& time) {
    const QLocale locale;
    return locale.toString(time, locale.timeFormat(QLocale::LongFormat).remove('t').trimmed());
}

} // namespace

QString dateTimeText(const QDateTime& when) {
    QString text = QLocale().toString(when.date(), QLocale::ShortFormat);
    if (when.time() != QTime(0, 0))
        text += ' ' + longTimeText(when.time());
    return text;
}

QString fieldText(const QVariant& value, const QString& mask) {
    if (!mask.isEmpty())
        return amountText(value);
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return dateTimeText(value.toDateTime());
    case QMetaType::QDate:
        return QLocale().toString(value.toDate(), QLocale::ShortFormat);
    case QMetaType::Double:
        return QLocale().toString(value.toDouble(), 'g', 15);
    default:
        return value.toString();
    }
}

Run::Run(const Definition& definition, const Dataset& data, const QDateTime& printedAt)
    : Run(definition, data.isActive() ? data.recordCount() : 0, printedAt) {
    m_data = &data;
}

Run::Run(const Definition& definition, int rows, const QDateTime& printedAt)
    : m_definition(definition), m_printedAt(printedAt), m_rows(std::max(0, rows)) {
    m_lines = std::max(1, m_rows);
    const auto height = [&](BandKind kind) {
        const Band* b = m_definition.band(kind);
        return b ? b->height : 0.0;
    };
    const double header = height(BandKind::PageHeader);
    const double footer = height(BandKind::PageFooter);
    const double detail = height(BandKind::Detail);
    const double room = m_definition.setup.printableHeight() - header - footer;
    m_perPage = detail > 0 ? std::max(1, int(std::floor(room / detail + 1e-9))) : m_lines;
    m_pages = (m_lines + m_perPage - 1) / m_perPage;
    if (const Band* summary = m_definition.band(BandKind::Summary)) {
        const int onLast = m_lines - (m_pages - 1) * m_perPage;
        if (onLast * detail + summary->height > room + 1e-9) {
            m_summaryOnOwnPage = true;
            ++m_pages;
        }
    }
}

Page Run::page(int index) const {
    Page page;
    if (index < 0 || index >= m_pages)
        return page;
    page.number = index + 1;
    const PageSetup& setup = m_definition.setup;
    double top = setup.margin;
    if (const Band* header = m_definition.band(BandKind::PageHeader)) {
        place(page, *header, top, -1);
        top += header->height;
    }
    if (const Band* detail = m_definition.band(BandKind::Detail)) {
        const int firstLine = index * m_perPage;
        const int endLine = std::min(m_lines, firstLine + m_perPage);
        for (int line = firstLine; line < endLine; ++line) {
            place(page, *detail, top, m_rows == 0 ? -1 : line);
            top += detail->height;
        }
    }
    if (const Band* summary = m_definition.band(BandKind::Summary); summary && index == m_pages - 1)
        place(page, *summary, top, -1);
    if (const Band* footer = m_definition.band(BandKind::PageFooter))
        place(page, *footer, setup.paper.height() - setup.margin - footer->height, -1);
    return page;
}

void Run::place(Page& page, const Band& band, double top, int row) const {
    const double left = m_definition.setup.margin;
    for (const Item& item : band.items) {
        const FontStyle font{baseFamily(), 9, item.bold};
        const QPointF origin(left + item.box.x(), top + item.box.y());
        if (item.kind == ItemKind::Line) {
            page.lines.push_back({origin, origin + QPointF(item.box.width(), 0), 0.2});
            continue;
        }
        if (item.kind == ItemKind::Memo) {
            const double height = lineHeight(font);
            double y = origin.y();
            for (const QString& line : wrapInBox(item.lines, font, item.box.size())) {
                page.texts.push_back(
                    {QRectF(origin.x(), y, item.box.width(), height), line, font, item.alignment});
                y += height;
            }
            continue;
        }
        const QString text = itemText(item, row);
        const double width = item.box.width() > 0 ? item.box.width() : textWidth(font, text);
        const double height = item.box.height() > 0 ? item.box.height() : lineHeight(font);
        QRectF box(origin, QSizeF(width, height));
        // A right-aligned item without a box of its own ends at its position.
        if (item.box.width() <= 0 && (item.alignment & Qt::AlignRight))
            box.moveRight(origin.x());
        page.texts.push_back({box, text, font, item.alignment});
    }
}

QString Run::itemText(const Item& item, int row) const {
    switch (item.kind) {
    case ItemKind::Text:
        return item.text;
    case ItemKind::Field:
        return fieldText(value(item.field, row), item.mask);
    case ItemKind::Count:
        return item.text + QString::number(m_rows);
    case ItemKind::SystemDate:
        return QLocale().toString(m_printedAt.date(), QLocale::ShortFormat) + ' ' +
               longTimeText(m_printedAt.time());
    case ItemKind::Sum:
        return fieldText(sum(item.field), item.mask);
    case ItemKind::Callback:
        return item.onPrint ? item.onPrint(row) : QString();
    case ItemKind::Memo:
    case ItemKind::Line:
        break;
    }
    return {};
}

QVariant Run::value(const QString& field, int row) const {
    if (row < 0 || !m_data || !m_data->isActive())
        return {};
    return m_data->valueAt(row, m_data->fieldIndex(field));
}

// The grand total of the whole run, read once, when the page that prints it is laid out.
double Run::sum(const QString& field) const {
    for (const auto& [name, total] : m_sums)
        if (name == field)
            return total;
    double total = 0;
    const int column = m_data && m_data->isActive() ? m_data->fieldIndex(field) : -1;
    for (int row = 0; column >= 0 && row < m_rows; ++row)
        total += m_data->valueAt(row, column).toDouble();
    m_sums.emplace_back(field, total);
    return total;
}

} // namespace Report
