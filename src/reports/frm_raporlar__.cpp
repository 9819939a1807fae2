#include "reports/frm_raporlar__.h"

#include "app/forms.h"
#include "data/frm_DataMod.h"
#include "report/layout_items.h"
#include "ui/report_preview.h"

frm_raporlar__::frm_raporlar__(Forms& forms, QObject* parent)
    : QObject(parent), rap_1(Layouts::rap_1()),
      rap_2(Layouts::rap_2([this](int row) { return QRLabel34Print(row); })),
      qr3(Layouts::qr3([this](int row) { return QRLabel27Print(row); })), m_forms(forms) {
    setObjectName("raporlar__");
}

void frm_raporlar__::FillFirmHeader(Report::Item& block) {
    Dataset& firm = m_forms.DataMod->tfirma;
    firm.open();
    struct Closing {
        Dataset& d;
        ~Closing() { d.close(); }
    } closing{firm};
    block.lines =
        Report::firmHeaderLines(firm.value("ad"), firm.value("adres"), firm.value("tel"), firm.value("fax"));
}

void frm_raporlar__::Preview(Report::Definition& report, Dataset& data, QWidget* parent) {
    const Report::Run run(report, data);
    if (data.state() == Dataset::State::Browse && !data.isEmpty())
        data.last();
    Report::Preview preview(run, parent);
    preview.exec();
}

QString frm_raporlar__::QRLabel34Print(int row) {
    const Dataset& d = m_forms.DataMod->todemeler;
    return Layouts::paymentStatus(d.valueAt(row, d.fieldIndex("Odendi")));
}

QString frm_raporlar__::QRLabel27Print(int row) {
    const Dataset& d = m_forms.DataMod->sql_odemeler_rap;
    return Layouts::paymentStatus(d.valueAt(row, d.fieldIndex("Odendi")));
}
