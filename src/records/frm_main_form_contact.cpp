#include "records/frm_main_form.h"

#include "admin/frm_hknd.h"
#include "admin/frm_mail_yolla.h"
#include "app/forms.h"

// The mail window may stay open beside the main window while the user goes on working.
void frm_main_form::ToolButton9Click() {
    m_forms.mail_yolla->show();
    m_forms.mail_yolla->raise();
    m_forms.mail_yolla->activateWindow();
}

void frm_main_form::Btn6Click() {
    m_forms.hknd->exec();
}
