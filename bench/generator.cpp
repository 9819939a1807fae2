#include "generator.h"

#include "data/connection.h"
#include "data/database_error.h"
#include "data/transaction.h"
#include "data/value_lists.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sqlite3.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace chr = std::chrono;

// Registrations spread over ten years before the reference day. Nothing depends on today's
// date, so a seed gives the same file whenever it is run.
constexpr chr::year_month_day FirstRegistration{chr::year{2015}, chr::January, chr::day{5}};
constexpr chr::year_month_day ReferenceDay{chr::year{2025}, chr::January, chr::day{1}};

const char* const MaleNames[] = {
    "Ahmet", "Mehmet", "Mustafa", "Ali",     "Hüseyin", "Hasan",    "İbrahim",  "İsmail", "Osman",
    "Yusuf", "Murat",  "Ömer",    "Ramazan", "Halil",   "Süleyman", "Abdullah", "Mahmut", "Recep",
    "Salih", "Fatih",  "Kadir",   "Emre",    "Şükrü",   "Oğuz",     "Çağlar",   "Gökhan", "Tuğrul",
    "Uğur",  "Doğan",  "Barış",   "Ilgaz",   "Cüneyt",  "Serkan",   "Ümit",     "Burak",  "Tarık",
};
const char* const FemaleNames[] = {
    "Fatma",  "Ayşe",   "Emine",  "Hatice", "Zeynep", "Elif",    "Meryem", "Şerife",
    "Zehra",  "Sultan", "Hanife", "Merve",  "Özlem",  "Yasemin", "Gülşen", "Çiğdem",
    "Büşra",  "Esra",   "Şeyma",  "Dilek",  "İpek",   "Ilgın",   "Gökçe",  "Tuğba",
    "Sevgül", "Nurgül", "Ümran",  "Ece",    "Aslı",   "Hülya",   "Songül", "Işık",
};
const char* const Surnames[] = {
    "Yılmaz",  "Kaya",     "Demir",    "Şahin",   "Çelik",   "Yıldız", "Yıldırım", "Öztürk",  "Aydın",
    "Özdemir", "Arslan",   "Doğan",    "Kılıç",   "Aslan",   "Çetin",  "Kara",     "Koç",     "Kurt",
    "Özkan",   "Şimşek",   "Polat",    "Özcan",   "Korkmaz", "Çakır",  "Erdoğan",  "Yavuz",   "Can",
    "Acar",    "Şen",      "Aktaş",    "Güler",   "Yalçın",  "Güneş",  "Bozkurt",  "Bulut",   "Keskin",
    "Ünal",    "Turan",    "Gül",      "Özer",    "Işık",    "Kaplan", "Avcı",     "Sarı",    "Tekin",
    "Taş",     "Köse",     "Yüksel",   "Ateş",    "Aksoy",   "Çiftçi", "İnce",     "Uçar",    "Ilıcak",
    "Ağaoğlu", "Çağlayan", "Gündoğdu", "Eğilmez", "Üstün",   "İşler",  "Şentürk",  "Karakuş", "Erdem",
};
const char* const Streets[] = {
    "Atatürk Cad.", "Cumhuriyet Mah.", "İnönü Cad.",   "Gazi Mustafa Kemal Blv.", "Fevzi Çakmak Sok.",
    "Çamlık Sok.",  "Gül Sok.",        "Menekşe Sok.", "Şehitler Cad.",           "Bağlar Mah.",
};
const char* const Districts[] = {
    "Merkez",    "Çankaya", "Keçiören",  "Kadıköy",  "Üsküdar",  "Bornova",
    "Karşıyaka", "Nilüfer", "Osmangazi", "Selçuklu", "Şahinbey", "Yenişehir",
};
const char* const MailDomains[] = {"gmail.com", "hotmail.com", "yahoo.com", "outlook.com", "yandex.com"};

// The columns a school usually fills in; the rest stay empty, as on most records.
const std::vector<const char*> TraineeColumns = {
    "adi",         "soyadi",       "adayno",    "dogumtarihi",   "ceptelefonu",       "eposta",
    "ehliyetAldi", "kayitTarihi",  "cinsiyeti", "ehliyetsinifi", "e_adresi",          "e_semt",
    "e_sehir",     "n_tckimlik",   "n_baba",    "n_ana",         "n_dogumyeri",       "n_medeni",
    "n_kangrubu",  "n_il",         "k_donemi",  "k_kayittarihi", "k_sertifikasinifi", "k_belgeoncende",
    "k_surekli",   "ser_hak",      "ser_aldi",  "ser_yakti",     "odeme_tutari",      "m_trafik",
    "m_ilkyardim", "m_direksiyon", "m_motor",
};

