#include "admin/frm_ayar_formu.h"

#include "admin/plates.h"
#include "app/forms.h"
#include "app/guard.h"
#include "data/frm_DataMod.h"
#include "data/schema.h"
#include "data/transaction.h"
#include "data/value_lists.h"
#include "lessons/lesson_rules.h"
#include "lessons/lesson_store.h"
#include "mail/mail_settings.h"
#include "ui/bound_controls.h"
#include "ui/data_grid.h"
#include "ui/enter_as_tab.h"
#include "ui/message_box.h"
#include "ui/named_controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString MailCaption = QStringLiteral("E-posta");

const QString AskToDelete = QStringLiteral("\nAktif satır silinecek.\n\nişleme devam edilsin mi?");

// Rows are added and removed only by the tab's buttons; the grid only shows them and the current one.
DataGrid* listOf(DataSource& source, std::vector<GridColumn> columns, const char* name, QWidget* parent) {
    auto* grid = new DataGrid(source, std::move(columns), parent);
    grid->setObjectName(name);
    grid->setFocusPolicy(Qt::ClickFocus);
    grid->setMinimumHeight(160);
    return grid;
}

// The server refuses a text longer than its column where the file would keep it.
void limitToColumns(const char* table, std::initializer_list<std::pair<QLineEdit*, const char*>> edits) {
    const Table& stored = *Schema::table(QString::fromLatin1(table));
    for (const auto& [edit, column] : edits)
        edit->setMaxLength(stored.column(QString::fromLatin1(column))->width);
}

// An hour cell takes whole hours only, as typed; "Kaydet" still checks what reached the cell.
class HoursDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setValidator(new QIntValidator(0, Lessons::MostCourseHours, line));
        return editor;
    }
};

