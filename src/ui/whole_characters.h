#pragma once

#include <QString>

class QLineEdit;

// Texts are limited in UTF-16 code units, as the columns count them. A cut at such a limit can fall
// between the two halves of a character beyond the Basic Multilingual Plane (an emoji), and a half
// on its own is written to the database as "?". These keep every cut at whole characters.

// The longest start of `text` that has at most `length` code units and ends after a whole character.
QString wholeCharacterPrefix(const QString& text, qsizetype length);

// From now on, a half character that the edit's maximum length cuts off (typing, pasting, setText)
// is taken out within the same change, before the edit signals it. This is the edit's validator, so
// the edit must have no other.
void keepWholeCharacters(QLineEdit& edit);

// Whether typed text starts with a printable character; an emoji's first half alone is no character,
// so this looks at the whole first character.
bool startsWithPrintable(const QString& typed);
