#include "admin/frm_yedekler.h"

#include "admin/frm_sunucuya_tasi.h"
#include "app/forms.h"
#include "app/guard.h"
#include "data/backup.h"
#include "data/database_error.h"
#include "data/frm_DataMod.h"
#include "ui/enter_as_tab.h"
#include "ui/message_box.h"
#include "ui/named_controls.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <exception>

namespace {

QString count(qint64 n) {
    return n < 0 ? QString("?") : QLocale().toString(n);
}

QString shownTime(const QDateTime& time) {
    return QLocale().toString(time, "dd.MM.yyyy HH:mm:ss");
}

} // namespace

frm_yedekler::frm_yedekler(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("yedekler");
    setWindowTitle("Yedekler");
    resize(760, 420);

    YedekListesi = new QTableWidget(0, 5, this);
    YedekListesi->setObjectName("YedekListesi");
    YedekListesi->setHorizontalHeaderLabels({"Tarih ve Saat", "Boyut", "Kursiyer", "Ödeme", "Dosya"});
    YedekListesi->setSelectionBehavior(QAbstractItemView::SelectRows);
    YedekListesi->setSelectionMode(QAbstractItemView::SingleSelection);
    YedekListesi->setEditTriggers(QAbstractItemView::NoEditTriggers);
    YedekListesi->verticalHeader()->hide();
    YedekListesi->horizontalHeader()->setStretchLastSection(true);

    const auto button = [this](const char* name, const QString& caption) {
        return namedButton(name, caption, this);
    };
    YedekAl = button("YedekAl", "Şimdi Yedekle");
    GeriYukle = button("GeriYukle", "Geri Yükle");
    DosyadanGeriYukle = button("DosyadanGeriYukle", "Dosyadan Geri Yükle...");
    Denetle = button("Denetle", "Veritabanını Denetle");
    KlasoruAc = button("KlasoruAc", "Klasörü Aç");
    SunucuyaTasi = button("SunucuyaTasi", "Sunucuya Taşı...");
    Kapat = button("Kapat", "Kapat");

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {YedekAl, GeriYukle, DosyadanGeriYukle, Denetle, KlasoruAc, SunucuyaTasi})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(Kapat);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(YedekListesi, 1);
    layout->addLayout(buttons);

    guardedConnect(YedekAl, &QPushButton::clicked, this, &frm_yedekler::YedekAlClick);
    guardedConnect(GeriYukle, &QPushButton::clicked, this, &frm_yedekler::GeriYukleClick);
    guardedConnect(DosyadanGeriYukle, &QPushButton::clicked, this, &frm_yedekler::DosyadanGeriYukleClick);
    guardedConnect(Denetle, &QPushButton::clicked, this, &frm_yedekler::DenetleClick);
    guardedConnect(KlasoruAc, &QPushButton::clicked, this, &frm_yedekler::KlasoruAcClick);
    guardedConnect(SunucuyaTasi, &QPushButton::clicked, this, &frm_yedekler::SunucuyaTasiClick);
    connect(Kapat, &QPushButton::clicked, this, &QDialog::reject);
    EnterAsTab::install(this);
}

void frm_yedekler::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A school already on a server has nowhere further to move.
    SunucuyaTasi->setEnabled(!m_forms.DataMod->ado_conn.isServer());
    Guard::run([this] { FillList(); });
}

QString frm_yedekler::databasePath() const {
    return m_forms.DataMod->ado_conn.databasePath();
}

void frm_yedekler::FillList() {
    const std::vector<Backup::Contents> copies = Backup::list(databasePath());
    YedekListesi->setRowCount(0);
    YedekListesi->setRowCount(int(copies.size()));
    for (int row = 0; row < int(copies.size()); ++row) {
        const Backup::Contents& c = copies[size_t(row)];
        const QStringList cells = {shownTime(c.modified),
                                   QLocale().formattedDataSize(c.size, 1, QLocale::DataSizeTraditionalFormat),
                                   count(c.trainees), count(c.payments), QFileInfo(c.path).fileName()};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setData(Qt::UserRole, c.path);
            if (column >= 1 && column <= 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            YedekListesi->setItem(row, column, item);
        }
    }
    YedekListesi->resizeColumnsToContents();
    if (!copies.empty())
        YedekListesi->selectRow(0);
}

