#include "ui/bound_controls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

#include "ui/whole_characters.h"

#include <limits>

BoundLineEdit::BoundLineEdit(DataSource& source, const QString& field, QWidget* parent)
    : QLineEdit(parent), BoundControl(*this, source, field) {
    if (columnWidth() > 0)
        setMaxLength(columnWidth());
    keepWholeCharacters(*this);
    refresh();
}

// Setting an equal text would move the cursor of a user who is working in the edit.
void BoundLineEdit::showValue(const QVariant& value) {
    if (text() != value.toString())
        setText(value.toString());
}

QVariant BoundLineEdit::entry() const {
    return text();
}

BoundTextBox::BoundTextBox(DataSource& source, const QString& field, QWidget* parent)
    : QPlainTextEdit(parent), BoundControl(*this, source, field) {
    setTabChangesFocus(true);
    refresh();
}

void BoundTextBox::showValue(const QVariant& value) {
    if (toPlainText() != value.toString())
        setPlainText(value.toString());
}

QVariant BoundTextBox::entry() const {
    return toPlainText();
}

qsizetype BoundTextBox::room() const {
    if (columnWidth() <= 0)
        return std::numeric_limits<qsizetype>::max();
    return columnWidth() - toPlainText().size() + textCursor().selectedText().size();
}

void BoundTextBox::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool inserts = startsWithPrintable(typed) || typed == "\r";
    if (inserts && room() < typed.size()) {
        QApplication::beep();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void BoundTextBox::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText())
        return;
    textCursor().insertText(wholeCharacterPrefix(source->text(), room()));
    ensureCursorVisible();
}

BoundComboBox::BoundComboBox(DataSource& source, const QString& field, ListKind kind,
                             const QStringList& items, QWidget* parent)
    : QComboBox(parent), BoundControl(*this, source, field) {
    addItems(items);
    if (kind == ListKind::Free) {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        if (columnWidth() > 0)
            lineEdit()->setMaxLength(columnWidth());
        keepWholeCharacters(*lineEdit());
    } else {
        connect(this, &QComboBox::activated, this, [this] { commit(); });
    }
    // The combo box itself reacts to a changed list first, by choosing its first entry or none.
    const auto showAgain = [this] { refresh(); };
    connect(model(), &QAbstractItemModel::rowsInserted, this, showAgain);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, showAgain);
    connect(model(), &QAbstractItemModel::modelReset, this, showAgain);
    refresh();
}

void BoundComboBox::showValue(const QVariant& value) {
    const QString text = value.toString();
    setCurrentIndex(findText(text));
    if (isEditable())
        setEditText(text);
}

QVariant BoundComboBox::entry() const {
    return currentText();
}

BoundCheckBox::BoundCheckBox(DataSource& source, const QString& field, const QString& text, QWidget* parent)
    : QCheckBox(text, parent), BoundControl(*this, source, field) {
    connect(this, &QCheckBox::clicked, this, [this] { commit(); });
    refresh();
}

void BoundCheckBox::showValue(const QVariant& value) {
    setChecked(value.toBool());
}

QVariant BoundCheckBox::entry() const {
    return isChecked();
}
