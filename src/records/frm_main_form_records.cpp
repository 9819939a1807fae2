// Entering, editing, saving, cancelling and deleting trainees.
#include "records/frm_main_form.h"

#include "app/forms.h"
#include "app/guard.h"
#include "cashdesk/receipts.h"
#include "data/candidate_numbers.h"
#include "data/frm_DataMod.h"
#include "data/statements.h"
#include "data/transaction.h"
#include "ui/bound_control.h"
#include "ui/message_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

namespace {

const QString NoTraineeText = QStringLiteral("\nKursiyer kaydı yok.");
const QString RequiredText =
    QStringLiteral("Adı, Soyadı, Aday No, Cinsiyeti ve Ehliyet Sınıfı Girilmek zorundadır.");
const QString TakenCandidateText =
    QStringLiteral("\nBu aday numarası başka bir kursiyere ait. \n\nLütfen yeni bir aday numarası giriniz.");

const QString TraineeDeletedReason = QStringLiteral("Kursiyer silindi");

const QStringList NewTraineeFlags = {"ehliyetAldi", "k_belgeoncende", "k_surekli", "m_trafik", "m_ilkyardim",
                                     "m_motor",     "m_direksiyon",   "ser_hak",   "ser_aldi", "ser_yakti"};

} // namespace

void frm_main_form::connectRecordCommands() {
    for (int row = 1; row <= 5; ++row) {
        auto* button = PageControl1->findChild<QPushButton*>(QString("btn%1x").arg(row));
        guardedConnect(button, &QPushButton::clicked, this,
                       [this, button] { btn1xClick(button->toolTip().toInt()); });
    }
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        auto* vehicles = PageControl1->findChild<QComboBox*>("DBComboBox11");
        const auto inside = [vehicles](QWidget* w) {
            return w && (w == vehicles || vehicles->isAncestorOf(w));
        };
        if (inside(old) && !inside(now))
            Guard::run([this] { DBComboBox11Exit(); });
    });
}

