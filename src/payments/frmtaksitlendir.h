#pragma once

#include "payments/installment_plan.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QSpinBox;
class QToolButton;
class AmountEdit;

// Asks how to split a trainee's agreed fee: count, dates, kind, interval, down payment. The count,
// kind, interval and the fractions choice are remembered from one opening to the next.
class frmtaksitlendir : public QDialog {
    Q_OBJECT
public:
    explicit frmtaksitlendir(QWidget* parent = nullptr);

    bool confirmed() const { return m_confirmed; }
    InstallmentPlanInput planInput(double fee) const;

public slots:
    void btn2Click();
    void TaksitlemeTipiChange();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* label(const QString& text, bool bold = false, bool dragsWindow = true);
    void startWindowDrag();

    bool m_confirmed = false;
    QSpinBox* SpinEdit1;
    QDateEdit* tarih2;
    QToolButton* btn2;
    QDateEdit* tarih;
    QComboBox* TaksitlemeTipi;
    QLabel* lx1;
    QLabel* lx2;
    QSpinBox* lx3;
    AmountEdit* Edit1;
    QCheckBox* kusuryok;
    QPushButton* Button1;
    QPushButton* Button2;
};