std::vector<std::string> utf8(const QStringList& list) {
    std::vector<std::string> out;
    for (const QString& s : list)
        out.push_back(s.toStdString());
    return out;
}

class Random {
public:
    explicit Random(quint32 seed) : m_engine(seed) {}
    // Reduced by hand rather than by a distribution, whose results differ between libraries.
    int between(int low, int high) { return low + int(m_engine() % quint32(high - low + 1)); }
    bool percent(int chance) { return between(0, 99) < chance; }
    template <size_t N> const char* pick(const char* const (&list)[N]) {
        return list[between(0, int(N) - 1)];
    }
    const std::string& pick(const std::vector<std::string>& list) {
        return list[size_t(between(0, int(list.size()) - 1))];
    }

private:
    std::mt19937 m_engine;
};

std::string storedDate(chr::sys_days day) {
    const chr::year_month_day d{day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u 00:00:00", int(d.year()), unsigned(d.month()),
                  unsigned(d.day()));
    return text;
}

// The same day of a later month, or that month's last day when it is shorter.
chr::sys_days monthsLater(chr::sys_days day, int months) {
    chr::year_month_day d = chr::year_month_day{day} + chr::months{months};
    if (!d.ok())
        d = d.year() / d.month() / chr::last;
    return chr::sys_days{d};
}

// Mail addresses keep to ASCII: Turkish letters lose their marks.
std::string mailPart(const char* name) {
    static const QString marked = QStringLiteral("çÇğĞıİIöÖşŞüÜ");
    static const char plain[] = "ccggiiioossuu";
    std::string out;
    for (const QChar c : QString::fromUtf8(name)) {
        const qsizetype at = marked.indexOf(c);
        out += at >= 0 ? plain[at] : char(QChar::toLower(c.unicode()));
    }
    return out;
}

template <typename... Args> std::string format(const char* pattern, Args... args) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

int yesNo(bool value) {
    return value ? -1 : 0;
}

// One prepared INSERT, bound column by column in the order it was made with. Each value names
// its column, so a value can never slip into its neighbour's column unnoticed.
class Insert {
public:
    Insert(sqlite3* db, const char* table, std::vector<const char*> columns)
        : m_db(db), m_statement(db, statementText(table, columns)), m_columns(std::move(columns)) {}

    // An empty text is stored as no value, as a field left blank is.
    Insert& text(const char* column, const std::string& value) {
        const int index = next(column);
        return checked(value.empty() ? sqlite3_bind_null(handle(), index)
                                     : sqlite3_bind_text(handle(), index, value.data(), int(value.size()),
                                                         SQLITE_TRANSIENT));
    }
    Insert& integer(const char* column, qint64 value) {
        return checked(sqlite3_bind_int64(handle(), next(column), value));
    }
    Insert& real(const char* column, double value) {
        return checked(sqlite3_bind_double(handle(), next(column), value));
    }

    void run() {
        if (m_bound != int(m_columns.size()))
            throw std::logic_error("an INSERT was run with columns left unbound");
        m_statement.step();
        sqlite3_reset(handle());
        m_bound = 0;
    }

private:
    static QString statementText(const char* table, const std::vector<const char*>& columns) {
        QStringList names;
        QStringList places;
        for (const char* column : columns) {
            names << column;
            places << "?";
        }
        return QString("INSERT INTO %1 (%2) VALUES (%3)").arg(table, names.join(", "), places.join(", "));
    }
    sqlite3_stmt* handle() const { return m_statement.handle(); }
    int next(const char* column) {
        if (m_bound >= int(m_columns.size()) || std::strcmp(m_columns[size_t(m_bound)], column) != 0)
            throw std::logic_error(std::string("INSERT column out of order: ") + column);
        return ++m_bound;
    }
    Insert& checked(int rc) {
        if (rc != SQLITE_OK)
            throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(m_db)));
        return *this;
    }

    sqlite3* m_db;
    Statement m_statement;
    std::vector<const char*> m_columns;
    int m_bound = 0;
};

class School {
public:
    School(sqlite3* db, int trainees, quint32 seed)
        : m_random(seed), m_count(trainees), m_candidate(m_random.between(1'000'000, 1'999'999)),
          m_trainee(db, "tb_kursiyer", TraineeColumns),
          m_payment(db, "tb_odeme", {"kID", "Odendi", "miktar", "tarih", "aciklama"}), m_db(db) {}

