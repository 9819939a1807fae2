#pragma once

#include "report/report_model.h"

#include <QStringList>
#include <QVariant>

class Dataset;

// The pieces every printed layout is made of: captions, fields, the letterhead and its firm block.
namespace Report {

// What a field or a sum masked with it prints: an amount as the ledger shows it.
inline const QString AmountMask = QStringLiteral("#,###0.00");

// The printable width of an A4 page, upright and across, less the margins.
inline constexpr double A4Width = 189.7;
inline constexpr double A4LandscapeWidth = 277.0;

Item text(const QString& caption, double x, double y, bool bold = false);
Item named(Item item, const QString& name);
Item field(const QString& name, double x, double y, const QString& mask = {});
// An amount of `data`'s rows as the ledger shows it, like a field masked with AmountMask, except on
// the line printed over an empty dataset, where no row holds an amount and nothing is printed.
Item rowAmount(const Dataset& data, const QString& name, double x, double y);
// The item right-aligned in the box from `left` to `right`.
Item inBox(Item item, double left, double right);
// A horizontal line at `y` from `left` to `right`.
Item rule(double y, double left, double right);
// A caption in bold at `x` and its value `valueX` further on, the way the printouts label a value.
void labelled(std::vector<Item>& items, const char* caption, const QString& value, double x, double y,
              double valueX = 30.0);
// The item centred across a page of printable width `width`.
Item centred(Item item, double width);

// The firm block named `memoName`, the print date and the rule under them, the same in every page
// header; `width` is the printable width of the paper.
std::vector<Item> letterhead(const QString& memoName, double width = A4Width);
// The height of the page header's part that the letterhead takes.
inline constexpr double LetterheadHeight = 26.7;

// The four lines of a firm block from the first firm row; a null field is an empty text.
QStringList firmHeaderLines(const QVariant& ad, const QVariant& adres, const QVariant& tel,
                            const QVariant& fax);
// The same from the firm dataset (tfirma), opened for the read and closed again.
QStringList firmBlock(Dataset& firm);

} // namespace Report
