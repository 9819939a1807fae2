#pragma once

#include "report/report_model.h"

#include <QDate>
#include <QStringList>

// The receipt rap_makbuz: an A5 page on the letterhead, the payment above, the lines it paid as the
// detail band over the receipt's lines (aciklama, vade, tutar), the remaining debt and the
// signature below.
namespace ReceiptLayout {

// What the receipt prints above and below its lines.
struct ReceiptText {
    QString number;
    QDate date;
    QString name;
    QString nationalId;
    QString candidateNo;
    double amount = 0.0;
    QString kind;
    double remaining = 0.0;
    QString desk;
    bool cancelled = false;
};

Report::Definition rap_makbuz();
// Puts the firm block and the receipt's texts into the layout's named items.
void fill(Report::Definition& layout, const QStringList& firm, const ReceiptText& receipt);

// The Jet statements the receipt reads: the receipt with the payer it names, the trainee's
// national id and unpaid total (makbuzno, tarih, tutar, odemesekli, masa, iptal, adisoyadi, adayno,
// n_tckimlik, kalan), and its lines as they were written.
QString receiptSql(qint64 makbuzID);
QString receiptLinesSql(qint64 makbuzID);

} // namespace ReceiptLayout
