#include "reports/report_statements.h"

#include <QStringList>

namespace ReportSql {

QString licenceClass(const QString& licenceClass, int order) {
    static const QStringList orders = {"order by adayno", "order by adi", "order by soyadi",
                                       "order by ehliyetsinifi", "order by cinsiyeti"};
    const QString filter = "Where ehliyetsinifi = \"" + licenceClass + "\"";
    return "select * from tb_kursiyer " + filter + " " + orders.value(order, orders.first());
}

QString payments(int status, bool useDates, const QString& start, const QString& end, int order) {
    QStringList conditions;
    if (status == 1)
        conditions << "((Odendi)=0)";
    else if (status == 2)
        conditions << "((Odendi)=-1)";
    if (useDates)
        conditions << "(((tarih)>=#" + start + "# And (tarih)<=#" + end + "#))";
    const QString where = conditions.isEmpty() ? QString() : "Where " + conditions.join(" and ");
    static const QStringList orders = {" order by kID", " order by AdiSoyadi", " order by tarih"};
    return "select * from Query_Odemeler " + where + orders.value(order, orders.first());
}

} // namespace ReportSql
