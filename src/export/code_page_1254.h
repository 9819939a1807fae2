#pragma once

#include <QByteArray>
#include <QString>

// Text in Windows code page 1254, the text code page of a Turkish Windows system, for the formats
// that cannot hold Unicode (DBF, DIF). Qt has no such codec of its own. A character the code page
// lacks becomes '?'.
QByteArray toCp1254(const QString& text);

// Whether the code page has the character.
bool inCp1254(char32_t c);

// Text read from code page 1254, and from 1252, the Western European code page of a Windows system
// in English or German, which a DBF from elsewhere may use. A byte the code page leaves undefined
// becomes the character of the same number, as Windows reads it.
QString fromCp1254(const QByteArray& bytes);
QString fromCp1252(const QByteArray& bytes);
