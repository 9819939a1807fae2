#include "export/code_page_1254.h"

#include <QHash>

#include <array>

namespace {

// Its signs at 0x80-0x9F (0 where it has none) ...
constexpr std::array<char16_t, 32> Cp1254Specials = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0,      0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178};
// ... and the Turkish letters where Latin-1 has the Icelandic ones; 0xA0-0xFF are Latin-1 otherwise.
constexpr std::array<std::pair<char16_t, uchar>, 6> Cp1254TurkishLetters = {
    {{u'Ğ', 0xD0}, {u'İ', 0xDD}, {u'Ş', 0xDE}, {u'ğ', 0xF0}, {u'ı', 0xFD}, {u'ş', 0xFE}}};

const QHash<char32_t, char>& cp1254Bytes() {
    static const QHash<char32_t, char> bytes = [] {
        QHash<char32_t, char> map;
        for (char32_t c = 0xA0; c <= 0xFF; ++c)
            map.insert(c, char(c));
        for (size_t i = 0; i < Cp1254Specials.size(); ++i) {
            if (Cp1254Specials[i])
                map.insert(Cp1254Specials[i], char(0x80 + i));
        }
        for (const auto& [letter, byte] : Cp1254TurkishLetters) {
            map.remove(byte);
            map.insert(letter, char(byte));
        }
        return map;
    }();
    return bytes;
}

// 1252 has the signs of 1254 and two more, Ž and ž, where 1254 has none.
constexpr std::array<std::pair<uchar, char16_t>, 2> Cp1252OwnSpecials = {{{0x8E, 0x017D}, {0x9E, 0x017E}}};

using ByteTable = std::array<char16_t, 256>;

ByteTable latin1WithSpecials() {
    ByteTable table;
    for (size_t b = 0; b < table.size(); ++b)
        table[b] = b >= 0x80 && b < 0xA0 && Cp1254Specials[b - 0x80] ? Cp1254Specials[b - 0x80] : char16_t(b);
    return table;
}

const ByteTable& cp1254Chars() {
    static const ByteTable table = [] {
        ByteTable chars = latin1WithSpecials();
        for (const auto& [letter, byte] : Cp1254TurkishLetters)
            chars[byte] = letter;
        return chars;
    }();
    return table;
}

const ByteTable& cp1252Chars() {
    static const ByteTable table = [] {
        ByteTable chars = latin1WithSpecials();
        for (const auto& [byte, sign] : Cp1252OwnSpecials)
            chars[byte] = sign;
        return chars;
    }();
    return table;
}

QString decode(const QByteArray& bytes, const ByteTable& table) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes)
        *out++ = QChar(table[uchar(b)]);
    return text;
}

} // namespace

QByteArray toCp1254(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4())
        bytes += c < 0x80 ? char(c) : cp1254Bytes().value(c, '?');
    return bytes;
}

bool inCp1254(char32_t c) {
    return c < 0x80 || cp1254Bytes().contains(c);
}

QString fromCp1254(const QByteArray& bytes) {
    return decode(bytes, cp1254Chars());
}

QString fromCp1252(const QByteArray& bytes) {
    return decode(bytes, cp1252Chars());
}
