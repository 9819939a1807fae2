#include "cashdesk/frm_gun_sonu.h"

#include "app/forms.h"

frm_gun_sonu::frm_gun_sonu(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("gun_sonu");
    setWindowTitle("Gün Sonu");
}

void frm_gun_sonu::start() {
    exec();
}
