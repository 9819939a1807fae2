#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// Reading the cells of a file as the values of the program's fields.

// How a column writes its amounts: Turkish "1.234,50" or English "1,234.50".
enum class AmountStyle { Undecided, Turkish, English };

// What one amount's text tells of its column's style: a decimal part or grouping that only one
// style reads decides it; "1.234" or "100" decides nothing.
AmountStyle amountStyleOf(const QString& text);

// Letter case folded the Turkish way and every letter read as its base letter: "İĞNE" and "igne"
// give "igne", "Hayır" gives "hayir". Files typed without Turkish letters are read through it.
QString foldToAscii(const QString& text);

// A cell's value as each kind of field takes it; none when the cell cannot be read so. An empty
// cell is never passed.
// A date: dd.MM.yyyy, d.M.yyyy, yyyy-MM-dd, dd/MM/yyyy, a two-digit year as the date box reads it
// (1950 to 2049), a spreadsheet serial number, or a date cell of the file.
std::optional<QDate> readDate(const QVariant& cell);
// An amount: a number cell, or a text in the column's style (Turkish when undecided).
std::optional<double> readAmount(const QVariant& cell, AmountStyle style);
// Yes or no: Evet/Hayır, E/H, Var/Yok, 1/0/-1, True/False, X, a logical cell. An empty cell is no.
std::optional<bool> readYesNo(const QVariant& cell);
// A text: a number cell as its shortest text (2024, not 2024.0), a date cell as dd.MM.yyyy.
QString readText(const QVariant& cell);
// The entry of the list that equals the text, compared the Turkish way, ignoring case and blanks at
// either end: "istanbul" gives "İSTANBUL".
std::optional<QString> readListEntry(const QString& text, const QStringList& entries);