QTableWidgetItem* hoursItem(int hours) {
    auto* item = new QTableWidgetItem(QString::number(hours));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

frm_ayar_formu::frm_ayar_formu(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("ayar_formu");
    setWindowTitle("Ayarlar");

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setMinimumWidth(fontMetrics().averageCharWidth() * 64);
    PageControl1->addTab(buildFirmTab(), "Firma Bilgileri");
    PageControl1->addTab(buildVehicleTab(), "Araç Tanımları");
    PageControl1->addTab(buildRouteTab(), "Güzergah Tanımları");
    PageControl1->addTab(buildMailTab(), MailCaption);
    PageControl1->addTab(buildInstructorTab(), "Eğitmenler");
    PageControl1->addTab(buildCourseHoursTab(), "Ders Hakları");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    guardedConnect(Button1, &QPushButton::clicked, this, &frm_ayar_formu::Button1Click);
    guardedConnect(Button2, &QPushButton::clicked, this, &frm_ayar_formu::Button2Click);
    guardedConnect(Button3, &QPushButton::clicked, this, &frm_ayar_formu::Button3Click);
    guardedConnect(Button4, &QPushButton::clicked, this, &frm_ayar_formu::Button4Click);
    guardedConnect(Button5, &QPushButton::clicked, this, &frm_ayar_formu::Button5Click);
    guardedConnect(Button6, &QPushButton::clicked, this, &frm_ayar_formu::Button6Click);
    guardedConnect(EpostaKaydet, &QPushButton::clicked, this, &frm_ayar_formu::EpostaKaydetClick);
    guardedConnect(EpostaIptal, &QPushButton::clicked, this, &frm_ayar_formu::EpostaIptalClick);
    guardedConnect(DenemeButton, &QPushButton::clicked, this, &frm_ayar_formu::DenemeButtonClick);
    guardedConnect(EgitmenEkle, &QPushButton::clicked, this, &frm_ayar_formu::EgitmenEkleClick);
    guardedConnect(EgitmenDegistir, &QPushButton::clicked, this, &frm_ayar_formu::EgitmenDegistirClick);
    guardedConnect(EgitmenSil, &QPushButton::clicked, this, &frm_ayar_formu::EgitmenSilClick);
    guardedConnect(DersHakkiKaydet, &QPushButton::clicked, this, &frm_ayar_formu::DersHakkiKaydetClick);
    // A click on the row already current moves nothing, and still shows it for changing.
    guardedConnect(&data().tegitmen, &Dataset::afterScroll, this, &frm_ayar_formu::showInstructor);
    guardedConnect(EgitmenTablosu, &QTableView::clicked, this, &frm_ayar_formu::showInstructor);
    // The address box is no exception: the address is one line of the letterhead.
    EnterAsTab::install(this, EnterAsTab::Shift::MovesBack);
}

frm_DataMod& frm_ayar_formu::data() const {
    return *m_forms.DataMod;
}

QWidget* frm_ayar_formu::buildFirmTab() {
    auto* page = new QWidget;
    DataSource& firm = data().dfirma;
    DBEdit1 = new BoundLineEdit(firm, "ad", page);
    DBEdit1->setObjectName("DBEdit1");
    DBMemo1 = new BoundTextBox(firm, "adres", page);
    DBMemo1->setObjectName("DBMemo1");
    DBMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DBMemo1->setFixedHeight(DBMemo1->fontMetrics().lineSpacing() * 3 + 12);
    DBEdit2 = new BoundLineEdit(firm, "tel", page);
    DBEdit2->setObjectName("DBEdit2");
    DBEdit3 = new BoundLineEdit(firm, "fax", page);
    DBEdit3->setObjectName("DBEdit3");
    Button1 = namedButton("Button1", "Kaydet", page);
    Button2 = namedButton("Button2", "İptal", page);

    auto* fields = new QFormLayout;
    fields->addRow("Firma Adı", DBEdit1);
    fields->addRow("Adresi", DBMemo1);
    fields->addRow("Telefon", DBEdit2);
    fields->addRow("Faks", DBEdit3);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addLayout(buttonRow({Button1, Button2}));
    setTabOrder(DBEdit1, DBMemo1);
    setTabOrder(DBMemo1, DBEdit2);
    setTabOrder(DBEdit2, DBEdit3);
    setTabOrder(DBEdit3, Button1);
    setTabOrder(Button1, Button2);
    return page;
}

QWidget* frm_ayar_formu::buildVehicleTab() {
    auto* page = new QWidget;
    DBGrid1 = listOf(data().darac, {{"aracAD", "Araç Adı", 24}, {"aracPLAKA", "Plaka", 12}}, "DBGrid1", page);
    Edit1 = named(new QLineEdit(page), "Edit1");
    Edit2 = named(new QLineEdit(page), "Edit2");
    Button3 = namedButton("Button3", "Kaydet", page);
    Button4 = namedButton("Button4", "Satır Sil", page);

    auto* fields = new QFormLayout;
    fields->addRow("Araç Türü", Edit1);
    fields->addRow("Plaka", Edit2);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(fields);
    layout->addLayout(buttonRow({Button3, Button4}));
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Button3);
    setTabOrder(Button3, Button4);
    return page;
}

QWidget* frm_ayar_formu::buildRouteTab() {
    auto* page = new QWidget;
    DBGrid2 = listOf(data().dguzergah, {{"guz", "Güzergah", 30}, {"sinif", "Sınıfı", 8}}, "DBGrid2", page);
    Edit3 = named(new QLineEdit(page), "Edit3");
    Edit4 = new QComboBox(page);
    Edit4->setObjectName("Edit4");
    Edit4->addItem(QString());
    Edit4->addItems(ValueLists::licenceClasses());
    Button5 = namedButton("Button5", "Satır Sil", page);
    Button6 = namedButton("Button6", "Kaydet", page);

    auto* fields = new QFormLayout;
    fields->addRow("Güzergah", Edit3);
    fields->addRow("Sınıfı", Edit4);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(DBGrid2, 1);
    layout->addLayout(fields);
    layout->addLayout(buttonRow({Button5, Button6}));
    setTabOrder(Edit3, Edit4);
    setTabOrder(Edit4, Button5);
    setTabOrder(Button5, Button6);
    return page;
}

