#include "cashdesk/receipts.h"

#include "cashdesk/cashdesk_statements.h"
#include "data/connection.h"
#include "data/row_checks.h"
#include "data/schema.h"
#include "data/transaction.h"
#include "payments/round_amount.h"

#include <QDateTime>
#include <QSysInfo>

#include <cmath>

namespace {

constexpr int ReceiptDescriptionWidth = 100;
constexpr int DeskNameWidth = 50;
constexpr int ReasonWidth = 100;

QString storedDay(const QDate& day) {
    return toStoredDate(day.startOfDay());
}

QString now() {
    return toStoredDate(QDateTime::currentDateTime());
}

// Every writer of receipts waits here for the one before it, so the largest number read next is
// the last one written. On the file the transaction's write lock already does it.
void serialiseReceiptWriters(Connection& connection) {
    if (connection.isServer())
        connection.execute("LOCK TABLE tb_makbuz IN SHARE ROW EXCLUSIVE MODE");
}

// One more than the largest number of the year, restored and imported receipts included.
QString nextReceiptNumber(Connection& connection, int year) {
    Statement largest(connection, "SELECT max(CAST(substr(makbuzno, 6) AS integer)) FROM tb_makbuz "
                                  "WHERE makbuzno BETWEEN ? AND ?");
    largest.bind(1, receiptNumber(year, 0));
    largest.bind(2, receiptNumber(year, 999999));
    largest.step();
    return receiptNumber(year, int(largest.integer(0)) + 1);
}

int receiptWidth(QStringView column) {
    return Schema::table(u"tb_makbuz")->column(column)->width;
}

// The payer as the program shows the trainee, read inside the payment's transaction.
struct Payer {
    QString name;
    QString candidateNo;
};

Payer payerOf(Connection& connection, qint64 kID) {
    Statement trainee(connection, "SELECT adi, soyadi, adayno FROM tb_kursiyer WHERE kID = ?");
    trainee.bind(1, kID);
    if (!trainee.step())
        throw DatabaseError(RowChangedElsewhereText);
    return {fitToWidth((trainee.text(0) + ' ' + trainee.text(1)).trimmed(), receiptWidth(u"adisoyadi")),
            fitToWidth(trainee.text(2), receiptWidth(u"adayno"))};
}

qint64 insertReceipt(Connection& connection, const PaymentRequest& request, const Allocation& allocation,
                     const QString& number) {
    const Payer payer = payerOf(connection, request.kID);
    Statement receipt(connection,
                      "INSERT INTO tb_makbuz (makbuzno, tarih, kayitzamani, kID, tutar, odemesekli, "
                      "aciklama, masa, iptal, adisoyadi, adayno) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?)");
    receipt.bind(1, number);
    receipt.bind(2, storedDay(request.date));
    receipt.bind(3, now());
    receipt.bind(4, request.kID);
    receipt.bind(5, allocation.amount);
    receipt.bind(6, request.kind);
    receipt.bind(7, fitToWidth(request.description.trimmed(), ReceiptDescriptionWidth));
    receipt.bind(8, fitToWidth(QSysInfo::machineHostName(), DeskNameWidth));
    receipt.bind(9, payer.name);
    receipt.bind(10, payer.candidateNo);
    receipt.execute();
    return connection.lastInsertId();
}

struct ReceiptLine {
    qint64 paymentId = 0;
    QString description;
    QDate due;
    double paid = 0.0;
    qint64 restId = 0;
    double rest = 0.0;
    bool newRow = false;
};

void insertLine(Connection& connection, qint64 makbuzID, const ReceiptLine& line) {
    Statement s(connection, "INSERT INTO tb_makbuz_satir (makbuzID, odemeID, aciklama, vade, tutar, kalanID, "
                            "kalan, yeni) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    s.bind(1, makbuzID);
    s.bind(2, line.paymentId);
    s.bind(3, line.description);
    s.bind(4, line.due.isValid() ? QVariant(storedDay(line.due)) : QVariant());
    s.bind(5, line.paid);
    s.bind(6, line.restId ? QVariant(line.restId) : QVariant());
    s.bind(7, line.restId ? QVariant(line.rest) : QVariant());
    s.bind(8, line.newRow ? -1 : 0);
    s.execute();
}

qint64 insertPaymentRow(Connection& connection, qint64 kID, bool paid, double amount, const QDate& due,
                        const QString& description, const QVariant& makbuzID) {
    Statement row(connection, "INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID, makbuzID) "
                              "VALUES (?, ?, ?, ?, ?, ?)");
    row.bind(1, paid ? -1 : 0);
    row.bind(2, amount);
    row.bind(3, due.isValid() ? QVariant(storedDay(due)) : QVariant());
    row.bind(4, description);
    row.bind(5, kID);
    row.bind(6, makbuzID);
    row.execute();
    return connection.lastInsertId();
}

// The installment paid: whole, or its paid part in the row and the rest in a new unpaid one.
ReceiptLine payInstallment(Connection& connection, qint64 kID, qint64 makbuzID,
                           const AllocatedInstallment& a) {
    const UnpaidInstallment& installment = a.installment;
    Statement pay(connection, "UPDATE tb_odeme SET Odendi = -1, miktar = ?, makbuzID = ?, surum = surum + 1 "
                              "WHERE odemeID = ? AND surum = ? AND Odendi = 0");
    pay.bind(1, a.paid);
    pay.bind(2, makbuzID);
    pay.bind(3, installment.paymentId);
    pay.bind(4, installment.version);
    executeOnVersion(pay);
    ReceiptLine line{installment.paymentId, installment.description, installment.due, a.paid};
    if (a.split()) {
        line.rest = a.rest;
        line.restId = insertPaymentRow(connection, kID, false, a.rest, installment.due,
                                       restDescription(installment.description), QVariant());
    }
    return line;
}

void refuseIf(const QString& refusal) {
    if (!refusal.isEmpty())
        throw PaymentRefused(refusal);
}

void checkRequest(const PaymentRequest& request) {
    refuseIf(request.kID <= 0 ? "\nTahsilat için önce kursiyeri kaydedin." : "");
    refuseIf(!request.date.isValid() ? "\nMakbuz tarihi yazılmalıdır." : "");
    refuseIf(request.date > QDate::currentDate() ? "\nMakbuz tarihi bugünden sonra olamaz." : "");
    refuseIf(!PaymentKinds.contains(request.kind) ? "\nÖdeme şekli seçilmelidir." : "");
}

struct ReceiptState {
    bool found = false;
    bool cancelled = false;
    qint64 version = 0;
};

ReceiptState receiptState(Connection& connection, qint64 makbuzID) {
    Statement s(connection, "SELECT iptal, surum FROM tb_makbuz WHERE makbuzID = ?");
    s.bind(1, makbuzID);
    if (!s.step())
        return {};
    return {true, s.integer(0) != 0, s.integer(1)};
}

std::vector<ReceiptLine> linesOf(Connection& connection, qint64 makbuzID) {
    Statement s(connection, "SELECT odemeID, aciklama, kalanID, kalan, yeni FROM tb_makbuz_satir "
                            "WHERE makbuzID = ? ORDER BY satirID");
    s.bind(1, makbuzID);
    std::vector<ReceiptLine> lines;
    while (s.step()) {
        ReceiptLine line;
        line.paymentId = s.integer(0);
        line.description = s.text(1);
        line.restId = s.integer(2);
        line.rest = s.number(3);
        line.newRow = s.integer(4) != 0;
        lines.push_back(line);
    }
    return lines;
}

// The rest of a split, joined back into its installment when nobody touched it since: still unpaid,
// of no receipt, with the amount and description the split gave it.
void joinRest(Connection& connection, qint64 makbuzID, const ReceiptLine& line) {
    Statement rest(connection, "SELECT miktar, aciklama, surum FROM tb_odeme "
                               "WHERE odemeID = ? AND Odendi = 0 AND makbuzID IS NULL");
    rest.bind(1, line.restId);
    if (!rest.step() || std::fabs(rest.number(0) - line.rest) >= 0.005 ||
        rest.text(1) != restDescription(line.description))
        return;
    const qint64 version = rest.integer(2);
    Statement paid(connection, "SELECT miktar FROM tb_odeme WHERE odemeID = ? AND makbuzID = ?");
    paid.bind(1, line.paymentId);
    paid.bind(2, makbuzID);
    if (!paid.step())
        return;
    Statement join(connection, "UPDATE tb_odeme SET miktar = ?, surum = surum + 1 WHERE odemeID = ?");
    join.bind(1, RoundAmount(paid.number(0) + line.rest));
    join.bind(2, line.paymentId);
    join.execute();
    Statement remove(connection, "DELETE FROM tb_odeme WHERE odemeID = ? AND surum = ?");
    remove.bind(1, line.restId);
    remove.bind(2, version);
    executeOnVersion(remove);
}

void removeMadeRow(Connection& connection, qint64 makbuzID, const ReceiptLine& line) {
    Statement remove(connection, "DELETE FROM tb_odeme WHERE odemeID = ? AND makbuzID = ?");
    remove.bind(1, line.paymentId);
    remove.bind(2, makbuzID);
    remove.execute();
}

void requireReason(const QString& reason) {
    refuseIf(reason.trimmed().isEmpty() ? "\nİptal nedeni yazılmalıdır." : "");
}

void refuseIfCancelled(const ReceiptState& receipt) {
    if (receipt.cancelled)
        throw ReceiptAlreadyCancelled("\nBu makbuz daha önce iptal edilmiş.");
}

// The cancellation's writes, inside the transaction of the command that cancels.
void cancelWithin(Connection& connection, qint64 makbuzID, const QString& reason) {
    const ReceiptState receipt = receiptState(connection, makbuzID);
    if (!receipt.found)
        throw DatabaseError(RowChangedElsewhereText);
    refuseIfCancelled(receipt);
    Statement cancel(connection, "UPDATE tb_makbuz SET iptal = -1, iptalzamani = ?, iptalnedeni = ?, "
                                 "surum = surum + 1 WHERE makbuzID = ? AND surum = ? AND iptal = 0");
    cancel.bind(1, now());
    cancel.bind(2, fitToWidth(reason.trimmed(), ReasonWidth));
    cancel.bind(3, makbuzID);
    cancel.bind(4, receipt.version);
    cancel.execute();
    // On the server another desk may cancel the receipt between the read above and this write,
    // which then waits for it and finds the version gone: it is the same refusal as when the
    // cancellation came first. (The file lets no other writer in meanwhile.)
    if (cancel.changedRows() != 1) {
        refuseIfCancelled(receiptState(connection, makbuzID));
        throw DatabaseError(RowChangedElsewhereText);
    }
    for (const ReceiptLine& line : linesOf(connection, makbuzID)) {
        if (line.newRow)
            removeMadeRow(connection, makbuzID, line);
        else if (line.restId)
            joinRest(connection, makbuzID, line);
    }
    Statement giveBack(connection, "UPDATE tb_odeme SET Odendi = 0, makbuzID = NULL, surum = surum + 1 "
                                   "WHERE makbuzID = ?");
    giveBack.bind(1, makbuzID);
    giveBack.execute();
}

} // namespace

std::vector<UnpaidInstallment> unpaidInstallments(Connection& connection, qint64 kID) {
    Statement rows(
        connection,
        "SELECT odemeID, aciklama, tarih, miktar, surum FROM tb_odeme WHERE kID = ? AND Odendi = 0");
    rows.bind(1, kID);
    std::vector<UnpaidInstallment> unpaid;
    while (rows.step())
        unpaid.push_back(
            {rows.integer(0), rows.text(1), dayOfStoredDate(rows.text(2)), rows.number(3), rows.integer(4)});
    sortForPayment(unpaid);
    return unpaid;
}

QString linkedReceiptWarning(Connection& connection, const QVariant& makbuzID) {
    if (makbuzID.isNull() || !makbuzID.isValid())
        return {};
    Statement receipt(connection, "SELECT makbuzno FROM tb_makbuz WHERE makbuzID = ? AND iptal = 0");
    receipt.bind(1, makbuzID.toLongLong());
    if (!receipt.step())
        return {};
    return QString("\nBu ödeme %1 numaralı makbuza bağlı. Değiştirmek için önce makbuzu iptal edin.")
        .arg(receipt.text(0));
}

QString receiptNumber(int year, int sequence) {
    return QString("%1-%2").arg(year, 4, 10, QChar('0')).arg(sequence, 6, 10, QChar('0'));
}

TakenPayment takePayment(Connection& connection, const PaymentRequest& request) {
    checkRequest(request);
    Transaction writing(connection);
    serialiseReceiptWriters(connection);
    holdTrainee(connection, request.kID);
    const Allocation allocation =
        allocatePayment(unpaidInstallments(connection, request.kID), request.amount, request.description);
    refuseIf(allocation.refusal);
    TakenPayment taken;
    taken.number = nextReceiptNumber(connection, request.date.year());
    taken.makbuzID = insertReceipt(connection, request, allocation, taken.number);
    std::vector<ReceiptLine> lines;
    for (const AllocatedInstallment& installment : allocation.installments)
        lines.push_back(payInstallment(connection, request.kID, taken.makbuzID, installment));
    if (allocation.newRow) {
        ReceiptLine line{0, allocation.newRowDescription, request.date, allocation.amount};
        line.newRow = true;
        line.paymentId = insertPaymentRow(connection, request.kID, true, allocation.amount, request.date,
                                          allocation.newRowDescription, taken.makbuzID);
        lines.push_back(line);
    }
    for (const ReceiptLine& line : lines)
        insertLine(connection, taken.makbuzID, line);
    writing.commit();
    return taken;
}

void cancelReceipt(Connection& connection, qint64 makbuzID, const QString& reason) {
    requireReason(reason);
    Transaction writing(connection);
    cancelWithin(connection, makbuzID, reason);
    writing.commit();
}

int validReceiptCount(Connection& connection, qint64 kID) {
    Statement count(connection, "SELECT count(*) FROM tb_makbuz WHERE kID = ? AND iptal = 0");
    count.bind(1, kID);
    count.step();
    return int(count.integer(0));
}

int cancelReceiptsOf(Connection& connection, qint64 kID, const QString& reason) {
    requireReason(reason);
    Transaction writing(connection);
    // No desk writes a receipt for the trainee while its receipts are being cancelled.
    serialiseReceiptWriters(connection);
    std::vector<qint64> receipts;
    {
        // Newest first: a split's rest that a later receipt paid is unpaid again before the split is
        // undone, and so joins its installment.
        Statement valid(connection,
                        "SELECT makbuzID FROM tb_makbuz WHERE kID = ? AND iptal = 0 ORDER BY makbuzID DESC");
        valid.bind(1, kID);
        while (valid.step())
            receipts.push_back(valid.integer(0));
    }
    for (const qint64 makbuzID : receipts)
        cancelWithin(connection, makbuzID, reason);
    writing.commit();
    return int(receipts.size());
}
