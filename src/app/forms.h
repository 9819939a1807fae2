#pragma once

class frm_main_form;
class frm_DataMod;
class frm_sifre_girisi;
class frmtaksitlendir;
class frm_raporlar__;
class frm_ehliyet_sinif_secim;
class frm_odeme_rapor_form;

// The single instance of every window and of the data module, filled in start-up order and
// handed to each of them, so windows meet only through the main window and the data module.
struct Forms {
    frm_main_form* main_form = nullptr;
    frm_DataMod* DataMod = nullptr;
    frm_raporlar__* raporlar__ = nullptr;
    frm_ehliyet_sinif_secim* ehliyet_sinif_secim = nullptr;
    frm_sifre_girisi* sifre_girisi = nullptr;
    frmtaksitlendir* taksitlendir = nullptr;
    frm_odeme_rapor_form* odeme_rapor_form = nullptr;
};
