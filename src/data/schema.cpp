#include "data/schema.h"

#include "data/value_lists.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>

namespace {

Column text(const char* name, int width, const char* label = "") {
    return {QString::fromUtf8(name), ColumnType::Text, width, QString::fromUtf8(label)};
}
Column of(const char* name, ColumnType type, const char* label = "") {
    return {QString::fromUtf8(name), type, 0, QString::fromUtf8(label)};
}
Column date(const char* name, const char* label = "") {
    return of(name, ColumnType::Date, label);
}
Column yesNo(const char* name, const char* label = "") {
    return of(name, ColumnType::YesNo, label);
}

std::vector<Column> traineeColumns() {
    std::vector<Column> c = {
        of("kID", ColumnType::AutoNumber),
        text("adi", 30, "Adı*"),
        text("soyadi", 30, "Soyadı*"),
        text("adayno", 30, "Aday No*"),
        date("dogumtarihi", "Doğum Tarihi"),
        text("ceptelefonu", 15, "Cep Telefonu"),
        text("eposta", 50, "E-Posta"),
        text("web", 50, "Web Sitesi"),
        yesNo("ehliyetAldi", "Bu sürücü ehliyet almış..."),
        date("kayitTarihi", "Kayıt Tarihi"),
        text("cinsiyeti", 6, "Cinsiyeti*"),
        text("ehliyetsinifi", 10, "Ehliyet Sınıfı*"),
        text("e_adresi", 50, "Adresi"),
        text("e_semt", 30, "Semt"),
        text("e_sehir", 30, "Şehir"),
        text("e_postakodu", 10, "Posta Kodu"),
        text("e_tel", 15, "Telefon"),
        text("e_fax", 15, "Fax"),
        text("e_diger", 50, "Diğer"),
        text("i_sirket", 50, "Şirket Adı"),
        text("i_gorevi", 50, "Görevi"),
        text("i_adresi", 50, "Adresi"),
        text("i_semt", 30, "Semt"),
        text("i_sehir", 30, "Şehir"),
        text("i_postakodu", 10, "Posta Kodu"),
        text("i_tel", 15, "Telefon"),
        text("i_fax", 15, "Fax"),
        text("n_seri", 10, "Seri - No"),
        text("n_no", 10, "Seri - No"),
        text("n_tckimlik", 20, "T.C. Kimlik No"),
        text("n_baba", 30, "Baba Adı"),
        text("n_ana", 30, "Anne Adı"),
        text("n_dogumyeri", 30, "Doğum Yeri"),
        text("n_medeni", 10, "Medeni Hali"),
        text("n_dini", 25, "Dini"),
        text("n_kangrubu", 15, "Kan Grubu"),
        text("n_il", 30, "İli"),
        text("n_ilce", 30, "İlçe"),
        text("n_mahalle", 30, "Mahalle/Köy"),
        text("n_cilt", 10, "Cilt"),
        text("n_aile", 10, "Aile Sıra No"),
        text("n_sira", 10, "Sıra No"),
        text("n_verildigi", 30, "Verildiği Yer"),
        text("k_donemi", 30, "Dönemi"),
        date("k_kayittarihi", "Kayıt Tarihi"),
        text("k_sertifikasinifi", 10, "Sertifika Sınıfı"),
        text("k_arac", 30, "K. Araç"),
        text("k_aracplaka", 15, "Plaka"),
        text("k_guzergah", 50, "Güzergah"),
        text("k_verildigi", 50, "Verildiği İl"),
        date("k_tarih", "Tarih"),
        text("k_sayi", 20, "Sayısı"),
        text("k_alnd", 30, "Alındığı Yer"),
        yesNo("k_belgeoncende", "Sürücüsü belgesi önceden ver"),
        yesNo("k_surekli", "Sürekli alındı"),
    };
    const auto attempts = [&](const char* prefix, auto make) {
        for (int n = 1; n <= 5; ++n)
            c.push_back(make(QByteArray(prefix).append(QByteArray::number(n)).constData()));
    };
    attempts("s_tarih", [](const char* name) { return date(name, "Sınav Tarihi"); });
    attempts("s_trafik", [](const char* name) { return text(name, 13, "Trafik"); });
    attempts("s_ilkyardim", [](const char* name) { return text(name, 13, "İlk Yardım"); });
    attempts("s_motor", [](const char* name) { return text(name, 13, "Motor"); });
    attempts("d_tarih", [](const char* name) { return date(name, "Sınav Tarihi"); });
    attempts("d_not", [](const char* name) { return text(name, 13, "Not"); });
    const std::vector<Column> rest = {
        text("d_aciklama", 50, "Açıklama"),
        text("ser_il", 30, "S.B. Verildiği İl"),
        text("ser_ilplaka", 10, "Plaka No"),
        text("ser_no", 20, "Sertifika No"),
        text("ser_seri", 20, "Seri No"),
        text("ser_sayi", 20, "Sayısı"),
        text("ser_aciklama", 50, "Açıklama"),
        yesNo("ser_hak", "Sertifika Haketti"),
        yesNo("ser_aldi", "Sertifikasını Aldı"),
        yesNo("ser_yakti", "Dosya Yaktı"),
        date("ser_tarih", "Veriliş Tarihi"),
        of("odeme_tutari", ColumnType::Number, "Ödeme Tutarı"),
        yesNo("m_trafik", "Trafik"),
        yesNo("m_ilkyardim", "İlkyardım"),
        yesNo("m_direksiyon", "Direksiyon"),
        yesNo("m_motor", "Motor"),
    };
    c.insert(c.end(), rest.begin(), rest.end());
    return c;
}

Column rowVersion() {
    return of(Schema::RowVersion, ColumnType::Integer);
}

Table& table(std::vector<Table>& tables, const char* name) {
    return *std::find_if(tables.begin(), tables.end(), [&](const Table& t) { return t.name == name; });
}

std::vector<Table> buildTables() {
    std::vector<Table> tables = {
        {"tb_kursiyer", traineeColumns(), "kID"},
        {"tb_odeme",
         {yesNo("Odendi", "Ödendi"), of("miktar", ColumnType::Number, "Miktar"),
          date("tarih", "Ödeme Tarihi"), text("aciklama", 30, "Açıklama"),
          of("odemeID", ColumnType::AutoNumber), of("kID", ColumnType::Integer),
          // The program copy that typed a payment for a trainee not saved yet (kID 0), so each
          // copy saves or drops only its own pending payments.
          text("giris", 40, "Giriş")},
         "odemeID"},
        {"kullanicilar",
         {of("userID", ColumnType::AutoNumber), text("userAD", 50), text("userSIFRE", 50),
          date("userSONGIRISTARIHI"), yesNo("userSifreSor")},
         "userID"},
        {"tb_firma",
         {of("firmaID", ColumnType::AutoNumber), text("ad", 50, "Firma Adı"), text("adres", 50, "Adresi"),
          text("tel", 15, "Telefon"), text("fax", 15, "Faks")},
         "firmaID"},
        {"tb_arac",
         {of("aracID", ColumnType::AutoNumber), text("aracAD", 30, "Araç Adı"),
          text("aracPLAKA", 15, "Plaka")},
         "aracID"},
        {"tb_guz",
         {of("guzID", ColumnType::AutoNumber), text("guz", 50, "Güzergah"), text("sinif", 50, "Sınıfı")},
         "guzID"},
    };
    // The cash desk's tables: receipts are never deleted, only cancelled; their lines keep what
    // was printed, and what a cancellation needs to give the installments back as they were.
    const std::vector<Table> cashDesk = {
        {"tb_makbuz",
         {of("makbuzID", ColumnType::AutoNumber), text("makbuzno", 20, "Makbuz No"), date("tarih", "Tarih"),
          date("kayitzamani", "Kayıt Zamanı"), of("kID", ColumnType::Integer),
          of("tutar", ColumnType::Number, "Tutar"), text("odemesekli", 20, "Ödeme Şekli"),
          text("aciklama", 100, "Açıklama"), text("masa", 50, "Masa"), yesNo("iptal", "İptal"),
          date("iptalzamani", "İptal Zamanı"), text("iptalnedeni", 100, "İptal Nedeni")},
         "makbuzID",
         5},
        {"tb_makbuz_satir",
         {of("satirID", ColumnType::AutoNumber), of("makbuzID", ColumnType::Integer),
          of("odemeID", ColumnType::Integer), text("aciklama", 30, "Açıklama"), date("vade", "Vade"),
          of("tutar", ColumnType::Number, "Tutar"),
          // The unpaid rest a split left (its row and amount), joined again when the receipt is
          // cancelled while the rest is as the split left it.
          of("kalanID", ColumnType::Integer), of("kalan", ColumnType::Number),
          // The receipt made the payment row itself (a trainee without installments): cancelling
          // removes it rather than leaving a debt that never was.
          yesNo("yeni")},
         "satirID",
         5},
        {"tb_hatirlatma",
         {of("hatirlatmaID", ColumnType::AutoNumber), of("kID", ColumnType::Integer), date("zaman", "Zaman"),
          text("tur", 20, "Tür"), text("adres", 100, "Adres"), text("sonuc", 200, "Sonuç")},
         "hatirlatmaID",
         5},
    };
    tables.insert(tables.end(), cashDesk.begin(), cashDesk.end());
    // The school's own mail server and reminder text: one row, as the letterhead is.
    tables.push_back(
        {"tb_eposta_ayar",
         {of("ayarID", ColumnType::AutoNumber), text("sunucu", 100, "SMTP Sunucusu"),
          of("port", ColumnType::Integer, "Port"), text("guvenlik", 20, "Güvenlik"),
          text("kullanici", 100, "Kullanıcı Adı"), text("parola", 100, "Parola"),
          text("gonderen_adi", 100, "Gönderen Adı"), text("gonderen_adres", 100, "Gönderen Adresi"),
          text("hatirlatma_metni", 0, "Hatırlatma Metni")},
         "ayarID",
         6});
    // The driving-lesson plan: instructors, lessons, and the hours each licence class's course gives.
    const std::vector<Table> lessonPlan = {
        {"tb_egitmen",
         {of("egitmenID", ColumnType::AutoNumber), text("adi", 30, "Adı"), text("soyadi", 30, "Soyadı"),
          text("tckimlik", 20, "T.C. Kimlik No"), text("telefon", 15, "Telefon"),
          text("siniflar", 50, "Sınıflar"), yesNo("aktif", "Aktif")},
         "egitmenID",
         Schema::LessonPlanVersion},
        {"tb_ders",
         {of("dersID", ColumnType::AutoNumber), of("kID", ColumnType::Integer),
          of("egitmenID", ColumnType::Integer), of("aracID", ColumnType::Integer),
          date("baslangic", "Başlangıç"), date("bitis", "Bitiş"), text("tur", 20, "Tür"),
          text("durum", 20, "Durum"), text("aciklama", 100, "Açıklama")},
         "dersID",
         Schema::LessonPlanVersion},
        {"tb_ders_hakki",
         {of("hakID", ColumnType::AutoNumber), text("sinif", 10, "Sınıf"),
          of("direksiyon_saat", ColumnType::Integer, "Direksiyon (Saat)"),
          of("simulator_saat", ColumnType::Integer, "Simülatör (Saat)")},
         "hakID",
         Schema::LessonPlanVersion},
    };
    tables.insert(tables.end(), lessonPlan.begin(), lessonPlan.end());
    for (Table& t : tables)
        t.columns.push_back(rowVersion());
    // Added by an upgrade after the row version, so that new and upgraded files list the columns
    // in the same order.
    table(tables, "tb_odeme").columns.push_back(of("makbuzID", ColumnType::Integer));
    // The payer as the receipt named them when it was written, so that a receipt of a trainee
    // deleted or renamed since still shows whom it was given to: the name and surname with a
    // blank between, as long as both together.
    std::vector<Column>& receipt = table(tables, "tb_makbuz").columns;
    receipt.push_back(text("adisoyadi", 61, "Adı Soyadı"));
    receipt.push_back(text("adayno", 30, "Aday No"));
    return tables;
}

const Column& viewNameColumn() {
    static const Column column = text("AdiSoyadi", 255);
    return column;
}

QString sqliteType(const Column& c) {
    if (c.name == Schema::RowVersion)
        return "INTEGER NOT NULL DEFAULT 0";
    switch (c.type) {
    case ColumnType::AutoNumber:
        return "INTEGER PRIMARY KEY AUTOINCREMENT";
    case ColumnType::Integer:
        return "INTEGER";
    case ColumnType::Text:
        return c.width > 0 ? QString("VARCHAR(%1)").arg(c.width) : QString("TEXT");
    case ColumnType::Date:
        return "DATETIME";
    case ColumnType::YesNo:
        return "INTEGER DEFAULT 0";
    case ColumnType::Number:
        return "REAL";
    }
    return {};
}

// Keys are copied as they are, never renumbered: the identity only numbers rows given none.
QString postgresType(const Column& c) {
    if (c.name == Schema::RowVersion)
        return "integer NOT NULL DEFAULT 0";
    switch (c.type) {
    case ColumnType::AutoNumber:
        return "integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY";
    case ColumnType::Integer:
        return "integer";
    case ColumnType::Text:
        return c.width > 0 ? QString("varchar(%1)").arg(c.width) : QString("text");
    case ColumnType::Date:
        return "timestamp";
    case ColumnType::YesNo:
        return "smallint DEFAULT 0";
    case ColumnType::Number:
        return "double precision";
    }
    return {};
}

QString createTable(const Table& t, SqlDialect dialect) {
    QStringList columns;
    for (const Column& c : t.columns)
        columns << c.name + ' ' + (dialect == SqlDialect::Postgres ? postgresType(c) : sqliteType(c));
    return QString("CREATE TABLE %1 (%2)").arg(t.name, columns.join(", "));
}

QStringList cashDeskIndexes() {
    return {// Two desks can never hand out the same receipt number, whatever the program checks.
            "CREATE UNIQUE INDEX ix_makbuz_makbuzno ON tb_makbuz(makbuzno)",
            "CREATE INDEX ix_makbuz_tarih ON tb_makbuz(tarih)",
            "CREATE INDEX ix_makbuz_iptalzamani ON tb_makbuz(iptalzamani)",
            // A trainee's receipts are counted and cancelled when the trainee is deleted.
            "CREATE INDEX ix_makbuz_kid ON tb_makbuz(kID)",
            "CREATE INDEX ix_makbuz_satir_makbuzid ON tb_makbuz_satir(makbuzID)",
            "CREATE INDEX ix_odeme_makbuzid ON tb_odeme(makbuzID)",
            // The overdue list and the payment read the unpaid rows by trainee from the index alone.
            "CREATE INDEX ix_odeme_odendi_kid ON tb_odeme(Odendi, kID, tarih, miktar)",
            "CREATE INDEX ix_hatirlatma_kid ON tb_hatirlatma(kID)"};
}

// The three clash rules as a WHERE clause over tb_ders d against NEW: the same instructor, vehicle
// or trainee at an overlapping time (a lesson may start as another ends). Each reads its own
// index, so a booking looks at the lessons of one instructor, vehicle and trainee only.
QString clashWithNew(const QString& sameLesson) {
    QStringList rules;
    for (const char* who : {"egitmenID", "aracID", "kID"})
        rules << QString("EXISTS (SELECT 1 FROM tb_ders d WHERE d.%1 = NEW.%1 AND d.bitis > NEW.baslangic "
                         "AND d.baslangic < NEW.bitis AND d.durum <> 'İptal'%2)")
                     .arg(who, sameLesson);
    return rules.join(" OR ");
}

QStringList fileLessonRules() {
    const QString raise =
        "SELECT RAISE(ABORT, 'Bu saatte aynı eğitmenin, aracın ya da kursiyerin başka dersi var.')";
    return {
        QString("CREATE TRIGGER tb_ders_cakisma_ekle BEFORE INSERT ON tb_ders WHEN NEW.durum <> 'İptal' "
                "BEGIN %1 WHERE %2; END")
            .arg(raise, clashWithNew("")),
        QString("CREATE TRIGGER tb_ders_cakisma_degistir BEFORE UPDATE OF kID, egitmenID, aracID, baslangic, "
                "bitis, durum ON tb_ders WHEN NEW.durum <> 'İptal' BEGIN %1 WHERE %2; END")
            .arg(raise, clashWithNew(" AND d.dersID <> NEW.dersID"))};
}

// The server keeps the rule as exclusion constraints.
QStringList serverLessonRules() {
    QStringList rules = {"CREATE EXTENSION IF NOT EXISTS btree_gist"};
    for (const char* who : {"egitmenID", "aracID", "kID"})
        rules << QString("ALTER TABLE tb_ders ADD CONSTRAINT tb_ders_%1_cakisma EXCLUDE USING gist "
                         "(%1 WITH =, tsrange(baslangic, bitis) WITH &&) WHERE (durum <> 'İptal')")
                     .arg(QString(who).toLower());
    return rules;
}

} // namespace

