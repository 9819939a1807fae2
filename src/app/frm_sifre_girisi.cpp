#include "app/frm_sifre_girisi.h"

#include "app/guard.h"
#include "data/dataset.h"
#include "ui/enter_as_tab.h"
#include "ui/masked_edit.h"
#include "ui/named_controls.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int ComparedTries = 3;

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = named(new QPushButton(QString::fromUtf8(caption), parent), name);
    // Enter presses a button only while it has the focus: none is the dialog's default.
    b->setAutoDefault(true);
    b->setDefault(false);
    return b;
}

} // namespace

frm_sifre_girisi::frm_sifre_girisi(QWidget* parent) : QDialog(parent) {
    setObjectName("sifre_girisi");
    setWindowTitle("Kullanıcı Girişi");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName("Edit2");
    maskTyping(*Edit2);
    Button1 = button(this, "Button1", "Tamam");
    Button2 = button(this, "Button2", "Vazgeç");
    Label5 = new QLabel("%", this);
    Label5->setObjectName("Label5");
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setStyleSheet("color: blue; font-weight: bold;");

    auto* fields = new QGridLayout;
    const std::pair<const char*, QLineEdit*> rows[] = {{"Kullanıcı Adı", Edit1},
                                                       {"Kullanıcı Parolası", Edit2}};
    for (int r = 0; r < 2; ++r) {
        fields->addWidget(new QLabel(QString::fromUtf8(rows[r].first), this), r, 0);
        fields->addWidget(new QLabel(":", this), r, 1);
        fields->addWidget(rows[r].second, r, 2);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttonRow({Button1, Button2}));
    layout->addWidget(Label5);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Button1);
    setTabOrder(Button1, Button2);
    guardedConnect(Button1, &QPushButton::clicked, this, &frm_sifre_girisi::Button1Click);
    guardedConnect(Button2, &QPushButton::clicked, this, &frm_sifre_girisi::Button2Click);
    EnterAsTab::install(this);
}

bool frm_sifre_girisi::startUpDecision(Dataset& tuser) {
    if (tuser.isEmpty() || !tuser.value("userSifreSor").toBool())
        return true;
    StoredPassword = tuser.value("userSIFRE").toString();
    StoredUserName = tuser.value("userAD").toString();
    tuser.close();
    exec();
    return LoginOk;
}

void frm_sifre_girisi::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

// The typed texts and the status line stay from an earlier showing.
void frm_sifre_girisi::FormShow() {
    TryCount = 0;
    LoginOk = false;
}

void frm_sifre_girisi::Button1Click() {
    if (TryCount >= ComparedTries) {
        Label5->setText("Deneme hakkınız tamamlandı.");
        return;
    }
    if (Edit1->text() == StoredUserName && Edit2->text() == StoredPassword) {
        LoginOk = true;
        accept();
        return;
    }
    Label5->setText("Kullanıcı adı veya şifre yanlış.");
    ++TryCount;
}

void frm_sifre_girisi::Button2Click() {
    reject();
}

// Escape does nothing: the dialog has no cancel button. The window's close box still leaves it.
void frm_sifre_girisi::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
