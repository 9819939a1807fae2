#include "search/statistics.h"

namespace Statistics {

const std::array<Row, RowCount>& rows() {
    // Sex is counted by its first letter; a trainee with no sex is in the first row only.
    static const std::array<Row, RowCount> table = {{
        {"Toplam Kursiyer", "s1", ""},
        {"Toplam Erkek Kursiyer", "s2", "WHERE cinsiyeti Like  \"E%\""},
        {"Toplam Kadın Kursiyer", "s3", "WHERE cinsiyeti Like  \"K%\""},
        {"Sertifika Hakeden", "s4", "WHERE ser_hak = true"},
        {"Sertifikasını Alan", "s5", "WHERE ser_aldi = true"},
        {"Sertifika Alamayan", "s6", "WHERE ser_yakti = true"},
    }};
    return table;
}

QString countStatement(const QString& condition) {
    return "select count(*) as kaysay from tb_kursiyer " + condition;
}

} // namespace Statistics
