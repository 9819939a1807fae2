#include "admin/frm_mail_yolla.h"

#include "app/guard.h"
#include "mail/smtp_client.h"
#include "ui/enter_as_tab.h"
#include "ui/message_box.h"
#include "ui/named_controls.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// The labels let a press through, so that pressing on them drags the window as its free area does.
QLabel* label(const char* name, QWidget* parent) {
    auto* l = named(new QLabel(parent), name);
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    return l;
}

// "Description|patterns|Description|patterns" in the form the file dialog takes.
QStringList nameFilters(const QString& filter) {
    QStringList parts = filter.split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << QString("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
    return out;
}

const QColor Resting(216, 213, 203);

void paint(QWidget* field, const QColor& colour) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);
    field->setPalette(palette);
}

} // namespace

frm_mail_yolla::frm_mail_yolla(QWidget* parent, QString host, int port)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_host(std::move(host)), m_port(port) {
    setObjectName("mail_yolla");
    setWindowTitle("mail_yolla");
    setModal(false);

    Button1 = namedButton("Button1", QString(), this);
    Button4 = namedButton("Button4", QString(), this);
    SpeedButton4 = namedButton("SpeedButton4", QString(), this);
    SpeedButton1 = namedButton("SpeedButton1", QString(), this);
    // A push button, not a tool button: the main window counts its tool buttons as its toolbar.
    Button5 = namedButton("Button5", QString(), this);
    Button5->setText("-");
    Button5->setFixedWidth(24);
    Label1 = label("Label1", this);
    Label2 = label("Label2", this);
    Label3 = label("Label3", this);
    Label4 = label("Label4", this);
    for (const char* name : {"Label5", "Label6", "Label7"})
        m_colons << label(name, this);
    adiniz = named(new QLineEdit(this), "adiniz");
    mailiniz = named(new QLineEdit(this), "mailiniz");
    Subjectx = named(new QLineEdit(this), "Subjectx");
    mesaj = named(new QPlainTextEdit(this), "mesaj");
    mesaj->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mesaj->setProperty("multiline", true);
    ListBox1 = named(new QListWidget(this), "ListBox1");
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette listText = ListBox1->palette();
    listText.setColor(QPalette::Text, Qt::blue);
    ListBox1->setPalette(listText);
    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setAttribute(Qt::WA_TransparentForMouseEvents);
    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    mnEkle1 = PopupMenu1->addAction(QString());
    mnEkle1->setObjectName("mnEkle1");
    mnCikart1 = PopupMenu1->addAction(QString());
    mnCikart1->setObjectName("mnCikart1");
    PopupMenu1->addSeparator();
    TmnTemizle1 = PopupMenu1->addAction(QString());
    TmnTemizle1->setObjectName("TmnTemizle1");

    auto* commands = new QHBoxLayout;
    commands->addWidget(Button1);
    commands->addWidget(Button4);
    commands->addWidget(SpeedButton4);
    commands->addStretch(1);
    auto* fields = new QGridLayout;
    QLineEdit* edits[] = {adiniz, mailiniz, Subjectx};
    QLabel* captions[] = {Label1, Label2, Label3};
    for (int row = 0; row < 3; ++row) {
        fields->addWidget(captions[row], row, 0);
        fields->addWidget(m_colons[row], row, 1);
        fields->addWidget(edits[row], row, 2);
    }
    fields->addWidget(SpeedButton1, 1, 3);
    auto* attachments = new QHBoxLayout;
    attachments->addWidget(Label4);
    attachments->addWidget(Button5);
    attachments->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(commands);
    layout->addLayout(fields);
    layout->addWidget(mesaj, 1);
    layout->addLayout(attachments);
    layout->addWidget(ListBox1);
    layout->addWidget(StatusBar1);
    resize(560, 520);

    setStyleSheet("QDialog, QStatusBar { background: rgb(208,204,192); }");
    for (QWidget* field : std::initializer_list<QWidget*>{adiniz, mailiniz, Subjectx, mesaj, ListBox1}) {
        field->installEventFilter(this);
        paint(field, Resting);
    }

    EnterAsTab::install(this);
    auto* close = new QShortcut(Qt::Key_F12, this);
    close->setContext(Qt::WindowShortcut);
    guardedConnect(close, &QShortcut::activated, this, &frm_mail_yolla::SpeedButton4Click);
    guardedConnect(Button1, &QPushButton::clicked, this, &frm_mail_yolla::Button1Click);
    guardedConnect(Button4, &QPushButton::clicked, this, &frm_mail_yolla::Button4Click);
    guardedConnect(Button5, &QPushButton::clicked, this, &frm_mail_yolla::Button5Click);
    guardedConnect(SpeedButton1, &QPushButton::clicked, this, &frm_mail_yolla::SpeedButton1Click);
    guardedConnect(SpeedButton4, &QPushButton::clicked, this, &frm_mail_yolla::SpeedButton4Click);
    guardedConnect(mnEkle1, &QAction::triggered, this, &frm_mail_yolla::Button4Click);
    guardedConnect(mnCikart1, &QAction::triggered, this, &frm_mail_yolla::Button5Click);
    guardedConnect(TmnTemizle1, &QAction::triggered, this, &frm_mail_yolla::TmnTemizle1Click);
    guardedConnect(ListBox1, &QListWidget::itemDoubleClicked, this, &frm_mail_yolla::ListBox1DblClick);
    guardedConnect(ListBox1, &QListWidget::customContextMenuRequested, this,
                   [this](const QPoint& at) { PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(at)); });
}

void frm_mail_yolla::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Guard::run([this] { FormShow(); });
}

