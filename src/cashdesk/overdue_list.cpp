#include "cashdesk/overdue_list.h"

#include "cashdesk/cashdesk_statements.h"
#include "data/dataset.h"
#include "report/report_model.h"

namespace OverdueList {

namespace {

// The trainee's own columns are named through their table; the others are the statement's names.
QString sortTerm(const QString& field) {
    static const QStringList traineeColumns{"adayno", "adi", "soyadi", "ceptelefonu", "eposta"};
    return traineeColumns.contains(field) ? "k." + field : field;
}

double number(const Dataset& list, int row, const char* field) {
    return list.valueAt(row, list.fieldIndex(field)).toDouble();
}

QString text(const Dataset& list, int row, const char* field) {
    return list.valueAt(row, list.fieldIndex(field)).toString();
}

} // namespace

QString statement(const QDate& asOf, SqlDialect dialect, const Sort& sort) {
    const QString term = sortTerm(sort.field) + (sort.descending ? " desc" : "");
    return CashDeskSql::overdueInstallments(asOf, dialect, term + ", k.kID");
}

void typeComputedColumns(Dataset& list) {
    list.setComputedType("eneskivade", ColumnType::Date);
    list.setComputedType("sonhatirlatma", ColumnType::Date);
}

Totals totals(const Dataset& list) {
    Totals t;
    t.trainees = list.recordCount();
    for (int row = 0; row < list.recordCount(); ++row) {
        t.installments += int(number(list, row, "taksitsayisi"));
        t.lateAmount += number(list, row, "gecikentutar");
        t.remainingDebt += number(list, row, "kalanborc");
    }
    return t;
}

QString totalsText(const Totals& totals) {
    return QString("Toplam: %1 kursiyer, %2 geciken taksit, geciken tutar %3 TL, kalan borç %4 TL")
        .arg(totals.trainees)
        .arg(totals.installments)
        .arg(Report::amountText(totals.lateAmount), Report::amountText(totals.remainingDebt));
}

ReminderTarget target(const Dataset& list, int row) {
    ReminderTarget t;
    t.kID = list.valueAt(row, list.fieldIndex("kID")).toLongLong();
    t.adi = text(list, row, "adi");
    t.soyadi = text(list, row, "soyadi");
    t.ceptelefonu = text(list, row, "ceptelefonu");
    t.eposta = text(list, row, "eposta");
    t.oldestDue = list.valueAt(row, list.fieldIndex("eneskivade")).toDateTime().date();
    t.lateAmount = number(list, row, "gecikentutar");
    t.remainingDebt = number(list, row, "kalanborc");
    return t;
}

} // namespace OverdueList
