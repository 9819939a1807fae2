#pragma once

#include "app/forms.h"

#include <QApplication>

#include <memory>

// The application object: its last net catches an error that escaped an event handler.
class KalvistaApplication : public QApplication {
public:
    KalvistaApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Every window and the data module, created once in start-up order and destroyed with the program.
class Program {
public:
    Program();
    ~Program();
    Forms& forms() { return m_forms; }
    frm_main_form& mainWindow() { return *m_main; }

private:
    Forms m_forms;
    // Declared so that the windows go before the data module they show.
    std::unique_ptr<frm_DataMod> m_dataMod;
    std::unique_ptr<frm_main_form> m_main;
    std::unique_ptr<frm_ayar_formu> m_ayar_formu;
    std::unique_ptr<frm_sifre_degistir> m_sifre_degistir;
    std::unique_ptr<frm_sifre_girisi> m_sifre_girisi;
    std::unique_ptr<frm_istetistik_formu> m_istetistik_formu;
    std::unique_ptr<frm_kayit_ara> m_kayit_ara;
    std::unique_ptr<frmtaksitlendir> m_taksitlendir;
    std::unique_ptr<frm_yedekler> m_yedekler;
    std::unique_ptr<frm_raporlar__> m_raporlar__;
    std::unique_ptr<frm_ehliyet_sinif_secim> m_ehliyet_sinif_secim;
    std::unique_ptr<frm_odeme_rapor_form> m_odeme_rapor_form;
    std::unique_ptr<frm_mail_yolla> m_mail_yolla;
    std::unique_ptr<frm_hknd> m_hknd;
    std::unique_ptr<frm_tahsilat> m_tahsilat;
    std::unique_ptr<frm_makbuzlar> m_makbuzlar;
    std::unique_ptr<frm_gun_sonu> m_gun_sonu;
    std::unique_ptr<frm_geciken_taksitler> m_geciken_taksitler;
    std::unique_ptr<frm_ders> m_ders;
    std::unique_ptr<frm_ders_plani> m_ders_plani;
};

// The name of the desktop entry, the icon and the AppStream data: the program's web address reversed.
inline constexpr const char* ApplicationId = "tr.com.kalvista.Kalvista";

// Sets up a process that shows windows: locale, the application's names and Qt's translations.
void initialiseProcess();
