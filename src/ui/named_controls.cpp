#include "ui/named_controls.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

QPushButton* namedButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons, QWidget* parent) {
    auto* row = new QHBoxLayout(parent);
    row->addStretch(1);
    for (QPushButton* button : buttons)
        row->addWidget(button);
    return row;
}

QFrame* horizontalRule(QWidget* parent) {
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

QTableWidget* listTable(const char* name, const QStringList& titles, QWidget* parent) {
    auto* table = named(new QTableWidget(0, int(titles.size()), parent), name);
    table->setHorizontalHeaderLabels(titles);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    return table;
}
