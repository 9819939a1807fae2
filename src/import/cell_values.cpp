#include "import/cell_values.h"

#include "data/turkish_text.h"
#include "data/typed_date.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Serial numbers of the 1900 date system that a spreadsheet shows as a date: 1 is 1 January 1900,
// 2958465 is 31 December 9999.
constexpr double FirstSerial = 1;
constexpr double LastSerial = 2958465;
// Excel counts a 29 February 1900 that never was; serials after it are one day ahead.
constexpr int FictitiousLeapDay = 60;

bool isNumberCell(const QVariant& cell) {
    switch (cell.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

std::optional<QDate> dateOfSerial(double serial) {
    if (!std::isfinite(serial) || serial < FirstSerial || serial >= LastSerial + 1)
        return std::nullopt;
    const int day = int(std::floor(serial));
    if (day == FictitiousLeapDay)
        return std::nullopt;
    const QDate base = day < FictitiousLeapDay ? QDate(1899, 12, 31) : QDate(1899, 12, 30);
    return base.addDays(day);
}

// "yyyy-MM-dd", alone or with the time of day that data files write after it.
std::optional<QDate> isoDate(const QString& text) {
    static const QRegularExpression pattern(
        R"(^(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T]\d{1,2}:\d{2}(?::\d{2}(?:\.\d+)?)?)?$)");
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    return date.isValid() ? std::optional(date) : std::nullopt;
}

// A typed date, with the time of day some programs write after it left aside.
std::optional<QDate> typedDate(const QString& text) {
    static const QRegularExpression withTime(R"(^(\S+)\s+\d{1,2}:\d{2}(?::\d{2})?$)");
    const QRegularExpressionMatch match =
        text.contains(':') ? withTime.match(text) : QRegularExpressionMatch();
    const std::optional<QDate> date = readTypedDate(match.hasMatch() ? match.captured(1) : text);
    return date && date->isValid() ? date : std::nullopt;
}

bool isAsciiDigit(QChar c) {
    return c >= '0' && c <= '9';
}

// 1 to 7 digits: a spreadsheet's serial number written as text.
bool isSerialText(const QString& text) {
    return !text.isEmpty() && text.size() <= 7 && std::all_of(text.begin(), text.end(), isAsciiDigit);
}

// The amount's digits and separators, its sign kept: blanks of any kind and a currency named at
// either end taken away. Most amounts hold nothing else, and are not searched for a currency.
QString bareAmount(const QString& text) {
    static const QRegularExpression currency(R"(^(?:TL|TRY|₺)|(?:TL|TRY|₺)$)",
                                             QRegularExpression::CaseInsensitiveOption);
    QString bare;
    bare.reserve(text.size());
    bool plain = true;
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        plain = plain && (isAsciiDigit(c) || c == '.' || c == ',' || c == '-' || c == '+');
        bare += c;
    }
    return plain ? bare : bare.remove(currency);
}

QChar decimalOf(AmountStyle style) {
    return style == AmountStyle::English ? '.' : ',';
}

QChar groupingOf(AmountStyle style) {
    return style == AmountStyle::English ? ',' : '.';
}

// A separator met once is grouping only where what stands on both sides could be: one to three
// digits before it, not a lone zero's start, and three digits after.
bool couldGroup(const QString& digits, qsizetype at) {
    const qsizetype before = at;
    const qsizetype after = digits.size() - at - 1;
    return before >= 1 && before <= 3 && digits[0] != '0' && after == 3;
}

QString withoutSign(const QString& bare) {
    return bare.startsWith('-') || bare.startsWith('+') ? bare.mid(1) : bare;
}

// Folds case the Turkish way, then reads each letter as its base letter: "Ş", "İ" and "I" give
// "s", "i" and "i". A letter outside the basic plane is one half of a pair, kept as it is.
char16_t asciiBase(char16_t c) {
    const char32_t folded = TurkishText::foldCase(c);
    if (folded < 0x80)
        return char16_t(folded);
    if (folded == U'ı')
        return u'i';
    if (QChar::decompositionTag(folded) != QChar::Canonical)
        return char16_t(folded);
    return QChar::decomposition(folded)[0].unicode();
}

// The letters of Latin texts, Turkish ones among them, looked up rather than decomposed each time.
constexpr char16_t TabledLimit = 0x250;

QChar asciiBaseOf(QChar c) {
    static const std::array<char16_t, TabledLimit> table = [] {
        std::array<char16_t, TabledLimit> bases{};
        for (char16_t u = 0; u < TabledLimit; ++u)
            bases[u] = asciiBase(u);
        return bases;
    }();
    return c.unicode() < TabledLimit ? table[c.unicode()] : asciiBase(c.unicode());
}

QChar turkishLowerCase(QChar c) {
    return char16_t(TurkishText::foldCase(c.unicode()));
}

// Letter by letter, as the fold reads them: a file may hold a province in every row of several
// columns, and comparing builds no text.
bool sameLetters(QStringView a, QStringView b, QChar (*fold)(QChar)) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](QChar x, QChar y) { return fold(x) == fold(y); });
}

// A whole amount in the style: grouped by threes or not grouped at all, with an optional decimal part.
const QRegularExpression& amountPattern(AmountStyle style) {
    const auto make = [](const char* grouping, const char* decimal) {
        return QRegularExpression(
            QString(R"(^[+-]?(?:\d+|\d{1,3}(?:%1\d{3})+)(?:%2\d+)?$|^[+-]?%2\d+$)").arg(grouping, decimal));
    };
    static const QRegularExpression turkish = make(R"(\.)", ",");
    static const QRegularExpression english = make(",", R"(\.)");
    return style == AmountStyle::English ? english : turkish;
}

