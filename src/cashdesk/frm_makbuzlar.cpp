#include "cashdesk/frm_makbuzlar.h"

#include "app/forms.h"
#include "app/guard.h"
#include "cashdesk/cashdesk_statements.h"
#include "cashdesk/frm_makbuz_iptal.h"
#include "cashdesk/receipt_preview.h"
#include "data/data_source.h"
#include "data/frm_DataMod.h"
#include "ui/data_grid.h"
#include "ui/date_picker.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

std::vector<GridColumn> receiptColumns() {
    using F = GridColumn::Format;
    return {{"makbuzno", "Makbuz No", 12},
            {"tarih", "Tarih", 10, F::Date},
            {"adayno", "Aday No", 10},
            {"adisoyadi", "Adı Soyadı", 24},
            {"tutar", "Tutar", 10, F::Amount},
            {"odemesekli", "Ödeme Şekli", 11},
            {"masa", "Masa", 12},
            {"durum", "Durum", 8}};
}

} // namespace

frm_makbuzlar::frm_makbuzlar(Forms& forms, QWidget* parent)
    : QDialog(parent), m_forms(forms),
      m_receipts(new DataSource(forms.DataMod->sql_makbuzlar, "dmakbuzlar", this)),
      m_cancelDialog(new frm_makbuz_iptal(forms, this)) {
    setObjectName("makbuzlar");
    setWindowTitle("Makbuzlar");

    BaslangicTarihi = datePicker(this, "BaslangicTarihi");
    BitisTarihi = datePicker(this, "BitisTarihi");
    MakbuzListesi = new DataGrid(*m_receipts, receiptColumns(), this);
    MakbuzListesi->setObjectName("MakbuzListesi");
    MakbuzListesi->setCornerButtonEnabled(false);
    MakbuzListesi->verticalHeader()->hide();
    YazdirButton = new QPushButton("Yeniden Yazdır", this);
    YazdirButton->setObjectName("YazdirButton");
    IptalButton = new QPushButton("Makbuzu İptal Et", this);
    IptalButton->setObjectName("IptalButton");
    KapatButton = new QPushButton("Kapat", this);
    KapatButton->setObjectName("KapatButton");
    for (QPushButton* button : {YazdirButton, IptalButton, KapatButton})
        button->setAutoDefault(false);

    auto* period = new QHBoxLayout;
    period->addWidget(new QLabel("Başlangıç:", this));
    period->addWidget(BaslangicTarihi);
    period->addSpacing(12);
    period->addWidget(new QLabel("Bitiş:", this));
    period->addWidget(BitisTarihi);
    period->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(YazdirButton);
    buttons->addWidget(IptalButton);
    buttons->addStretch(1);
    buttons->addWidget(KapatButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(period);
    layout->addWidget(MakbuzListesi, 1);
    layout->addLayout(buttons);
    resize(860, 480);

    for (QDateEdit* edit : {BaslangicTarihi, BitisTarihi})
        guardedConnect(edit, &QDateEdit::dateChanged, this, &frm_makbuzlar::TarihChange);
    guardedConnect(YazdirButton, &QPushButton::clicked, this, &frm_makbuzlar::YazdirButtonClick);
    guardedConnect(IptalButton, &QPushButton::clicked, this, &frm_makbuzlar::IptalButtonClick);
    connect(KapatButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_receipts->dataset(), &Dataset::currentChanged, this, &frm_makbuzlar::enableButtons);
}

// The list is read only while the window shows: a long period's rows are not kept afterwards.
bool frm_makbuzlar::start() {
    m_cancelled = false;
    {
        const QSignalBlocker startBlocked(BaslangicTarihi);
        const QSignalBlocker endBlocked(BitisTarihi);
        const QDate today = QDate::currentDate();
        BaslangicTarihi->setDate(QDate(today.year(), today.month(), 1));
        BitisTarihi->setDate(today);
    }
    Guard::run([this] { reloadKeeping(0); });
    exec();
    m_receipts->dataset().close();
    enableButtons();
    return m_cancelled;
}

void frm_makbuzlar::TarihChange() {
    reloadKeeping(selectedReceipt());
}

// Reads the period again and stays on the receipt that was selected, when it is still listed.
void frm_makbuzlar::reloadKeeping(qint64 makbuzID) {
    Dataset& receipts = m_receipts->dataset();
    receipts.close();
    enableButtons();
    receipts.setSql(CashDeskSql::receiptsBetween(BaslangicTarihi->date(), BitisTarihi->date()));
    receipts.open();
    const int key = receipts.fieldIndex("makbuzID");
    for (int row = 0; row < receipts.recordCount(); ++row) {
        if (receipts.valueAt(row, key).toLongLong() == makbuzID) {
            receipts.moveTo(row);
            break;
        }
    }
    enableButtons();
}

qint64 frm_makbuzlar::selectedReceipt() const {
    const Dataset& receipts = m_receipts->dataset();
    if (!receipts.isActive() || receipts.currentRow() < 0)
        return 0;
    return receipts.value("makbuzID").toLongLong();
}

// A cancelled receipt stays cancelled: only a valid one offers to be cancelled.
void frm_makbuzlar::enableButtons() {
    const qint64 selected = selectedReceipt();
    YazdirButton->setEnabled(selected != 0);
    IptalButton->setEnabled(selected != 0 && !m_receipts->dataset().value("iptal").toBool());
}

void frm_makbuzlar::YazdirButtonClick() {
    if (const qint64 makbuzID = selectedReceipt())
        showReceipt(*m_forms.DataMod, makbuzID, this);
}

void frm_makbuzlar::IptalButtonClick() {
    const qint64 makbuzID = selectedReceipt();
    if (!makbuzID || !IptalButton->isEnabled())
        return;
    const Dataset& receipts = m_receipts->dataset();
    if (m_cancelDialog->cancel({makbuzID, receipts.value("makbuzno").toString(),
                                receipts.value("tutar").toDouble(), receipts.value("adisoyadi").toString(),
                                receipts.value("adayno").toString()}))
        m_cancelled = true;
    // Read again either way: the dialog may have found the receipt cancelled by another desk.
    reloadKeeping(makbuzID);
}
