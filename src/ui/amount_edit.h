#pragma once

#include <QLineEdit>

#include <optional>

// A money amount typed and shown in the user's locale: thousands grouped, two decimals, right-aligned,
// red when negative. Keys that cannot belong to an amount are dropped while typing; the text is read
// back into the value when the focus leaves, and a value of a thousand million or more, either side
// of zero, is then refused with a warning. setValue takes any value: totals may grow beyond that.
class AmountEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit AmountEdit(QWidget* parent = nullptr);

    double value() const { return m_value; }
    // The amount the text shows as it is being typed, before the edit takes it; none while the text
    // cannot be read as an amount.
    std::optional<double> typedValue() const;
    void setValue(double value);
    // A total that could not be read: no figure at all rather than a wrong one; the value is NaN.
    void showUnknown();

signals:
    void valueChanged(double value);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool storeValue(double value);
    void showValue();
    void readBack();
    void applyTextColour();
    QColor normalTextColour() const;
    bool acceptsTyped(const QString& typed) const;
    QString textAfterTyping(const QString& typed) const;

    double m_value = 0.0;
};
