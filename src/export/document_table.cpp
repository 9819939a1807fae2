#include "export/document_table.h"

#include "export/markup_escape.h"

#include <QFont>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Past this many letters a text column's values wrap.
constexpr int WidestText = 20;
constexpr int UnsizedText = 20;
// Readers may draw with a font a little wider than the one measured here.
constexpr double Slack = 1.05;
// Word wrapping leaves the end of most lines empty.
constexpr double WrapWaste = 1.15;
// The repeated columns leave at least this share of the page to the others.
constexpr double MostForRepeated = 0.5;

// A sentence with every Turkish letter, for the width of an average letter of a name or address.
const QString AverageText = QString::fromUtf8("Pijamalı hasta yağız şoföre çabucak güvendi");

double averageLetter(const TextMeasure& measure) {
    return measure.value(AverageText) / double(AverageText.size());
}

double longestWord(const QString& text, const std::function<double(const QString&)>& measure) {
    double widest = 0;
    for (const QString& word : text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts))
        widest = std::max(widest, measure(word));
    return widest;
}

double valueNeed(const ExportColumn& column, const ExportSettings& settings, const TextMeasure& measure) {
    if (column.kind == ExportKind::Text)
        return std::min(column.width > 0 ? column.width : UnsizedText, WidestText) * averageLetter(measure);
    return measure.value(typicalValue(column.kind, settings));
}

std::vector<size_t> repeatedColumns(const std::vector<ExportColumn>& columns,
                                    const ExportSettings& settings) {
    std::vector<size_t> repeated;
    for (size_t c = 0; c < columns.size(); ++c) {
        if (settings.rowNameFields.contains(columns[c].name, Qt::CaseInsensitive))
            repeated.push_back(c);
    }
    return repeated;
}

// Groups of the columns that are not repeated, each filling the room the repeated ones leave.
std::vector<std::vector<size_t>> fill(const std::vector<double>& widths, const std::vector<size_t>& repeated,
                                      double room, double cellSpace) {
    std::vector<std::vector<size_t>> groups(1);
    double used = 0;
    for (size_t c = 0; c < widths.size(); ++c) {
        if (std::find(repeated.begin(), repeated.end(), c) != repeated.end())
            continue;
        const double width = widths[c] + cellSpace;
        if (!groups.back().empty() && used + width > room) {
            groups.emplace_back();
            used = 0;
        }
        groups.back().push_back(c);
        used += width;
    }
    return groups;
}

} // namespace

TextMeasure fontMeasure(const ExportFont& values, const ExportFont& captions) {
    // Measured at a large size and scaled, so that no hinting of small sizes creeps in.
    constexpr int EmPixels = 1000;
    const auto measureOf = [](const ExportFont& style) {
        QFont font(style.family);
        font.setPixelSize(EmPixels);
        font.setBold(style.bold);
        font.setItalic(style.italic);
        const QFontMetricsF metrics(font);
        const double points = style.points;
        return [metrics, points](const QString& text) {
            return metrics.horizontalAdvance(text) * points / EmPixels;
        };
    };
    constexpr double LineSpacing = 1.2;
    return {measureOf(values), measureOf(captions), values.points * LineSpacing};
}

