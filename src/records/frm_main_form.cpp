#include "records/frm_main_form.h"

#include "app/forms.h"
#include "app/frm_sifre_girisi.h"
#include "app/frm_sunucu_parolasi.h"
#include "app/guard.h"
#include "app/program_folder.h"
#include "data/connection.h"
#include "data/frm_DataMod.h"
#include "data/statements.h"
#include "data/transaction.h"
#include "records/trainee_tabs.h"
#include "ui/data_grid.h"
#include "ui/enter_as_tab.h"
#include "ui/message_box.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDate>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <tuple>

namespace {

const QString TitleStart = QStringLiteral("Kalvista 0.1 - Ücretsiz Bir Yazılımdır - ");

const QStringList RecordTabCaptions = {"Kişisel Bilgiler", "Nüfus Cüzdanı",  "Ev Bilgileri",
                                       "İş Bilgileri",     "Kurs Bilgileri", "Sınavlar",
                                       "Sertifika",        "Ödemeler",       "Dersler"};

std::vector<GridColumn> traineeListColumns() {
    using F = GridColumn::Format;
    return {{"adayno", "Aday No", 15},
            {"adi", "Adı", 25},
            {"soyadi", "Soyadı", 25},
            {"dogumtarihi", "Doğum Tarihi", 15, F::Date},
            {"ceptelefonu", "Cep Telefonu", 25},
            {"kayitTarihi", "Kayıt Tarihi", 15, F::Date},
            {"ehliyetsinifi", "Ehliyet Sınıfı", 15},
            {"eposta", "E Posta", 50}};
}

} // namespace

frm_main_form::frm_main_form(Forms& forms, QWidget* parent) : QMainWindow(parent), m_forms(forms) {
    setObjectName("main_form");
    setWindowTitle("Kalvista 0.1");
    buildToolbar();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    setCentralWidget(central);
    buildRecordPanel();
    layout->addWidget(PageControl1, 0);
    buildStatusBar();
    EnterAsTab::install(this);
}

// The data module is made after the main window; the list and the record controls bind to it then.
void frm_main_form::bindToData() {
    buildList();
    static_cast<QVBoxLayout*>(centralWidget()->layout())->insertWidget(0, kaygrid, 1);
    buildTraineeTabs(*PageControl1, data().dkursiyer);
    buildPaymentsTab(PageControl1->widget(7));
    buildLessonsTab(PageControl1->widget(8));
    connectRecordCommands();
    connect(&data(), &frm_DataMod::paymentTotalsChanged, this, &frm_main_form::showPaymentTotals);
    guardedConnect(&data(), &frm_DataMod::databaseReplaced, this, &frm_main_form::reloadList);
    connect(&data().ado_conn, &Connection::changedElsewhere, this, [this] { showDatabase(true); });
}

// Another database file was put in place: the list comes up as the first show brings it up, all
// trainees in the order of their numbers.
void frm_main_form::reloadList() {
    ListReady = false;
    if (!data().ado_conn.isOpen())
        return;
    kaygridIButtonClick();
    ListReady = true;
    EnableRecordPanel(false);
    FillCourseLists();
}

frm_DataMod& frm_main_form::data() const {
    return *m_forms.DataMod;
}

