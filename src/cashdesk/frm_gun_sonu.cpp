#include "cashdesk/frm_gun_sonu.h"

#include "app/forms.h"
#include "app/guard.h"
#include "cashdesk/receipt_preview.h"
#include "data/frm_DataMod.h"
#include "report/report_model.h"
#include "ui/date_picker.h"
#include "ui/enter_as_tab.h"
#include "ui/named_controls.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidget* table(QWidget* parent, const char* name, const QStringList& titles) {
    QTableWidget* t = listTable(name, titles, parent);
    t->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    return t;
}

QTableWidgetItem* cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

QTableWidgetItem* amountCell(double amount) {
    return cell(Report::amountText(amount), Qt::AlignRight);
}

} // namespace

frm_gun_sonu::frm_gun_sonu(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("gun_sonu");
    setWindowTitle("Gün Sonu");

    GunTarihi = datePicker(this, "GunTarihi");
    OzetTablosu = table(this, "OzetTablosu", {"Ödeme Şekli", "Adet", "Toplam"});
    MasaTablosu = table(this, "MasaTablosu", {"Masa", "Adet", "Toplam"});
    ToplamLabel = new QLabel(this);
    ToplamLabel->setObjectName("ToplamLabel");
    QFont bold = ToplamLabel->font();
    bold.setBold(true);
    ToplamLabel->setFont(bold);
    IptalListesi = table(this, "IptalListesi", {"Makbuz No", "Tarih", "Kursiyer", "Tutar", "İptal Nedeni"});
    IptalListesi->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    IptalListesi->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);
    YazdirButton = new QPushButton("Yazdır...", this);
    YazdirButton->setObjectName("YazdirButton");
    KapatButton = new QPushButton("Kapat", this);
    KapatButton->setObjectName("KapatButton");
    for (QPushButton* button : {YazdirButton, KapatButton})
        button->setAutoDefault(false);

    auto* day = new QFormLayout;
    day->addRow("Tarih:", GunTarihi);
    auto* sums = new QGridLayout;
    sums->addWidget(new QLabel("Ödeme şekline göre:", this), 0, 0);
    sums->addWidget(new QLabel("Masaya göre:", this), 0, 1);
    sums->addWidget(OzetTablosu, 1, 0);
    sums->addWidget(MasaTablosu, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(YazdirButton);
    buttons->addWidget(KapatButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(day);
    layout->addLayout(sums, 1);
    layout->addWidget(ToplamLabel);
    layout->addWidget(new QLabel("Bu tarihte iptal edilen makbuzlar:", this));
    layout->addWidget(IptalListesi, 1);
    layout->addLayout(buttons);
    resize(720, 520);

    EnterAsTab::install(this);
    guardedConnect(GunTarihi, &QDateEdit::dateChanged, this, &frm_gun_sonu::GunTarihiChange);
    guardedConnect(YazdirButton, &QPushButton::clicked, this, &frm_gun_sonu::YazdirButtonClick);
    connect(KapatButton, &QPushButton::clicked, this, &QDialog::accept);
}

// Today at every opening, read afresh even when the date is the one shown last time.
void frm_gun_sonu::start() {
    {
        const QSignalBlocker quiet(GunTarihi);
        GunTarihi->setDate(QDate::currentDate());
    }
    GunTarihiChange();
    exec();
}

void frm_gun_sonu::GunTarihiChange() {
    const DayClosing closing = readDayClosing(m_forms.DataMod->ado_conn, GunTarihi->date());
    showSums(OzetTablosu, closing.byKind);
    showSums(MasaTablosu, closing.byDesk);
    ToplamLabel->setText(QString("Toplam: %1 TL (%2 makbuz)")
                             .arg(Report::amountText(closing.all.total))
                             .arg(closing.all.count));
    showCancelled(closing.cancelled);
}

void frm_gun_sonu::YazdirButtonClick() {
    showDayClosing(*m_forms.DataMod, GunTarihi->date(), this);
}

void frm_gun_sonu::showSums(QTableWidget* table, const std::vector<DayClosing::Sum>& sums) {
    table->setRowCount(int(sums.size()));
    for (int row = 0; row < int(sums.size()); ++row) {
        const DayClosing::Sum& sum = sums[std::size_t(row)];
        table->setItem(row, 0, cell(sum.name));
        table->setItem(row, 1, cell(QString::number(sum.count), Qt::AlignRight));
        table->setItem(row, 2, amountCell(sum.total));
    }
}

void frm_gun_sonu::showCancelled(const std::vector<DayClosing::Cancelled>& cancelled) {
    IptalListesi->setRowCount(int(cancelled.size()));
    for (int row = 0; row < int(cancelled.size()); ++row) {
        const DayClosing::Cancelled& c = cancelled[std::size_t(row)];
        IptalListesi->setItem(row, 0, cell(c.number));
        IptalListesi->setItem(row, 1, cell(QLocale().toString(c.date, QLocale::ShortFormat)));
        IptalListesi->setItem(row, 2, cell(c.trainee));
        IptalListesi->setItem(row, 3, amountCell(c.amount));
        IptalListesi->setItem(row, 4, cell(c.reason));
    }
}
