#include "ui/amount_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>

#include "ui/message_box.h"
#include "ui/whole_characters.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr int DecimalPlaces = 2;
// Amounts are added up in doubles: below this, every cent of a sum of them still counts, where a
// typed 1e20 would swallow any payment added to it.
constexpr double AmountLimit = 1e9;
// One digit more than the amounts that are taken have, so that the leaving, not a silently dropped
// key, tells the user why a longer one is not taken.
constexpr int WholeDigits = 10;

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isAmountCharacter(const QString& typed, const QString& separator) {
    return typed == separator || typed == u"-" || (typed.size() == 1 && isAsciiDigit(typed.front()));
}

qsizetype digitsBetween(const QString& text, qsizetype from, qsizetype to) {
    return std::count_if(text.cbegin() + from, text.cbegin() + to, isAsciiDigit);
}

// The minus sign only ever stands first, once; at most one separator, with at most ten digits before
// it and two after it.
bool isTypableAmount(const QString& text, const QString& separator) {
    const qsizetype minusSigns = text.count(u'-');
    if (minusSigns > 1 || (minusSigns == 1 && !text.startsWith(u'-')) || text.count(separator) > 1)
        return false;
    const qsizetype separatorAt = text.indexOf(separator);
    const qsizetype wholeEnd = separatorAt < 0 ? text.size() : separatorAt;
    return digitsBetween(text, 0, wholeEnd) <= WholeDigits &&
           digitsBetween(text, wholeEnd, text.size()) <= DecimalPlaces;
}

bool isWithinLimit(double amount) {
    return std::abs(amount) < AmountLimit;
}

QString limitText() {
    const QLocale locale;
    return QString("\nTutar %1 ile %2 arasında olmalıdır.")
        .arg(locale.toString(-AmountLimit, 'f', DecimalPlaces),
             locale.toString(AmountLimit, 'f', DecimalPlaces));
}

// Whatever got into the text (typed, pasted, or left over from the grouped display): the digits and
// the separator make the amount, and a minus sign or an accountant's parenthesis anywhere makes it
// negative.
std::optional<double> readAmount(const QString& text) {
    if (text.isEmpty())
        return 0.0;
    const QLocale locale;
    const QString separator = locale.decimalPoint();
    QString kept;
    for (const QChar c : text) {
        if (isAsciiDigit(c) || separator.contains(c))
            kept += c;
    }
    bool readable = false;
    const double magnitude = locale.toDouble(kept, &readable);
    if (!readable)
        return std::nullopt;
    const bool negative = text.contains(u'-') || text.contains(u'(');
    return negative ? -magnitude : magnitude;
}

} // namespace

AmountEdit::AmountEdit(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    showValue();
}

std::optional<double> AmountEdit::typedValue() const {
    return readAmount(text());
}

void AmountEdit::setValue(double value) {
    if (storeValue(value))
        showValue();
}

bool AmountEdit::storeValue(double value) {
    if (value == m_value)
        return false;
    m_value = value;
    emit valueChanged(m_value);
    return true;
}

void AmountEdit::showUnknown() {
    // No value at all: whatever value is set next is shown.
    m_value = std::numeric_limits<double>::quiet_NaN();
    clear();
}

void AmountEdit::showValue() {
    setText(QLocale().toString(m_value, 'f', DecimalPlaces));
    applyTextColour();
}

// A value that is not taken leaves the one before it, shown again.
void AmountEdit::readBack() {
    const std::optional<double> amount = readAmount(text());
    if (!amount)
        QApplication::beep();
    else if (!isWithinLimit(*amount))
        MessageBox::warning("Uyarı", limitText(), this);
    else
        storeValue(*amount);
    showValue();
}

// Only the active and inactive colours change: a disabled edit keeps the style's greyed text.
void AmountEdit::applyTextColour() {
    const QColor colour = m_value < 0.0 ? QColor(Qt::red) : normalTextColour();
    QPalette colours = palette();
    colours.setColor(QPalette::Active, QPalette::Text, colour);
    colours.setColor(QPalette::Inactive, QPalette::Text, colour);
    setPalette(colours);
}

// A read-only amount is a total shown on the window, so it takes the window's text colour.
QColor AmountEdit::normalTextColour() const {
    return QApplication::palette(this).color(isReadOnly() ? QPalette::WindowText : QPalette::Text);
}

void AmountEdit::keyPressEvent(QKeyEvent* event) {
    // Left to the window, which moves the focus on as Tab does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    // Control keys (Backspace, Delete, Ctrl+C, Ctrl+V, ...) keep their usual meaning; only printable
    // characters are checked against what an amount may hold.
    if (startsWithPrintable(event->text()) && !acceptsTyped(event->text())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool AmountEdit::acceptsTyped(const QString& typed) const {
    const QString separator = QLocale().decimalPoint();
    return isAmountCharacter(typed, separator) && isTypableAmount(textAfterTyping(typed), separator);
}

QString AmountEdit::textAfterTyping(const QString& typed) const {
    QString result = text();
    if (hasSelectedText())
        return result.replace(selectionStart(), selectionLength(), typed);
    return result.insert(cursorPosition(), typed);
}

void AmountEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    selectAll();
}

void AmountEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A context menu takes the focus only for a moment and works on the text as it stands.
    if (event->reason() != Qt::PopupFocusReason)
        readBack();
}

void AmountEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::ReadOnlyChange)
        applyTextColour();
}
