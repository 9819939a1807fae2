#pragma once

#include "cashdesk/allocation.h"
#include "data/database_error.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

class Connection;

// Taking a payment against a trainee's installments with a numbered receipt, and cancelling a
// receipt. Each is one transaction: a failure leaves nothing written and no number used.

// A payment the desk refuses as typed (no amount, more than the debt, no reason...): the window
// shows it as a warning and keeps what was typed.
class PaymentRefused : public DatabaseError {
public:
    using DatabaseError::DatabaseError;
};

// The receipt was cancelled already, here or by another desk meanwhile.
class ReceiptAlreadyCancelled : public PaymentRefused {
public:
    using PaymentRefused::PaymentRefused;
};

// The payment kinds, in the order the desk offers them.
inline const QStringList PaymentKinds = {QStringLiteral("Nakit"), QStringLiteral("Kredi Kartı"),
                                         QStringLiteral("Havale/EFT")};

struct PaymentRequest {
    qint64 kID = 0;
    double amount = 0.0;
    QDate date;                     // the day the money came; any day up to today
    QString kind = PaymentKinds[0]; // odemesekli
    QString description;            // the receipt's, and the new row's when there is no installment
};

struct TakenPayment {
    qint64 makbuzID = 0;
    QString number; // "2026-000001"
};

// The trainee's unpaid installments in the order a payment pays them, with the row versions read:
// what the payment dialog shows and allocates while the amount is typed.
std::vector<UnpaidInstallment> unpaidInstallments(Connection& connection, qint64 kID);

// The message that keeps a payment row a valid receipt paid from being changed or removed by hand;
// empty for a row no receipt holds. A cancelled receipt has let go of its rows.
QString linkedReceiptWarning(Connection& connection, const QVariant& makbuzID);

// A receipt's number: the year and its place in the year, "2026-000042".
QString receiptNumber(int year, int sequence);

// Writes the payment: marks the installments it covers paid, splits the one it covers in part,
// numbers and writes the receipt with its lines and the trainee's name and candidate number.
// Throws PaymentRefused for an amount the desk does not take, DatabaseError (RowChangedElsewhereText)
// when another desk changed the trainee's rows or deleted the trainee meanwhile, DatabaseError for a
// failure of the database.
TakenPayment takePayment(Connection& connection, const PaymentRequest& request);

// Marks the receipt cancelled with the time and reason and gives its installments back as they were:
// paid rows unpaid and unlinked, a split joined again when its rest is as the split left it, a row
// the receipt made removed. The receipt and its number stay. Throws PaymentRefused for an empty
// reason, ReceiptAlreadyCancelled for a receipt already cancelled, another desk's cancellation that
// came while this one was being written included.
void cancelReceipt(Connection& connection, qint64 makbuzID, const QString& reason);

// How many receipts of the trainee are valid (not cancelled).
int validReceiptCount(Connection& connection, qint64 kID);

// Cancels every valid receipt of the trainee with the same reason, as cancelReceipt does one, in one
// transaction (the caller's, when one runs); returns how many it cancelled. Receipt writers wait
// until it ends, so none is written for the trainee meanwhile.
int cancelReceiptsOf(Connection& connection, qint64 kID, const QString& reason);
