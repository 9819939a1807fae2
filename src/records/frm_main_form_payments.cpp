// The "Ödemeler" tab: one trainee's payments, their totals and the installment plan.
#include "records/frm_main_form.h"

#include "app/forms.h"
#include "app/guard.h"
#include "cashdesk/frm_tahsilat.h"
#include "cashdesk/receipt_preview.h"
#include "cashdesk/receipts.h"
#include "data/frm_DataMod.h"
#include "data/statements.h"
#include "data/transaction.h"
#include "payments/frmtaksitlendir.h"
#include "payments/installment_plan.h"
#include "ui/amount_edit.h"
#include "ui/bound_number_edit.h"
#include "ui/data_grid.h"
#include "ui/date_picker.h"
#include "ui/message_box.h"
#include "ui/whole_characters.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

std::vector<GridColumn> paymentColumns() {
    using F = GridColumn::Format;
    return {{"Odendi", "Ödendi", 5, F::Check},
            {"miktar", "Miktar", 10, F::Amount},
            {"tarih", "Ödeme Tarihi", 12, F::Date},
            {"aciklama", "Açıklama", 25}};
}

} // namespace

void frm_main_form::buildPaymentsTab(QWidget* page) {
    frm_DataMod& d = data();
    auto* fee = new BoundNumberEdit(d.dkursiyer, "odeme_tutari", page);
    fee->setObjectName("DBEdit53");
    mx1 = new AmountEdit(page);
    mx1->setObjectName("mx1");
    mx1->setReadOnly(true);
    mx2 = new AmountEdit(page);
    mx2->setObjectName("mx2");
    mx2->setReadOnly(true);
    auto* totals = new QGridLayout;
    const std::pair<const char*, QWidget*> rows[] = {
        {"Ödeme Tutarı", fee}, {"Ödenen Tutar", mx1}, {"Kalan Borç", mx2}};
    for (int r = 0; r < 3; ++r) {
        totals->addWidget(new QLabel(QString::fromUtf8(rows[r].first), page), r, 0);
        totals->addWidget(new QLabel(":", page), r, 1);
        totals->addWidget(rows[r].second, r, 2);
    }
    totals->setRowStretch(3, 1);

    auto* box = new QGroupBox(" Ödemeler ", page);
    odenenx = new AmountEdit(box);
    odenenx->setObjectName("odenenx");
    odemetarx = datePicker(box, "odemetarx");
    odemeac = new QLineEdit(box);
    odemeac->setObjectName("odemeac");
    odemeac->setMaxLength(30);
    keepWholeCharacters(*odemeac);
    paymentsGrid = new DataGrid(d.dodeme, paymentColumns(), box);
    paymentsGrid->setObjectName("DBGrid1");
    paymentsGrid->setCornerButtonEnabled(false);
    paymentsGrid->verticalHeader()->hide();

    auto* buttons = new QVBoxLayout;
    const auto button = [&](const char* name, const char* caption, void (frm_main_form::*handler)()) {
        auto* b = new QPushButton(QString::fromUtf8(caption), box);
        b->setObjectName(name);
        buttons->addWidget(b);
        guardedConnect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    QPushButton* plan = button("Button14", "Taksitlendir", &frm_main_form::Button14Click);
    QPushButton* add = button("Button10", "Ödeme Ekle", &frm_main_form::Button10Click);
    QPushButton* remove = button("Button11", "Ödeme Sil", &frm_main_form::Button11Click);
    QPushButton* paid = button("Button13", "Ödendi", &frm_main_form::Button13Click);
    QPushButton* take = button("TahsilatButton", "Tahsilat...", &frm_main_form::TahsilatButtonClick);
    buttons->addStretch(1);

    auto* inputs = new QHBoxLayout;
    inputs->addWidget(odenenx);
    inputs->addWidget(odemetarx);
    inputs->addWidget(odemeac, 1);
    auto* listAndButtons = new QHBoxLayout;
    listAndButtons->addWidget(paymentsGrid, 1);
    listAndButtons->addLayout(buttons);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addLayout(inputs);
    boxLayout->addLayout(listAndButtons, 1);

    auto* layout = new QHBoxLayout(page);
    layout->addLayout(totals);
    layout->addWidget(box, 1);

    QWidget::setTabOrder(paymentsGrid, odemetarx);
    QWidget::setTabOrder(odemetarx, odenenx);
    QWidget::setTabOrder(odenenx, odemeac);
    QWidget::setTabOrder(odemeac, add);
    QWidget::setTabOrder(add, remove);
    QWidget::setTabOrder(remove, paid);
    QWidget::setTabOrder(paid, take);
    QWidget::setTabOrder(take, plan);
}

// The payments tab in record mode; the toolbar images stay those of the list.
void frm_main_form::Button9Click() {
    workOnCurrentTrainee(7, odenenx, false);
}

// A payment gets the current trainee's key; while the trainee is new and not yet saved that is 0,
// and the payment carries this entry's token beside it.
void frm_main_form::stampOwner(Dataset& payments) {
    const qint64 kID = data().currentTraineeKey();
    payments.setValue("kID", kID);
    if (kID == 0)
        payments.setValue("giris", data().entryToken());
}

void frm_main_form::Button10Click() {
    frm_DataMod& d = data();
    if (odenenx->value() > 0) {
        // A payment that could not be stored leaves no row behind, so a retry writes exactly one.
        Transaction add(d.ado_conn);
        d.todemeler.append();
        d.todemeler.setValue("miktar", odenenx->value());
        d.todemeler.setValue("tarih", odemetarx->date());
        d.todemeler.setValue("aciklama", odemeac->text());
        stampOwner(d.todemeler);
        d.todemeler.post();
        add.commit();
        odenenx->setValue(0);
        odemetarx->setDate(QDate::currentDate());
        odemeac->clear();
    }
    RefreshPaymentTotals();
}

// A row a valid receipt paid is the receipt's: only cancelling the receipt gives it back.
bool frm_main_form::refusedForItsReceipt() {
    Dataset& payments = data().todemeler;
    const QString warning = linkedReceiptWarning(data().ado_conn, payments.value("makbuzID"));
    if (!warning.isEmpty())
        MessageBox::warning("Uyarı", warning, this);
    return !warning.isEmpty();
}

void frm_main_form::Button11Click() {
    Dataset& payments = data().todemeler;
    if (!payments.isEmpty() && refusedForItsReceipt())
        return;
    if (!payments.isEmpty()) {
        const auto answer = MessageBox::show(MessageBox::Kind::Warning, QString(), "\nAktif ödeme silinecek.",
                                             MessageBox::Buttons::YesNo, MessageBox::Answer::Yes, this);
        if (answer == MessageBox::Answer::Yes)
            payments.deleteRow();
    }
    RefreshPaymentTotals();
}

void frm_main_form::Button13Click() {
    Dataset& payments = data().todemeler;
    if (payments.isEmpty() || refusedForItsReceipt())
        return;
    {
        Transaction toggle(data().ado_conn);
        payments.edit();
        payments.setValue("Odendi", !payments.value("Odendi").toBool());
        payments.post();
        toggle.commit();
    }
    RefreshPaymentTotals();
}

// A receipt names a trainee that is stored: one being entered has no key to write it for yet.
void frm_main_form::TahsilatButtonClick() {
    frm_DataMod& d = data();
    if (d.tkursiyer.state() == Dataset::State::Insert) {
        MessageBox::warning("Uyarı", "\nTahsilat için önce kursiyeri kaydedin.", this);
        return;
    }
    const qint64 kID = d.currentTraineeKey();
    const QString name = d.tkursiyer.value("adi").toString() + ' ' + d.tkursiyer.value("soyadi").toString();
    const std::optional<TakenPayment> taken = m_forms.tahsilat->takeFrom(kID, name);
    if (!taken)
        return;
    d.reloadPayments(Sql::paymentsOf(kID, d.entryToken()));
    RefreshPaymentTotals();
    showReceipt(d, taken->makbuzID, this);
}

// Both totals come from the database, over every payment of the trainee, not from the grid.
void frm_main_form::RefreshPaymentTotals() {
    data().updatePaymentTotals();
}

void frm_main_form::showPaymentTotals(const PaymentTotals& totals) {
    for (auto [edit, amount] : {std::pair{mx1, totals.paid}, std::pair{mx2, totals.unpaid}}) {
        if (totals.known)
            edit->setValue(amount);
        else
            edit->showUnknown();
    }
}

void frm_main_form::Button14Click() {
    frm_DataMod& d = data();
    const double fee = d.tkursiyer.value("odeme_tutari").toDouble();
    if (fee < 1) {
        MessageBox::warning(QString(), "\nÖdeme tutarı 0 dan büyük olmalı.", this);
        return;
    }
    frmtaksitlendir& dialog = *m_forms.taksitlendir;
    dialog.exec();
    if (!dialog.confirmed())
        return;
    const InstallmentPlan plan = planInstallments(dialog.planInput(fee));
    if (plan.refusal == InstallmentRefusal::DownPaymentNotBelowFee) {
        MessageBox::show(MessageBox::Kind::Error, QString(),
                         "\nPEŞİN ÖDENEN TUTAR\nTAKSİT YAPILACAK TUTARDAN BÜYÜK YADA EŞİT OLAMAZ...");
        return;
    }
    {
        // The whole plan or nothing of it: rows that stop halfway no longer add up to the fee.
        Transaction writing(d.ado_conn);
        for (const InstallmentRow& row : plan.rows) {
            d.todemeler.append();
            stampOwner(d.todemeler);
            d.todemeler.setValue("tarih", row.date);
            if (!row.description.isEmpty())
                d.todemeler.setValue("aciklama", row.description);
            d.todemeler.setValue("miktar", row.amount);
            d.todemeler.post();
        }
        if (!d.todemeler.isEmpty())
            d.todemeler.first();
        writing.commit();
    }
    RefreshPaymentTotals();
}
