#pragma once

#include <QString>

struct sqlite3;

// Text comparison the Turkish way, ignoring letter case: "ismail" equals "İSMAİL", "ılık" equals "ILIK",
// Ç sorts after C and Ş after S.
namespace TurkishText {

// Name of the collation registered on every connection; statements name it, the schema never does.
inline constexpr const char* CollationName = "TURKCE";

// Negative, zero or positive, like strcmp. Works on UTF-8 without building strings for common text.
int compare(const char* a, int aLength, const char* b, int bLength);
int compare(const QString& a, const QString& b);

// SQL LIKE with % and _ (and an optional escape character), folding letter case the Turkish way.
bool like(const QString& pattern, const QString& text, QChar escape = QChar());

// Lower case the Turkish way: I becomes ı, İ becomes i.
char32_t foldCase(char32_t c);

// The text in Turkish lower case and composed Unicode form, a key that names a text for a lock:
// texts compare() takes as equal give one key ("İS-7" and "is-7"), but for rare forms the collator
// matches too (full-width letters). Never stored.
QString folded(const QString& text);

// Registers the collation and replaces like() on this connection; SQLite's result code.
int registerOn(sqlite3* db);

} // namespace TurkishText
