#include "payments/installment_plan.h"

#include <QLocale>

#include "payments/round_amount.h"

#include <algorithm>
#include <cmath>

namespace {

// The installment is kept as the list shows it, so that the equal rows are equal to the cent.
double asWrittenWithTwoDecimals(double amount) {
    return QString::number(amount, 'f', 2).toDouble();
}

QDate followingDueDate(QDate date, InstallmentInterval interval, int days) {
    return interval == InstallmentInterval::Monthly ? nextMonthlyDueDate(date) : date.addDays(days);
}

InstallmentRefusal refusalOf(const InstallmentPlanInput& input) {
    if (input.fee < 1.0)
        return InstallmentRefusal::FeeBelowOne;
    if (input.downPayment >= input.fee)
        return InstallmentRefusal::DownPaymentNotBelowFee;
    return InstallmentRefusal::None;
}

void appendInstallments(InstallmentPlan& plan, const InstallmentPlanInput& input, double rest, int count) {
    const InstallmentAmounts amounts = splitInstallments(rest, count, input.fractionsToLast);
    const int days = clampPlanNumber(input.intervalDays);
    QDate due = input.firstDueDate;
    for (int i = 1; i <= count; ++i) {
        plan.rows.push_back({due, i == count ? amounts.last() : amounts.installment, QString()});
        due = followingDueDate(due, input.interval, days);
    }
    plan.nextDueDate = due;
}

} // namespace

int clampPlanNumber(int value) {
    return std::clamp(value, MinPlanNumber, MaxPlanNumber);
}

int planNumberFromText(const QString& text) {
    bool readable = false;
    const int value = QLocale().toInt(text.trimmed(), &readable);
    return readable ? clampPlanNumber(value) : MinPlanNumber;
}

QDate nextMonthlyDueDate(QDate date) {
    return date.addMonths(1);
}

InstallmentAmounts splitInstallments(double rest, int count, bool fractionsToLast) {
    InstallmentAmounts amounts;
    amounts.installment = RoundAmount(rest / count);
    amounts.remainder = RoundAmount(rest - count * amounts.installment);
    if (fractionsToLast) {
        const double whole = std::trunc(amounts.installment);
        amounts.fractions = (amounts.installment - whole) * count;
        amounts.installment = whole;
    }
    amounts.installment = asWrittenWithTwoDecimals(amounts.installment);
    return amounts;
}

InstallmentPlan planInstallments(const InstallmentPlanInput& input) {
    InstallmentPlan plan;
    plan.nextDueDate = input.firstDueDate;
    plan.refusal = refusalOf(input);
    if (plan.refusal != InstallmentRefusal::None)
        return plan;

    double rest = input.fee;
    if (input.downPayment > 0.0) {
        rest -= input.downPayment;
        plan.rows.push_back({input.downPaymentDate, input.downPayment, QStringLiteral("PEŞİN ÖDEME")});
    }
    const int count = clampPlanNumber(input.count);
    if (static_cast<double>(count) < rest)
        appendInstallments(plan, input, rest, count);
    return plan;
}
