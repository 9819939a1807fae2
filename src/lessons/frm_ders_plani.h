#pragma once

#include <QWidget>

struct Forms;

// The week of one instructor or vehicle at a glance: lessons booked, moved to a state, the free
// hours, and the instructor's day sheet. Not modal, one instance.
class frm_ders_plani : public QWidget {
    Q_OBJECT
public:
    explicit frm_ders_plani(Forms& forms, QWidget* parent = nullptr);

    // Shows the window, filled afresh, or brings it to the front when it is open.
    void showPlan();

private:
    Forms& m_forms;
};
