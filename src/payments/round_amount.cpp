#include "payments/round_amount.h"

#include <QString>

#include <cmath>

namespace {

// Dividing by the power of ten, rather than multiplying by its inverse, decides which side of a tie
// a value such as 1.005 falls on; the amounts depend on it.
double roundToDecimals(double x, int decimals) {
    const double unit = std::pow(10.0, -decimals);
    return std::nearbyint(x / unit) * unit;
}

// The fraction is looked at as text, the way it is shown: at most "0,dd" means no third decimal.
// The separator is one character in every locale, so the plain '.' counts the same.
QString fractionText(double fraction) {
    QString text = QString::number(fraction, 'g', 15);
    if (text.startsWith(u'-'))
        text.remove(0, 1);
    return text;
}

} // namespace

double RoundAmount(double x) {
    const double a = roundToDecimals(x, 3);
    if (a == 0.0)
        return a;
    const QString fraction = fractionText(roundToDecimals(a - std::trunc(a), 3));
    if (fraction.size() <= 4)
        return a;
    const int thirdDecimal = fraction.back().digitValue();
    if (thirdDecimal >= 5)
        return a + (10 - thirdDecimal) / 1000.0;
    return roundToDecimals(x, 2);
}
