#include "cashdesk/allocation.h"

#include "payments/round_amount.h"
#include "report/report_model.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace {

// Half a kuruş: amounts rounded to the kuruş that differ by less are equal.
constexpr double HalfKurus = 0.005;

int codePoints(QStringView text) {
    return int(text.toUcs4().size());
}

} // namespace

void sortForPayment(std::vector<UnpaidInstallment>& unpaid) {
    // An installment without a due date is paid after every dated one.
    std::stable_sort(unpaid.begin(), unpaid.end(),
                     [](const UnpaidInstallment& a, const UnpaidInstallment& b) {
                         if (a.due.isValid() != b.due.isValid())
                             return a.due.isValid();
                         if (a.due != b.due)
                             return a.due < b.due;
                         return a.paymentId < b.paymentId;
                     });
}

QString fitToWidth(const QString& text, int width) {
    if (codePoints(text) <= width)
        return text;
    // A letter with its combining marks, or a character outside the BMP, is never cut in half.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (qsizetype next = graphemes.toNextBoundary(); next > 0; next = graphemes.toNextBoundary()) {
        if (codePoints(QStringView(text).left(next)) > width)
            break;
        end = next;
    }
    return text.left(end);
}

QString restDescription(const QString& description) {
    if (description.endsWith(RestSuffix) && codePoints(description) <= PaymentDescriptionWidth)
        return description;
    return fitToWidth(description, PaymentDescriptionWidth - codePoints(RestSuffix)).trimmed() + RestSuffix;
}

Allocation allocatePayment(std::vector<UnpaidInstallment> unpaid, double amount, const QString& description) {
    Allocation allocation;
    allocation.amount = RoundAmount(amount);
    if (!std::isfinite(amount) || allocation.amount < HalfKurus) {
        allocation.refusal = "\nTahsil edilecek tutar sıfırdan büyük olmalıdır.";
        return allocation;
    }
    if (unpaid.empty()) {
        allocation.newRow = true;
        const QString typed = fitToWidth(description.trimmed(), PaymentDescriptionWidth);
        allocation.newRowDescription = typed.isEmpty() ? PaymentWithoutInstallment : typed;
        return allocation;
    }
    double debt = 0.0;
    for (const UnpaidInstallment& installment : unpaid)
        debt += installment.amount;
    allocation.debt = RoundAmount(debt);
    if (allocation.amount > allocation.debt + HalfKurus / 2) {
        allocation.refusal = QString("\nTahsil edilecek tutar kalan borçtan (%1) büyük olamaz.")
                                 .arg(Report::amountText(allocation.debt));
        return allocation;
    }
    sortForPayment(unpaid);
    double left = allocation.amount;
    for (const UnpaidInstallment& installment : unpaid) {
        if (left < HalfKurus)
            break;
        const double owed = RoundAmount(installment.amount);
        if (owed <= left + HalfKurus / 2) {
            allocation.installments.push_back({installment, owed, 0.0});
            left = RoundAmount(left - owed);
            continue;
        }
        allocation.installments.push_back({installment, left, RoundAmount(owed - left)});
        break;
    }
    return allocation;
}
