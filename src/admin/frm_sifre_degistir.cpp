#include "admin/frm_sifre_degistir.h"

#include "app/forms.h"
#include "app/guard.h"
#include "data/frm_DataMod.h"
#include "data/transaction.h"
#include "ui/enter_as_tab.h"
#include "ui/masked_edit.h"
#include "ui/message_box.h"
#include "ui/named_controls.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* edit(const char* name, QWidget* parent, bool masked = false) {
    auto* e = named(new QLineEdit(parent), name);
    if (masked)
        maskTyping(*e);
    return e;
}

} // namespace

frm_sifre_degistir::frm_sifre_degistir(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("sifre_degistir");
    setWindowTitle("Güvenlik Formu");

    Edit1 = edit("Edit1", this);
    Edit3 = edit("Edit3", this, true);
    Edit4 = edit("Edit4", this, true);
    CheckBox1 = new QCheckBox("Açılışta Şifre Sor", this);
    CheckBox1->setObjectName("CheckBox1");
    Button1 = namedButton("Button1", "Kaydet", this);
    Button2 = namedButton("Button2", "Vazgeç", this);

    auto* fields = new QFormLayout;
    fields->addRow("Kullanıcı Adı", Edit1);
    fields->addRow("Yeni Şifre", Edit3);
    fields->addRow("Yeni Şifre Doğrula", Edit4);
    fields->addRow(QString(), CheckBox1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttonRow({Button1, Button2}));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(Edit1, Edit3);
    setTabOrder(Edit3, Edit4);
    setTabOrder(Edit4, CheckBox1);
    setTabOrder(CheckBox1, Button1);
    setTabOrder(Button1, Button2);

    guardedConnect(Button1, &QPushButton::clicked, this, &frm_sifre_degistir::Button1Click);
    guardedConnect(Button2, &QPushButton::clicked, this, &frm_sifre_degistir::Button2Click);
    EnterAsTab::install(this, EnterAsTab::Shift::MovesBack);
}

frm_DataMod& frm_sifre_degistir::data() const {
    return *m_forms.DataMod;
}

// A user row that cannot be read is not offered for editing: the dialog closes again after the
// error, rather than showing empty values that saving would put in place of the stored ones.
void frm_sifre_degistir::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!Guard::run([this] { FormShow(); }))
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

void frm_sifre_degistir::hideEvent(QHideEvent* event) {
    FormClose();
    QDialog::hideEvent(event);
}

void frm_sifre_degistir::FormShow() {
    Dataset& user = data().tuser;
    user.open();
    CheckBox1->setChecked(user.value("userSifreSor").toBool());
    Edit1->setText(user.value("userAD").toString());
    Edit3->setText(user.value("userSIFRE").toString());
    Edit4->setText(user.value("userSIFRE").toString());
}

void frm_sifre_degistir::FormClose() {
    data().tuser.close();
}

void frm_sifre_degistir::Button1Click() {
    if (Edit3->text() != Edit4->text()) {
        MessageBox::show(MessageBox::Kind::Error, QString(),
                         "\n\"Yeni Şifre\" ve \"Yeni Şifre Doğrula\" alanları birbirine eşit değil.",
                         MessageBox::Buttons::Ok, MessageBox::Answer::Ok, this);
        return;
    }
    Dataset& user = data().tuser;
    {
        // A refused save leaves the stored row, and the dataset's view of it, as they were.
        Transaction saving(data().ado_conn);
        if (user.isEmpty())
            user.append();
        else
            user.edit();
        user.setValue("userSifreSor", CheckBox1->isChecked());
        user.setValue("userAD", Edit1->text());
        user.setValue("userSIFRE", Edit3->text());
        user.post();
        saving.commit();
    }
    MessageBox::show(MessageBox::Kind::Information, QString(), "\nİşlem tamamlandı.", MessageBox::Buttons::Ok,
                     MessageBox::Answer::Ok, this);
    accept();
}

void frm_sifre_degistir::Button2Click() {
    reject();
}
