#include "app/program.h"

#include "admin/frm_ayar_formu.h"
#include "admin/frm_hknd.h"
#include "admin/frm_mail_yolla.h"
#include "admin/frm_sifre_degistir.h"
#include "admin/frm_yedekler.h"
#include "app/frm_sifre_girisi.h"
#include "app/guard.h"
#include "cashdesk/frm_geciken_taksitler.h"
#include "cashdesk/frm_gun_sonu.h"
#include "cashdesk/frm_makbuzlar.h"
#include "cashdesk/frm_tahsilat.h"
#include "data/frm_DataMod.h"
#include "lessons/frm_ders.h"
#include "lessons/frm_ders_plani.h"
#include "payments/frm_odeme_rapor_form.h"
#include "payments/frmtaksitlendir.h"
#include "records/frm_main_form.h"
#include "reports/frm_ehliyet_sinif_secim.h"
#include "reports/frm_raporlar__.h"
#include "search/frm_istetistik_formu.h"
#include "search/frm_kayit_ara.h"

#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

KalvistaApplication::KalvistaApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KalvistaApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        Guard::showCurrentException();
        return false;
    }
}

Program::Program() {
    m_main = std::make_unique<frm_main_form>(m_forms);
    m_forms.main_form = m_main.get();
    m_dataMod = std::make_unique<frm_DataMod>();
    m_forms.DataMod = m_dataMod.get();
    m_main->bindToData();
    m_ayar_formu = std::make_unique<frm_ayar_formu>(m_forms, m_main.get());
    m_forms.ayar_formu = m_ayar_formu.get();
    m_istetistik_formu = std::make_unique<frm_istetistik_formu>(m_forms, m_main.get());
    m_forms.istetistik_formu = m_istetistik_formu.get();
    m_raporlar__ = std::make_unique<frm_raporlar__>(m_forms);
    m_forms.raporlar__ = m_raporlar__.get();
    m_ehliyet_sinif_secim = std::make_unique<frm_ehliyet_sinif_secim>(m_main.get());
    m_forms.ehliyet_sinif_secim = m_ehliyet_sinif_secim.get();
    m_kayit_ara = std::make_unique<frm_kayit_ara>(m_forms, m_main.get());
    m_forms.kayit_ara = m_kayit_ara.get();
    m_sifre_degistir = std::make_unique<frm_sifre_degistir>(m_forms, m_main.get());
    m_forms.sifre_degistir = m_sifre_degistir.get();
    m_sifre_girisi = std::make_unique<frm_sifre_girisi>(m_main.get());
    m_forms.sifre_girisi = m_sifre_girisi.get();
    m_taksitlendir = std::make_unique<frmtaksitlendir>(m_main.get());
    m_forms.taksitlendir = m_taksitlendir.get();
    m_odeme_rapor_form = std::make_unique<frm_odeme_rapor_form>(m_main.get());
    m_forms.odeme_rapor_form = m_odeme_rapor_form.get();
    m_mail_yolla = std::make_unique<frm_mail_yolla>(m_main.get());
    m_forms.mail_yolla = m_mail_yolla.get();
    m_hknd = std::make_unique<frm_hknd>(m_main.get());
    m_forms.hknd = m_hknd.get();
    m_yedekler = std::make_unique<frm_yedekler>(m_forms, m_main.get());
    m_forms.yedekler = m_yedekler.get();
    m_tahsilat = std::make_unique<frm_tahsilat>(m_forms, m_main.get());
    m_forms.tahsilat = m_tahsilat.get();
    m_makbuzlar = std::make_unique<frm_makbuzlar>(m_forms, m_main.get());
    m_forms.makbuzlar = m_makbuzlar.get();
    m_gun_sonu = std::make_unique<frm_gun_sonu>(m_forms, m_main.get());
    m_forms.gun_sonu = m_gun_sonu.get();
    m_geciken_taksitler = std::make_unique<frm_geciken_taksitler>(m_forms, m_main.get());
    m_forms.geciken_taksitler = m_geciken_taksitler.get();
    m_ders = std::make_unique<frm_ders>(m_forms, m_main.get());
    m_forms.ders = m_ders.get();
    m_ders_plani = std::make_unique<frm_ders_plani>(m_forms, m_main.get());
    m_forms.ders_plani = m_ders_plani.get();
}

Program::~Program() = default;

void initialiseProcess() {
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    // The user's data folder, ~/.local/share/Kalvista, is named after the application: never change
    // it, or an installed program no longer finds its school's data.
    QApplication::setApplicationName("Kalvista");
    QApplication::setOrganizationDomain("kalvista.com.tr");
    QGuiApplication::setDesktopFileName(ApplicationId);
    // Qt's own dialogs and menus (file and print dialogs, a text box's menu) in the program's
    // language; the message boxes set their English buttons themselves.
    auto* translator = new QTranslator(qApp);
    if (translator->load(QLocale(), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