// QWidget's destructor closes the window, which moves the focus and emits focusChanged after this
// class's members are gone: the handler above must not see it.
frm_main_form::~frm_main_form() {
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void frm_main_form::setRecordCaptions(bool recordMode, bool recordImages) {
    Button1->setText(recordMode ? "Kaydet" : "Yeni Kursiyer");
    Button2->setText(recordMode ? "İptal" : "Düzenle");
    Button1->setIcon(style()->standardIcon(recordImages ? QStyle::SP_DialogSaveButton : QStyle::SP_FileIcon));
    Button2->setIcon(style()->standardIcon(recordImages ? QStyle::SP_DialogCancelButton
                                                        : QStyle::SP_FileDialogDetailedView));
}

bool frm_main_form::recordBeingEntered() const {
    return Button1->text() == "Kaydet";
}

void frm_main_form::Button1Click() {
    if (recordBeingEntered()) {
        saveTrainee();
        return;
    }
    frm_DataMod& d = data();
    {
        Transaction start(d.ado_conn);
        // Payments left pending by an entry that no running copy owns belong to no trainee.
        d.clearAbandonedPayments();
        d.tkursiyer.append();
        d.tkursiyer.setValue("kayitTarihi", QDate::currentDate());
        for (const QString& flag : NewTraineeFlags)
            d.tkursiyer.setValue(flag, false);
        d.tkursiyer.setValue("odeme_tutari", 0.0);
        d.reloadPayments(Sql::noPayments());
        start.commit();
    }
    RememberedAdayNo.clear();
    enterRecordMode(0, PageControl1->findChild<QWidget*>("adi"), true);
}

void frm_main_form::Button2Click() {
    if (recordBeingEntered()) {
        cancelTrainee();
        return;
    }
    workOnCurrentTrainee(0, PageControl1->findChild<QWidget*>("adi"), true);
}

// Record mode on an existing trainee, its payments loaded; the row enters editing with the first change.
void frm_main_form::workOnCurrentTrainee(int tab, QWidget* focus, bool recordImages) {
    frm_DataMod& d = data();
    if (d.tkursiyer.isEmpty()) {
        MessageBox::warning("Uyarı:", NoTraineeText, this);
        return;
    }
    {
        Transaction load(d.ado_conn, Transaction::Kind::Read);
        d.reloadPayments(Sql::paymentsOf(d.currentTraineeKey(), d.entryToken()));
        load.commit();
    }
    RememberedAdayNo = d.tkursiyer.value("adayno").toString();
    enterRecordMode(tab, focus, recordImages);
}

void frm_main_form::enterRecordMode(int tab, QWidget* focus, bool recordImages) {
    EnableRecordPanel(true);
    SetListMode(false);
    PageControl1->setCurrentIndex(tab);
    focus->setFocus();
    setRecordCaptions(true, recordImages);
}

void frm_main_form::enterListMode() {
    EnableRecordPanel(false);
    SetListMode(true);
    PageControl1->setCurrentIndex(0);
    setRecordCaptions(false, false);
}

// Leaving a bound control makes it write its pending entry. Boxes of several lines are included:
// the toolbar buttons take no focus, so their text would otherwise be lost on saving. False when
// the control refused the entry; the focus is then on that control.
bool frm_main_form::CommitPendingEdit() {
    QWidget* focused = QApplication::focusWidget();
    auto* bound = dynamic_cast<BoundControl*>(focused);
    if (!bound)
        return true;
    const bool accepted = bound->commit();
    setf->setFocus();
    focused->setFocus();
    return accepted;
}

// False when the entry was refused or could not be stored; the window then stays in record mode
// with everything typed, and the database holds nothing of the attempt.
bool frm_main_form::saveTrainee() {
    frm_DataMod& d = data();
    if (!CommitPendingEdit())
        return false;
    const auto text = [this](const char* field) {
        return PageControl1->findChild<QLineEdit*>(field)->text();
    };
    const auto chosen = [this](const char* field) {
        const auto* list = PageControl1->findChild<QComboBox*>(field);
        return list->currentIndex() >= 0 && list->findText(list->currentText(), Qt::MatchExactly) >= 0;
    };
    if (text("adi").isEmpty() || text("soyadi").isEmpty() || text("adayno").isEmpty() ||
        !chosen("cinsiyeti") || !chosen("ehliyetsinifi")) {
        MessageBox::warning("Uyarı", RequiredText, this);
        return false;
    }
    const bool isNew = d.tkursiyer.state() == Dataset::State::Insert;
    const bool numberGiven = isNew || text("adayno") != RememberedAdayNo;
    bool taken = false;
    {
        // The trainee and the payments typed for it are stored together or not at all, in the
        // transaction that counted the number.
        Transaction save(d.ado_conn);
        taken = numberGiven && CountCandidateNo(text("adayno")) > 0;
        if (!taken) {
            d.tkursiyer.edit();
            d.tkursiyer.post();
            const qint64 kID = d.currentTraineeKey();
            if (isNew) {
                d.sql_2.setSql(Sql::attachPendingPayments(kID, d.entryToken()));
                d.sql_2.execute();
            }
            d.reloadPayments(Sql::paymentsOf(kID, d.entryToken()));
            save.commit();
        }
    }
    // Told once the transaction has ended: no desk waits for the number while the box is open.
    if (taken) {
        MessageBox::warning("Uyarı", TakenCandidateText, this);
        return false;
    }
    RememberedAdayNo = d.tkursiyer.value("adayno").toString();
    enterListMode();
    ShowRecordCount();
    return true;
}

// Inside the save's transaction: another desk saving the same number meanwhile waits for it.
int frm_main_form::CountCandidateNo(const QString& candidateNo) {
    return countHeldCandidateNo(data().ado_conn, candidateNo);
}

// Only this entry's pending payments are deleted: another copy's stay where they are.
void frm_main_form::cancelTrainee() {
    frm_DataMod& d = data();
    {
        Transaction cancel(d.ado_conn);
        if (!d.todemeler.isEmpty()) {
            d.sql_2.setSql(Sql::deletePendingPayments(d.entryToken()));
            d.sql_2.execute();
        }
        d.tkursiyer.cancel();
        cancel.commit();
    }
    enterListMode();
}

void frm_main_form::Button3Click() {
    frm_DataMod& d = data();
    if (d.tkursiyer.isEmpty()) {
        MessageBox::warning("Uyarı:", NoTraineeText, this);
        return;
    }
    const auto answer =
        MessageBox::show(MessageBox::Kind::Warning, "Uyarı",
                         "\nAktif kursiyet Ödemeleri ile birlikte silinecek.\n\nişleme devam edilsin mi?",
                         MessageBox::Buttons::YesNo, MessageBox::Answer::No, this);
    if (answer != MessageBox::Answer::Yes)
        return;
    const qint64 kID = d.currentTraineeKey();
    const int receipts = validReceiptCount(d.ado_conn, kID);
    if (receipts > 0 && !receiptsMayBeCancelled(receipts))
        return;
    {
        // The reloaded list belongs to the deletion: if anything fails, the trainee and the list stay.
        // A trainee another copy changed or deleted since the list was read keeps its payments.
        Transaction remove(d.ado_conn);
        // The receipts stay, cancelled. The user agreed to cancel those counted: a receipt another desk
        // took or cancelled since makes the deletion fail whole.
        if (cancelReceiptsOf(d.ado_conn, kID, TraineeDeletedReason) != receipts)
            throw DatabaseError(RowChangedElsewhereText);
        d.sql_2.setSql(Sql::deletePaymentsOfTrainee(kID));
        d.sql_2.execute();
        d.sql_2.setSql(Sql::deleteTrainee(kID, d.tkursiyer.rowVersion()));
        d.sql_2.executeVersioned();
        reopenTrainees();
        d.todemeler.close();
        d.todemeler.open();
        remove.commit();
    }
    MessageBox::show(MessageBox::Kind::Information, "Sonuç", "\nKayıt bağlı ödemeleri ile birlikte silindi.");
    ShowRecordCount();
}

bool frm_main_form::receiptsMayBeCancelled(int receipts) {
    const QString question =
        QString("\nBu kursiyerin %1 geçerli makbuzu var. Kayıt silinirse makbuzlar \"%2\" "
                "nedeniyle iptal edilir.\n\nDevam edilsin mi?")
            .arg(receipts)
            .arg(TraineeDeletedReason);
    return MessageBox::show(MessageBox::Kind::Warning, "Uyarı", question, MessageBox::Buttons::YesNo,
                            MessageBox::Answer::No, this) == MessageBox::Answer::Yes;
}

void frm_main_form::btn1xClick(int row) {
    Dataset& trainees = data().tkursiyer;
    trainees.edit();
    for (const char* exam : {"s_trafik", "s_ilkyardim", "s_motor"})
        trainees.setValue(exam + QString::number(row), "0");
}

void frm_main_form::FillCourseLists() {
    frm_DataMod& d = data();
    const auto refill = [&](QComboBox* list, Dataset& table, const char* field) {
        const QString shown = list->currentText();
        list->clear();
        for (int row = 0; row < table.recordCount(); ++row)
            list->addItem(table.valueAt(row, table.fieldIndex(field)).toString());
        list->setEditText(shown);
    };
    d.tguzergah.open();
    refill(PageControl1->findChild<QComboBox*>("DBComboBox13"), d.tguzergah, "guz");
    d.tguzergah.close();
    d.tarac.open();
    refill(PageControl1->findChild<QComboBox*>("DBComboBox11"), d.tarac, "aracAD");
    refill(PageControl1->findChild<QComboBox*>("DBComboBox12"), d.tarac, "aracPLAKA");
    d.tarac.close();
}

void frm_main_form::DBComboBox11Exit() {
    Dataset& trainees = data().tkursiyer;
    if (trainees.state() == Dataset::State::Browse || !trainees.isModified())
        return;
    auto* vehicles = PageControl1->findChild<QComboBox*>("DBComboBox11");
    auto* plates = PageControl1->findChild<QComboBox*>("DBComboBox12");
    const int position = vehicles->findText(vehicles->currentText(), Qt::MatchExactly);
    if (position < 0 || position >= plates->count())
        return;
    plates->setCurrentIndex(position);
    trainees.setValue("k_aracplaka", plates->itemText(position));
}

// Closing during an entry asks first; false keeps the window open.
bool frm_main_form::askToKeepEntry() {
    if (!recordBeingEntered())
        return true;
    CommitPendingEdit();
    const Dataset& trainees = data().tkursiyer;
    if (trainees.state() != Dataset::State::Insert && !trainees.isModified())
        return true;
    const auto answer = MessageBox::show(MessageBox::Kind::Question, "Uyarı",
                                         "\nKursiyer bilgileri kaydedilmedi.\n\nKaydedilsin mi?",
                                         MessageBox::Buttons::YesNoCancel, MessageBox::Answer::Yes, this);
    if (answer == MessageBox::Answer::Cancel)
        return false;
    if (answer == MessageBox::Answer::No)
        return Guard::run([this] { cancelTrainee(); });
    bool saved = false;
    Guard::run([&] { saved = saveTrainee(); });
    return saved;
}
