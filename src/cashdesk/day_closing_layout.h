#pragma once

#include "cashdesk/cashdesk_statements.h"
#include "report/report_model.h"

#include <QDate>
#include <QStringList>

class Dataset;

// The day's closing rap_gunsonu: an A4 page on the letterhead, every valid receipt of the day as
// the detail band over CashDeskSql::dayReceipts, then the sums per payment kind and per desk side
// by side, the grand total and the day's cancellations.
namespace DayClosingLayout {

// `receipts` is the dataset the run goes over; the layout reads the amounts from it.
Report::Definition rap_gunsonu(const QStringList& firm, const QDate& day, const DayClosing& closing,
                               const Dataset& receipts);

} // namespace DayClosingLayout
