#pragma once

#include <QMainWindow>
#include <QString>

#include <optional>

class QAction;
class QFormLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QToolButton;
class AmountEdit;
class Connection;
class DataGrid;
class QDateEdit;
class Dataset;
class frm_DataMod;
struct Forms;
struct PaymentTotals;

// The main window: toolbar, trainee list, record panel with its nine tabs, status bar. Every
// command of the program starts here.
class frm_main_form : public QMainWindow {
    Q_OBJECT
public:
    explicit frm_main_form(Forms& forms, QWidget* parent = nullptr);
    ~frm_main_form() override;
    void bindToData();

    static QString productWebAddress() { return "www.kalvista.com.tr"; }
    // What the process ends with: not 0 when the program could not start.
    int exitCode() const { return m_exitCode; }
    // The file that names the school's server, when it is not the one in ProgramFolder (the
    // computer-wide one of an installed program).
    void useServerSettingFile(const QString& file) { m_serverSettingFile = file; }

    // Operations other windows use.
    void EnableRecordPanel(bool enabled);
    void SetListMode(bool listMode);
    void ShowRecordCount();
    bool kaygridCalcTitleImage(const QString& field) const;
    void RefreshPaymentTotals();
    void FillCourseLists();
    bool CommitPendingEdit();
    int CountCandidateNo(const QString& candidateNo);
    void PreviewTraineeReport(const QString& sql);
    void reloadList();

    QString SortField;
    bool ListReady = false;
    QString RememberedAdayNo;

public slots:
    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button9Click();
    void Button10Click();
    void Button11Click();
    void Button13Click();
    void Button14Click();
    void TahsilatButtonClick();
    void Btn2Click();
    void Btn3Click();
    void Btn4Click();
    void Btn5Click();
    void btn1xClick(int row);
    void DBComboBox11Exit();
    void kaygridTitleButtonClick(const QString& field);
    void kaygridIButtonClick();
    void ToolButton3Click();
    void Btn7Click();
    void Makbuzlar1Click();
    void GunSonu1Click();
    void Geciken1Click();
    void Btn9Click();
    void TakipFormuClick();
    void ToolButton9Click();
    void Btn6Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Ekstre1Click();
    void Raporla1Click();
    void Button12Click();
    void IceAktar1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    frm_DataMod& data() const;
    void buildToolbar();
    QMenu* buildCashDeskMenu();
    void showTrainee(qint64 kID);
    void listAllTrainees();
    void buildList();
    void buildRecordPanel();
    void buildPaymentsTab(QWidget* page);
    void buildLessonsTab(QWidget* page);
    bool lessonsTabShown() const;
    void followTraineeLessons();
    void refreshLessons();
    void buildStatusBar();
    void connectRecordCommands();
    bool openDatabase();
    bool newDatabaseWanted(const QString& path);
    QString serverSetting() const;
    bool openServerDatabase(Connection& connection);
    void showDatabase(bool changedElsewhere);
    bool startUp();
    void endStartUp();
    void FormClose();
    void takeClosingBackup();
    void reopenTrainees();
    void setRecordCaptions(bool recordMode, bool recordImages);
    void workOnCurrentTrainee(int tab, QWidget* focus, bool recordImages);
    void enterRecordMode(int tab, QWidget* focus, bool recordImages);
    void enterListMode();
    bool recordBeingEntered() const;
    bool askToKeepEntry();
    bool saveTrainee();
    void cancelTrainee();
    // Asks whether the trainee's valid receipts may be cancelled with its deletion.
    bool receiptsMayBeCancelled(int receipts);
    void stampOwner(Dataset& payments);
    bool refusedForItsReceipt();
    void showPaymentTotals(const PaymentTotals& totals);

    Forms& m_forms;
    bool m_firstShowDone = false;
    bool m_closing = false;
    int m_exitCode = 0;
    QString m_serverSettingFile;

    QToolButton* Button1 = nullptr;
    QToolButton* Button2 = nullptr;
    QToolButton* Button3 = nullptr;
    QToolButton* Button4 = nullptr;
    QToolButton* Button9 = nullptr;
    QToolButton* Btn4 = nullptr;
    QToolButton* Btn7 = nullptr;
    QToolButton* Btn8 = nullptr;
    QToolButton* Btn9 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* pp1 = nullptr;
    DataGrid* kaygrid = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QLineEdit* setf = nullptr;
    QLabel* statusCount = nullptr;
    QLabel* statusToday = nullptr;
    QLabel* statusWeb = nullptr;
    QLabel* statusDatabase = nullptr;

    AmountEdit* odenenx = nullptr;
    AmountEdit* mx1 = nullptr;
    AmountEdit* mx2 = nullptr;
    QDateEdit* odemetarx = nullptr;
    QLineEdit* odemeac = nullptr;
    DataGrid* paymentsGrid = nullptr;

    QTableWidget* DersTablosu = nullptr;
    QFormLayout* lessonSummaries = nullptr;
    QLabel* DersOzeti = nullptr;
    QLabel* SimulatorOzeti = nullptr;
    QLabel* DersUyari = nullptr;
    QPushButton* TakipFormu = nullptr;
    // Whose lessons the tab shows while it is shown, so that the several signals of one move to
    // another trainee read its lessons once; none when the tab must read them again.
    std::optional<qint64> m_lessonsShownFor;
};
