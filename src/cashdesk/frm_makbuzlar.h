#pragma once

#include <QDialog>

struct Forms;

// The receipts of a period: reprinted or cancelled, never deleted.
class frm_makbuzlar : public QDialog {
    Q_OBJECT
public:
    explicit frm_makbuzlar(Forms& forms, QWidget* parent = nullptr);

    // Fills the window afresh and shows it until it is closed.
    void start();

private:
    Forms& m_forms;
};
