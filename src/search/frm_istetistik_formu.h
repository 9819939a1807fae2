#pragma once

#include "search/statistics.h"

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;
struct Forms;

// Six head counts of the whole trainee table, a snapshot taken before the window shows; the
// search filter of the list does not change them.
class frm_istetistik_formu : public QDialog {
    Q_OBJECT
public:
    explicit frm_istetistik_formu(Forms& forms, QWidget* parent = nullptr);

    // Trainees of tb_kursiyer that meet the condition, counted through sql_1.
    int CountTrainees(const QString& condition);
    // The counts of the six rows, in row order, all read at one moment of the database.
    std::array<int, Statistics::RowCount> countAll();
    // Each count, as a plain decimal number, into its row's value label.
    void showCounts(const std::array<int, Statistics::RowCount>& counts);

private:
    Forms& m_forms;
    std::array<QLabel*, Statistics::RowCount> m_values{};
    QPushButton* m_ok;
};
