#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>

#include "ui/bound_control.h"

// One line of text, no longer than its column and cut to it only at whole characters.
class BoundLineEdit : public QLineEdit, public BoundControl {
    Q_OBJECT
public:
    BoundLineEdit(DataSource& source, const QString& field, QWidget* parent = nullptr);

protected:
    void showValue(const QVariant& value) override;
    QVariant entry() const override;
};

// Several lines of text. Tab moves on to the next control, and typing or pasting stops at the
// column's width, before a character that would not fit whole, since the database would refuse a
// longer text only when the row is saved.
class BoundTextBox : public QPlainTextEdit, public BoundControl {
    Q_OBJECT
public:
    BoundTextBox(DataSource& source, const QString& field, QWidget* parent = nullptr);

protected:
    void showValue(const QVariant& value) override;
    QVariant entry() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    qsizetype room() const;
};

enum class ListKind {
    Fixed, // only the list's entries can be chosen; a choice is written at once
    Free,  // the list is offered, any text up to the column's width (in whole characters) is accepted
};

// A drop-down list. A value that is not among the entries shows as no choice in a fixed list and
// as its text in a free one; entries added or removed later never change what is shown.
class BoundComboBox : public QComboBox, public BoundControl {
    Q_OBJECT
public:
    BoundComboBox(DataSource& source, const QString& field, ListKind kind, const QStringList& items = {},
                  QWidget* parent = nullptr);

signals:
    // The focus has left the list, and its entry is already in the field; a handler of the
    // leaving sees the row as the user left it.
    void exited();

protected:
    void left() override { emit exited(); }
    void showValue(const QVariant& value) override;
    QVariant entry() const override;
};

// A yes/no field; an empty one shows unchecked. A click is written at once.
class BoundCheckBox : public QCheckBox, public BoundControl {
    Q_OBJECT
public:
    BoundCheckBox(DataSource& source, const QString& field, const QString& text, QWidget* parent = nullptr);

protected:
    void showValue(const QVariant& value) override;
    QVariant entry() const override;
};
