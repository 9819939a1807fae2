#include "export/export_writer.h"

#include "export/export_writers.h"

#include <QDateTime>
#include <QLocale>

namespace {

QDateTime dateTimeOf(const QVariant& value) {
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    return value.toDateTime();
}

bool hasTime(const QDateTime& value) {
    return value.time() != QTime(0, 0);
}

// Shortest digits that give the value back, or the chosen number of decimals.
QString plainNumber(double value, int decimals) {
    return QLocale::c().toString(value, 'f', decimals < 0 ? QLocale::FloatingPointShortest : decimals);
}

QString groupThousands(const QString& digits, const QString& separator) {
    const qsizetype start = digits.startsWith('-') ? 1 : 0;
    QString grouped = digits;
    for (qsizetype at = grouped.size() - 3; at > start; at -= 3)
        grouped.insert(at, separator);
    return grouped;
}

QString numberText(double value, const ExportSettings& settings) {
    const QString plain = plainNumber(value, settings.decimals);
    const qsizetype point = plain.indexOf('.');
    QString whole = point < 0 ? plain : plain.left(point);
    if (!settings.thousandSeparator.isEmpty())
        whole = groupThousands(whole, settings.thousandSeparator);
    return point < 0 ? whole : whole + settings.decimalSeparator + plain.mid(point + 1);
}

} // namespace

QString exportText(const QVariant& value, ExportKind kind, const ExportSettings& settings) {
    if (value.isNull())
        return {};
    switch (kind) {
    case ExportKind::Number:
        return numberText(value.toDouble(), settings);
    case ExportKind::Date: {
        const QDateTime date = dateTimeOf(value);
        const QString day = date.toString(settings.dateFormat);
        return hasTime(date) ? day + ' ' + date.toString(settings.timeFormat) : day;
    }
    case ExportKind::Boolean:
        return value.toBool() ? settings.trueText : settings.falseText;
    case ExportKind::Integer:
    case ExportKind::Text:
        break;
    }
    return value.toString();
}

QString exportPlainText(const QVariant& value, ExportKind kind) {
    if (value.isNull())
        return {};
    switch (kind) {
    case ExportKind::Number:
        return plainNumber(value.toDouble(), -1);
    case ExportKind::Date: {
        const QDateTime date = dateTimeOf(value);
        return date.toString(hasTime(date) ? "yyyy-MM-dd HH:mm:ss" : "yyyy-MM-dd");
    }
    case ExportKind::Boolean:
        return value.toBool() ? "1" : "0";
    case ExportKind::Integer:
    case ExportKind::Text:
        break;
    }
    return value.toString();
}

std::unique_ptr<ExportWriter> makeFileWriter(ExportFormat format, QIODevice& out,
                                             const ExportSettings& settings) {
    switch (format) {
    case ExportFormat::Excel:
        return makeExcelWriter(out, settings);
    case ExportFormat::Word:
        return makeWordWriter(out, settings);
    case ExportFormat::Rtf:
        return makeRtfWriter(out, settings);
    case ExportFormat::Html:
        return makeHtmlWriter(out, settings);
    case ExportFormat::Text:
        return makeTextWriter(out, settings);
    case ExportFormat::Xml:
        return makeXmlWriter(out, settings);
    case ExportFormat::Dbf:
        return makeDbfWriter(out, settings);
    case ExportFormat::Pdf:
        return makePdfWriter(out, settings);
    case ExportFormat::Csv:
        return makeCsvWriter(out, settings);
    case ExportFormat::Dif:
        return makeDifWriter(out, settings);
    case ExportFormat::Sylk:
        return makeSylkWriter(out, settings);
    case ExportFormat::Latex:
        return makeLatexWriter(out, settings);
    case ExportFormat::Sql:
        return makeSqlWriter(out, settings);
    case ExportFormat::Clipboard:
        break;
    }
    throw ExportError("Bu biçim bir dosyaya yazılmaz.");
}
