#pragma once

#include "report/report_model.h"

#include <QDate>
#include <QStringList>

// The overdue list rap_geciken: A4 landscape on the letterhead, the list's columns as the detail
// band over the dataset of OverdueList::statement, its totals at the end.
namespace OverdueLayout {

Report::Definition rap_geciken();
// Puts the firm block, the day the list was drawn up for and the totals line into the layout.
void fill(Report::Definition& layout, const QStringList& firm, const QDate& asOf, const QString& totals);

} // namespace OverdueLayout