    void write() {
        for (int i = 0; i < m_count; ++i) {
            const chr::sys_days registered = registrationDay(i);
            const double fee = m_random.between(24, 100) * 250.0;
            writeTrainee(registered, fee);
            writePayments(sqlite3_last_insert_rowid(m_db), registered, fee);
        }
        writeLessonPlan();
    }

private:
    // Trainees come in the order they registered, a few a day, as a school's keys do.
    chr::sys_days registrationDay(int index) {
        const chr::sys_days first{FirstRegistration};
        const qint64 span = (chr::sys_days{ReferenceDay} - first).count() - 3;
        return first + chr::days{qint64(index) * span / qMax(m_count, 1) + m_random.between(0, 2)};
    }

    std::string mailAddress(const char* name, const char* surname) {
        if (!m_random.percent(70))
            return {};
        const std::string number =
            m_random.percent(50) ? std::to_string(m_random.between(1, 99)) : std::string();
        return mailPart(name) + "." + mailPart(surname) + number + "@" + m_random.pick(MailDomains);
    }

    void writeTrainee(chr::sys_days registered, double fee) {
        const bool licensed =
            registered < chr::sys_days{ReferenceDay} - chr::days{240} && m_random.percent(85);
        const std::string licenceClass =
            m_random.percent(70) ? std::string("B") : m_random.pick(m_licenceClasses);
        bindPerson(registered, licensed, licenceClass);
        bindAddressAndIdentity();
        bindCourse(registered, licensed, licenceClass, fee);
        m_trainee.run();
    }

    void bindPerson(chr::sys_days registered, bool licensed, const std::string& licenceClass) {
        Random& r = m_random;
        const bool male = r.percent(62);
        const char* name = male ? r.pick(MaleNames) : r.pick(FemaleNames);
        const char* surname = r.pick(Surnames);
        // Mostly young people, a few older ones.
        const int age = r.between(17, r.between(18, 60));
        const chr::sys_days born = registered - chr::days{age * 365 + r.between(0, 364)};
        m_candidate += r.between(1, 9);
        // A braced list draws left to right; function arguments would draw in no fixed order.
        const int phone[] = {r.between(30, 55), r.between(100, 999), r.between(0, 99), r.between(0, 99)};
        m_trainee.text("adi", name).text("soyadi", surname).text("adayno", std::to_string(m_candidate));
        m_trainee.text("dogumtarihi", storedDate(born))
            .text("ceptelefonu", format("05%02d %03d %02d %02d", phone[0], phone[1], phone[2], phone[3]))
            .text("eposta", mailAddress(name, surname))
            .integer("ehliyetAldi", yesNo(licensed))
            .text("kayitTarihi", storedDate(registered))
            .text("cinsiyeti", male ? "Erkek" : "Kadın")
            .text("ehliyetsinifi", licenceClass);
    }

    void bindAddressAndIdentity() {
        Random& r = m_random;
        const char* street = r.pick(Streets);
        const int house[] = {r.between(1, 150), r.between(1, 24)};
        m_trainee.text("e_adresi", format("%s No:%d D:%d", street, house[0], house[1]))
            .text("e_semt", r.pick(Districts))
            .text("e_sehir", r.pick(m_provinces));
        const int identity[] = {r.between(1, 9), r.between(0, 99999), r.between(0, 99999)};
        m_trainee.text("n_tckimlik", format("%d%05d%05d", identity[0], identity[1], identity[2]))
            .text("n_baba", r.pick(MaleNames))
            .text("n_ana", r.pick(FemaleNames))
            .text("n_dogumyeri", r.pick(m_provinces))
            .text("n_medeni", r.pick(m_maritalStatuses))
            .text("n_kangrubu", r.pick(m_bloodGroups))
            .text("n_il", r.pick(m_provinces));
    }

    void bindCourse(chr::sys_days registered, bool licensed, const std::string& licenceClass, double fee) {
        Random& r = m_random;
        const chr::year_month_day term{registered};
        m_trainee.text("k_donemi", format("%04d-%02u Dönemi", int(term.year()), unsigned(term.month())))
            .text("k_kayittarihi", storedDate(registered))
            .text("k_sertifikasinifi", licenceClass)
            .integer("k_belgeoncende", yesNo(r.percent(5)))
            .integer("k_surekli", yesNo(r.percent(5)));
        m_trainee.integer("ser_hak", yesNo(licensed))
            .integer("ser_aldi", yesNo(licensed && r.percent(90)))
            .integer("ser_yakti", yesNo(!licensed && r.percent(3)))
            .real("odeme_tutari", fee)
            .integer("m_trafik", yesNo(r.percent(3)))
            .integer("m_ilkyardim", yesNo(r.percent(3)))
            .integer("m_direksiyon", yesNo(r.percent(1)))
            .integer("m_motor", yesNo(r.percent(3)));
    }

