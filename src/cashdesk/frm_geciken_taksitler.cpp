#include "cashdesk/frm_geciken_taksitler.h"

#include "app/forms.h"
#include "app/guard.h"
#include "cashdesk/frm_eposta_hatirlatma.h"
#include "cashdesk/mail_reminders.h"
#include "cashdesk/overdue_layout.h"
#include "cashdesk/receipt_preview.h"
#include "cashdesk/sms_list.h"
#include "data/frm_DataMod.h"
#include "data/transaction.h"
#include "export/export_facility.h"
#include "mail/mail_settings.h"
#include "report/layout_items.h"
#include "report/report_model.h"
#include "ui/data_grid.h"
#include "ui/date_picker.h"
#include "ui/enter_as_tab.h"
#include "ui/export_dialog.h"
#include "ui/message_box.h"
#include "ui/report_preview.h"

#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using Format = GridColumn::Format;

const std::vector<GridColumn>& listColumns() {
    static const std::vector<GridColumn> columns{
        {"adayno", "Aday No", 8},
        {"adi", "Adı", 12},
        {"soyadi", "Soyadı", 12},
        {"ceptelefonu", "Cep Telefonu", 12},
        {"eposta", "E-Posta", 20},
        {"eneskivade", "En Eski Vade", 10, Format::Date},
        {"gecikme", "Gecikme (Gün)", 6},
        {"taksitsayisi", "Taksit Sayısı", 5},
        {"gecikentutar", "Geciken Tutar", 10, Format::Amount},
        {"kalanborc", "Kalan Borç", 10, Format::Amount},
        {"sonhatirlatma", "Son Hatırlatma", 10, Format::Date},
    };
    return columns;
}

// The export writes what the grid shows, under the grid's titles; the rest of its settings start
// from the program's own and are kept for the next export of this list.
std::unique_ptr<ExportFacility> listExport(const ExportFacility& program, Dataset& list) {
    auto facility = std::make_unique<ExportFacility>();
    facility->settings() = program.settings();
    ExportSettings& s = facility->settings();
    s.fileName = fileInDocuments("geciken_taksitler");
    s.sql.tableName = "geciken_taksitler";
    s.fields.clear();
    s.captions.clear();
    for (const GridColumn& column : listColumns()) {
        s.fields << column.field;
        s.captions[column.field] = column.title;
    }
    facility->setDataSource(&list);
    return facility;
}

// Each trainee's line of the SMS list: the reminder text of the mail settings, filled in.
SmsMessage reminderMessage(Connection& connection) {
    const QString text = readMailSettings(connection).reminderText;
    const Letterhead school = readLetterhead(connection);
    return [text, school](const ReminderTarget& target) { return reminderFor(text, target, school); };
}

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

