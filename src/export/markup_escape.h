#pragma once

// What the document writers share: values cleaned and escaped for their markup, and checked writes.

#include "export/plain_text.h"

#include <QIODevice>
#include <QRegularExpression>
#include <QStringList>

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

} // namespace markup
