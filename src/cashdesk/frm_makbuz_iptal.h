#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
struct Forms;

// What the dialog shows of the receipt it cancels, the payer as the receipt names them.
struct ReceiptToCancel {
    qint64 makbuzID = 0;
    QString number;
    double amount = 0.0;
    QString payer;
    QString candidateNo;
};

// Asks why a receipt is cancelled and cancels it: the receipt and its number stay, its installments
// are given back.
class frm_makbuz_iptal : public QDialog {
    Q_OBJECT
public:
    explicit frm_makbuz_iptal(Forms& forms, QWidget* parent = nullptr);

    // Shows the dialog for the receipt; true when the receipt is cancelled now, by this dialog or by
    // another desk that came first, false when the user gave up.
    bool cancel(const ReceiptToCancel& receipt);

public slots:
    void IptalEtButtonClick();

private:
    Forms& m_forms;
    qint64 m_makbuzID = 0;
    QLabel* MakbuzNoLabel;
    QLabel* AdiSoyadiLabel;
    QLabel* AdayNoLabel;
    QLabel* TutarLabel;
    QLineEdit* NedenEdit;
    QPushButton* IptalEtButton;
    QPushButton* VazgecButton;
};
