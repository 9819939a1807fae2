#pragma once

#include "data/sql_dialect.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

class Connection;

// The Jet-dialect statements of the cash desk's lists, for a Dataset (which translates them) on
// either backend.
namespace CashDeskSql {

// One row per trainee with installments unpaid and due before `asOf` (kID 0 rows never count):
// kID, adayno, adi, soyadi, ceptelefonu, eposta, eneskivade (the oldest late due date), gecikme
// (days since it), taksitsayisi and gecikentutar (late installments only), kalanborc (every
// unpaid row), sonhatirlatma (the latest reminder); most days late first unless `order` (Jet
// ORDER BY terms over those names, the trainee's columns as k.column) says otherwise. Days are
// counted by each backend's own date arithmetic, hence the dialect.
QString overdueInstallments(const QDate& asOf, SqlDialect dialect,
                            const QString& order = "g.eneskivade, k.kID");

// The valid receipts dated `day`, summed per payment kind (odemesekli, adet, toplam) and per desk
// (masa, adet, toplam); and all of them together (adet, toplam).
QString dayTotalsByKind(const QDate& day);
QString dayTotalsByDesk(const QDate& day);
QString dayTotal(const QDate& day);
// The valid receipts dated `day`, each with its payer, in number order.
QString dayReceipts(const QDate& day);
// The receipts cancelled on `day`, whatever their own date, with their payer and reason.
QString cancelledOn(const QDate& day);
// Every receipt dated from `from` to `to`, both included, cancelled or not, in number order:
// makbuzID, makbuzno, tarih, adayno, adisoyadi, tutar, odemesekli, masa, iptal, durum ("Geçerli" or
// "İptal"). Each names its payer as it was written, whatever became of the trainee since.
QString receiptsBetween(const QDate& from, const QDate& to);

// A trainee's statement: the trainee with the agreed fee (adi, soyadi, n_tckimlik, adayno,
// ehliyetsinifi, kayitTarihi, odeme_tutari), and every payment row with the number of the valid
// receipt that paid it (tarih, aciklama, miktar, Odendi, makbuzno), by due date.
QString statementTrainee(qint64 kID);
QString statementRows(qint64 kID);

} // namespace CashDeskSql

// The day's closing figures, read through the statements above.
struct DayClosing {
    struct Sum {
        QString name; // the payment kind or the desk
        qint64 count = 0;
        double total = 0.0;
    };
    std::vector<Sum> byKind;
    std::vector<Sum> byDesk;
    Sum all;
    struct Cancelled {
        QString number;
        QDate date; // the receipt's own
        QString trainee;
        double amount = 0.0;
        QString reason;
    };
    std::vector<Cancelled> cancelled;
};
DayClosing readDayClosing(Connection& connection, const QDate& day);

// What a trainee's statement prints above and below the payment rows; the paid and remaining
// totals are those the payments tab shows.
struct TraineeStatement {
    QString name;
    QString nationalId;
    QString candidateNo;
    QString licenceClass;
    QDate registered;
    std::optional<double> fee; // none when no fee was agreed
    double paid = 0.0;
    double remaining = 0.0;
};
// Throws DatabaseError when the trainee is no longer there.
TraineeStatement readTraineeStatement(Connection& connection, qint64 kID);
