#pragma once

#include "cashdesk/reminders.h"
#include "data/sql_dialect.h"

#include <QDate>
#include <QString>

class Dataset;

// The overdue list as the window, its printout and its reminders read it from the dataset of
// CashDeskSql::overdueInstallments.
namespace OverdueList {

inline const QString DaysLate = QStringLiteral("gecikme");

struct Sort {
    QString field = DaysLate;
    bool descending = true;
};

// The list sorted by one of its fields, as the database orders the field's type (numbers as
// numbers, dates as dates, names the Turkish way); rows of equal value by trainee number.
QString statement(const QDate& asOf, SqlDialect dialect, const Sort& sort);

// The due dates the statement computes read as dates, not as the text they are stored in.
void typeComputedColumns(Dataset& list);

struct Totals {
    int trainees = 0;
    int installments = 0;
    double lateAmount = 0.0;
    double remainingDebt = 0.0;
};
Totals totals(const Dataset& list);
// One line for under the list and at the end of its printout.
QString totalsText(const Totals& totals);

ReminderTarget target(const Dataset& list, int row);

} // namespace OverdueList
