#include "data/value_lists.h"

namespace ValueLists {

QStringList sexes() {
    return {"Erkek", "Kadın"};
}

QStringList licenceClasses() {
    return {"A1", "A2", "B", "C", "D", "E", "F", "G", "OP"};
}

QStringList certificateClasses() {
    return {"B", "C", "D", "E", "F", "G", "H", "A1", "A2", "OP", "TRF", "K"};
}

QStringList maritalStatuses() {
    return {"BEKAR", "EVLİ", "BOŞANMIŞ", "DUL"};
}

QStringList religions() {
    return {"İSLAM", "HIRİSTİYAN", "MUSEVİ", "HİNDUİZM", "KONFÜÇYANİZM", "TEOİZM", "ZERDÜŞ", "BUDİZM"};
}

QStringList bloodGroups() {
    return {"0 RH (+)", "0 RH (-)", "A RH (+)",   "A RH (-) ",
            "B RH (+)", "B RH (-)", "AB RH (+) ", "AB RH (-)"};
}

QStringList provinces() {
    return {"ADANA",         "ADIYAMAN", "AFYON",    "AĞRI",      "AKSARAY",    "AMASYA",   "ANKARA",
            "ANTALYA",       "ARDAHAN",  "ARTVİN",   "AYDIN",     "BALIKESİR",  "BARTIN",   "BATMAN",
            "BAYBURT",       "BİLECİK",  "BİNGÖL",   "BİTLİS",    "BOLU",       "BURDUR",   "BURSA",
            "ÇANAKKALE",     "ÇANKIRI",  "ÇORUM",    "DENİZLİ",   "DİYARBAKIR", "DÜZCE",    "EDİRNE",
            "ELAZIĞ",        "ERZİNCAN", "ERZURUM",  "ESKİŞEHİR", "GAZİANTEP",  "GİRESUN",  "GÜMÜŞHANE",
            "HAKKARİ",       "HATAY",    "IĞDIR",    "ISPARTA",   "İÇEL",       "İSTANBUL", "İZMİR",
            "KAHRAMANMARAŞ", "KARABÜK",  "KARAMAN",  "KARS",      "KASTAMONU",  "KAYSERİ",  "KIRIKKALE",
            "KIRKLARELİ",    "KIRŞEHİR", "KİLİS",    "KOCAELİ",   "KONYA",      "KÜTAHYA",  "MALATYA",
            "MANİSA",        "MARDİN",   "MUĞLA",    "MUŞ",       "NEVŞEHİR",   "NİĞDE",    "ORDU",
            "OSMANİYE",      "RİZE",     "SAKARYA",  "SAMSUN",    "SİİRT",      "SİNOP",    "SİVAS",
            "ŞANLI URFA",    "ŞIRNAK",   "TEKİRDAĞ", "TOKAT",     "TRABZON",    "TUNCELİ",  "UŞAK",
            "VAN",           "YALOVA",   "YOZGAT",   "ZONGULDAK"};
}

} // namespace ValueLists