AmountStyle styleOfBareAmount(const QString& bare) {
    const QString digits = withoutSign(bare);
    const qsizetype lastDot = digits.lastIndexOf('.');
    const qsizetype lastComma = digits.lastIndexOf(',');
    if (lastDot >= 0 && lastComma >= 0)
        return lastComma > lastDot ? AmountStyle::Turkish : AmountStyle::English;
    if (lastDot < 0 && lastComma < 0)
        return AmountStyle::Undecided;
    const QChar separator = lastDot >= 0 ? '.' : ',';
    const bool dotIsDecimal = separator == '.';
    const AmountStyle asDecimal = dotIsDecimal ? AmountStyle::English : AmountStyle::Turkish;
    const AmountStyle asGrouping = dotIsDecimal ? AmountStyle::Turkish : AmountStyle::English;
    if (digits.count(separator) > 1)
        return asGrouping;
    return couldGroup(digits, digits.indexOf(separator)) ? AmountStyle::Undecided : asDecimal;
}

} // namespace

QString foldToAscii(const QString& text) {
    QString folded(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), folded.begin(), asciiBaseOf);
    return folded;
}

AmountStyle amountStyleOf(const QString& text) {
    return styleOfBareAmount(bareAmount(text));
}

std::optional<QDate> readDate(const QVariant& cell) {
    switch (cell.typeId()) {
    case QMetaType::QDate:
        return cell.toDate().isValid() ? std::optional(cell.toDate()) : std::nullopt;
    case QMetaType::QDateTime:
        return cell.toDateTime().isValid() ? std::optional(cell.toDateTime().date()) : std::nullopt;
    case QMetaType::QString:
        break;
    default:
        return isNumberCell(cell) ? dateOfSerial(cell.toDouble()) : std::nullopt;
    }
    const QString text = cell.toString().trimmed();
    if (isSerialText(text))
        return dateOfSerial(text.toDouble());
    // A year of four digits first is ISO; a typed date starts with its day.
    const bool yearFirst = text.size() > 4 && text[4] == '-' && isSerialText(text.left(4));
    return yearFirst ? isoDate(text) : typedDate(text);
}

std::optional<double> readAmount(const QVariant& cell, AmountStyle style) {
    if (isNumberCell(cell)) {
        const double value = cell.toDouble();
        return std::isfinite(value) ? std::optional(value) : std::nullopt;
    }
    if (cell.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString bare = bareAmount(cell.toString());
    const AmountStyle own = styleOfBareAmount(bare);
    const AmountStyle read = own != AmountStyle::Undecided     ? own
                             : style != AmountStyle::Undecided ? style
                                                               : AmountStyle::Turkish;
    if (!amountPattern(read).match(bare).hasMatch())
        return std::nullopt;
    QString plain = bare;
    plain.remove(groupingOf(read)).replace(decimalOf(read), '.');
    bool ok = false;
    const double value = plain.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

std::optional<bool> readYesNo(const QVariant& cell) {
    if (cell.typeId() == QMetaType::Bool)
        return cell.toBool();
    if (isNumberCell(cell)) {
        const double value = cell.toDouble();
        if (value == 1 || value == -1)
            return true;
        return value == 0 ? std::optional(false) : std::nullopt;
    }
    if (cell.typeId() != QMetaType::QString && !cell.isNull())
        return std::nullopt;
    // Access stores yes as -1; a dBase logical field writes T and F; a cross marks yes.
    static const QStringList yes = {"evet", "e", "var", "1", "-1", "true", "t", "x"};
    static const QStringList no = {"", "hayir", "h", "yok", "0", "false", "f"};
    const QString folded = foldToAscii(cell.toString().trimmed());
    if (yes.contains(folded))
        return true;
    return no.contains(folded) ? std::optional(false) : std::nullopt;
}

QString readText(const QVariant& cell) {
    switch (cell.typeId()) {
    case QMetaType::Bool:
        return cell.toBool() ? "Evet" : QString::fromUtf8("Hayır");
    case QMetaType::QDate:
        return cell.toDate().toString("dd.MM.yyyy");
    case QMetaType::QDateTime: {
        const QDateTime moment = cell.toDateTime();
        return moment.toString(moment.time() == QTime(0, 0) ? "dd.MM.yyyy" : "dd.MM.yyyy HH:mm:ss");
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        // Fixed notation: an identity number read as a number must not come back as 1.23457e+10.
        const double value = cell.toDouble();
        return value == 0 ? QString("0") : QString::number(value, 'f', QLocale::FloatingPointShortest);
    }
    default:
        return cell.toString().trimmed();
    }
}

std::optional<QString> readListEntry(const QString& text, const QStringList& entries) {
    const QStringView wanted = QStringView(text).trimmed();
    for (const QString& entry : entries)
        if (sameLetters(wanted, QStringView(entry).trimmed(), turkishLowerCase))
            return entry;
    // A file typed without Turkish letters ("IZMIR", "Kadin") still names its entry, as long as no
    // other entry reads the same.
    std::optional<QString> found;
    for (const QString& entry : entries) {
        if (!sameLetters(wanted, QStringView(entry).trimmed(), asciiBaseOf))
            continue;
        if (found)
            return std::nullopt;
        found = entry;
    }
    return found;
}
