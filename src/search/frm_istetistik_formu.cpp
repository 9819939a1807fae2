#include "search/frm_istetistik_formu.h"

#include "app/forms.h"
#include "app/guard.h"
#include "data/frm_DataMod.h"
#include "data/transaction.h"
#include "ui/named_controls.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frm_istetistik_formu::frm_istetistik_formu(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("istetistik_formu");
    setWindowTitle("İstatistik Formu");

    auto* grid = new QGridLayout;
    for (int row = 0; row < Statistics::RowCount; ++row) {
        const Statistics::Row& r = Statistics::rows()[size_t(row)];
        auto* value = new QLabel("%s", this);
        value->setObjectName(r.valueLabel);
        m_values[size_t(row)] = value;
        grid->addWidget(new QLabel(r.caption, this), row, 0);
        grid->addWidget(new QLabel(":", this), row, 1);
        grid->addWidget(value, row, 2);
    }
    m_ok = new QPushButton("Tamam", this);
    m_ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(horizontalRule(this));
    layout->addLayout(buttonRow({m_ok}));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    guardedConnect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

int frm_istetistik_formu::CountTrainees(const QString& condition) {
    Dataset& count = m_forms.DataMod->sql_1;
    count.close();
    count.setSql(Statistics::countStatement(condition));
    count.open();
    const int n = count.value("kaysay").toInt();
    count.close();
    return n;
}

// One read for all six: another copy of the program that writes meanwhile cannot make the rows
// disagree with each other.
std::array<int, Statistics::RowCount> frm_istetistik_formu::countAll() {
    std::array<int, Statistics::RowCount> counts{};
    Transaction counting(m_forms.DataMod->ado_conn, Transaction::Kind::Read);
    for (size_t row = 0; row < counts.size(); ++row)
        counts[row] = CountTrainees(Statistics::rows()[row].condition);
    counting.commit();
    return counts;
}

void frm_istetistik_formu::showCounts(const std::array<int, Statistics::RowCount>& counts) {
    for (size_t row = 0; row < counts.size(); ++row)
        m_values[row]->setText(QString::number(counts[row]));
}
