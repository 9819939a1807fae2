#include "cashdesk/receipt_preview.h"

#include "cashdesk/day_closing_layout.h"
#include "cashdesk/receipt_layout.h"
#include "cashdesk/statement_layout.h"
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
    text.name = receipt.value("adisoyadi").toString();
    text.nationalId = receipt.value("n_tckimlik").toString();
    text.candidateNo = receipt.value("adayno").toString();
    text.amount = receipt.value("tutar").toDouble();
    text.kind = receipt.value("odemesekli").toString();
    text.remaining = receipt.value("kalan").toDouble();
    text.desk = receipt.value("masa").toString();
    text.cancelled = receipt.value("iptal").toBool();
    return text;
}

// The run of `layout` over `rows` in the modal preview.
void showInPreview(const Report::Definition& layout, const Dataset& rows, QWidget* parent) {
    const Report::Run run(layout, rows);
    Report::Preview window(run, parent);
    window.exec();
}

} // namespace

void showReceipt(frm_DataMod& data, qint64 makbuzID, QWidget* parent) {
    Report::Definition layout = ReceiptLayout::rap_makbuz();
    const QStringList firm = Report::firmBlock(data.tfirma);
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
    showInPreview(layout, lines, parent);
}

void showDayClosing(frm_DataMod& data, const QDate& day, QWidget* parent) {
    const QStringList firm = Report::firmBlock(data.tfirma);
    const DayClosing closing = readDayClosing(data.ado_conn, day);
    Dataset& receipts = data.sql_gunsonu;
    receipts.close();
    receipts.setSql(CashDeskSql::dayReceipts(day));
    const ClosedAfterwards closingReceipts{receipts};
    receipts.open();
    showInPreview(DayClosingLayout::rap_gunsonu(firm, day, closing, receipts), receipts, parent);
}

void showStatement(frm_DataMod& data, qint64 kID, QWidget* parent) {
    const QStringList firm = Report::firmBlock(data.tfirma);
    const TraineeStatement trainee = readTraineeStatement(data.ado_conn, kID);
    Dataset& rows = data.sql_ekstre;
    rows.close();
    rows.setSql(CashDeskSql::statementRows(kID));
    const ClosedAfterwards closingRows{rows};
    rows.open();
    showInPreview(StatementLayout::rap_ekstre(firm, trainee, rows), rows, parent);
}
