#pragma once

// What the writers share: checked writes to the device, quoting, line breaks, and how wide a
// column is laid out.

#include "app/file_error.h"
#include "export/export_writer.h"

#include <QDateTime>
#include <QIODevice>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cerrno>

inline void writeBytes(QIODevice& out, const QByteArray& bytes) {
    errno = 0;
    if (out.write(bytes) != bytes.size())
        throw ExportWriteError(fileErrorReason(errno, out.errorString()));
}

inline void writeUtf8(QIODevice& out, const QString& text) {
    writeBytes(out, text.toUtf8());
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

inline const QRegularExpression& lineBreak() {
    static const QRegularExpression pattern("\r\n|\r|\n");
    return pattern;
}

// The text on one line: each line break (CR LF, CR or LF) becomes the replacement.
inline QString withoutLineBreaks(QString text, const QString& replacement) {
    return text.replace(lineBreak(), replacement);
}

// The text between quotes, each quote inside doubled.
inline QString quoted(QString text, const QString& quote) {
    return quote + text.replace(quote, quote + quote) + quote;
}

inline bool isNumeric(ExportKind kind) {
    return kind == ExportKind::Integer || kind == ExportKind::Number;
}

// A value as wide as the values of its kind usually are, as text formats show it; none for text.
inline QString typicalValue(ExportKind kind, const ExportSettings& settings) {
    switch (kind) {
    case ExportKind::Integer:
        return QString(8, '9');
    case ExportKind::Number:
        return exportText(-1234567.89, ExportKind::Number, settings);
    case ExportKind::Date:
        return exportText(QDateTime(QDate(2000, 12, 31), QTime(0, 0)), ExportKind::Date, settings);
    case ExportKind::Boolean:
        return settings.trueText.size() >= settings.falseText.size() ? settings.trueText : settings.falseText;
    case ExportKind::Text:
        break;
    }
    return {};
}

// The characters a column is laid out for in the aligned formats: a text column as wide as its
// source says, within reason; the others as wide as their values usually are.
inline int columnCharacters(const ExportColumn& column, const ExportSettings& settings) {
    constexpr int WidestText = 40;
    constexpr int UnsizedText = 20;
    constexpr int NarrowestNumber = 12;
    switch (column.kind) {
    case ExportKind::Number:
        return std::max(NarrowestNumber, int(typicalValue(column.kind, settings).size()));
    case ExportKind::Integer:
    case ExportKind::Date:
    case ExportKind::Boolean:
        return int(typicalValue(column.kind, settings).size());
    case ExportKind::Text:
        break;
    }
    return column.width > 0 ? std::min(column.width, WidestText) : UnsizedText;
}

// A writer of one stream of text: the device, the settings and the columns it was begun with.
class StreamWriter : public ExportWriter {
public:
    StreamWriter(QIODevice& out, const ExportSettings& settings) : m_out(out), m_settings(settings) {}

protected:
    void write(const QString& text) { writeUtf8(m_out, text); }

    QIODevice& m_out;
    const ExportSettings m_settings;
    std::vector<ExportColumn> m_columns;
};
