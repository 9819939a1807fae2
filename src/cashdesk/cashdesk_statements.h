#pragma once

#include "data/sql_dialect.h"

#include <QDate>
#include <QString>

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
// The valid receipts dated `day`, each with its trainee, in number order.
QString dayReceipts(const QDate& day);
// The receipts cancelled on `day`, whatever their own date, with their trainee and reason.
QString cancelledOn(const QDate& day);

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
    QStringList cancelledNumbers;
};
DayClosing readDayClosing(Connection& connection, const QDate& day);
