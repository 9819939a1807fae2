#pragma once

#include <QString>

// An amount as a receipt writes it out in words, rounded to the kuruş as the ledger rounds:
// 1250 → "Yalnız bin iki yüz elli Türk lirasıdır.", 1001,05 → "Yalnız bin bir Türk lirası beş
// kuruştur.". Numbers are written apart and in lower case, never "bir yüz" or "bir bin".
QString amountInWords(double amount);

// A whole number in Turkish words: 0 → "sıfır", 1100 → "bin yüz", 2000000 → "iki milyon".
QString numberInWords(qint64 number);
