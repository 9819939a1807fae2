#pragma once

#include <QDate>
#include <QString>

#include <vector>

// How an amount taken at the desk goes to a trainee's unpaid installments: oldest due date
// first, then the lower payment number. Pure arithmetic: the payment command reads the rows,
// allocates, and writes what this decides.

// The width of a payment row's description.
inline constexpr int PaymentDescriptionWidth = 30;
// What ends the description of the rest of an installment paid in part.
inline const QString RestSuffix = QStringLiteral(" (kalan)");
// The description of a payment that found no installment to pay.
inline const QString PaymentWithoutInstallment = QStringLiteral("Tahsilat");

struct UnpaidInstallment {
    qint64 paymentId = 0;
    QString description;
    QDate due;
    double amount = 0.0;
    qint64 version = 0; // the row version read with it
};

// One installment the amount reaches: paid whole, or paid in part and split.
struct AllocatedInstallment {
    UnpaidInstallment installment;
    double paid = 0.0;
    double rest = 0.0; // what stays unpaid in a new row; 0 when paid whole
    bool split() const { return rest != 0.0; }
};

struct Allocation {
    QString refusal;     // empty when the amount can be taken
    double amount = 0.0; // rounded to the kuruş
    double debt = 0.0;   // every unpaid installment together, before the payment
    std::vector<AllocatedInstallment> installments;
    // With no unpaid installment the amount becomes one new paid row of this description.
    bool newRow = false;
    QString newRowDescription;
};

// The unpaid installments in the order an amount pays them.
void sortForPayment(std::vector<UnpaidInstallment>& unpaid);

// Where `amount` goes among `unpaid` (any order). `description` names the new row made when there is
// no unpaid installment ("Tahsilat" when empty). Zero, negative and amounts over the debt are refused.
Allocation allocatePayment(std::vector<UnpaidInstallment> unpaid, double amount,
                           const QString& description = {});

// The description of a split's unpaid rest: the installment's own, cut at whole characters so that
// " (kalan)" fits in the column, then " (kalan)". A rest split again keeps its description.
QString restDescription(const QString& description);

// `text` cut at whole characters to at most `width` code points, as a column of that width holds it.
QString fitToWidth(const QString& text, int width);
