#include "admin/frm_sunucuya_tasi.h"

#include "app/frm_sunucu_parolasi.h"
#include "app/guard.h"
#include "data/connection.h"
#include "ui/message_box.h"
#include "ui/named_controls.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

frm_sunucuya_tasi::frm_sunucuya_tasi(Connection& file, const QString& programFolder, QWidget* parent)
    : QDialog(parent), m_file(file), m_programFolder(programFolder) {
    setObjectName("sunucuya_tasi");
    setWindowTitle("Sunucuya Taşı");
    setModal(true);
    resize(560, 220);

    auto* caption =
        new QLabel("Sunucu bağlantı bilgisi (örneğin: host=sunucu dbname=kalvista user=okul):", this);
    BaglantiEdit = named(new QLineEdit(this), "BaglantiEdit");
    caption->setBuddy(BaglantiEdit);
    DurumLabel = named(new QLabel(this), "DurumLabel");
    DurumLabel->setTextFormat(Qt::PlainText);
    DurumLabel->setWordWrap(true);
    Progress = named(new QProgressBar(this), "Progress");
    Progress->setValue(0);
    DeneButton = namedButton("DeneButton", "Bağlantıyı Dene", this);
    TasiButton = namedButton("TasiButton", "Taşı", this);
    DurdurButton = namedButton("DurdurButton", "Durdur", this);
    DurdurButton->setEnabled(false);
    KapatButton = namedButton("KapatButton", "Kapat", this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(BaglantiEdit);
    layout->addWidget(DurumLabel);
    layout->addWidget(Progress);
    layout->addStretch(1);
    layout->addWidget(horizontalRule(this));
    layout->addLayout(buttonRow({DeneButton, TasiButton, DurdurButton, KapatButton}));

    guardedConnect(DeneButton, &QPushButton::clicked, this, &frm_sunucuya_tasi::DeneButtonClick);
    guardedConnect(TasiButton, &QPushButton::clicked, this, &frm_sunucuya_tasi::TasiButtonClick);
    guardedConnect(DurdurButton, &QPushButton::clicked, this, &frm_sunucuya_tasi::DurdurButtonClick);
    connect(KapatButton, &QPushButton::clicked, this, &QDialog::reject);
    // A password asked for belongs to the server it was asked for.
    connect(BaglantiEdit, &QLineEdit::textEdited, this, [this] { m_password.reset(); });
}

template <typename Work> bool frm_sunucuya_tasi::onServer(Work work) {
    const ServerMove::Target target{BaglantiEdit->text().trimmed(), m_password};
    try {
        work(target);
        return true;
    } catch (const PasswordNeeded& question) {
        m_password = frm_sunucu_parolasi::ask(question.server(), this);
        if (!m_password)
            return false;
    }
    work(ServerMove::Target{target.connectionString, m_password});
    return true;
}

void frm_sunucuya_tasi::DeneButtonClick() {
    DurumLabel->clear();
    onServer([this](const ServerMove::Target& target) {
        const ServerMove::Probe found = ServerMove::probe(target);
        const QString state = found.holdsProgram
                                  ? QString("Veritabanında programın tabloları zaten var; oraya taşınamaz.")
                              : found.empty ? QString("Veritabanı boş; taşımaya hazır.")
                                            : QString("Veritabanında başka tablolar var; programın tabloları "
                                                      "onların yanına kurulur.");
        DurumLabel->setText(
            QString("%1 sunucusuna bağlanıldı (PostgreSQL %2).\n%3").arg(found.server, found.version, state));
    });
}

void frm_sunucuya_tasi::TasiButtonClick() {
    DurumLabel->clear();
    ServerMove::Moved moved;
    setWorking(true);
    bool done = false;
    const auto nothingChanged = [this](const char* how) {
        setWorking(false);
        Progress->setValue(0);
        DurumLabel->setText(QString::fromUtf8(how) +
                            "; sunucuda ve veriler.db dosyasında hiçbir değişiklik yapılmadı.");
    };
    try {
        done = onServer([&](const ServerMove::Target& target) {
            moved = ServerMove::move(m_file, target, m_programFolder,
                                     [this](qint64 rows, qint64 total) { return showProgress(rows, total); });
        });
    } catch (const TableCopy::Stopped&) {
        // Asked for: the user is told in the window, not by an error box.
        nothingChanged("Taşıma durduruldu");
        return;
    } catch (...) {
        nothingChanged("Taşıma yapılamadı");
        throw;
    }
    setWorking(false);
    if (!done)
        return;
    DurumLabel->setText("Taşıma tamamlandı.");
    MessageBox::show(
        MessageBox::Kind::Information, "Bilgi",
        QString("Taşıma tamamlandı: %1 kursiyer, %2 ödeme. Program yeniden başlatıldığında sunucuyu "
                "kullanacak.")
            .arg(QLocale().toString(moved.trainees), QLocale().toString(moved.payments)),
        MessageBox::Buttons::Ok, MessageBox::Answer::Ok, this);
    accept();
}

// Keeps the dialog alive while the rows go over.
bool frm_sunucuya_tasi::showProgress(qint64 done, qint64 total) {
    Progress->setRange(0, 1000);
    Progress->setValue(int(done * 1000 / std::max<qint64>(total, 1)));
    QCoreApplication::processEvents();
    return !m_stopAsked;
}

void frm_sunucuya_tasi::DurdurButtonClick() {
    if (m_working) {
        m_stopAsked = true;
        DurumLabel->setText("Durduruluyor...");
    }
}

void frm_sunucuya_tasi::reject() {
    if (!m_working)
        QDialog::reject();
}

void frm_sunucuya_tasi::setWorking(bool working) {
    m_working = working;
    m_stopAsked = false;
    DurdurButton->setEnabled(working);
    for (QWidget* control : {static_cast<QWidget*>(BaglantiEdit), static_cast<QWidget*>(DeneButton),
                             static_cast<QWidget*>(TasiButton), static_cast<QWidget*>(KapatButton)})
        control->setEnabled(!working);
}
