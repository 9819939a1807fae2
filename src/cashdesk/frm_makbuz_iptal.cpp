#include "cashdesk/frm_makbuz_iptal.h"

#include "app/forms.h"
#include "app/guard.h"
#include "cashdesk/receipts.h"
#include "data/frm_DataMod.h"
#include "report/report_model.h"
#include "ui/enter_as_tab.h"
#include "ui/message_box.h"
#include "ui/whole_characters.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int ReasonWidth = 100; // tb_makbuz.iptalnedeni

} // namespace

frm_makbuz_iptal::frm_makbuz_iptal(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("makbuz_iptal");
    setWindowTitle("Makbuz İptali");

    MakbuzNoLabel = new QLabel(this);
    MakbuzNoLabel->setObjectName("MakbuzNoLabel");
    AdiSoyadiLabel = new QLabel(this);
    AdiSoyadiLabel->setObjectName("AdiSoyadiLabel");
    AdayNoLabel = new QLabel(this);
    AdayNoLabel->setObjectName("AdayNoLabel");
    TutarLabel = new QLabel(this);
    TutarLabel->setObjectName("TutarLabel");
    NedenEdit = new QLineEdit(this);
    NedenEdit->setObjectName("NedenEdit");
    NedenEdit->setMaxLength(ReasonWidth);
    keepWholeCharacters(*NedenEdit);
    IptalEtButton = new QPushButton("İptal Et", this);
    IptalEtButton->setObjectName("IptalEtButton");
    VazgecButton = new QPushButton("Vazgeç", this);
    VazgecButton->setObjectName("VazgecButton");
    for (QPushButton* button : {IptalEtButton, VazgecButton})
        button->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->addRow("Makbuz No:", MakbuzNoLabel);
    form->addRow("Adı Soyadı:", AdiSoyadiLabel);
    form->addRow("Aday No:", AdayNoLabel);
    form->addRow("Tutar:", TutarLabel);
    form->addRow("İptal Nedeni:", NedenEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(IptalEtButton);
    buttons->addWidget(VazgecButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(420, 190);

    EnterAsTab::install(this);
    guardedConnect(IptalEtButton, &QPushButton::clicked, this, &frm_makbuz_iptal::IptalEtButtonClick);
    connect(VazgecButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool frm_makbuz_iptal::cancel(const ReceiptToCancel& receipt) {
    m_makbuzID = receipt.makbuzID;
    MakbuzNoLabel->setText(receipt.number);
    AdiSoyadiLabel->setText(receipt.payer);
    AdayNoLabel->setText(receipt.candidateNo);
    TutarLabel->setText(Report::amountText(receipt.amount) + " TL");
    NedenEdit->clear();
    NedenEdit->setFocus();
    return exec() == QDialog::Accepted;
}

// A refusal is a warning; any other failure reaches the guard's box. Either way nothing is written.
// The dialog stays with the reason typed, unless another desk has cancelled the receipt already:
// then nothing is left to do here.
void frm_makbuz_iptal::IptalEtButtonClick() {
    try {
        cancelReceipt(m_forms.DataMod->ado_conn, m_makbuzID, NedenEdit->text());
    } catch (const ReceiptAlreadyCancelled& cancelled) {
        MessageBox::warning("Uyarı", cancelled.message(), this);
        accept();
        return;
    } catch (const PaymentRefused& refused) {
        MessageBox::warning("Uyarı", refused.message(), this);
        return;
    }
    accept();
}
