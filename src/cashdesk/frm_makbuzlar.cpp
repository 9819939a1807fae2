#include "cashdesk/frm_makbuzlar.h"

#include "app/forms.h"

frm_makbuzlar::frm_makbuzlar(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("makbuzlar");
    setWindowTitle("Makbuzlar");
}

void frm_makbuzlar::start() {
    exec();
}
