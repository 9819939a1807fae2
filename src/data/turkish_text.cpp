#include "data/turkish_text.h"

#include <QChar>
#include <QCollator>
#include <QLocale>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <vector>

namespace TurkishText {
namespace {

// Characters whose order the collator gives by a single primary weight: printable ASCII and the
// Turkish letters. Strings made only of them compare by their ranks alone, which is what the
// collator would answer, only without converting the text.
constexpr char32_t RankedLimit = 0x180;
constexpr char32_t TurkishLetters[] = {0xC7, 0xE7, 0x11E, 0x11F, 0x130, 0x131,
                                       0xD6, 0xF6, 0x15E, 0x15F, 0xDC,  0xFC};

QCollator& collator() {
    thread_local QCollator instance = [] {
        QCollator c(QLocale(QLocale::Turkish, QLocale::Turkey));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return instance;
}

using RankTable = std::array<quint16, RankedLimit>;

RankTable buildRanks() {
    std::vector<char32_t> chars;
    for (char32_t c = 0x20; c < 0x7F; ++c)
        chars.push_back(c);
    chars.insert(chars.end(), std::begin(TurkishLetters), std::end(TurkishLetters));
    auto text = [](char32_t c) { return QString::fromUcs4(&c, 1); };
    std::stable_sort(chars.begin(), chars.end(),
                     [&](char32_t a, char32_t b) { return collator().compare(text(a), text(b)) < 0; });
    RankTable ranks{};
    quint16 rank = 0;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (i == 0 || collator().compare(text(chars[i - 1]), text(chars[i])) != 0)
            ++rank;
        ranks[chars[i]] = rank;
    }
    return ranks;
}

const RankTable& ranks() {
    static const RankTable table = buildRanks();
    return table;
}

// Decodes one UTF-8 sequence; invalid bytes come back as themselves so nothing loops forever.
char32_t nextCodePoint(const unsigned char*& s, const unsigned char* end) {
    const unsigned char lead = *s++;
    if (lead < 0x80)
        return lead;
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t c = lead & (0x3F >> extra);
    for (; extra > 0 && s < end && (*s & 0xC0) == 0x80; --extra)
        c = (c << 6) | (*s++ & 0x3F);
    return c;
}

bool isRanked(const unsigned char* s, const unsigned char* end) {
    const RankTable& table = ranks();
    while (s < end) {
        const char32_t c = nextCodePoint(s, end);
        if (c >= RankedLimit || table[c] == 0)
            return false;
    }
    return true;
}

int compareRanks(const unsigned char* a, const unsigned char* aEnd, const unsigned char* b,
                 const unsigned char* bEnd) {
    const RankTable& table = ranks();
    while (a < aEnd && b < bEnd) {
        const int ra = table[nextCodePoint(a, aEnd)];
        const int rb = table[nextCodePoint(b, bEnd)];
        if (ra != rb)
            return ra < rb ? -1 : 1;
    }
    return int(a < aEnd) - int(b < bEnd);
}

int collate(void*, int aLength, const void* a, int bLength, const void* b) {
    return compare(static_cast<const char*>(a), aLength, static_cast<const char*>(b), bLength);
}

// A LIKE pattern folded once per statement: each element a character, a wildcard or an escaped literal.
struct Pattern {
    enum class Kind : quint8 { Literal, AnyRun, AnyOne };
    struct Element {
        Kind kind;
        char32_t c;
    };
    std::vector<Element> elements;
};

Pattern compilePattern(const QString& text, QChar escape) {
    Pattern p;
    const QList<uint> chars = text.toUcs4();
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        if (!escape.isNull() && c == escape.unicode() && i + 1 < chars.size())
            p.elements.push_back({Pattern::Kind::Literal, foldCase(chars[++i])});
        else if (c == U'%')
            p.elements.push_back({Pattern::Kind::AnyRun, 0});
        else if (c == U'_')
            p.elements.push_back({Pattern::Kind::AnyOne, 0});
        else
            p.elements.push_back({Pattern::Kind::Literal, foldCase(c)});
    }
    return p;
}

bool matches(const Pattern& pattern, const unsigned char* text, const unsigned char* end) {
    const auto& e = pattern.elements;
    size_t pi = 0;
    size_t starPattern = SIZE_MAX;
    const unsigned char* starText = nullptr;
    while (text < end) {
        if (pi < e.size() && e[pi].kind == Pattern::Kind::AnyRun) {
            starPattern = pi++;
            starText = text;
            continue;
        }
        const unsigned char* after = text;
        const char32_t c = foldCase(nextCodePoint(after, end));
        if (pi < e.size() && (e[pi].kind == Pattern::Kind::AnyOne || e[pi].c == c)) {
            ++pi;
            text = after;
        } else if (starPattern != SIZE_MAX) {
            pi = starPattern + 1;
            nextCodePoint(starText, end);
            text = starText;
        } else {
            return false;
        }
    }
    while (pi < e.size() && e[pi].kind == Pattern::Kind::AnyRun)
        ++pi;
    return pi == e.size();
}

void deletePattern(void* p) {
    delete static_cast<Pattern*>(p);
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return sqlite3_result_null(context);
    auto* pattern = static_cast<Pattern*>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        QChar escape;
        if (argc == 3) {
            const QString e = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[2])));
            if (e.size() != 1)
                return sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            escape = e.front();
        }
        pattern = new Pattern(compilePattern(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0]))), escape));
        sqlite3_set_auxdata(context, 0, pattern, deletePattern);
        // SQLite may have freed it already when it cannot keep it; read it back.
        pattern = static_cast<Pattern*>(sqlite3_get_auxdata(context, 0));
        if (!pattern)
            return sqlite3_result_error_nomem(context);
    }
    const auto* text = sqlite3_value_text(argv[1]);
    const int length = sqlite3_value_bytes(argv[1]);
    sqlite3_result_int(context, matches(*pattern, text, text + length) ? 1 : 0);
}

} // namespace

char32_t foldCase(char32_t c) {
    if (c < 0x80)
        return c == U'I' ? U'ı' : (c >= U'A' && c <= U'Z' ? c + 32 : c);
    if (c == U'İ')
        return U'i';
    return QChar::toLower(c);
}

QString folded(const QString& text) {
    QList<uint> chars = text.normalized(QString::NormalizationForm_C).toUcs4();
    for (uint& c : chars)
        c = foldCase(c);
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), chars.size());
}

int compare(const char* a, int aLength, const char* b, int bLength) {
    const auto* ua = reinterpret_cast<const unsigned char*>(a);
    const auto* ub = reinterpret_cast<const unsigned char*>(b);
    if (isRanked(ua, ua + aLength) && isRanked(ub, ub + bLength))
        return compareRanks(ua, ua + aLength, ub, ub + bLength);
    return collator().compare(QString::fromUtf8(a, aLength), QString::fromUtf8(b, bLength));
}

int compare(const QString& a, const QString& b) {
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    return compare(ua.constData(), int(ua.size()), ub.constData(), int(ub.size()));
}

bool like(const QString& pattern, const QString& text, QChar escape) {
    const QByteArray utf8 = text.toUtf8();
    const auto* begin = reinterpret_cast<const unsigned char*>(utf8.constData());
    return matches(compilePattern(pattern, escape), begin, begin + utf8.size());
}

int registerOn(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_collation(db, CollationName, SQLITE_UTF8, nullptr, collate);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr);
    return rc;
}

} // namespace TurkishText
