#include "records/frm_main_form.h"

#include "app/forms.h"
#include "cashdesk/receipt_preview.h"
#include "data/frm_DataMod.h"
#include "import/frm_ice_aktar.h"
#include "payments/frm_odeme_rapor_form.h"
#include "reports/frm_ehliyet_sinif_secim.h"
#include "reports/frm_raporlar__.h"
#include "reports/report_statements.h"
#include "ui/export_dialog.h"
#include "ui/message_box.h"

#include <QLineEdit>

namespace {

// A report's dataset is open only while its preview is on the screen, however the preview ends.
struct ClosedAfterwards {
    Dataset& dataset;
    ~ClosedAfterwards() { dataset.close(); }
};

} // namespace

void frm_main_form::PreviewTraineeReport(const QString& sql) {
    frm_raporlar__& reports = *m_forms.raporlar__;
    reports.FillFirmHeader(reports.rap_1.item("QRMemo1"));
    Dataset& trainees = data().sql_ral1;
    trainees.close();
    trainees.setSql(sql);
    const ClosedAfterwards closing{trainees};
    trainees.open();
    reports.Preview(reports.rap_1, trainees, this);
}

void frm_main_form::Button5Click() {
    PreviewTraineeReport(ReportSql::AllTrainees);
}

void frm_main_form::Button6Click() {
    frm_ehliyet_sinif_secim& dialog = *m_forms.ehliyet_sinif_secim;
    if (dialog.exec() != QDialog::Accepted)
        return;
    PreviewTraineeReport(ReportSql::licenceClass(dialog.licenceClass(), dialog.order()));
}

// The same trainees as the list, in its order: its statement with the search's filter and the sort.
void frm_main_form::Raporla1Click() {
    PreviewTraineeReport(data().tkursiyer.sql());
}

void frm_main_form::Button7Click() {
    if (data().tkursiyer.isEmpty()) {
        MessageBox::warning(QString(), "\nYeterli Kayıt Yok.", this);
        return;
    }
    frm_odeme_rapor_form& dialog = *m_forms.odeme_rapor_form;
    dialog.exec();
    if (!dialog.confirmed())
        return;
    Dataset& payments = data().sql_odemeler_rap;
    payments.close();
    payments.setSql(ReportSql::payments(dialog.status(), dialog.useDates(), dialog.startText(),
                                        dialog.endText(), dialog.order()));
    frm_raporlar__& reports = *m_forms.raporlar__;
    reports.FillFirmHeader(reports.qr3.item("QRMemo3"));
    const ClosedAfterwards closing{payments};
    payments.open();
    reports.Preview(reports.qr3, payments, this);
}

// Prints what the window shows at this moment; nothing is reloaded or recomputed first.
void frm_main_form::Button8Click() {
    frm_raporlar__& reports = *m_forms.raporlar__;
    reports.FillFirmHeader(reports.rap_2.item("QRMemo2"));
    const std::pair<const char*, const char*> valueSlots[] = {
        {"QRLabel22", "adayno"},   {"QRLabel23", "adi"}, {"QRLabel24", "soyadi"},
        {"QRLabel19", "DBEdit53"}, {"QRLabel20", "mx1"}, {"QRLabel21", "mx2"}};
    for (const auto& [name, control] : valueSlots) {
        const auto* edit = findChild<QLineEdit*>(control);
        reports.rap_2.item(name).text = edit ? edit->text() : QString();
    }
    reports.Preview(reports.rap_2, data().todemeler, this);
}

// The statement of the trainee the list stands on, read from the database as it is now.
void frm_main_form::Ekstre1Click() {
    if (data().tkursiyer.isEmpty()) {
        MessageBox::warning(QString(), "\nYeterli Kayıt Yok.", this);
        return;
    }
    showStatement(data(), data().currentTraineeKey(), this);
}

// The list as the grid shows it goes to the export; the list is left as it is afterwards.
void frm_main_form::Button12Click() {
    ExportFacility& facility = data().EXPORTX;
    facility.setDataSource(&data().tkursiyer);
    ExportDialog dialog(facility, this);
    dialog.exec();
}

// Trainees brought in are listed with the rest, whatever the list was filtered to.
void frm_main_form::IceAktar1Click() {
    frm_ice_aktar dialog(m_forms, this);
    if (dialog.start())
        listAllTrainees();
}