void frm_main_form::buildToolbar() {
    auto* bar = new QToolBar(this);
    bar->setObjectName("ToolBar1");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(28, 28));
    addToolBar(Qt::TopToolBarArea, bar);

    auto add = [&](const char* name, const QString& caption, QStyle::StandardPixmap icon, auto handler) {
        auto* button = new QToolButton(bar);
        button->setObjectName(name);
        button->setText(caption);
        button->setIcon(style()->standardIcon(icon));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(caption) + 16);
        bar->addWidget(button);
        if constexpr (!std::is_same_v<decltype(handler), std::nullptr_t>)
            guardedConnect(button, &QToolButton::clicked, this, handler);
        return button;
    };
    Button1 = add("Button1", "Yeni Kursiyer", QStyle::SP_FileIcon, &frm_main_form::Button1Click);
    Button2 = add("Button2", "Düzenle", QStyle::SP_FileDialogDetailedView, &frm_main_form::Button2Click);
    bar->addSeparator();
    Button3 = add("Button3", "Kaydı Sil", QStyle::SP_TrashIcon, &frm_main_form::Button3Click);
    bar->addSeparator();
    Button4 = add("Button4", "Yenile", QStyle::SP_BrowserReload, &frm_main_form::Button4Click);
    Button9 = add("Button9", "Ödemeler", QStyle::SP_DialogApplyButton, &frm_main_form::Button9Click);
    bar->addSeparator();
    QToolButton* reports = add("ToolButton7", "Raporlar", QStyle::SP_FileDialogListView, nullptr);
    bar->addSeparator();
    Btn4 = add("Btn4", "Kayıt Sorgula", QStyle::SP_FileDialogContentsView, &frm_main_form::Btn4Click);
    add("Btn5", "İstatistikler", QStyle::SP_FileDialogInfoView, &frm_main_form::Btn5Click);
    bar->addSeparator();
    add("Btn2", "Ayarlar", QStyle::SP_DialogResetButton, &frm_main_form::Btn2Click);
    add("Btn3", "Şifreler", QStyle::SP_DialogYesButton, &frm_main_form::Btn3Click);
    Btn7 = add("Btn7", "Yedekler", QStyle::SP_DriveHDIcon, &frm_main_form::Btn7Click);
    Btn8 = add("Btn8", "Kasa", QStyle::SP_DialogSaveButton, nullptr);
    Btn8->setMenu(buildCashDeskMenu());
    Btn8->setPopupMode(QToolButton::InstantPopup);
    Btn9 = add("Btn9", "Ders Planı", QStyle::SP_FileDialogStart, &frm_main_form::Btn9Click);
    bar->addSeparator();
    add("ToolButton9", "İletişim", QStyle::SP_DialogHelpButton, &frm_main_form::ToolButton9Click);
    add("Btn6", "Hakında", QStyle::SP_MessageBoxInformation, &frm_main_form::Btn6Click);
    bar->addSeparator();
    add("ToolButton3", "Çıkış", QStyle::SP_DialogCloseButton, &frm_main_form::ToolButton3Click);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    const std::tuple<const char*, const char*, void (frm_main_form::*)()> entries[] = {
        {"Button5", "Kursiyerler", &frm_main_form::Button5Click},
        {"Button6", "Ehliyet Sınıfları", &frm_main_form::Button6Click},
        {"Button7", "Ödeme Raporu", &frm_main_form::Button7Click},
        {"Button8", "Kişisel Ödemeler", &frm_main_form::Button8Click},
        {"Ekstre1", "Hesap Ekstresi", &frm_main_form::Ekstre1Click}};
    for (const auto& [name, caption, handler] : entries) {
        QAction* entry = PopupMenu1->addAction(QString::fromUtf8(caption));
        entry->setObjectName(name);
        guardedConnect(entry, &QAction::triggered, this, handler);
    }
    PopupMenu1->addSeparator();
    QAction* exportList = PopupMenu1->addAction("Export");
    exportList->setObjectName("Button12");
    guardedConnect(exportList, &QAction::triggered, this, &frm_main_form::Button12Click);
    QAction* importFile = PopupMenu1->addAction("İçe Aktar...");
    importFile->setObjectName("IceAktar1");
    guardedConnect(importFile, &QAction::triggered, this, &frm_main_form::IceAktar1Click);
    reports->setMenu(PopupMenu1);
    reports->setPopupMode(QToolButton::InstantPopup);
}

void frm_main_form::buildList() {
    kaygrid = new DataGrid(data().dkursiyer, traineeListColumns(), this);
    kaygrid->setObjectName("kaygrid");
    kaygrid->setFocusPolicy(Qt::ClickFocus);
    kaygrid->setToolTip(
        "-Kaydı Düzenlemek için çift tıklayın\n-Listedeki kayıtları raporlamak için sağ tıklayın...");
    kaygrid->setStyleSheet(
        "QTableView { background: #F4F3EA; alternate-background-color: #E9E7D1; }"
        "QHeaderView::section:horizontal { background: #DCD7BA; color: #005199; font-weight: bold;"
        " border: 1px solid #B9B394; padding: 2px 4px; }");
    if (QAbstractButton* corner = kaygrid->cornerButton()) {
        corner->setObjectName("kaygridIButton");
        corner->setToolTip("Tüm kayıtları göster + Sıralama kaldır");
    }
    guardedConnect(kaygrid, &DataGrid::titleClicked, this, &frm_main_form::kaygridTitleButtonClick);
    guardedConnect(kaygrid, &DataGrid::cornerClicked, this, &frm_main_form::kaygridIButtonClick);
    guardedConnect(kaygrid, &DataGrid::doubleClicked, this, &frm_main_form::Button2Click);

    pp1 = new QMenu(this);
    pp1->setObjectName("pp1");
    QAction* report = pp1->addAction("Raporla...");
    report->setObjectName("Raporla1");
    guardedConnect(report, &QAction::triggered, this, &frm_main_form::Raporla1Click);
    kaygrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(kaygrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pp1->popup(kaygrid->viewport()->mapToGlobal(at)); });
}

