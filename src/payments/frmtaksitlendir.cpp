#include "payments/frmtaksitlendir.h"

#include "app/guard.h"
#include "ui/amount_edit.h"
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
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

QSpinBox* planNumberBox(QWidget* parent, const char* name, int start) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(MinPlanNumber, MaxPlanNumber);
    box->setValue(start);
    return box;
}

void makeBold(QWidget* w) {
    QFont font = w->font();
    font.setBold(true);
    w->setFont(font);
}

} // namespace

frmtaksitlendir::frmtaksitlendir(QWidget* parent) : QDialog(parent) {
    setObjectName("taksitlendir");
    setWindowTitle("Taksitlendirme");

    SpinEdit1 = planNumberBox(this, "SpinEdit1", 2);
    makeBold(SpinEdit1);
    tarih2 = datePicker(this, "tarih2");
    btn2 = new QToolButton(this);
    btn2->setObjectName("btn2");
    btn2->setAutoRaise(true);
    btn2->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    btn2->setToolTip("Sistem tarihine git.");
    tarih = datePicker(this, "tarih");
    TaksitlemeTipi = new QComboBox(this);
    TaksitlemeTipi->setObjectName("TaksitlemeTipi");
    TaksitlemeTipi->addItems({"Aylık", "X Günlük"});
    lx3 = planNumberBox(this, "lx3", 2);
    Edit1 = new AmountEdit(this);
    Edit1->setObjectName("Edit1");
    kusuryok = new QCheckBox("Küsüratları son taksite ekle", this);
    kusuryok->setObjectName("kusuryok");
    makeBold(kusuryok);
    Button1 = new QPushButton("İşleme Başla", this);
    Button1->setObjectName("Button1");
    Button1->setToolTip("Kısayol : F8");
    makeBold(Button1);
    Button2 = new QPushButton("Vazgeç", this);
    Button2->setObjectName("Button2");
    Button2->setToolTip("Kısayol : F12");
    makeBold(Button2);
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);

    auto* grid = new QGridLayout;
    const auto row = [&](int r, QLabel* caption, QLabel* colon, QWidget* input, QWidget* extra = nullptr) {
        grid->addWidget(caption, r, 0);
        grid->addWidget(colon, r, 1);
        grid->addWidget(input, r, 2);
        if (extra)
            grid->addWidget(extra, r, 3);
    };
    row(0, label("Taksit Adeti", true), label(":", true), SpinEdit1);
    row(1, label("Peşin Ödeme Tarihi"), label(":"), tarih2, btn2);
    row(2, label("İlk Taksit Tarihi"), label(":"), tarih);
    row(3, label("Taksitlendirme", false, false), label(":", false, false), TaksitlemeTipi);
    lx1 = label("Taksit Aralığı (Gün)", false, false);
    lx1->setObjectName("lx1");
    lx2 = label(":", false, false);
    lx2->setObjectName("lx2");
    row(4, lx1, lx2, lx3);
    row(5, label("Peşin Ödenen"), label(":"), Edit1);

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->installEventFilter(this);
    buttonRow({Button1, Button2}, panel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(horizontalRule(this));
    layout->addWidget(kusuryok);
    layout->addWidget(panel);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(SpinEdit1, tarih2);
    setTabOrder(tarih2, tarih);
    setTabOrder(tarih, Edit1);
    setTabOrder(Edit1, TaksitlemeTipi);
    setTabOrder(TaksitlemeTipi, lx3);
    setTabOrder(lx3, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, kusuryok);
    btn2->setFocusPolicy(Qt::NoFocus);

    guardedConnect(btn2, &QToolButton::clicked, this, &frmtaksitlendir::btn2Click);
    guardedConnect(TaksitlemeTipi, &QComboBox::currentIndexChanged, this,
                   &frmtaksitlendir::TaksitlemeTipiChange);
    guardedConnect(Button1, &QPushButton::clicked, this, &frmtaksitlendir::Button1Click);
    guardedConnect(Button2, &QPushButton::clicked, this, &frmtaksitlendir::Button2Click);
    // Shortcuts reach the dialog before any control sees the key.
    guardedConnect(new QShortcut(Qt::Key_F8, this), &QShortcut::activated, this,
                   &frmtaksitlendir::Button1Click);
    guardedConnect(new QShortcut(Qt::Key_F12, this), &QShortcut::activated, this,
                   &frmtaksitlendir::Button2Click);
    TaksitlemeTipiChange();
    EnterAsTab::install(this);
}

QLabel* frmtaksitlendir::label(const QString& text, bool bold, bool dragsWindow) {
    auto* l = new QLabel(text, this);
    if (bold)
        makeBold(l);
    if (dragsWindow)
        l->installEventFilter(this);
    return l;
}

InstallmentPlanInput frmtaksitlendir::planInput(double fee) const {
    InstallmentPlanInput input;
    input.fee = fee;
    input.downPayment = Edit1->value();
    input.count = clampPlanNumber(SpinEdit1->value());
    input.downPaymentDate = tarih2->date();
    input.firstDueDate = tarih->date();
    input.interval =
        TaksitlemeTipi->currentIndex() == 0 ? InstallmentInterval::Monthly : InstallmentInterval::EveryNDays;
    input.intervalDays = clampPlanNumber(lx3->value());
    input.fractionsToLast = kusuryok->isChecked();
    return input;
}

void frmtaksitlendir::showEvent(QShowEvent* event) {
    Edit1->setValue(0);
    tarih->setDate(QDate::currentDate());
    tarih2->setDate(QDate::currentDate());
    m_confirmed = false;
    if (TaksitlemeTipi->currentIndex() < 0) {
        const QSignalBlocker quiet(TaksitlemeTipi);
        TaksitlemeTipi->setCurrentIndex(0);
    }
    QDialog::showEvent(event);
}

void frmtaksitlendir::btn2Click() {
    tarih2->setDate(QDate::currentDate());
}

void frmtaksitlendir::TaksitlemeTipiChange() {
    const bool everyNDays = TaksitlemeTipi->currentIndex() == 1;
    for (QWidget* w : {static_cast<QWidget*>(lx1), static_cast<QWidget*>(lx2), static_cast<QWidget*>(lx3)})
        w->setEnabled(everyNDays);
    if (everyNDays && isVisible())
        lx3->setFocus();
}

void frmtaksitlendir::Button1Click() {
    SpinEdit1->setFocus();
    SpinEdit1->setValue(planNumberFromText(SpinEdit1->cleanText()));
    if (tarih2->date() > tarih->date()) {
        MessageBox::warning(QString(), "\nİlk taksit tarihi Peşin ödeme tarihinden küçük olamaz.", this);
        return;
    }
    m_confirmed = true;
    accept();
}

void frmtaksitlendir::Button2Click() {
    m_confirmed = false;
    reject();
}

void frmtaksitlendir::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        startWindowDrag();
    QDialog::mousePressEvent(event);
}

bool frmtaksitlendir::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        startWindowDrag();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmtaksitlendir::startWindowDrag() {
    if (QWindow* window = windowHandle())
        window->startSystemMove();
}
