#pragma once

#include <QString>

class Dataset;

// A plate names one vehicle in whatever letter case it was typed, the Turkish way: "34 iz 01" is
// "34 İZ 01" and "06 ılk 2" is "06 ILK 2", but "35 iz 1" is not "35 IZ 1". Blanks count, so a
// plate with a trailing blank is another plate.
namespace Plates {

bool same(const QString& a, const QString& b);
// The row of `vehicles` that already holds this plate; -1 when none does.
int rowOf(const Dataset& vehicles, const QString& plate);

} // namespace Plates
