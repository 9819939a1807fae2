#pragma once

class frm_main_form;
class frm_DataMod;
class frm_ayar_formu;
class frm_sifre_degistir;
class frm_sifre_girisi;
class frmtaksitlendir;
class frm_yedekler;
class frm_istetistik_formu;
class frm_kayit_ara;
class frm_raporlar__;
class frm_ehliyet_sinif_secim;
class frm_odeme_rapor_form;
class frm_mail_yolla;
class frm_hknd;
class frm_tahsilat;
class frm_makbuzlar;
class frm_gun_sonu;
class frm_geciken_taksitler;
class frm_ders;
class frm_ders_plani;

// The single instance of every window and of the data module, filled in start-up order and
// handed to each of them, so windows meet only through the main window and the data module.
struct Forms {
    frm_main_form* main_form = nullptr;
    frm_DataMod* DataMod = nullptr;
    frm_ayar_formu* ayar_formu = nullptr;
    frm_sifre_degistir* sifre_degistir = nullptr;
    frm_raporlar__* raporlar__ = nullptr;
    frm_ehliyet_sinif_secim* ehliyet_sinif_secim = nullptr;
    frm_sifre_girisi* sifre_girisi = nullptr;
    frm_istetistik_formu* istetistik_formu = nullptr;
    frm_kayit_ara* kayit_ara = nullptr;
    frmtaksitlendir* taksitlendir = nullptr;
    frm_yedekler* yedekler = nullptr;
    frm_odeme_rapor_form* odeme_rapor_form = nullptr;
    frm_mail_yolla* mail_yolla = nullptr;
    frm_hknd* hknd = nullptr;
    frm_tahsilat* tahsilat = nullptr;
    frm_makbuzlar* makbuzlar = nullptr;
    frm_gun_sonu* gun_sonu = nullptr;
    frm_geciken_taksitler* geciken_taksitler = nullptr;
    frm_ders* ders = nullptr;
    frm_ders_plani* ders_plani = nullptr;
};