const Column* Table::column(QStringView columnName) const {
    for (const Column& c : columns)
        if (columnName.compare(c.name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

namespace Schema {

const std::vector<Table>& tables() {
    static const std::vector<Table> all = buildTables();
    return all;
}

const std::vector<Table>& firstTables() {
    static const std::vector<Table> firstOnly = [] {
        std::vector<Table> first;
        std::copy_if(tables().begin(), tables().end(), std::back_inserter(first),
                     [](const Table& t) { return t.since == 1; });
        return first;
    }();
    return firstOnly;
}

const Table* table(QStringView name) {
    for (const Table& t : tables())
        if (name.compare(t.name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

const Column* anyColumn(QStringView name) {
    if (name.compare(viewNameColumn().name, Qt::CaseInsensitive) == 0)
        return &viewNameColumn();
    for (const Table& t : tables())
        if (const Column* c = t.column(name))
            return c;
    return nullptr;
}

QStringList lessonPlanRules(SqlDialect dialect) {
    // The plan, the clash check and the trainee's tab read lessons by one of these.
    QStringList rules = {"CREATE INDEX ix_ders_egitmen ON tb_ders(egitmenID, bitis)",
                         "CREATE INDEX ix_ders_arac ON tb_ders(aracID, bitis)",
                         "CREATE INDEX ix_ders_kid ON tb_ders(kID, bitis)"};
    rules << (dialect == SqlDialect::Postgres ? serverLessonRules() : fileLessonRules());
    for (const QString& licenceClass : ValueLists::licenceClasses())
        rules
            << QString(
                   "INSERT INTO tb_ders_hakki (sinif, direksiyon_saat, simulator_saat) VALUES ('%1', 14, 0)")
                   .arg(licenceClass);
    return rules;
}

bool isTextColumn(QStringView name) {
    const Column* c = anyColumn(name);
    return c && c->type == ColumnType::Text;
}

QStringList creationStatements(SqlDialect dialect) {
    const bool server = dialect == SqlDialect::Postgres;
    QStringList statements;
    // The server compares texts ignoring case the Turkish way through this collation ("İSMAİL" is
    // "ismail", "ISIK" is not "ışık"); the file does it through the one each connection registers.
    if (server)
        statements << "CREATE COLLATION IF NOT EXISTS tr_ci (provider = icu, locale = 'tr-u-ks-level2', "
                      "deterministic = false)";
    for (const Table& t : tables())
        statements << createTable(t, dialect);
    statements << "CREATE INDEX ix_odeme_kid ON tb_odeme(kID)"
               << "CREATE INDEX ix_kursiyer_adayno ON tb_kursiyer(adayno)"
               // The statistics count trainees by these columns: an index each keeps the counts from
               // reading the whole table six times.
               << "CREATE INDEX ix_kursiyer_cinsiyeti ON tb_kursiyer(cinsiyeti)"
               << "CREATE INDEX ix_kursiyer_ser_hak ON tb_kursiyer(ser_hak)"
               << "CREATE INDEX ix_kursiyer_ser_aldi ON tb_kursiyer(ser_aldi)"
               << "CREATE INDEX ix_kursiyer_ser_yakti ON tb_kursiyer(ser_yakti)";
    statements << cashDeskIndexes() << lessonPlanRules(dialect);
    statements << QString("CREATE VIEW %1 AS SELECT %2(k.adi, '') || ' ' || %2(k.soyadi, '') AS "
                          "AdiSoyadi, k.adayno AS adayno, "
                          "o.miktar AS miktar, o.tarih AS tarih, o.Odendi AS Odendi, o.aciklama AS aciklama, "
                          "k.kID AS kID FROM tb_odeme o INNER JOIN tb_kursiyer k ON o.kID = k.kID")
                      .arg(PaymentsView, server ? "coalesce" : "ifnull")
               // A new school asks for no login; its letterhead row waits to be filled in.
               << "INSERT INTO kullanicilar (userAD, userSIFRE, userSifreSor) VALUES ('', '', 0)"
               << "INSERT INTO tb_firma (ad, adres, tel, fax) VALUES ('', '', '', '')"
               << Schema::MailSettingsRow;
    // The server keeps the version in a table of one row, read as the file's user_version is.
    if (server) {
        statements << QString("CREATE TABLE %1 (surum integer NOT NULL)").arg(VersionTable)
                   << QString("INSERT INTO %1 (surum) VALUES (%2)").arg(VersionTable).arg(Version);
        // Other desks learn of a write when it commits; they reload only when their user asks.
        statements << QString("CREATE FUNCTION kalvista_bildir() RETURNS trigger LANGUAGE plpgsql AS "
                              "$$BEGIN PERFORM pg_notify('%1', ''); RETURN NULL; END$$")
                          .arg(ChangeChannel);
        for (const Table& t : tables())
            statements << QString("CREATE TRIGGER %1_bildir AFTER INSERT OR UPDATE OR DELETE ON %1 "
                                  "FOR EACH STATEMENT EXECUTE FUNCTION kalvista_bildir()")
                              .arg(t.name);
    } else
        statements << QString("PRAGMA user_version = %1").arg(Version);
    return statements;
}

} // namespace Schema

QString toStoredDate(const QDateTime& value) {
    return value.toString("yyyy-MM-dd HH:mm:ss");
}

QDate dayOfStoredDate(const QString& stored) {
    return QDate::fromString(stored.left(10), Qt::ISODate);
}
