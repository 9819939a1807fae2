#pragma once

#include <QDialog>

struct Forms;

// The day's closing: the valid receipts of a day summed per payment kind and per desk, and the day's
// cancellations.
class frm_gun_sonu : public QDialog {
    Q_OBJECT
public:
    explicit frm_gun_sonu(Forms& forms, QWidget* parent = nullptr);

    // Fills the window afresh and shows it until it is closed.
    void start();

private:
    Forms& m_forms;
};
