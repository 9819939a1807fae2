#pragma once

#include <QDialog>

#include <array>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class BoundControl;
class BoundLineEdit;
class BoundTextBox;
class DataGrid;
class Dataset;
class frm_DataMod;
struct Forms;
struct MailSettings;

// The school's own reference data: the letterhead of the reports, the vehicles with their plates,
// the routes, and the mail server the reminders go out through. It works on tfirma, tarac and tguzergah,
// which the main window keeps open for exactly as long as the dialog is shown.
class frm_ayar_formu : public QDialog {
    Q_OBJECT
public:
    explicit frm_ayar_formu(Forms& forms, QWidget* parent = nullptr);

public slots:
    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void EpostaKaydetClick();
    void EpostaIptalClick();
    void DenemeButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    frm_DataMod& data() const;
    QWidget* buildFirmTab();
    QWidget* buildVehicleTab();
    QWidget* buildRouteTab();
    QWidget* buildMailTab();
    void showMailSettings(const MailSettings& settings);
    MailSettings typedMailSettings() const;
    bool refusedMailSettings(const MailSettings& settings);
    std::array<BoundControl*, 4> firmControls() const;
    void startFirmRowWhenEmpty();
    void deleteCurrentRow(QLineEdit* firstEdit, Dataset& table);

    Forms& m_forms;
    QTabWidget* PageControl1 = nullptr;
    BoundLineEdit* DBEdit1 = nullptr;
    BoundTextBox* DBMemo1 = nullptr;
    BoundLineEdit* DBEdit2 = nullptr;
    BoundLineEdit* DBEdit3 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    DataGrid* DBGrid1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    DataGrid* DBGrid2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QComboBox* Edit4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QLineEdit* SmtpSunucu = nullptr;
    QLineEdit* SmtpPort = nullptr;
    QComboBox* SmtpGuvenlik = nullptr;
    QLineEdit* SmtpKullanici = nullptr;
    QLineEdit* SmtpParola = nullptr;
    QLineEdit* GonderenAdi = nullptr;
    QLineEdit* GonderenAdres = nullptr;
    QPlainTextEdit* HatirlatmaMetni = nullptr;
    QPushButton* DenemeButton = nullptr;
    QPushButton* EpostaKaydet = nullptr;
    QPushButton* EpostaIptal = nullptr;
    // The row version the shown settings were read with.
    int m_mailVersion = 0;
};
