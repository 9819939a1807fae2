#include "cashdesk/frm_tahsilat.h"

#include "app/forms.h"
#include "app/guard.h"
#include "data/frm_DataMod.h"
#include "report/report_model.h"
#include "ui/amount_edit.h"
#include "ui/date_picker.h"
#include "ui/enter_as_tab.h"
#include "ui/message_box.h"
#include "ui/whole_characters.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int DescriptionWidth = 100; // tb_makbuz.aciklama

QTableWidgetItem* cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

frm_tahsilat::frm_tahsilat(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("tahsilat");
    setWindowTitle("Tahsilat");

    AdiLabel = new QLabel(this);
    AdiLabel->setObjectName("AdiLabel");
    QFont bold = AdiLabel->font();
    bold.setBold(true);
    AdiLabel->setFont(bold);
    KalanLabel = new QLabel(this);
    KalanLabel->setObjectName("KalanLabel");
    TutarEdit = new AmountEdit(this);
    TutarEdit->setObjectName("TutarEdit");
    TarihEdit = datePicker(this, "TarihEdit");
    OdemeSekli = new QComboBox(this);
    OdemeSekli->setObjectName("OdemeSekli");
    OdemeSekli->addItems(PaymentKinds);
    AciklamaEdit = new QLineEdit(this);
    AciklamaEdit->setObjectName("AciklamaEdit");
    AciklamaEdit->setMaxLength(DescriptionWidth);
    keepWholeCharacters(*AciklamaEdit);
    DagilimTablosu = new QTableWidget(0, 4, this);
    DagilimTablosu->setObjectName("DagilimTablosu");
    DagilimTablosu->setHorizontalHeaderLabels({"Açıklama", "Vade", "Tutar", "Ödenen"});
    DagilimTablosu->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DagilimTablosu->setFocusPolicy(Qt::NoFocus);
    DagilimTablosu->verticalHeader()->hide();
    DagilimTablosu->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    TahsilEtButton = new QPushButton("Tahsil Et", this);
    TahsilEtButton->setObjectName("TahsilEtButton");
    VazgecButton = new QPushButton("Vazgeç", this);
    VazgecButton->setObjectName("VazgecButton");
    for (QPushButton* button : {TahsilEtButton, VazgecButton})
        button->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->addRow("Kursiyer:", AdiLabel);
    form->addRow("Kalan Borç:", KalanLabel);
    form->addRow("Tutar:", TutarEdit);
    form->addRow("Tarih:", TarihEdit);
    form->addRow("Ödeme Şekli:", OdemeSekli);
    form->addRow("Açıklama:", AciklamaEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(TahsilEtButton);
    buttons->addWidget(VazgecButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(DagilimTablosu, 1);
    layout->addLayout(buttons);
    resize(560, 420);

    EnterAsTab::install(this);
    guardedConnect(TutarEdit, &QLineEdit::textChanged, this, &frm_tahsilat::TutarEditChange);
    guardedConnect(TahsilEtButton, &QPushButton::clicked, this, &frm_tahsilat::TahsilEtButtonClick);
    connect(VazgecButton, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<TakenPayment> frm_tahsilat::takeFrom(qint64 kID, const QString& name) {
    startFor(kID, name);
    exec();
    return m_taken;
}

// Every opening starts afresh from what the database holds now.
void frm_tahsilat::startFor(qint64 kID, const QString& name) {
    m_kID = kID;
    m_taken.reset();
    AdiLabel->setText(name);
    showCurrentInstallments();
    TarihEdit->setMaximumDate(QDate::currentDate());
    TarihEdit->setDate(QDate::currentDate());
    OdemeSekli->setCurrentIndex(0);
    AciklamaEdit->clear();
    TutarEdit->setValue(m_unpaid.empty() ? 0.0 : m_unpaid.front().amount);
    TutarEdit->setFocus();
}

void frm_tahsilat::showCurrentInstallments() {
    m_unpaid = unpaidInstallments(m_forms.DataMod->ado_conn, m_kID);
    double debt = 0.0;
    for (const UnpaidInstallment& installment : m_unpaid)
        debt += installment.amount;
    KalanLabel->setText(Report::amountText(debt));
    TutarEditChange();
}

double frm_tahsilat::typedAmount() const {
    return TutarEdit->typedValue().value_or(0.0);
}

// The distribution follows the amount as it is typed; an amount the desk would refuse pays nothing.
void frm_tahsilat::TutarEditChange() {
    showDistribution(allocatePayment(m_unpaid, typedAmount()));
}

void frm_tahsilat::showDistribution(const Allocation& allocation) {
    DagilimTablosu->setRowCount(int(m_unpaid.size()));
    const QLocale locale;
    for (int row = 0; row < int(m_unpaid.size()); ++row) {
        const UnpaidInstallment& installment = m_unpaid[size_t(row)];
        double paid = 0.0;
        if (allocation.refusal.isEmpty()) {
            for (const AllocatedInstallment& part : allocation.installments) {
                if (part.installment.paymentId == installment.paymentId)
                    paid = part.paid;
            }
        }
        DagilimTablosu->setItem(row, 0, cell(installment.description));
        DagilimTablosu->setItem(row, 1, cell(locale.toString(installment.due, QLocale::ShortFormat)));
        DagilimTablosu->setItem(row, 2, cell(Report::amountText(installment.amount), Qt::AlignRight));
        DagilimTablosu->setItem(row, 3, cell(Report::amountText(paid), Qt::AlignRight));
    }
}

// A refusal keeps the dialog and what was typed; any other failure reaches the guard's box, and the
// dialog stays as well, since only a payment written closes it.
void frm_tahsilat::TahsilEtButtonClick() {
    PaymentRequest request;
    request.kID = m_kID;
    request.amount = typedAmount();
    request.date = TarihEdit->date();
    request.kind = OdemeSekli->currentText();
    request.description = AciklamaEdit->text().trimmed();
    try {
        m_taken = takePayment(m_forms.DataMod->ado_conn, request);
    } catch (const PaymentRefused& refused) {
        MessageBox::warning("Uyarı", refused.message(), this);
        return;
    } catch (const DatabaseError&) {
        // Another desk may have changed the installments: a retry allocates what is there now.
        showCurrentInstallments();
        throw;
    }
    accept();
}