QWidget* frm_ayar_formu::buildMailTab() {
    auto* page = new QWidget;
    SmtpSunucu = named(new QLineEdit(page), "SmtpSunucu");
    SmtpSunucu->setPlaceholderText("smtp.ornek.com");
    SmtpPort = named(new QLineEdit(page), "SmtpPort");
    SmtpPort->setMaxLength(5);
    SmtpGuvenlik = named(new QComboBox(page), "SmtpGuvenlik");
    SmtpGuvenlik->addItems(MailSecurity::names());
    SmtpKullanici = named(new QLineEdit(page), "SmtpKullanici");
    SmtpParola = named(new QLineEdit(page), "SmtpParola");
    SmtpParola->setEchoMode(QLineEdit::Password);
    GonderenAdi = named(new QLineEdit(page), "GonderenAdi");
    GonderenAdres = named(new QLineEdit(page), "GonderenAdres");
    HatirlatmaMetni = named(new QPlainTextEdit(page), "HatirlatmaMetni");
    HatirlatmaMetni->setProperty("multiline", true);
    HatirlatmaMetni->setFixedHeight(HatirlatmaMetni->fontMetrics().lineSpacing() * 8 + 12);
    auto* hint =
        new QLabel("Metinde kullanılabilecekler: {adi}, {soyadi}, {firma}, {telefon} (okulun), {vade} "
                   "(en eski geciken vade), {tutar} (geciken tutar), {toplam} (kalan borç).",
                   page);
    hint->setWordWrap(true);
    DenemeButton = namedButton("DenemeButton", "Deneme E-postası Gönder", page);
    EpostaKaydet = namedButton("EpostaKaydet", "Kaydet", page);
    EpostaIptal = namedButton("EpostaIptal", "İptal", page);

    limitToColumns("tb_eposta_ayar", {{SmtpSunucu, "sunucu"},
                                      {SmtpKullanici, "kullanici"},
                                      {SmtpParola, "parola"},
                                      {GonderenAdi, "gonderen_adi"},
                                      {GonderenAdres, "gonderen_adres"}});

    auto* fields = new QFormLayout;
    fields->addRow("SMTP Sunucusu", SmtpSunucu);
    fields->addRow("Port", SmtpPort);
    fields->addRow("Güvenlik", SmtpGuvenlik);
    fields->addRow("Kullanıcı Adı", SmtpKullanici);
    fields->addRow("Parola", SmtpParola);
    fields->addRow("Gönderen Adı", GonderenAdi);
    fields->addRow("Gönderen Adresi", GonderenAdres);
    fields->addRow("Hatırlatma Metni", HatirlatmaMetni);
    fields->addRow(QString(), hint);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addLayout(buttonRow({DenemeButton, EpostaKaydet, EpostaIptal}));
    return page;
}

QWidget* frm_ayar_formu::buildInstructorTab() {
    auto* page = new QWidget;
    auto* instructors = new DataSource(data().tegitmen, "degitmen", this);
    EgitmenTablosu = listOf(*instructors,
                            {{"adi", "Adı", 12},
                             {"soyadi", "Soyadı", 12},
                             {"tckimlik", "T.C. Kimlik No", 12},
                             {"telefon", "Telefon", 12},
                             {"siniflar", "Sınıflar", 10},
                             {"aktif", "Aktif", 5, GridColumn::Format::Check}},
                            "EgitmenTablosu", page);
    EgitmenAdi = named(new QLineEdit(page), "EgitmenAdi");
    EgitmenSoyadi = named(new QLineEdit(page), "EgitmenSoyadi");
    EgitmenTc = named(new QLineEdit(page), "EgitmenTc");
    EgitmenTelefon = named(new QLineEdit(page), "EgitmenTelefon");
    limitToColumns("tb_egitmen", {{EgitmenAdi, "adi"},
                                  {EgitmenSoyadi, "soyadi"},
                                  {EgitmenTc, "tckimlik"},
                                  {EgitmenTelefon, "telefon"}});
    auto* classes = new QGridLayout;
    for (const QString& licenceClass : ValueLists::licenceClasses()) {
        auto* box = new QCheckBox(licenceClass, page);
        box->setObjectName("Sinif_" + licenceClass);
        const int placed = int(m_classBoxes.size());
        classes->addWidget(box, placed / 5, placed % 5);
        m_classBoxes.push_back(box);
    }
    EgitmenAktif = named(new QCheckBox("Aktif", page), "EgitmenAktif");
    EgitmenAktif->setChecked(true);
    EgitmenEkle = namedButton("EgitmenEkle", "Ekle", page);
    EgitmenDegistir = namedButton("EgitmenDegistir", "Değiştir", page);
    EgitmenSil = namedButton("EgitmenSil", "Sil", page);

    auto* fields = new QFormLayout;
    fields->addRow("Adı", EgitmenAdi);
    fields->addRow("Soyadı", EgitmenSoyadi);
    fields->addRow("T.C. Kimlik No", EgitmenTc);
    fields->addRow("Telefon", EgitmenTelefon);
    fields->addRow("Sınıfları", classes);
    fields->addRow(QString(), EgitmenAktif);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(EgitmenTablosu, 1);
    layout->addLayout(fields);
    layout->addLayout(buttonRow({EgitmenEkle, EgitmenDegistir, EgitmenSil}));
    return page;
}

