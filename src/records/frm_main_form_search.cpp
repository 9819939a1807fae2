// The record search and the statistics, run from the toolbar.
#include "records/frm_main_form.h"

#include "app/forms.h"
#include "search/frm_istetistik_formu.h"
#include "search/frm_kayit_ara.h"

void frm_main_form::Btn4Click() {
    m_forms.kayit_ara->exec();
    ShowRecordCount();
}

// The counts are all taken before the window shows; a refused one ends the command unshown.
void frm_main_form::Btn5Click() {
    frm_istetistik_formu& statistics = *m_forms.istetistik_formu;
    statistics.showCounts(statistics.countAll());
    statistics.exec();
}
