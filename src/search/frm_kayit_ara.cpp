#include "search/frm_kayit_ara.h"

#include "app/forms.h"
#include "app/guard.h"
#include "data/frm_DataMod.h"
#include "data/statements.h"
#include "data/transaction.h"
#include "data/value_lists.h"
#include "ui/enter_as_tab.h"
#include "ui/named_controls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QStringList MatchKinds = {"eşittir", "ile başlar", "ile biter", "içerir"};

QComboBox* fixedList(QWidget* parent, const char* name, const QStringList& entries) {
    auto* list = named(new QComboBox(parent), name);
    list->addItems(entries);
    return list;
}

} // namespace

frm_kayit_ara::frm_kayit_ara(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("kayit_ara");
    setWindowTitle("Kayıt Ara");

    Edit1 = named(new QLineEdit(this), "Edit1");
    Edit2 = named(new QLineEdit(this), "Edit2");
    cb1 = fixedList(this, "cb1", QStringList{QString()} + ValueLists::licenceClasses());
    cb1->setMaxVisibleItems(12);
    Edit4 = named(new QLineEdit(this), "Edit4");
    cb2 = fixedList(this, "cb2", MatchKinds);
    Button1 = namedButton("Button1", "Sorgula", this);
    Button2 = namedButton("Button2", "Tüm Kayıtları Göster", this);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->hide();

    auto* grid = new QGridLayout;
    const std::pair<QString, QWidget*> rows[] = {{"Adı", Edit1},
                                                 {"Soyadı", Edit2},
                                                 {"Ehliyet Sınıfı", cb1},
                                                 {"Aday Numarası", Edit4},
                                                 {"Sorgu Tipi", cb2}};
    int r = 0;
    for (const auto& [caption, input] : rows) {
        grid->addWidget(new QLabel(caption, this), r, 0);
        grid->addWidget(new QLabel(":", this), r, 1);
        grid->addWidget(input, r++, 2);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttonRow({Button1, Button2}));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, cb1);
    setTabOrder(cb1, Edit4);
    setTabOrder(Edit4, cb2);
    setTabOrder(cb2, Button1);
    setTabOrder(Button1, Button2);

    guardedConnect(Button1, &QPushButton::clicked, this, &frm_kayit_ara::Button1Click);
    guardedConnect(Button2, &QPushButton::clicked, this, &frm_kayit_ara::Button2Click);
    EnterAsTab::install(this, EnterAsTab::Shift::MovesBack);
}

frm_DataMod& frm_kayit_ara::data() const {
    return *m_forms.DataMod;
}

void frm_kayit_ara::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void frm_kayit_ara::FormShow() {
    Edit1->clear();
    Edit2->clear();
    Edit4->clear();
    cb1->setCurrentIndex(0);
    cb2->setCurrentIndex(0);
    ListBox1->clear();
    Edit1->setFocus();
}

RecordSearch::MatchKind frm_kayit_ara::matchKind() const {
    return RecordSearch::MatchKind(qBound(0, cb2->currentIndex(), int(MatchKinds.size()) - 1));
}

void frm_kayit_ara::AddCondition(const QString& field, const QString& value) {
    ListBox1->addItem(RecordSearch::condition(field, value, matchKind()));
}

void frm_kayit_ara::Button1Click() {
    ListBox1->clear();
    const RecordSearch::Criteria criteria{Edit1->text(), Edit2->text(), Edit4->text(),
                                          cb1->currentIndex() > 0 ? cb1->currentText() : QString()};
    for (const auto& [field, value] : RecordSearch::filledCriteria(criteria))
        AddCondition(field, value);
    if (ListBox1->count() == 0) {
        ShowAllRecords();
        return;
    }
    QStringList conditions;
    for (int i = 0; i < ListBox1->count(); ++i)
        conditions << ListBox1->item(i)->text();
    reopenTrainees(RecordSearch::filterLine(conditions));
    accept();
}

void frm_kayit_ara::Button2Click() {
    ShowAllRecords();
    accept();
}

void frm_kayit_ara::ShowAllRecords() {
    reopenTrainees(Sql::allTrainees());
}

void frm_kayit_ara::reopenTrainees(const QString& filterLine) {
    Transaction reopening(data().ado_conn, Transaction::Kind::Read);
    data().tkursiyer.setSqlLine(1, filterLine);
    data().tkursiyer.open();
    reopening.commit();
}