QWidget* frm_ayar_formu::buildCourseHoursTab() {
    auto* page = new QWidget;
    const Table& stored = *Schema::table(u"tb_ders_hakki");
    DersHakkiTablosu = named(new QTableWidget(0, 3, page), "DersHakkiTablosu");
    DersHakkiTablosu->setHorizontalHeaderLabels({stored.column(u"sinif")->label,
                                                 stored.column(u"direksiyon_saat")->label,
                                                 stored.column(u"simulator_saat")->label});
    DersHakkiTablosu->verticalHeader()->hide();
    DersHakkiTablosu->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    DersHakkiTablosu->setSelectionMode(QAbstractItemView::SingleSelection);
    DersHakkiTablosu->setItemDelegate(new HoursDelegate(DersHakkiTablosu));
    DersHakkiTablosu->setMinimumHeight(160);
    DersHakkiKaydet = namedButton("DersHakkiKaydet", "Kaydet", page);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(DersHakkiTablosu, 1);
    layout->addLayout(buttonRow({DersHakkiKaydet}));
    return page;
}

// The tab last used stays current, and the vehicle and route edits keep what they held; the mail,
// instructor and course-hour tabs show what is stored.
void frm_ayar_formu::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Guard::run([this] { FormShow(); });
}

void frm_ayar_formu::hideEvent(QHideEvent* event) {
    data().tegitmen.close();
    QDialog::hideEvent(event);
}

void frm_ayar_formu::FormShow() {
    Edit4->setCurrentIndex(0);
    startFirmRowWhenEmpty();
    showMailSettings(readMailSettings(data().ado_conn));
    showLessonSettings();
}

// The letterhead's controls write into a row. Without a stored row a new one is started for them,
// so that typing has somewhere to go; only "Kaydet" writes it.
void frm_ayar_formu::startFirmRowWhenEmpty() {
    Dataset& firm = data().tfirma;
    if (firm.isActive() && firm.isEmpty())
        firm.append();
}

std::array<BoundControl*, 4> frm_ayar_formu::firmControls() const {
    return {DBEdit1, DBMemo1, DBEdit2, DBEdit3};
}

void frm_ayar_formu::Button1Click() {
    // A control writes its entry when the focus leaves it; a press that takes no focus leaves it unwritten.
    for (BoundControl* control : firmControls())
        if (!control->commit())
            return;
    Dataset& firm = data().tfirma;
    {
        Transaction saving(data().ado_conn);
        if (firm.state() == Dataset::State::Browse) {
            if (firm.isEmpty())
                firm.append();
            else
                firm.edit();
        }
        firm.post();
        saving.commit();
    }
    DBEdit1->setFocus();
}

void frm_ayar_formu::Button2Click() {
    data().tfirma.cancel();
    // An entry not yet written is dropped as well.
    for (BoundControl* control : firmControls())
        control->refresh();
    startFirmRowWhenEmpty();
    DBEdit1->setFocus();
}

