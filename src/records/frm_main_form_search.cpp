// The record search and the statistics, run from the toolbar.
#include "records/frm_main_form.h"

#include "app/forms.h"
#include "search/frm_kayit_ara.h"

void frm_main_form::Btn4Click() {
    m_forms.kayit_ara->exec();
    ShowRecordCount();
}
