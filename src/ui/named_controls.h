#pragma once

#include <QString>
#include <QStringList>

#include <initializer_list>

class QFrame;
class QHBoxLayout;
class QPushButton;
class QTableWidget;
class QWidget;

// Controls made with the objectName that finds them, and the pieces every dialog lays out alike.

template <typename Control> Control* named(Control* control, const char* name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

// A button that Enter never presses: Enter moves on to the next control.
QPushButton* namedButton(const char* name, const QString& caption, QWidget* parent);

// Buttons at the right end of a row.
QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons, QWidget* parent = nullptr);

// A table of rows to read and pick, not to edit: whole rows selected, no row numbers, the columns
// titled.
QTableWidget* listTable(const char* name, const QStringList& titles, QWidget* parent);

// The sunken line between a dialog's fields and its buttons.
QFrame* horizontalRule(QWidget* parent);
