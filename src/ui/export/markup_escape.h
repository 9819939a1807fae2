#pragma once

// What the document writers share: values cleaned and escaped for their markup, checked writes, and
// the column widths of a table on an A4 page.

#include "ui/export/plain_text.h"

#include <QIODevice>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <numeric>

namespace markup {

// Whether XML 1.0 can hold a character: not a control character other than tab, CR and LF, not
// U+FFFE or U+FFFF. Surrogates are judged in pairs by the caller.
inline bool xmlCanHold(char16_t c) {
    return (c >= 0x20 && c != 0xFFFE && c != 0xFFFF) || c == '\t' || c == '\n' || c == '\r';
}

// The text without the characters XML 1.0 cannot hold, lone surrogates included. Every markup
// writer cleans its values so: the control characters print as nothing anyway.
inline QString withoutControlCharacters(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            kept += c;
            kept += text[++i];
        } else if (!c.isSurrogate() && xmlCanHold(c.unicode())) {
            kept += c;
        }
    }
    return kept;
}

// & < > " ' as references, which XML and HTML read alike.
inline QString escapeXml(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            escaped += QLatin1String("&amp;");
            break;
        case '<':
            escaped += QLatin1String("&lt;");
            break;
        case '>':
            escaped += QLatin1String("&gt;");
            break;
        case '"':
            escaped += QLatin1String("&quot;");
            break;
        case '\'':
            escaped += QLatin1String("&#39;");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// A text in a markup: cleaned, each of its lines (split on CR LF, CR or LF) escaped, the lines
// joined by the markup's line break.
template <typename Escape> QString markupText(const QString& text, Escape escape, const QString& newLine) {
    QStringList lines = withoutControlCharacters(text).split(lineBreak());
    for (QString& line : lines)
        line = escape(line);
    return lines.join(newLine);
}

// A row as text formats show it, a text per column.
inline QStringList rowTexts(const ExportRow& row, const std::vector<ExportColumn>& columns,
                            const ExportSettings& settings) {
    QStringList texts;
    for (size_t i = 0; i < columns.size(); ++i)
        texts += exportText(row[i], columns[i].kind, settings);
    return texts;
}

inline QStringList captionTexts(const std::vector<ExportColumn>& columns) {
    QStringList captions;
    for (const ExportColumn& column : columns)
        captions += column.caption;
    return captions;
}

// An A4 page with 2 cm margins and the widths of the table's columns on it, in twips. A table
// wider than a portrait page turns the page; one wider than the page is narrowed to fit.
struct PageLayout {
    bool landscape = false;
    int width = 11906;
    int height = 16838;
    int margin = 1134;
    std::vector<int> columns;

    int textWidth() const { return width - 2 * margin; }
};

inline PageLayout pageLayout(const std::vector<ExportColumn>& columns, const ExportSettings& settings,
                             double fontPoints) {
    // An average letter is about half an em wide; a cell adds its padding.
    const double charTwips = fontPoints * 20 * 0.55;
    PageLayout page;
    for (const ExportColumn& column : columns)
        page.columns.push_back(
            int(std::clamp(std::max(columnCharacters(column, settings), int(column.caption.size())), 4, 40) *
                charTwips) +
            144);
    const int natural = std::accumulate(page.columns.begin(), page.columns.end(), 0);
    if (natural > page.textWidth()) {
        page.landscape = true;
        std::swap(page.width, page.height);
    }
    if (natural > page.textWidth()) {
        for (int& width : page.columns)
            width = std::max(1, int(double(width) * page.textWidth() / natural));
    }
    return page;
}

} // namespace markup
