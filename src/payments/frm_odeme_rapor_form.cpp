#include "payments/frm_odeme_rapor_form.h"

#include "app/guard.h"
#include "data/statements.h"
#include "ui/date_picker.h"
#include "ui/enter_as_tab.h"
#include "ui/message_box.h"
#include "ui/named_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QComboBox* list(QWidget* parent, const char* name, const QStringList& entries) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(entries);
    return box;
}

} // namespace

frm_odeme_rapor_form::frm_odeme_rapor_form(QWidget* parent) : QDialog(parent) {
    setObjectName("odeme_rapor_form");
    setWindowTitle("Ödeme Raporu :");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    baslangic = datePicker(this, "baslangic");
    bitis = datePicker(this, "bitis");
    chk1 = new QCheckBox("Tarih Kullanma", this);
    chk1->setObjectName("chk1");
    odttur = list(this, "odttur", {"", "Ödemesi Olan Kayıtlar", "Ödeme Yapmış Kayıtlar"});
    cmbsirala = list(this, "cmbsirala", {"Kayıt ID", "Adı, Soyadı", "Ödeme Tarihi"});
    Button1 = new QPushButton("Tamam", this);
    Button1->setObjectName("Button1");
    Button2 = new QPushButton("Vazgeç", this);
    Button2->setObjectName("Button2");
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);

    auto* grid = new QGridLayout;
    int row = 0;
    const auto add = [&](const QString& caption, QWidget* input) {
        grid->addWidget(new QLabel(caption, this), row, 0);
        grid->addWidget(new QLabel(":", this), row, 1);
        grid->addWidget(input, row++, 2);
    };
    add("Başlangıç Tarihi", baslangic);
    add("Bitiş Tarihi", bitis);
    grid->addWidget(chk1, row++, 2);
    add("Ödeme Durumu", odttur);
    add("Sırala", cmbsirala);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(horizontalRule(this));
    layout->addLayout(buttonRow({Button1, Button2}));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(baslangic, bitis);
    setTabOrder(bitis, chk1);
    setTabOrder(chk1, odttur);
    setTabOrder(odttur, cmbsirala);
    setTabOrder(cmbsirala, Button1);
    setTabOrder(Button1, Button2);
    guardedConnect(Button1, &QPushButton::clicked, this, &frm_odeme_rapor_form::Button1Click);
    guardedConnect(Button2, &QPushButton::clicked, this, &frm_odeme_rapor_form::Button2Click);
    EnterAsTab::install(this);
}

int frm_odeme_rapor_form::status() const {
    return odttur->currentIndex();
}

bool frm_odeme_rapor_form::useDates() const {
    return chk1->isChecked();
}

int frm_odeme_rapor_form::order() const {
    return cmbsirala->currentIndex();
}

void frm_odeme_rapor_form::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void frm_odeme_rapor_form::FormShow() {
    m_confirmed = false;
    baslangic->setDate(QDate::currentDate());
    bitis->setDate(QDate::currentDate());
    odttur->setCurrentIndex(0);
    chk1->setChecked(false);
    cmbsirala->setCurrentIndex(0);
    baslangic->setFocus();
}

void frm_odeme_rapor_form::Button1Click() {
    if (bitis->date() < baslangic->date()) {
        MessageBox::warning(QString(), "\nBaşlangıç tarihi bitiş tarihinden büyük olamaz.", this);
        return;
    }
    m_start = Sql::dateText(baslangic->date());
    m_end = Sql::dateText(bitis->date());
    m_confirmed = true;
    accept();
}

void frm_odeme_rapor_form::Button2Click() {
    reject();
}