void frm_ayar_formu::Button3Click() {
    const QString name = Edit1->text();
    const QString plate = Edit2->text();
    if (name.isEmpty()) {
        MessageBox::warning(QString(), "\nAraç türünü girmeniz gerekiyor.", this);
        return;
    }
    if (plate.isEmpty()) {
        MessageBox::warning(QString(), "\nAraç Plakasını girmeniz gerekiyor.", this);
        return;
    }
    Dataset& vehicles = data().tarac;
    if (const int stored = Plates::rowOf(vehicles, plate); stored >= 0) {
        vehicles.moveTo(stored);
        MessageBox::warning(QString(), "\nGirmeye çalıştığınız plaka tanımlı.", this);
        return;
    }
    {
        // A refused row leaves no line behind in the list.
        Transaction adding(data().ado_conn);
        vehicles.append();
        vehicles.setValue("aracAD", name);
        vehicles.setValue("aracPLAKA", plate);
        vehicles.post();
        adding.commit();
    }
    Edit1->clear();
    Edit2->clear();
    Edit1->setFocus();
}

void frm_ayar_formu::Button4Click() {
    deleteCurrentRow(Edit1, data().tarac);
}

void frm_ayar_formu::Button5Click() {
    deleteCurrentRow(Edit3, data().tguzergah);
}

void frm_ayar_formu::Button6Click() {
    const QString route = Edit3->text();
    const QString licenceClass = Edit4->currentText();
    if (route.isEmpty()) {
        MessageBox::warning(QString(), "\nGüzergahı girmeniz gerekiyor.", this);
        return;
    }
    if (licenceClass.isEmpty()) {
        MessageBox::warning(QString(), "\nSınıfı girmeniz gerekiyor.", this);
        return;
    }
    Dataset& routes = data().tguzergah;
    {
        Transaction adding(data().ado_conn);
        routes.append();
        routes.setValue("guz", route);
        routes.setValue("sinif", licenceClass);
        routes.post();
        adding.commit();
    }
    Edit3->clear();
    Edit4->setCurrentIndex(0);
    Edit3->setFocus();
}

void frm_ayar_formu::deleteCurrentRow(QLineEdit* firstEdit, Dataset& table) {
    firstEdit->setFocus();
    if (table.isEmpty())
        return;
    const auto answer = MessageBox::show(MessageBox::Kind::Warning, "Dikkat:", AskToDelete,
                                         MessageBox::Buttons::YesNo, MessageBox::Answer::No, this);
    if (answer == MessageBox::Answer::Yes)
        table.deleteRow();
}

void frm_ayar_formu::showMailSettings(const MailSettings& settings) {
    SmtpSunucu->setText(settings.server);
    SmtpPort->setText(QString::number(settings.port));
    SmtpGuvenlik->setCurrentIndex(int(settings.security));
    SmtpKullanici->setText(settings.user);
    SmtpParola->setText(settings.password);
    GonderenAdi->setText(settings.senderName);
    GonderenAdres->setText(settings.senderAddress);
    HatirlatmaMetni->setPlainText(settings.reminderText);
    m_mailVersion = settings.version;
}

MailSettings frm_ayar_formu::typedMailSettings() const {
    MailSettings s;
    s.server = SmtpSunucu->text().trimmed();
    // Anything but a whole number is no port at all, and is refused as one out of range.
    s.port = SmtpPort->text().trimmed().toInt();
    s.security = SmtpSecurity(SmtpGuvenlik->currentIndex());
    s.user = SmtpKullanici->text().trimmed();
    s.password = SmtpParola->text();
    s.senderName = GonderenAdi->text().trimmed();
    s.senderAddress = GonderenAdres->text().trimmed();
    s.reminderText = HatirlatmaMetni->toPlainText();
    s.version = m_mailVersion;
    return s;
}

bool frm_ayar_formu::refusedMailSettings(const MailSettings& settings) {
    const QString problem = mailSettingsProblem(settings);
    if (problem.isEmpty())
        return false;
    MessageBox::warning("Uyarı", problem, this);
    return true;
}

void frm_ayar_formu::EpostaKaydetClick() {
    const MailSettings typed = typedMailSettings();
    if (refusedMailSettings(typed))
        return;
    writeMailSettings(data().ado_conn, typed);
    showMailSettings(readMailSettings(data().ado_conn));
    SmtpSunucu->setFocus();
}

void frm_ayar_formu::EpostaIptalClick() {
    showMailSettings(readMailSettings(data().ado_conn));
    SmtpSunucu->setFocus();
}