void frm_yedekler::YedekAlClick() {
    const QString copy = Backup::takeCopy(m_forms.DataMod->ado_conn, QDateTime::currentDateTime());
    FillList();
    MessageBox::show(MessageBox::Kind::Information, "Bilgi",
                     QString("Yedek alındı:\n%1").arg(QDir::toNativeSeparators(copy)),
                     MessageBox::Buttons::Ok, MessageBox::Answer::Ok, this);
}

void frm_yedekler::GeriYukleClick() {
    const QList<QTableWidgetItem*> selected = YedekListesi->selectedItems();
    if (selected.isEmpty()) {
        MessageBox::warning("Uyarı", "Önce listeden geri yüklenecek yedeği seçin.", this);
        return;
    }
    restoreFrom(selected.first()->data(Qt::UserRole).toString());
}

void frm_yedekler::DosyadanGeriYukleClick() {
    const QString folder = Backup::folderOf(databasePath());
    QFileDialog dialog(this, "Geri yüklenecek veritabanı dosyası",
                       QFileInfo(folder).isDir() ? folder : QFileInfo(databasePath()).absolutePath(),
                       "Veritabanı dosyaları (*.db);;Tüm dosyalar (*)");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    restoreFrom(dialog.selectedFiles().first());
}

void frm_yedekler::restoreFrom(const QString& file) {
    frm_DataMod& d = *m_forms.DataMod;
    if (d.tkursiyer.state() == Dataset::State::Edit || d.tkursiyer.state() == Dataset::State::Insert) {
        MessageBox::warning("Uyarı", "Geri yüklemeden önce açık kaydı kaydedin ya da iptal edin.", this);
        return;
    }
    Backup::Contents contents;
    try {
        contents = Backup::verify(file);
    } catch (const DatabaseError& e) {
        MessageBox::warning("Uyarı", e.message(), this);
        return;
    }
    const auto answer = MessageBox::show(
        MessageBox::Kind::Question, "Geri Yükle",
        QString(
            "Bu yedek geri yüklensin mi?\n\nDosya: %1\nTarih: %2\nKursiyer sayısı: %3\nÖdeme sayısı: %4\n\n"
            "Şu anki veritabanı önce \"yedekler\" klasörüne kaydedilir.")
            .arg(QDir::toNativeSeparators(file), shownTime(contents.modified), count(contents.trainees),
                 count(contents.payments)),
        MessageBox::Buttons::YesNo, MessageBox::Answer::No, this);
    if (answer != MessageBox::Answer::Yes)
        return;

    std::exception_ptr failure;
    try {
        contents = d.restoreDatabase(file);
    } catch (...) {
        failure = std::current_exception();
    }
    Guard::run([this] { FillList(); });
    if (failure)
        std::rethrow_exception(failure);
    MessageBox::show(MessageBox::Kind::Information, "Bilgi",
                     QString("Geri yükleme tamamlandı.\nKursiyer sayısı: %1\nÖdeme sayısı: %2")
                         .arg(count(contents.trainees), count(contents.payments)),
                     MessageBox::Buttons::Ok, MessageBox::Answer::Ok, this);
}

void frm_yedekler::DenetleClick() {
    const Backup::Findings findings = Backup::check(m_forms.DataMod->ado_conn);
    QString text = findings.faults.isEmpty()
                       ? QString("Veritabanı denetlendi; sorun bulunmadı.")
                       : QString("Veritabanında şu sorunlar bulundu:\n\n- %1\n\nHiçbiri otomatik olarak "
                                 "düzeltilmedi.")
                             .arg(findings.faults.join("\n- "));
    for (const QString& note : findings.notes)
        text += "\n\n" + note;
    MessageBox::show(MessageBox::Kind::Information, "Veritabanını Denetle", text, MessageBox::Buttons::Ok,
                     MessageBox::Answer::Ok, this);
}

void frm_yedekler::KlasoruAcClick() {
    const QString folder = Backup::folderOf(databasePath());
    QDir().mkpath(folder);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        MessageBox::warning("Uyarı", QString("Klasör açılamadı: %1").arg(QDir::toNativeSeparators(folder)),
                            this);
}

void frm_yedekler::SunucuyaTasiClick() {
    // veriler.baglanti is read beside the program, where veriler.db is.
    frm_sunucuya_tasi dialog(m_forms.DataMod->ado_conn, QFileInfo(databasePath()).absolutePath(), this);
    dialog.exec();
}
