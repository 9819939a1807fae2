// Entering, editing, saving, cancelling and deleting trainees.
#include "records/frm_main_form.h"

#include "app/forms.h"
#include "app/guard.h"
#include "data/frm_DataMod.h"
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

const QStringList NewTraineeFlags = {"ehliyetAldi", "k_belgeoncende", "k_surekli", "m_trafik", "m_ilkyardim",
                                     "m_motor",     "m_direksiyon",   "ser_hak",   "ser_aldi", "ser_yakti"};

QString sqlText(const QString& text) {
    return '\'' + QString(text).replace('\'', "''") + '\'';
}

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
    // Payments left with key 0 by an entry that never ended belong to no trainee; the new one must not
    // inherit them.
    deletePaymentsOfUnsavedTrainee();
    EnableRecordPanel(true);
    SetListMode(false);
    PageControl1->setCurrentIndex(0);
    PageControl1->findChild<QWidget*>("adi")->setFocus();
    setRecordCaptions(true, true);
    RememberedAdayNo.clear();
    d.tkursiyer.append();
    d.tkursiyer.setValue("kayitTarihi", QDate::currentDate());
    for (const QString& flag : NewTraineeFlags)
        d.tkursiyer.setValue(flag, false);
    d.tkursiyer.setValue("odeme_tutari", 0.0);
    reloadPayments(frm_DataMod::noPayments());
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
    EnableRecordPanel(true);
    SetListMode(false);
    PageControl1->setCurrentIndex(tab);
    RememberedAdayNo = d.tkursiyer.value("adayno").toString();
    reloadPayments(frm_DataMod::paymentsOf(d.tkursiyer.value("kID").toLongLong()));
    focus->setFocus();
    setRecordCaptions(true, recordImages);
}

// Leaving a bound control makes it write its pending entry. Boxes of several lines are included:
// the toolbar buttons take no focus, so their text would otherwise be lost on saving.
void frm_main_form::CommitPendingEdit() {
    QWidget* focused = QApplication::focusWidget();
    if (!dynamic_cast<BoundControl*>(focused))
        return;
    setf->setFocus();
    focused->setFocus();
}

// False when the entry was refused; the window then stays in record mode with everything typed.
bool frm_main_form::saveTrainee() {
    frm_DataMod& d = data();
    CommitPendingEdit();
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
    if ((isNew || text("adayno") != RememberedAdayNo) && CountCandidateNo(text("adayno")) > 0) {
        MessageBox::warning("Uyarı", TakenCandidateText, this);
        return false;
    }
    // The trainee row first: if the database refuses it, everything stays as typed.
    d.tkursiyer.edit();
    d.tkursiyer.post();
    RememberedAdayNo = d.tkursiyer.value("adayno").toString();
    const qint64 kID = d.tkursiyer.value("kID").toLongLong();
    QStringList pending;
    for (int row = 0; row < d.todemeler.recordCount(); ++row)
        if (d.todemeler.valueAt(row, d.todemeler.fieldIndex("kID")).toLongLong() == 0)
            pending << d.todemeler.valueAt(row, d.todemeler.fieldIndex("odemeID")).toString();
    if (!pending.isEmpty()) {
        // One statement: either every payment typed for the new trainee gets its key or none does.
        d.sql_2.setSql(QString("update tb_odeme set kID = %1 where kID = 0 and odemeID in (%2)")
                           .arg(kID)
                           .arg(pending.join(", ")));
        d.sql_2.execute();
    }
    reloadPayments(frm_DataMod::paymentsOf(kID));
    EnableRecordPanel(false);
    SetListMode(true);
    PageControl1->setCurrentIndex(0);
    ShowRecordCount();
    setRecordCaptions(false, false);
    return true;
}

int frm_main_form::CountCandidateNo(const QString& candidateNo) {
    Dataset& count = data().sql_1;
    count.close();
    count.setSql("select count(*) as kaysay from tb_kursiyer where adayno = " + sqlText(candidateNo));
    count.open();
    const int n = count.value("kaysay").toInt();
    count.close();
    return n;
}

// The database work comes first: if it fails, the window is still in record mode with the entry.
void frm_main_form::cancelTrainee() {
    frm_DataMod& d = data();
    if (!d.todemeler.isEmpty())
        deletePaymentsOfUnsavedTrainee();
    EnableRecordPanel(false);
    SetListMode(true);
    d.tkursiyer.cancel();
    PageControl1->setCurrentIndex(0);
    setRecordCaptions(false, false);
}

void frm_main_form::deletePaymentsOfUnsavedTrainee() {
    Dataset& statement = data().sql_2;
    statement.setSql("Delete from tb_odeme where kID = 0");
    statement.execute();
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
    const QString kID = QString::number(d.tkursiyer.value("kID").toLongLong());
    {
        Transaction together(d.ado_conn);
        d.sql_2.setSql("Delete from tb_odeme where kID = " + kID);
        d.sql_2.execute();
        d.sql_2.setSql("Delete from tb_kursiyer where kID = " + kID);
        d.sql_2.execute();
        together.commit();
    }
    MessageBox::show(MessageBox::Kind::Information, "Sonuç", "\nKayıt bağlı ödemeleri ile birlikte silindi.");
    reopenTrainees();
    d.todemeler.close();
    d.todemeler.open();
    ShowRecordCount();
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
