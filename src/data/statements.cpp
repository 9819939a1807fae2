#include "data/statements.h"

namespace Sql {

namespace {

QString pendingOf(const QString& entry) {
    return "kID = 0 and giris = " + quoted(entry);
}

} // namespace

QString quoted(const QString& text) {
    return '\'' + QString(text).replace('\'', "''") + '\'';
}

QString allTrainees() {
    return QStringLiteral("where kID > 0");
}

QString orderBy(const QString& field) {
    return "ORDER BY " + field;
}

QString dateText(const QDate& date) {
    return date.toString("dd-MM-yyyy").replace('-', '/');
}

QString countCandidateNo(const QString& candidateNo) {
    return "select count(*) as kaysay from tb_kursiyer where adayno = " + quoted(candidateNo);
}

QString paymentsOf(qint64 kID, const QString& entry) {
    if (kID == 0)
        return "select * from tb_odeme where " + pendingOf(entry);
    return "select * from tb_odeme where kID = " + QString::number(kID);
}

QString noPayments() {
    return "select * from tb_odeme where kID<0";
}

QString paymentTotal(bool paid, qint64 kID, const QString& entry) {
    QString sql = QString("select sum(miktar) as TMiktar from tb_odeme WHERE (((Odendi)=%1)) and (kID=%2)")
                      .arg(paid ? "-1" : "0")
                      .arg(kID);
    if (kID == 0)
        sql += " and (giris=" + quoted(entry) + ")";
    return sql;
}

QString attachPendingPayments(qint64 kID, const QString& entry) {
    return QString("update tb_odeme set kID = %1, giris = null, surum = surum + 1 where %2")
        .arg(kID)
        .arg(pendingOf(entry));
}

QString deletePendingPayments(const QString& entry) {
    return "Delete from tb_odeme where " + pendingOf(entry);
}

QString deleteUnownedPendingPayments() {
    return "Delete from tb_odeme where kID = 0 and giris is null";
}

QString pendingEntries() {
    return "select distinct giris from tb_odeme where kID = 0";
}

QString deletePaymentsOfTrainee(qint64 kID) {
    return "Delete from tb_odeme where kID = " + QString::number(kID);
}

QString deleteTrainee(qint64 kID, qint64 version) {
    return QString("Delete from tb_kursiyer where kID = %1 and surum = %2").arg(kID).arg(version);
}

} // namespace Sql
