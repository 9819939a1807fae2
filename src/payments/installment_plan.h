#pragma once

#include <QDate>
#include <QString>

#include <vector>

// How an installment plan splits a trainee's agreed fee into a down payment and installments of equal
// size. Pure arithmetic and dates: the window reads its controls into the input and writes the rows.

enum class InstallmentInterval { Monthly, EveryNDays };

// The count of installments and the days between them.
inline constexpr int MinPlanNumber = 1;
inline constexpr int MaxPlanNumber = 999;

// A number outside 1..999 becomes the nearer limit.
int clampPlanNumber(int value);

// A count or interval as typed: an empty or unreadable entry counts as 1.
int planNumberFromText(const QString& text);

// The same day of the next month, or that month's last day when it is shorter.
QDate nextMonthlyDueDate(QDate date);

struct InstallmentPlanInput {
    double fee = 0.0;
    double downPayment = 0.0;
    int count = 1;
    QDate downPaymentDate;
    QDate firstDueDate;
    InstallmentInterval interval = InstallmentInterval::Monthly;
    int intervalDays = 1;
    bool fractionsToLast = false;
};

// One installment of the whole rest, and what the last one takes on top of it.
struct InstallmentAmounts {
    double installment = 0.0;
    double remainder = 0.0; // what n equal installments miss of the rest; may be negative
    double fractions = 0.0; // the cents cut off every installment when they go to the last one
    double last() const { return installment + remainder + fractions; }
};

InstallmentAmounts splitInstallments(double rest, int count, bool fractionsToLast);

struct InstallmentRow {
    QDate date;
    double amount = 0.0;
    QString description; // "PEŞİN ÖDEME" on the down payment, empty on installments
};

enum class InstallmentRefusal { None, FeeBelowOne, DownPaymentNotBelowFee };

struct InstallmentPlan {
    InstallmentRefusal refusal = InstallmentRefusal::None;
    std::vector<InstallmentRow> rows; // in the order they are written: down payment first
    QDate nextDueDate;                // where the chain of due dates stops, one step past the last row
};

// Nothing is planned when refused. A down payment of 0 or less writes no row; when the count is not
// smaller than what is left after the down payment, no installment is planned.
InstallmentPlan planInstallments(const InstallmentPlanInput& input);