void frm_mail_yolla::FormShow() {
    setWindowTitle(QString("Programcıya @ Posta Gönder  »»»»»  [ %1 ]").arg(SupportMailbox));
    Button1->setText("Gönder");
    Button4->setText("Dosya veya Resim Ekle");
    SpeedButton4->setText("Çıkış");
    SpeedButton1->setText("Uyarı");
    Label1->setText("Adınız");
    Label2->setText("@-Mail");
    Label3->setText("Konu");
    Label4->setText("Dosya veya Resim Ekleri");
    for (QLabel* colon : m_colons)
        colon->setText(":");
    mnEkle1->setText("Dosya Ekle");
    mnCikart1->setText("Dosya Çıkart");
    TmnTemizle1->setText("Tümünü Temizle");
    Button5->setToolTip("Listeden dosya çıkart");
    m_filter =
        "Sıkışmış Dosya (*.zip;*.rar)|*.zip;*.rar|Word Dosya Türü (*.doc)|*.doc;*.rtf|Excel Dosya Türü "
        "(*.xls)|*.xls|Resim Dosyaları (*.jpg;*.gif;*.bmp)|*.jpg;*.gif;*.bmp|Metin belgesi "
        "(*.txt)|*.txt|Tümü|*.*";
    status(QString());
}

void frm_mail_yolla::status(const QString& text) {
    StatusBar1->showMessage(text);
    StatusBar1->repaint();
}

bool frm_mail_yolla::CheckConnection() {
    status("Bağlantı durumu kontrol ediliyor");
    return hasInternetRoute();
}

void frm_mail_yolla::Button1Click() {
    status("Durum:");
    if (!CheckConnection()) {
        status("İnternet bağlantısı bulunamadı.");
        return;
    }
    if (mailiniz->text().trimmed().isEmpty()) {
        MessageBox::show(MessageBox::Kind::Error, QString(), "\nE-POSTA BÖLÜMÜNÜ DOLDURMANIZ GEREKİR.",
                         MessageBox::Buttons::Ok, MessageBox::Answer::Ok, this);
        mailiniz->setFocus();
        return;
    }
    MailMessage message;
    message.envelopeFrom = mailiniz->text();
    message.envelopeTo = SupportMailbox;
    message.senderAddress = SupportMailbox;
    message.fromName = adiniz->text();
    message.fromAddress = mailiniz->text();
    message.toAddress = SupportMailbox;
    message.subject = Subjectx->text();
    message.bodyLines = mesaj->toPlainText().split('\n');
    QStringList listed;
    for (int i = 0; i < ListBox1->count(); ++i)
        listed << ListBox1->item(i)->text();
    message.attachments = MailText::existingFiles(listed);

    SmtpClient client(m_host, m_port);
    client.onConnected([this] { status("Bağlantı kuruluyor..."); });
    client.send(message);
    status("Mesaj başarıyla gönderildi...");
}

void frm_mail_yolla::Button4Click() {
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(nameFilters(m_filter));
    if (dialog.exec() != QDialog::Accepted)
        return;
    ListBox1->addItems(dialog.selectedFiles());
}

void frm_mail_yolla::Button5Click() {
    if (ListBox1->count() > 0 && ListBox1->currentRow() >= 0 && ListBox1->currentItem()->isSelected())
        delete ListBox1->takeItem(ListBox1->currentRow());
}

void frm_mail_yolla::TmnTemizle1Click() {
    ListBox1->clear();
}

void frm_mail_yolla::ListBox1DblClick() {
    if (QListWidgetItem* item = ListBox1->currentItem())
        MessageBox::show(MessageBox::Kind::Information, QString(), item->text(), MessageBox::Buttons::Ok,
                         MessageBox::Answer::Ok, this);
}

void frm_mail_yolla::SpeedButton1Click() {
    MessageBox::show(MessageBox::Kind::Information, QString(),
                     "\nCevap yazılmasını istiyorsanız E-Posta adesini boş bırakmayınız.",
                     MessageBox::Buttons::Ok, MessageBox::Answer::Ok, this);
}

void frm_mail_yolla::SpeedButton4Click() {
    hide();
}

void frm_mail_yolla::adinizEnter(QWidget* edit) {
    paint(edit, Qt::white);
}
void frm_mail_yolla::adinizExit(QWidget* edit) {
    paint(edit, Resting);
}
void frm_mail_yolla::ListBox1Enter() {
    paint(ListBox1, Qt::white);
}
void frm_mail_yolla::ListBox1Exit() {
    paint(ListBox1, Resting);
}
void frm_mail_yolla::mesajEnter() {
    paint(mesaj, QColor(222, 220, 211));
}
void frm_mail_yolla::mesajExit() {
    paint(mesaj, Resting);
}

bool frm_mail_yolla::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBox1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        Guard::run([this] { Button5Click(); });
        return true;
    }
    bool in = event->type() == QEvent::FocusIn;
    if (in || event->type() == QEvent::FocusOut) {
        Guard::run([&] {
            if (watched == ListBox1)
                in ? ListBox1Enter() : ListBox1Exit();
            else if (watched == mesaj)
                in ? mesajEnter() : mesajExit();
            else if (auto* edit = qobject_cast<QLineEdit*>(watched))
                in ? adinizEnter(edit) : adinizExit(edit);
        });
    }
    return QDialog::eventFilter(watched, event);
}

// Pressing on the free area moves the window as its title bar would.
void frm_mail_yolla::mousePressEvent(QMouseEvent* event) {
    if (windowHandle())
        windowHandle()->startSystemMove();
    QDialog::mousePressEvent(event);
}
