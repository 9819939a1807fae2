#include "data/typed_date.h"

#include <QRegularExpression>

namespace {

int fullYear(const QString& digits) {
    const int year = digits.toInt();
    if (digits.size() > 2)
        return year;
    return year < 50 ? 2000 + year : 1900 + year;
}

} // namespace

std::optional<QDate> readTypedDate(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QDate();
    static const QRegularExpression pattern(R"(^(\d{1,2})[./-](\d{1,2})[./-](\d{2}|\d{4})$)");
    const QRegularExpressionMatch match = pattern.match(trimmed);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(fullYear(match.captured(3)), match.captured(2).toInt(), match.captured(1).toInt());
    return date.isValid() ? std::optional(date) : std::nullopt;
}
