#include "cashdesk/receipt_preview.h"

#include "cashdesk/receipt_layout.h"
#include "data/frm_DataMod.h"
#include "report/layout_items.h"
#include "ui/report_preview.h"

namespace {

// Whatever leaves the preview, the datasets it read are closed again.
struct ClosedAfterwards {
    Dataset& d;
    ~ClosedAfterwards() { d.close(); }
};

ReceiptLayout::ReceiptText receiptText(Dataset& receipt) {
    ReceiptLayout::ReceiptText text;
    text.number = receipt.value("makbuzno").toString();
    text.date = receipt.value("tarih").toDate();
    text.name = receipt.value("adi").toString() + ' ' + receipt.value("soyadi").toString();
    text.nationalId = receipt.value("n_tckimlik").toString();
    text.candidateNo = receipt.value("adayno").toString();
    text.amount = receipt.value("tutar").toDouble();
    text.kind = receipt.value("odemesekli").toString();
    text.remaining = receipt.value("kalan").toDouble();
    text.desk = receipt.value("masa").toString();
    text.cancelled = receipt.value("iptal").toBool();
    return text;
}

} // namespace

QStringList firmBlock(Dataset& firm) {
    firm.open();
    const ClosedAfterwards closing{firm};
    return Report::firmHeaderLines(firm.value("ad"), firm.value("adres"), firm.value("tel"),
                                   firm.value("fax"));
}

void showReceipt(frm_DataMod& data, qint64 makbuzID, QWidget* parent) {
    Report::Definition layout = ReceiptLayout::rap_makbuz();
    const QStringList firm = firmBlock(data.tfirma);
    Dataset& receipt = data.sql_makbuz_bilgi;
    receipt.close();
    receipt.setSql(ReceiptLayout::receiptSql(makbuzID));
    const ClosedAfterwards closingReceipt{receipt};
    receipt.open();
    ReceiptLayout::fill(layout, firm, receiptText(receipt));
    Dataset& lines = data.sql_makbuz;
    lines.close();
    lines.setSql(ReceiptLayout::receiptLinesSql(makbuzID));
    const ClosedAfterwards closingLines{lines};
    lines.open();
    const Report::Run run(layout, lines);
    Report::Preview preview(run, parent);
    preview.exec();
}
