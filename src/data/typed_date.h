#pragma once

#include <QDate>
#include <QString>

#include <optional>

// A date as a person types it: day, month and year, separated by dots (or slashes or dashes); a
// year written with two digits falls in the hundred years from 1950. No value when the text is no
// date; a null date when it is empty.
std::optional<QDate> readTypedDate(const QString& text);