// Through the settings as typed, saved or not, so a school tries them before it keeps them.
void frm_ayar_formu::DenemeButtonClick() {
    const MailSettings typed = typedMailSettings();
    if (refusedMailSettings(typed))
        return;
    if (!typed.canSend()) {
        MessageBox::warning("Uyarı", "\nDeneme için SMTP sunucusunu ve gönderen adresini girin.", this);
        return;
    }
    const MailMessage message =
        typed.message(typed.senderAddress, "Deneme E-postası",
                      "Bu ileti, okulunuzun e-posta ayarlarını denemek için gönderildi. Ulaştıysa ayarlar "
                      "doğrudur; hatırlatmalar bu ayarlarla gönderilecek.");
    DenemeButton->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString failure;
    try {
        sendWhileEventsRun(typed, message);
    } catch (const MailError& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    QApplication::restoreOverrideCursor();
    DenemeButton->setEnabled(true);
    if (failure.isEmpty())
        MessageBox::show(MessageBox::Kind::Information, MailCaption,
                         QString("\nDeneme e-postası %1 adresine gönderildi.").arg(typed.senderAddress),
                         MessageBox::Buttons::Ok, MessageBox::Answer::Ok, this);
    else
        MessageBox::show(MessageBox::Kind::Error, MailCaption,
                         "\nDeneme e-postası gönderilemedi.\n" + failure, MessageBox::Buttons::Ok,
                         MessageBox::Answer::Ok, this);
}

void frm_ayar_formu::showLessonSettings() {
    reloadInstructors(0);
    clearInstructor();
    showCourseHours();
}

void frm_ayar_formu::showInstructor() {
    const Dataset& instructors = data().tegitmen;
    if (!instructors.isActive() || instructors.isEmpty()) {
        clearInstructor();
        return;
    }
    EgitmenAdi->setText(instructors.value("adi").toString());
    EgitmenSoyadi->setText(instructors.value("soyadi").toString());
    EgitmenTc->setText(instructors.value("tckimlik").toString());
    EgitmenTelefon->setText(instructors.value("telefon").toString());
    const QStringList classes = Lessons::classesOf(instructors.value("siniflar").toString());
    for (QCheckBox* box : m_classBoxes)
        box->setChecked(classes.contains(box->text()));
    EgitmenAktif->setChecked(instructors.value("aktif").toBool());
}

// Ready for a new instructor, who teaches from the start.
void frm_ayar_formu::clearInstructor() {
    for (QLineEdit* edit : {EgitmenAdi, EgitmenSoyadi, EgitmenTc, EgitmenTelefon})
        edit->clear();
    for (QCheckBox* box : m_classBoxes)
        box->setChecked(false);
    EgitmenAktif->setChecked(true);
}

Lessons::Instructor frm_ayar_formu::typedInstructor() const {
    Lessons::Instructor typed;
    typed.firstName = EgitmenAdi->text();
    typed.lastName = EgitmenSoyadi->text();
    typed.idNumber = EgitmenTc->text();
    typed.phone = EgitmenTelefon->text();
    for (const QCheckBox* box : m_classBoxes)
        if (box->isChecked())
            typed.classes << box->text();
    typed.active = EgitmenAktif->isChecked();
    return typed;
}

void frm_ayar_formu::reloadInstructors(qint64 current) {
    Dataset& instructors = data().tegitmen;
    instructors.close();
    instructors.open();
    if (current > 0)
        instructors.locate("egitmenID", int(current));
}

bool frm_ayar_formu::refusedByLessons(const std::function<void()>& write) {
    try {
        write();
        return false;
    } catch (const Lessons::LessonRefused& refused) {
        MessageBox::warning("Uyarı", refused.message(), this);
        return true;
    }
}

void frm_ayar_formu::EgitmenEkleClick() {
    qint64 added = 0;
    if (refusedByLessons([&] { added = Lessons::saveInstructor(data().ado_conn, typedInstructor()); }))
        return;
    reloadInstructors(added);
    clearInstructor();
    EgitmenAdi->setFocus();
}

// An inactive instructor's lessons to come stay in the plan: the school moves or cancels them there.
void frm_ayar_formu::EgitmenDegistirClick() {
    Dataset& instructors = data().tegitmen;
    if (instructors.isEmpty())
        return;
    Lessons::Instructor typed = typedInstructor();
    typed.egitmenID = instructors.value("egitmenID").toLongLong();
    typed.version = instructors.rowVersion();
    const bool madeInactive = instructors.value("aktif").toBool() && !typed.active;
    if (refusedByLessons([&] { Lessons::saveInstructor(data().ado_conn, typed); }))
        return;
    reloadInstructors(typed.egitmenID);
    if (!madeInactive)
        return;
    const qint64 planned = Lessons::lessonCountOf(
        data().ado_conn, typed.egitmenID, Lessons::wallClock(QDate::currentDate(), QTime::currentTime()));
    if (planned > 0)
        MessageBox::show(
            MessageBox::Kind::Information, "Bilgi",
            QString("\nEğitmen pasif yapıldı; ileri tarihli %1 dersi planda kalıyor.").arg(planned),
            MessageBox::Buttons::Ok, MessageBox::Answer::Ok, this);
}

void frm_ayar_formu::EgitmenSilClick() {
    EgitmenAdi->setFocus();
    Dataset& instructors = data().tegitmen;
    if (instructors.isEmpty())
        return;
    const qint64 key = instructors.value("egitmenID").toLongLong();
    if (Lessons::hasLessons(data().ado_conn, key)) {
        MessageBox::warning("Uyarı", Lessons::InstructorHasLessonsText, this);
        return;
    }
    const QString name = instructors.value("adi").toString() + ' ' + instructors.value("soyadi").toString();
    const auto answer =
        MessageBox::show(MessageBox::Kind::Warning,
                         "Dikkat:", QString("\nEğitmen %1 silinecek.\n\nişleme devam edilsin mi?").arg(name),
                         MessageBox::Buttons::YesNo, MessageBox::Answer::No, this);
    if (answer != MessageBox::Answer::Yes)
        return;
    if (refusedByLessons([&] { Lessons::deleteInstructor(data().ado_conn, key, instructors.rowVersion()); }))
        return;
    reloadInstructors(0);
    clearInstructor();
}

void frm_ayar_formu::showCourseHours() {
    m_courseHours = Lessons::courseHours(data().ado_conn);
    DersHakkiTablosu->setRowCount(int(m_courseHours.size()));
    for (int row = 0; row < int(m_courseHours.size()); ++row) {
        const Lessons::CourseHours& hours = m_courseHours[size_t(row)];
        auto* licenceClass = new QTableWidgetItem(hours.licenceClass);
        licenceClass->setFlags(licenceClass->flags() & ~Qt::ItemIsEditable);
        DersHakkiTablosu->setItem(row, 0, licenceClass);
        DersHakkiTablosu->setItem(row, 1, hoursItem(hours.driving));
        DersHakkiTablosu->setItem(row, 2, hoursItem(hours.simulator));
    }
}

std::optional<std::vector<Lessons::CourseHours>> frm_ayar_formu::typedCourseHours() {
    std::vector<Lessons::CourseHours> changed;
    for (int row = 0; row < int(m_courseHours.size()); ++row) {
        Lessons::CourseHours typed = m_courseHours[size_t(row)];
        const std::optional<int> driving = Lessons::readCourseHours(DersHakkiTablosu->item(row, 1)->text());
        const std::optional<int> simulator = Lessons::readCourseHours(DersHakkiTablosu->item(row, 2)->text());
        if (!driving || !simulator) {
            DersHakkiTablosu->setCurrentCell(row, driving ? 2 : 1);
            MessageBox::warning("Uyarı",
                                QString("\n%1 sınıfının ders saatleri 0 ile %2 arasında tam sayı olmalıdır.")
                                    .arg(typed.licenceClass)
                                    .arg(Lessons::MostCourseHours),
                                this);
            return std::nullopt;
        }
        if (*driving == typed.driving && *simulator == typed.simulator)
            continue;
        typed.driving = *driving;
        typed.simulator = *simulator;
        changed.push_back(typed);
    }
    return changed;
}

// What was typed stays in the table when the database refuses it.
void frm_ayar_formu::DersHakkiKaydetClick() {
    const std::optional<std::vector<Lessons::CourseHours>> changed = typedCourseHours();
    if (!changed)
        return;
    Lessons::saveCourseHours(data().ado_conn, *changed);
    showCourseHours();
}
