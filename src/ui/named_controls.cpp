#include "ui/named_controls.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>

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
