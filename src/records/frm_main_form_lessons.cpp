#include "records/frm_main_form.h"

#include "app/forms.h"
#include "lessons/frm_ders_plani.h"

void frm_main_form::Btn9Click() {
    m_forms.ders_plani->showPlan();
}
