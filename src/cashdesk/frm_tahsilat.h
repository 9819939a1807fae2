#pragma once

#include "cashdesk/allocation.h"
#include "cashdesk/receipts.h"

#include <QDialog>

#include <optional>
#include <vector>

class AmountEdit;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
struct Forms;

// Takes a payment from one trainee against the unpaid installments, oldest first, and writes its
// receipt. Shows where the amount goes while it is typed.
class frm_tahsilat : public QDialog {
    Q_OBJECT
public:
    explicit frm_tahsilat(Forms& forms, QWidget* parent = nullptr);

    // Shows the dialog for the trainee and returns the payment written, none when the user gave up.
    std::optional<TakenPayment> takeFrom(qint64 kID, const QString& name);

public slots:
    void TutarEditChange();
    void TahsilEtButtonClick();

private:
    void startFor(qint64 kID, const QString& name);
    void showCurrentInstallments();
    double typedAmount() const;
    void showDistribution(const Allocation& allocation);

    Forms& m_forms;
    qint64 m_kID = 0;
    std::vector<UnpaidInstallment> m_unpaid;
    std::optional<TakenPayment> m_taken;
    QLabel* AdiLabel;
    QLabel* KalanLabel;
    AmountEdit* TutarEdit;
    QDateEdit* TarihEdit;
    QComboBox* OdemeSekli;
    QLineEdit* AciklamaEdit;
    QTableWidget* DagilimTablosu;
    QPushButton* TahsilEtButton;
    QPushButton* VazgecButton;
};
