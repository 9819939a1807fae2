#pragma once

#include "lessons/instructors.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class BoundControl;
class BoundLineEdit;
class BoundTextBox;
class DataGrid;
class Dataset;
class frm_DataMod;
struct Forms;
struct MailSettings;

// The school's own reference data: the letterhead of the reports, the vehicles with their plates,
// the routes, the mail server the reminders go out through, the instructors and the lesson hours of
// each licence class's course. It works on tfirma, tarac and tguzergah, which the main window keeps
// open for exactly as long as the dialog is shown, and on tegitmen, which it opens itself as long.
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
    void EgitmenEkleClick();
    void EgitmenDegistirClick();
    void EgitmenSilClick();
    void DersHakkiKaydetClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

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
    QWidget* buildInstructorTab();
    QWidget* buildCourseHoursTab();
    void showLessonSettings();
    void showInstructor();
    void clearInstructor();
    Lessons::Instructor typedInstructor() const;
    void reloadInstructors(qint64 current);
    // Runs the write; a refusal of the entry shows as a warning, and the entry stays on screen.
    bool refusedByLessons(const std::function<void()>& write);
    void showCourseHours();
    // The rows whose hours were changed, or none after refusing what a cell holds.
    std::optional<std::vector<Lessons::CourseHours>> typedCourseHours();

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
    DataGrid* EgitmenTablosu = nullptr;
    QLineEdit* EgitmenAdi = nullptr;
    QLineEdit* EgitmenSoyadi = nullptr;
    QLineEdit* EgitmenTc = nullptr;
    QLineEdit* EgitmenTelefon = nullptr;
    // One per licence class, in the list's order.
    std::vector<QCheckBox*> m_classBoxes;
    QCheckBox* EgitmenAktif = nullptr;
    QPushButton* EgitmenEkle = nullptr;
    QPushButton* EgitmenDegistir = nullptr;
    QPushButton* EgitmenSil = nullptr;
    QTableWidget* DersHakkiTablosu = nullptr;
    QPushButton* DersHakkiKaydet = nullptr;
    // The course hours as the table was filled, with their row versions.
    std::vector<Lessons::CourseHours> m_courseHours;
};
