#pragma once

#include "cashdesk/cashdesk_statements.h"
#include "report/report_model.h"

#include <QStringList>

class Dataset;

// The trainee's statement rap_ekstre: an A4 page on the letterhead, the trainee and the agreed fee
// above, every payment row as the detail band over CashDeskSql::statementRows, the paid and
// remaining totals below.
namespace StatementLayout {

// `rows` is the dataset the run goes over; the layout reads the paid flag from it.
Report::Definition rap_ekstre(const QStringList& firm, const TraineeStatement& trainee, const Dataset& rows);

} // namespace StatementLayout
