#include "records/frm_main_form.h"

#include "app/forms.h"
#include "app/guard.h"
#include "cashdesk/frm_geciken_taksitler.h"
#include "cashdesk/frm_gun_sonu.h"
#include "cashdesk/frm_makbuzlar.h"
#include "data/frm_DataMod.h"
#include "data/statements.h"
#include "data/transaction.h"

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
    if (const std::optional<qint64> kID = m_forms.geciken_taksitler->start())
        showTrainee(*kID);
}

// A trainee the list leaves out is shown once every trainee is listed again, in the list's order.
void frm_main_form::showTrainee(qint64 kID) {
    Dataset& list = data().tkursiyer;
    if (list.locate("kID", kID))
        return;
    listAllTrainees();
    list.locate("kID", kID);
}

// Every trainee, read afresh, and their count.
void frm_main_form::listAllTrainees() {
    Dataset& list = data().tkursiyer;
    {
        Transaction showingAll(data().ado_conn, Transaction::Kind::Read);
        list.setSqlLine(1, Sql::allTrainees());
        list.open();
        showingAll.commit();
    }
    ShowRecordCount();
}
