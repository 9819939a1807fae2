#pragma once

#include <QByteArray>
#include <QString>

// Text in Windows code page 1254, the text code page of a Turkish Windows system, for the formats
// that cannot hold Unicode (DBF, DIF). Qt has no such codec of its own. A character the code page
// lacks becomes '?'.
QByteArray toCp1254(const QString& text);

// Whether the code page has the character.
bool inCp1254(char32_t c);
