#include "cashdesk/amount_in_words.h"

#include "payments/round_amount.h"

#include <QStringList>

#include <array>
#include <cmath>

namespace {

const std::array<const char*, 10> Ones = {"",    "bir",  "iki",  "üç",    "dört",
                                          "beş", "altı", "yedi", "sekiz", "dokuz"};
const std::array<const char*, 10> Tens = {"",     "on",     "yirmi",  "otuz",   "kırk",
                                          "elli", "altmış", "yetmiş", "seksen", "doksan"};

struct Scale {
    qint64 size;
    const char* name;
};
const std::array<Scale, 3> Scales = {{{1000000000, "milyar"}, {1000000, "milyon"}, {1000, "bin"}}};

// 1..999, each word apart: "yüz", "iki yüz on bir".
void appendHundreds(int number, QStringList& words) {
    const int hundreds = number / 100;
    if (hundreds > 1)
        words << QString::fromUtf8(Ones[size_t(hundreds)]);
    if (hundreds > 0)
        words << QStringLiteral("yüz");
    if (const int tens = number / 10 % 10)
        words << QString::fromUtf8(Tens[size_t(tens)]);
    if (const int ones = number % 10)
        words << QString::fromUtf8(Ones[size_t(ones)]);
}

} // namespace

QString numberInWords(qint64 number) {
    if (number == 0)
        return QStringLiteral("sıfır");
    QStringList words;
    for (const Scale& scale : Scales) {
        const int count = int(number / scale.size % 1000);
        // A thousand is "bin", never "bir bin"; a million is "bir milyon".
        if (count > 1 || (count == 1 && scale.size != 1000))
            appendHundreds(count, words);
        if (count > 0)
            words << QString::fromUtf8(scale.name);
    }
    appendHundreds(int(number % 1000), words);
    return words.join(' ');
}

QString amountInWords(double amount) {
    const qint64 kurus = std::llround(std::fabs(RoundAmount(amount)) * 100);
    const qint64 lira = kurus / 100;
    QString text = "Yalnız " + numberInWords(lira) + " Türk lirası";
    if (kurus % 100 == 0)
        return text + "dır.";
    return text + ' ' + numberInWords(kurus % 100) + " kuruştur.";
}