void frm_main_form::buildRecordPanel() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setStyleSheet("QTabBar::tab { font-weight: bold; }");
    PageControl1->setFixedHeight(300);
    for (int i = 0; i < RecordTabCaptions.size(); ++i) {
        auto* page = new QWidget(PageControl1);
        page->setObjectName(QString("TabSheet%1").arg(i + 1));
        PageControl1->addTab(page, RecordTabCaptions[i]);
    }

    // Only a focus target for committing a pending entry: outside the visible area, never tabbed to.
    setf = new QLineEdit(this);
    setf->setObjectName("setf");
    setf->setReadOnly(true);
    setf->setFocusPolicy(Qt::ClickFocus);
    setf->setGeometry(-200, -200, 10, 10);
}

void frm_main_form::buildStatusBar() {
    statusCount = new QLabel(this);
    statusCount->setObjectName("StatusPanel1");
    statusCount->setMinimumWidth(160);
    statusToday = new QLabel(this);
    statusToday->setObjectName("StatusPanel2");
    statusWeb = new QLabel(this);
    statusWeb->setObjectName("StatusPanel3");
    statusWeb->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusDatabase = new QLabel(this);
    statusDatabase->setObjectName("StatusPanel4");
    statusBar()->addWidget(statusCount);
    statusBar()->addWidget(statusToday, 1);
    statusBar()->addWidget(statusWeb);
    statusBar()->addWidget(statusDatabase);
}

// The database in use; on the server, whether another desk wrote since the list was last read.
void frm_main_form::showDatabase(bool changedElsewhere) {
    const Connection& connection = data().ado_conn;
    statusDatabase->setText(connection.isOpen()
                                ? connection.displayName() +
                                      (changedElsewhere ? " - başka bir masada değişiklik var" : "")
                                : QString());
    // An installed program keeps its file in a folder the user may never have seen.
    statusDatabase->setToolTip(
        !connection.isOpen() ? QString()
        : connection.isServer()
            ? "PostgreSQL sunucusu: " + connection.displayName()
            : QDir::toNativeSeparators(QFileInfo(connection.databasePath()).absoluteFilePath()));
}

void frm_main_form::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    data().setPaymentsFollowTrainee(true);
    if (m_firstShowDone)
        return;
    m_firstShowDone = true;
    QTimer::singleShot(0, this, [this] { FormShow(); });
}

void frm_main_form::hideEvent(QHideEvent* event) {
    data().setPaymentsFollowTrainee(false);
    QMainWindow::hideEvent(event);
}

// The first show brings the database and the trainee list up. A program that cannot come up
// whole does not stay half started: the error is shown and the process ends with a failure code.
void frm_main_form::FormShow() {
    odemetarx->setDate(QDate::currentDate());
    bool started = false;
    if (openDatabase())
        Guard::run([&] { started = startUp(); });
    if (!started) {
        m_exitCode = 1;
        endStartUp();
    }
}

// False when the login did not succeed: the user never gets to the trainees.
bool frm_main_form::startUp() {
    setWindowTitle(TitleStart + productWebAddress());
    data().tuser.open();
    if (!m_forms.sifre_girisi->startUpDecision(data().tuser))
        return false;
    data().tuser.close();
    data().beginSession();
    data().tkursiyer.open();
    ListReady = true;
    EnableRecordPanel(false);
    ShowRecordCount();
    statusToday->setText(" Bugün : " + QLocale().toString(QDate::currentDate(), "dd MMMM yyyy dddd"));
    FillCourseLists();
    statusWeb->setText(productWebAddress() + "     ");
    showDatabase(false);
    return true;
}

// Ends a start-up that did not come through: nothing is written, not even the closing time.
void frm_main_form::endStartUp() {
    ListReady = false;
    data().tkursiyer.close();
    data().todemeler.close();
    data().endSession();
    data().ado_conn.close();
    close();
}

// Offers a new, empty database when there is none; false when the program cannot go on.
bool frm_main_form::openDatabase() {
    Connection& connection = data().ado_conn;
    connection.setConnectionString(Connection::connectionText(ProgramFolder));
    const QString path = connection.databasePath();
    try {
        connection.setServer(serverSetting());
        if (connection.isServer())
            return openServerDatabase(connection);
        if (!QFile::exists(path)) {
            if (!newDatabaseWanted(path))
                return false;
            createDatabase(path);
        }
        connection.open();
        return true;
    } catch (...) {
        Guard::showCurrentException();
        return false;
    }
}

// The question names the folder, which for an installed program is not the one it lies in. A
// check of the installed package, with no one to answer, says yes through the environment.
bool frm_main_form::newDatabaseWanted(const QString& path) {
    if (qEnvironmentVariable("KALVISTA_TEST_YENI_VERITABANI") == "evet")
        return true;
    const QFileInfo file(path);
    return MessageBox::show(MessageBox::Kind::Warning, "Uyarı",
                            QString("\nBu klasörde veritabanı dosyası (%1) bulunamadı:\n%2\n\nYeni, boş bir "
                                    "veritabanı bu klasörde oluşturulsun mu?")
                                .arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath())),
                            MessageBox::Buttons::YesNo, MessageBox::Answer::Yes,
                            this) == MessageBox::Answer::Yes;
}

