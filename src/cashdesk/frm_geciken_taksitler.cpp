#include "cashdesk/frm_geciken_taksitler.h"

#include "app/forms.h"

frm_geciken_taksitler::frm_geciken_taksitler(Forms& forms, QWidget* parent)
    : QDialog(parent), m_forms(forms) {
    setObjectName("geciken_taksitler");
    setWindowTitle("Geciken Taksitler");
}

void frm_geciken_taksitler::start() {
    exec();
}