frm_geciken_taksitler::frm_geciken_taksitler(Forms& forms, QWidget* parent)
    : QDialog(parent), m_forms(forms), m_source(new DataSource(forms.DataMod->sql_geciken, "dgeciken", this)),
      m_export(listExport(forms.DataMod->EXPORTX, forms.DataMod->sql_geciken)) {
    setObjectName("geciken_taksitler");
    setWindowTitle("Geciken Taksitler");
    OverdueList::typeComputedColumns(forms.DataMod->sql_geciken);

    TarihEdit = datePicker(this, "TarihEdit");
    GecikenListesi = new DataGrid(*m_source, listColumns(), this);
    GecikenListesi->setObjectName("GecikenListesi");
    GecikenListesi->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ToplamLabel = new QLabel(this);
    ToplamLabel->setObjectName("ToplamLabel");
    YazdirButton = button("Yazdır...", "YazdirButton", this);
    ExportButton = button("Dışa Aktar...", "ExportButton", this);
    HatirlatButton = button("E-posta ile Hatırlat", "HatirlatButton", this);
    SmsListesiButton = button("SMS Listesi Kaydet...", "SmsListesiButton", this);
    KapatButton = button("Kapat", "KapatButton", this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Tarih:", this));
    top->addWidget(TarihEdit);
    top->addStretch(1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {YazdirButton, ExportButton, HatirlatButton, SmsListesiButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(KapatButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(GecikenListesi, 1);
    layout->addWidget(ToplamLabel);
    layout->addLayout(buttons);
    resize(1100, 560);

    EnterAsTab::install(this);
    guardedConnect(TarihEdit, &QDateEdit::dateChanged, this, &frm_geciken_taksitler::TarihEditChange);
    guardedConnect(GecikenListesi, &DataGrid::titleClicked, this,
                   &frm_geciken_taksitler::GecikenListesiTitleClick);
    guardedConnect(GecikenListesi, &DataGrid::doubleClicked, this,
                   &frm_geciken_taksitler::GecikenListesiDblClick);
    guardedConnect(YazdirButton, &QPushButton::clicked, this, &frm_geciken_taksitler::YazdirButtonClick);
    guardedConnect(ExportButton, &QPushButton::clicked, this, &frm_geciken_taksitler::ExportButtonClick);
    guardedConnect(HatirlatButton, &QPushButton::clicked, this, &frm_geciken_taksitler::HatirlatButtonClick);
    guardedConnect(SmsListesiButton, &QPushButton::clicked, this,
                   &frm_geciken_taksitler::SmsListesiButtonClick);
    connect(KapatButton, &QPushButton::clicked, this, &QDialog::reject);
}

frm_geciken_taksitler::~frm_geciken_taksitler() = default;

// Every opening starts from today, most days late first; the list is closed again with the window.
std::optional<qint64> frm_geciken_taksitler::start() {
    m_chosen.reset();
    m_sort = {};
    {
        const QSignalBlocker quiet(TarihEdit);
        TarihEdit->setDate(QDate::currentDate());
    }
    reload();
    exec();
    m_forms.DataMod->sql_geciken.close();
    return m_chosen;
}

void frm_geciken_taksitler::reload() {
    Dataset& list = m_forms.DataMod->sql_geciken;
    {
        Transaction reading(m_forms.DataMod->ado_conn, Transaction::Kind::Read);
        list.setSql(OverdueList::statement(TarihEdit->date(), m_forms.DataMod->ado_conn.dialect(), m_sort));
        list.open();
        reading.commit();
    }
    GecikenListesi->setSortMarker(m_sort.field);
    GecikenListesi->horizontalHeader()->setSortIndicator(
        GecikenListesi->horizontalHeader()->sortIndicatorSection(),
        m_sort.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    ToplamLabel->setText(OverdueList::totalsText(OverdueList::totals(list)));
}

void frm_geciken_taksitler::TarihEditChange() {
    reload();
}

// A second click on the same title turns the order round.
void frm_geciken_taksitler::GecikenListesiTitleClick(const QString& field) {
    m_sort.descending = field == m_sort.field && !m_sort.descending;
    m_sort.field = field;
    reload();
}

void frm_geciken_taksitler::GecikenListesiDblClick(const QModelIndex& row) {
    if (!row.isValid())
        return;
    m_chosen = OverdueList::target(m_forms.DataMod->sql_geciken, row.row()).kID;
    accept();
}

void frm_geciken_taksitler::YazdirButtonClick() {
    Dataset& list = m_forms.DataMod->sql_geciken;
    Report::Definition layout = OverdueLayout::rap_geciken();
    OverdueLayout::fill(layout, Report::firmBlock(m_forms.DataMod->tfirma), TarihEdit->date(),
                        OverdueList::totalsText(OverdueList::totals(list)));
    const Report::Run run(layout, list);
    Report::Preview preview(run, this);
    preview.exec();
}

void frm_geciken_taksitler::ExportButtonClick() {
    ExportDialog dialog(*m_export, this);
    dialog.exec();
}

// The selected rows in the list's order.
std::vector<ReminderTarget> frm_geciken_taksitler::selectedTargets() const {
    QModelIndexList rows = GecikenListesi->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<ReminderTarget> targets;
    for (const QModelIndex& row : rows)
        targets.push_back(OverdueList::target(m_forms.DataMod->sql_geciken, row.row()));
    return targets;
}

bool frm_geciken_taksitler::warnWhenNoneSelected(const std::vector<ReminderTarget>& targets) {
    if (!targets.empty())
        return false;
    MessageBox::warning("Uyarı", "\nÖnce listeden hatırlatma gönderilecek kursiyerleri seçin.", this);
    return true;
}

void frm_geciken_taksitler::HatirlatButtonClick() {
    const std::vector<ReminderTarget> targets = selectedTargets();
    if (warnWhenNoneSelected(targets))
        return;
    remindByMail(m_forms, this, targets);
    reload();
}

void frm_geciken_taksitler::SmsListesiButtonClick() {
    const std::vector<ReminderTarget> targets = selectedTargets();
    if (warnWhenNoneSelected(targets))
        return;
    QFileDialog dialog(this, "SMS Listesi Kaydet", fileInDocuments("sms_listesi") + ".csv",
                       "CSV Dosyası (*.csv)");
    dialog.setObjectName("SmsFileDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("csv");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const SmsList list = smsList(targets, reminderMessage(m_forms.DataMod->ado_conn));
    saveSmsList(m_forms.DataMod->ado_conn, dialog.selectedFiles().first(), list,
                QDateTime::currentDateTime());
    reload();
    MessageBox::show(MessageBox::Kind::Information, "Bilgi",
                     QString("\nSMS listesine %1 satır yazıldı, %2 kursiyerin cep telefonu yok.")
                         .arg(list.listed.size())
                         .arg(list.withoutMobile),
                     MessageBox::Buttons::Ok, MessageBox::Answer::Ok, this);
}