QString frm_main_form::serverSetting() const {
    return Connection::readServerSetting(
        m_serverSettingFile.isEmpty() ? Connection::serverSettingFile(ProgramFolder) : m_serverSettingFile);
}

// The server may first want a password, which is asked for and never written anywhere, or have an
// empty database, which is filled only when the user says so.
bool frm_main_form::openServerDatabase(Connection& connection) {
    const QString setting = serverSetting();
    for (;;) {
        try {
            connection.open();
            return true;
        } catch (const PasswordNeeded& question) {
            const std::optional<QString> password = frm_sunucu_parolasi::ask(question.server(), this);
            if (!password)
                return false;
            connection.setServer(setting, password);
        } catch (const EmptyServerDatabase& question) {
            const auto answer = MessageBox::show(
                MessageBox::Kind::Warning, "Uyarı",
                QString("\nSunucudaki veritabanı boş:\n%1\n\nProgramın tabloları bu veritabanında "
                        "oluşturulsun mu?")
                    .arg(question.server()),
                MessageBox::Buttons::YesNo, MessageBox::Answer::Yes, this);
            if (answer != MessageBox::Answer::Yes)
                return false;
            connection.fillServer();
            return true;
        }
    }
}

void frm_main_form::closeEvent(QCloseEvent* event) {
    if (!m_closing && !askToKeepEntry()) {
        event->ignore();
        return;
    }
    if (!m_closing) {
        m_closing = true;
        FormClose();
    }
    event->accept();
}

// Writes the closing time, keeps the day's copy of the database and closes the data; a failure of either is
// shown, and the program ends all the same.
void frm_main_form::FormClose() {
    ListReady = false;
    frm_DataMod& d = data();
    if (d.ado_conn.isOpen()) {
        Guard::run([&] {
            d.tuser.open();
            if (d.tuser.isEmpty())
                d.tuser.append();
            else
                d.tuser.edit();
            d.tuser.setValue("userSONGIRISTARIHI", QDateTime::currentDateTime());
            d.tuser.post();
        });
        d.tuser.close();
        takeClosingBackup();
    }
    d.tkursiyer.close();
    d.todemeler.close();
    d.endSession();
    d.ado_conn.close();
}

void frm_main_form::ToolButton3Click() {
    close();
}

void frm_main_form::EnableRecordPanel(bool enabled) {
    for (int i = 0; i < PageControl1->count(); ++i)
        PageControl1->widget(i)->setEnabled(enabled);
}

void frm_main_form::SetListMode(bool listMode) {
    for (QWidget* w :
         {static_cast<QWidget*>(Button3), static_cast<QWidget*>(Button4), static_cast<QWidget*>(Button9),
          static_cast<QWidget*>(Btn4), static_cast<QWidget*>(Btn7), static_cast<QWidget*>(Btn8),
          static_cast<QWidget*>(Btn9), static_cast<QWidget*>(kaygrid)})
        w->setEnabled(listMode);
    for (QAction* entry : PopupMenu1->actions())
        entry->setEnabled(listMode);
}

void frm_main_form::ShowRecordCount() {
    statusCount->setText(" Kayıt Sayısı : " + QString::number(data().tkursiyer.recordCount()));
}

void frm_main_form::kaygridTitleButtonClick(const QString& field) {
    SortField = field;
    kaygrid->setSortMarker(SortField);
    if (!ListReady)
        return;
    Transaction sorting(data().ado_conn, Transaction::Kind::Read);
    data().tkursiyer.setSqlLine(2, Sql::orderBy(field));
    data().tkursiyer.open();
    sorting.commit();
}

bool frm_main_form::kaygridCalcTitleImage(const QString& field) const {
    return field == SortField;
}

void frm_main_form::kaygridIButtonClick() {
    SortField = "kID";
    kaygrid->setSortMarker(SortField);
    {
        Transaction resetting(data().ado_conn, Transaction::Kind::Read);
        data().tkursiyer.setSqlLine(1, Sql::allTrainees());
        data().tkursiyer.setSqlLine(2, Sql::orderBy("kID"));
        data().tkursiyer.open();
        resetting.commit();
    }
    ShowRecordCount();
}

void frm_main_form::Button4Click() {
    Transaction reloading(data().ado_conn, Transaction::Kind::Read);
    reopenTrainees();
    reloading.commit();
    showDatabase(false);
}

// A list that could not be read again is given back as it was, together with its payments.
void frm_main_form::reopenTrainees() {
    data().tkursiyer.close();
    data().tkursiyer.open();
}
