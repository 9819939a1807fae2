#include "data/frm_DataMod.h"

#include "app/forms.h"
#include "app/guard.h"
#include "records/frm_main_form.h"

frm_DataMod::frm_DataMod(Forms& forms, QObject* parent) : QObject(parent), m_forms(forms) {
    setObjectName("DataMod");
    ado_conn.setObjectName("ado_conn");
    tkursiyer.setSql("select * from tb_kursiyer\nwhere kID > 0\norder by kID");
    todemeler.setSql(noPayments());
    sql_1.setSql("select count(*) as kaysay from tb_kursiyer");
    sql_hes.setSql("select sum(miktar) as TMiktar from tb_odeme where kID<0");
    sql_ral1.setSql("select * from tb_kursiyer order by kID");
    sql_odemeler_rap.setSql("select * from Query_Odemeler");
    tfirma.setSql("select * from tb_firma");
    tarac.setSql("select * from tb_arac");
    tguzergah.setSql("select * from tb_guz");
    tuser.setSql("select * from kullanicilar");
    guardedConnect(&tkursiyer, &Dataset::afterScroll, this, &frm_DataMod::tkursiyerAfterScroll);
}

QString frm_DataMod::paymentsOf(qint64 kID) {
    return "select * from tb_odeme where kID = " + QString::number(kID);
}

void frm_DataMod::tkursiyerAfterScroll() {
    frm_main_form* main = m_forms.main_form;
    if (!main || !main->isVisible())
        return;
    todemeler.close();
    todemeler.setSql(paymentsOf(tkursiyer.value("kID").toLongLong()));
    todemeler.open();
    main->RefreshPaymentTotals();
}
