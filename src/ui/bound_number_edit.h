#pragma once

#include "ui/bound_control.h"

#include <QLineEdit>

// A number field in the general format: no grouping, only the decimals it needs (1250, 1250,5).
class BoundNumberEdit : public QLineEdit, public BoundControl {
    Q_OBJECT
public:
    BoundNumberEdit(DataSource& source, const QString& field, QWidget* parent = nullptr);

    // A text that is no number ("-" alone) is refused with the error box; the field keeps its value.
    bool commit() override;

protected:
    void showValue(const QVariant& value) override;
    QVariant entry() const override;
};
