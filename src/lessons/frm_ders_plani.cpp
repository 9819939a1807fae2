#include "lessons/frm_ders_plani.h"

#include "app/forms.h"

frm_ders_plani::frm_ders_plani(Forms& forms, QWidget* parent) : QWidget(parent, Qt::Window), m_forms(forms) {
    setObjectName("ders_plani");
    setWindowTitle("Direksiyon Ders Planı");
}

void frm_ders_plani::showPlan() {
    show();
    raise();
    activateWindow();
}
