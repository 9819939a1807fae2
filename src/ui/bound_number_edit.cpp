#include "ui/bound_number_edit.h"

#include "app/guard.h"

#include <QLocale>
#include <QRegularExpressionValidator>

namespace {

QLocale numberLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

} // namespace

BoundNumberEdit::BoundNumberEdit(DataSource& source, const QString& field, QWidget* parent)
    : QLineEdit(parent), BoundControl(*this, source, field) {
    // Nine whole digits keep a fee below the largest amount a payment may have, so a fee can
    // always be paid and its totals shown to the cent.
    const QString decimal = QRegularExpression::escape(numberLocale().decimalPoint());
    setValidator(
        new QRegularExpressionValidator(QRegularExpression("-?\\d{0,9}(" + decimal + "\\d{0,6})?"), this));
    refresh();
}

void BoundNumberEdit::showValue(const QVariant& value) {
    setText(value.isNull() ? QString() : numberLocale().toString(value.toDouble(), 'g', 15));
}

bool BoundNumberEdit::commit() {
    if (text().isEmpty() || !entry().isNull())
        return BoundControl::commit();
    Guard::showDefaultError(QString("\"%1\" geçerli bir sayı değil").arg(text()));
    refresh();
    return false;
}

QVariant BoundNumberEdit::entry() const {
    bool ok = false;
    const double number = numberLocale().toDouble(text(), &ok);
    return ok ? QVariant(number) : QVariant();
}
