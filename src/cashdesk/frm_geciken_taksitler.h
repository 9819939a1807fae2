#pragma once

#include <QDialog>

struct Forms;

// The trainees with installments due before a day and still unpaid, with the reminders sent to them.
class frm_geciken_taksitler : public QDialog {
    Q_OBJECT
public:
    explicit frm_geciken_taksitler(Forms& forms, QWidget* parent = nullptr);

    // Fills the window afresh and shows it until it is closed.
    void start();

private:
    Forms& m_forms;
};
