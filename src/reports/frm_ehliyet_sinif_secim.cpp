#include "reports/frm_ehliyet_sinif_secim.h"

#include "app/guard.h"
#include "data/value_lists.h"
#include "ui/enter_as_tab.h"
#include "ui/named_controls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frm_ehliyet_sinif_secim::frm_ehliyet_sinif_secim(QWidget* parent) : QDialog(parent) {
    setObjectName("ehliyet_sinif_secim");
    setWindowTitle("Ehliyet Sınıfları");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    cb1 = new QComboBox(this);
    cb1->setObjectName("cb1");
    cb1->addItems(ValueLists::licenceClasses());
    cb2 = new QComboBox(this);
    cb2->setObjectName("cb2");
    cb2->addItems({"Aday No", "Ad", "Soyad", "Ehliyet Sınıfı", "Cinsiyet"});

    auto* group = new QGroupBox("Ehliyet Sınıfına Göre Raporlama", this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel("Ehliyet Sınıfı", group), 0, 0);
    grid->addWidget(new QLabel(":", group), 0, 1);
    grid->addWidget(cb1, 0, 2);
    grid->addWidget(new QLabel("Sıralama", group), 1, 0);
    grid->addWidget(new QLabel(":", group), 1, 1);
    grid->addWidget(cb2, 1, 2);

    // Neither button is the default: Enter moves on and Esc does nothing.
    Button1 = namedButton("Button1", "Tamam", this);
    Button2 = namedButton("Button2", "Vazgeç", this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttonRow({Button1, Button2}));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(cb1, cb2);
    setTabOrder(cb2, Button1);
    setTabOrder(Button1, Button2);
    guardedConnect(Button1, &QPushButton::clicked, this, &frm_ehliyet_sinif_secim::Button1Click);
    guardedConnect(Button2, &QPushButton::clicked, this, &frm_ehliyet_sinif_secim::Button2Click);
    EnterAsTab::install(this);
}

QString frm_ehliyet_sinif_secim::licenceClass() const {
    return cb1->currentText();
}

int frm_ehliyet_sinif_secim::order() const {
    return cb2->currentIndex();
}

void frm_ehliyet_sinif_secim::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void frm_ehliyet_sinif_secim::FormShow() {
    cb1->setCurrentIndex(0);
    cb2->setCurrentIndex(0);
    cb1->setFocus();
}

void frm_ehliyet_sinif_secim::Button1Click() {
    accept();
}

void frm_ehliyet_sinif_secim::Button2Click() {
    reject();
}

void frm_ehliyet_sinif_secim::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
