#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
struct Forms;

// Asks why a receipt is cancelled and cancels it: the receipt and its number stay, its installments
// are given back.
class frm_makbuz_iptal : public QDialog {
    Q_OBJECT
public:
    explicit frm_makbuz_iptal(Forms& forms, QWidget* parent = nullptr);

    // Shows the dialog for the receipt; true when it was cancelled, false when the user gave up.
    bool cancel(qint64 makbuzID, const QString& number, double amount);

public slots:
    void IptalEtButtonClick();

private:
    Forms& m_forms;
    qint64 m_makbuzID = 0;
    QLabel* MakbuzNoLabel;
    QLabel* TutarLabel;
    QLineEdit* NedenEdit;
    QPushButton* IptalEtButton;
    QPushButton* VazgecButton;
};