DocumentTable documentTable(const std::vector<ExportColumn>& columns, const ExportSettings& settings,
                            const TextMeasure& measure, double cellSpace) {
    DocumentTable table;
    DocumentPage landscape;
    landscape.landscape = true;
    std::swap(landscape.width, landscape.height);
    for (const ExportColumn& column : columns) {
        const double caption = settings.writeCaptions ? longestWord(column.caption, measure.caption) : 0;
        const double need = std::max(caption, valueNeed(column, settings, measure)) * Slack;
        table.widths.push_back(std::min(need, landscape.textWidth() - cellSpace));
    }
    const double total =
        std::accumulate(table.widths.begin(), table.widths.end(), 0.0) + cellSpace * double(columns.size());
    std::vector<size_t> all(columns.size());
    std::iota(all.begin(), all.end(), size_t(0));
    if (total > table.page.textWidth())
        table.page = landscape;
    if (total <= table.page.textWidth()) {
        table.groups = {all};
        return table;
    }

    std::vector<size_t> repeated = repeatedColumns(columns, settings);
    double repeatedWidth = 0;
    for (const size_t c : repeated)
        repeatedWidth += table.widths[c] + cellSpace;
    if (repeatedWidth > table.page.textWidth() * MostForRepeated) {
        repeated.clear();
        repeatedWidth = 0;
    }
    const double room = table.page.textWidth() - repeatedWidth;
    for (size_t c = 0; c < columns.size(); ++c)
        table.widths[c] = std::min(table.widths[c], room - cellSpace);

    // The first group keeps the list's order; the others start with the repeated columns.
    for (std::vector<size_t>& group : fill(table.widths, repeated, room, cellSpace)) {
        if (table.groups.empty()) {
            group.insert(group.end(), repeated.begin(), repeated.end());
            std::sort(group.begin(), group.end());
        } else {
            group.insert(group.begin(), repeated.begin(), repeated.end());
        }
        table.groups.push_back(std::move(group));
    }
    return table;
}

int estimatedLines(const QString& text, double width, const std::function<double(const QString&)>& measure) {
    int lines = 0;
    for (const QString& paragraph : text.split(lineBreak()))
        lines += std::max(1, int(std::ceil(measure(paragraph) * WrapWaste / width)));
    return lines;
}

void DocumentTableWriter::begin(const std::vector<ExportColumn>& columns) {
    m_columns = columns;
    m_table = documentTable(columns, m_settings, m_measure, m_cellSpace);
    startDocument();
    const double captions = m_settings.writeCaptions ? rowHeight(captionTexts(columns), true) : 0;
    const double header = m_settings.header.isEmpty()
                              ? 0
                              : (m_settings.header.split(lineBreak()).size() + 1) * m_measure.lineHeight;
    // A line more for the paragraph that breaks the page before a group.
    m_bandSpace = m_table.page.textHeight() - captions - header - m_measure.lineHeight;
    m_headerSpace = header;
    if (m_table.groups.size() == 1 && m_settings.writeCaptions) {
        startTable(m_table.groups.front(), false);
        m_tableOpen = true;
    }
}

void DocumentTableWriter::writeRow(const ExportRow& row) {
    QStringList texts = rowTexts(row, m_columns, m_settings);
    if (m_table.groups.size() == 1) {
        if (!m_tableOpen) {
            startTable(m_table.groups.front(), false);
            m_tableOpen = true;
        }
        writeCells(m_table.groups.front(), texts);
        return;
    }
    const double height = rowHeight(texts, false);
    if (!m_band.empty() && m_bandHeight + height > m_bandSpace)
        writeBand();
    m_bandHeight += height;
    m_band.push_back(std::move(texts));
}

void DocumentTableWriter::end() {
    if (m_tableOpen)
        endTable();
    else if (!m_band.empty() || (m_tables == 0 && m_table.groups.size() > 1 && m_settings.writeCaptions))
        writeBand();
    endDocument();
}

double DocumentTableWriter::rowHeight(const QStringList& texts, bool captions) const {
    const auto& measure = captions ? m_measure.caption : m_measure.value;
    int lines = 1;
    for (qsizetype c = 0; c < texts.size(); ++c) {
        if (!texts[c].isEmpty())
            lines = std::max(lines, estimatedLines(texts[c], m_table.widths[size_t(c)], measure));
    }
    return lines * m_measure.lineHeight + m_cellHeight;
}

void DocumentTableWriter::writeBand() {
    for (const std::vector<size_t>& group : m_table.groups) {
        startTable(group, m_tables > 0);
        for (const QStringList& texts : m_band)
            writeCells(group, texts);
        endTable();
        ++m_tables;
    }
    m_band.clear();
    m_bandHeight = 0;
    // Only the first page has the header above its table.
    m_bandSpace += m_headerSpace;
    m_headerSpace = 0;
}
