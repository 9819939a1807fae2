#include "records/frm_main_form.h"

#include "admin/frm_ayar_formu.h"
#include "admin/frm_sifre_degistir.h"
#include "app/forms.h"
#include "data/frm_DataMod.h"
#include "data/transaction.h"

// The settings work on the three tables only while the dialog is shown; afterwards the course
// tab offers the vehicles, plates and routes as they now are.
void frm_main_form::Btn2Click() {
    frm_DataMod& d = data();
    {
        // One view of the three tables; a table that cannot be read leaves all three closed.
        Transaction opening(d.ado_conn, Transaction::Kind::Read);
        d.tfirma.open();
        d.tarac.open();
        d.tguzergah.open();
        opening.commit();
    }
    m_forms.ayar_formu->exec();
    d.tfirma.close();
    d.tarac.close();
    d.tguzergah.close();
    FillCourseLists();
}

void frm_main_form::Btn3Click() {
    m_forms.sifre_degistir->exec();
}
