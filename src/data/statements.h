#pragma once

#include <QDate>
#include <QString>

// The Jet-dialect statements the program builds from values. Payments with kID 0 belong to a
// trainee being entered; `entry` is the token of the program copy entering it, so each copy
// sees, attaches and deletes only its own pending payments.
namespace Sql {

// A text literal in single quotes, a single quote inside it doubled.
QString quoted(const QString& text);

QString countCandidateNo(const QString& candidateNo);

// The payments of a trainee in the database's order; for kID 0 the pending ones of the entry.
QString paymentsOf(qint64 kID, const QString& entry);
// Matches no payment: the list of a trainee that has none yet.
QString noPayments();
QString paymentTotal(bool paid, qint64 kID, const QString& entry);

QString attachPendingPayments(qint64 kID, const QString& entry);
QString deletePendingPayments(const QString& entry);
// Pending payments written before they carried an entry token.
QString deleteUnownedPendingPayments();
// The entries that have pending payments, one row each (`giris`, null for unowned ones).
QString pendingEntries();

// The lines of the trainee list's statement: the filter that lists every trainee, and the order
// by one field.
QString allTrainees();
QString orderBy(const QString& field);

// A date as the statements write it between their "#" marks: day first, dd/mm/yyyy.
QString dateText(const QDate& date);

QString deletePaymentsOfTrainee(qint64 kID);
// Names the row version read with the trainee: run through Dataset::executeVersioned, it deletes
// nothing when another copy changed or deleted the trainee meanwhile.
QString deleteTrainee(qint64 kID, qint64 version);

} // namespace Sql