    // A down payment on the day of registration, then monthly installments that make up the fee.
    void writePayments(qint64 kID, chr::sys_days registered, double fee) {
        const int count = m_random.between(4, 12);
        const double down = std::round(fee * m_random.between(10, 40) / 100 / 50) * 50;
        const double installment = std::floor((fee - down) / (count - 1));
        for (int i = 0; i < count; ++i) {
            const double amount = i == 0          ? down
                                  : i < count - 1 ? installment
                                                  : fee - down - installment * (count - 2);
            const chr::sys_days due = monthsLater(registered, i);
            const bool paid = due < chr::sys_days{ReferenceDay} && m_random.percent(93);
            m_payment.integer("kID", kID)
                .integer("Odendi", yesNo(paid))
                .real("miktar", amount)
                .text("tarih", storedDate(due))
                .text("aciklama", i == 0 ? std::string("Peşinat") : std::to_string(i) + ". Taksit");
            m_payment.run();
        }
    }

    // Instructors and vehicles, then five lessons a trainee: each instructor drives four hours a day,
    // six days a week, in a vehicle of their own, back from the reference day and two weeks past it.
    // A day's lessons go to as many different trainees, so nothing clashes.
    void writeLessonPlan() {
        if (m_count < Instructors * int(LessonHours.size()))
            return;
        Insert instructor(m_db, "tb_egitmen", {"adi", "soyadi", "telefon", "siniflar", "aktif"});
        Insert vehicle(m_db, "tb_arac", {"aracAD", "aracPLAKA"});
        for (int i = 0; i < Instructors; ++i) {
            const bool male = m_random.percent(80);
            instructor.text("adi", male ? m_random.pick(MaleNames) : m_random.pick(FemaleNames))
                .text("soyadi", m_random.pick(Surnames))
                .text("telefon", format("0532 %03d %02d %02d", 100 + i, i % 100, (i * 7) % 100))
                .text("siniflar", i % 10 == 0 ? "B,A2" : "B")
                .integer("aktif", yesNo(true));
            instructor.run();
            vehicle.text("aracAD", "Egea").text("aracPLAKA", format("34 KLV %03d", i + 1));
            vehicle.run();
        }
        Insert lesson(m_db, "tb_ders", {"kID", "egitmenID", "aracID", "baslangic", "bitis", "tur", "durum"});
        const qint64 lessons = qint64(m_count) * 5;
        const qint64 days = lessons / (Instructors * LessonHours.size());
        const chr::sys_days last = chr::sys_days{ReferenceDay} + chr::days{14};
        chr::sys_days day = last - chr::days{days * 7 / 6};
        for (qint64 d = 0; d < days; ++d, day += chr::days{1}) {
            if (chr::weekday{day} == chr::Sunday)
                day += chr::days{1};
            const bool past = day < chr::sys_days{ReferenceDay};
            for (int i = 0; i < Instructors; ++i)
                for (size_t h = 0; h < LessonHours.size(); ++h) {
                    const int hour = LessonHours[h];
                    const qint64 slot = (d * Instructors + i) * qint64(LessonHours.size()) + qint64(h);
                    lesson.integer("kID", 1 + slot % m_count)
                        .integer("egitmenID", i + 1)
                        .integer("aracID", i + 1);
                    lesson.text("baslangic", storedDate(day).substr(0, 11) + format("%02d:00:00", hour))
                        .text("bitis", storedDate(day).substr(0, 11) + format("%02d:45:00", hour))
                        .text("tur", "Direksiyon")
                        .text("durum", !past                 ? "Planlandı"
                                       : m_random.percent(5) ? "Gelmedi"
                                       : m_random.percent(4) ? "İptal"
                                                             : "Yapıldı");
                    lesson.run();
                }
        }
    }

    static constexpr int Instructors = 100;
    static constexpr std::array<int, 4> LessonHours = {9, 11, 14, 16};

    Random m_random;
    int m_count;
    qint64 m_candidate;
    Insert m_trainee;
    Insert m_payment;
    sqlite3* m_db;
    const std::vector<std::string> m_provinces = utf8(ValueLists::provinces());
    const std::vector<std::string> m_licenceClasses = utf8(ValueLists::licenceClasses());
    const std::vector<std::string> m_maritalStatuses = utf8(ValueLists::maritalStatuses());
    const std::vector<std::string> m_bloodGroups = utf8(ValueLists::bloodGroups());
};

} // namespace

void generateSchool(const QString& databasePath, int trainees, quint32 seed) {
    if (QFile::exists(databasePath))
        throw DatabaseError(
            QString("%1 already exists; it is left as it is.").arg(QDir::toNativeSeparators(databasePath)));
    createDatabase(databasePath);
    Connection connection;
    connection.setConnectionString("Data Source=" + databasePath);
    connection.open();
    Transaction transaction(connection);
    School(connection.handle(), trainees, seed).write();
    transaction.commit();
}
