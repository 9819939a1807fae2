#include "records/frm_main_form.h"

#include "app/forms.h"
#include "app/guard.h"
#include "cashdesk/frm_geciken_taksitler.h"
#include "cashdesk/frm_gun_sonu.h"
#include "cashdesk/frm_makbuzlar.h"
#include "data/frm_DataMod.h"
#include "data/statements.h"

#include <QAction>
#include <QMenu>

QMenu* frm_main_form::buildCashDeskMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName("KasaMenu");
    const std::tuple<const char*, const char*, void (frm_main_form::*)()> entries[] = {
        {"Makbuzlar1", "Makbuzlar", &frm_main_form::Makbuzlar1Click},
        {"GunSonu1", "Gün Sonu", &frm_main_form::GunSonu1Click},
        {"Geciken1", "Geciken Taksitler", &frm_main_form::Geciken1Click}};
    for (const auto& [name, caption, handler] : entries) {
        QAction* entry = menu->addAction(QString::fromUtf8(caption));
        entry->setObjectName(name);
        guardedConnect(entry, &QAction::triggered, this, handler);
    }
    return menu;
}

// A cancelled receipt gave installments back: the ledger shows them as they are now.
void frm_main_form::Makbuzlar1Click() {
    if (!m_forms.makbuzlar->start())
        return;
    data().reloadPayments(Sql::paymentsOf(data().currentTraineeKey(), data().entryToken()));
    RefreshPaymentTotals();
}

void frm_main_form::GunSonu1Click() {
    m_forms.gun_sonu->start();
}

void frm_main_form::Geciken1Click() {
    m_forms.geciken_taksitler->start();
}
