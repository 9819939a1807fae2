#include "cashdesk/cashdesk_statements.h"

#include "data/connection.h"
#include "data/database_error.h"
#include "data/jet_dialect.h"
#include "data/schema.h"
#include "data/statements.h"

#include <QStringList>

namespace {

QString dateLiteral(const QDate& day) {
    return '#' + Sql::dateText(day) + '#';
}

// Times within the day: from its start up to the next day's.
QString withinDay(const QString& column, const QDate& day) {
    return QString("%1 >= %2 and %1 < %3").arg(column, dateLiteral(day), dateLiteral(day.addDays(1)));
}

// The receipts of the day that count.
QString validOn(const QDate& day) {
    return "iptal = 0 and " + withinDay("tarih", day);
}

QString daysSince(const QString& column, const QDate& asOf, SqlDialect dialect) {
    if (dialect == SqlDialect::Postgres)
        return QString("(CAST(%1 AS date) - CAST(%2 AS date))").arg(dateLiteral(asOf), column);
    return QString("CAST(julianday(%1) - julianday(date(%2)) AS INTEGER)").arg(dateLiteral(asOf), column);
}

QString totalsBy(const QString& column, const QDate& day) {
    return QString("select %1, count(*) as adet, sum(tutar) as toplam from tb_makbuz where %2 group by %1 "
                   "order by %1")
        .arg(column, validOn(day));
}

std::vector<DayClosing::Sum> sums(Connection& connection, const QString& jet) {
    Statement s(connection, translateJet(jet, connection.dialect()));
    std::vector<DayClosing::Sum> result;
    while (s.step())
        result.push_back({s.text(0), s.integer(1), s.number(2)});
    return result;
}

QString fullName(const Statement& s, int adiColumn) {
    return (s.text(adiColumn) + ' ' + s.text(adiColumn + 1)).trimmed();
}

// The payments tab's own sum, so that the statement never disagrees with what the tab shows.
double ledgerTotal(Connection& connection, bool paid, qint64 kID) {
    Statement s(connection, translateJet(Sql::paymentTotal(paid, kID, {}), connection.dialect()));
    return s.step() ? s.number(0) : 0.0;
}

} // namespace

namespace CashDeskSql {

// One pass over the unpaid rows, grouped by trainee, counts the late ones and the whole debt: the
// index on (Odendi, kID, tarih, miktar) answers it without reading the table.
QString overdueInstallments(const QDate& asOf, SqlDialect dialect, const QString& order) {
    const QString late = "tarih < " + dateLiteral(asOf);
    return QString("select k.kID, k.adayno, k.adi, k.soyadi, k.ceptelefonu, k.eposta, g.eneskivade, "
                   "%1 as gecikme, g.taksitsayisi, g.gecikentutar, g.kalanborc, h.sonhatirlatma "
                   "from tb_kursiyer k "
                   "inner join (select kID, min(case when %2 then tarih end) as eneskivade, "
                   "count(case when %2 then 1 end) as taksitsayisi, "
                   "sum(case when %2 then miktar end) as gecikentutar, sum(miktar) as kalanborc "
                   "from tb_odeme where Odendi = 0 and kID > 0 group by kID) g on g.kID = k.kID "
                   "left join (select kID, max(zaman) as sonhatirlatma from tb_hatirlatma group by kID) h "
                   "on h.kID = k.kID "
                   "where g.taksitsayisi > 0 "
                   "order by %3")
        .arg(daysSince("g.eneskivade", asOf, dialect), late, order);
}

QString dayTotalsByKind(const QDate& day) {
    return totalsBy("odemesekli", day);
}

QString dayTotalsByDesk(const QDate& day) {
    return totalsBy("masa", day);
}

QString dayTotal(const QDate& day) {
    return "select count(*) as adet, coalesce(sum(tutar), 0) as toplam from tb_makbuz where " + validOn(day);
}

QString dayReceipts(const QDate& day) {
    return QString("select makbuzID, makbuzno, tarih, adayno, adisoyadi, tutar, odemesekli, masa from "
                   "tb_makbuz where %1 order by makbuzno")
        .arg(validOn(day));
}

QString statementTrainee(qint64 kID) {
    return QString("select adi, soyadi, n_tckimlik, adayno, ehliyetsinifi, kayitTarihi, odeme_tutari "
                   "from tb_kursiyer where kID = %1")
        .arg(kID);
}

QString statementRows(qint64 kID) {
    return QString("select o.tarih, o.aciklama, o.miktar, o.Odendi, m.makbuzno from tb_odeme o "
                   "left join tb_makbuz m on m.makbuzID = o.makbuzID and m.iptal = 0 "
                   "where o.kID = %1 order by o.tarih, o.odemeID")
        .arg(kID);
}

QString cancelledOn(const QDate& day) {
    return "select makbuzID, makbuzno, tarih, adisoyadi, tutar, iptalnedeni from tb_makbuz where " +
           withinDay("iptalzamani", day) + " order by iptalzamani, makbuzno";
}

QString receiptsBetween(const QDate& from, const QDate& to) {
    return QString("select makbuzID, makbuzno, tarih, adayno, adisoyadi, tutar, odemesekli, masa, iptal, "
                   "case when iptal = 0 then \"Geçerli\" else \"İptal\" end as durum from tb_makbuz "
                   "where tarih >= %1 and tarih < %2 order by makbuzno")
        .arg(dateLiteral(from), dateLiteral(to.addDays(1)));
}

} // namespace CashDeskSql

DayClosing readDayClosing(Connection& connection, const QDate& day) {
    DayClosing closing;
    closing.byKind = sums(connection, CashDeskSql::dayTotalsByKind(day));
    closing.byDesk = sums(connection, CashDeskSql::dayTotalsByDesk(day));
    Statement all(connection, translateJet(CashDeskSql::dayTotal(day), connection.dialect()));
    all.step();
    closing.all = {QString(), all.integer(0), all.number(1)};
    Statement cancelled(connection, translateJet(CashDeskSql::cancelledOn(day), connection.dialect()));
    while (cancelled.step())
        closing.cancelled.push_back({cancelled.text(1), dayOfStoredDate(cancelled.text(2)), cancelled.text(3),
                                     cancelled.number(4), cancelled.text(5)});
    return closing;
}

TraineeStatement readTraineeStatement(Connection& connection, qint64 kID) {
    TraineeStatement statement;
    {
        Statement trainee(connection, translateJet(CashDeskSql::statementTrainee(kID), connection.dialect()));
        if (!trainee.step())
            throw DatabaseError(RowChangedElsewhereText);
        statement.name = fullName(trainee, 0);
        statement.nationalId = trainee.text(2);
        statement.candidateNo = trainee.text(3);
        statement.licenceClass = trainee.text(4);
        statement.registered = dayOfStoredDate(trainee.text(5));
        if (trainee.cell(6).kind != Cell::Kind::Null)
            statement.fee = trainee.number(6);
    }
    statement.paid = ledgerTotal(connection, true, kID);
    statement.remaining = ledgerTotal(connection, false, kID);
    return statement;
}
