#pragma once

#include "cashdesk/cashdesk_statements.h"

#include <QDialog>

class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;
struct Forms;

// The day's closing: the valid receipts of a day summed per payment kind and per desk, and the day's
// cancellations.
class frm_gun_sonu : public QDialog {
    Q_OBJECT
public:
    explicit frm_gun_sonu(Forms& forms, QWidget* parent = nullptr);

    // Fills the window afresh and shows it until it is closed.
    void start();

public slots:
    void GunTarihiChange();
    void YazdirButtonClick();

private:
    void showSums(QTableWidget* table, const std::vector<DayClosing::Sum>& sums);
    void showCancelled(const std::vector<DayClosing::Cancelled>& cancelled);

    Forms& m_forms;
    QDateEdit* GunTarihi;
    QTableWidget* OzetTablosu;
    QTableWidget* MasaTablosu;
    QLabel* ToplamLabel;
    QTableWidget* IptalListesi;
    QPushButton* YazdirButton;
    QPushButton* KapatButton;
};
