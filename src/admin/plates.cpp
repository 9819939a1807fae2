#include "admin/plates.h"

#include "data/dataset.h"
#include "data/turkish_text.h"

namespace Plates {

bool same(const QString& a, const QString& b) {
    const QList<uint> left = a.toUcs4();
    const QList<uint> right = b.toUcs4();
    if (left.size() != right.size())
        return false;
    for (qsizetype i = 0; i < left.size(); ++i)
        if (TurkishText::foldCase(left[i]) != TurkishText::foldCase(right[i]))
            return false;
    return true;
}

int rowOf(const Dataset& vehicles, const QString& plate) {
    const int field = vehicles.fieldIndex("aracPLAKA");
    for (int row = 0; row < vehicles.recordCount(); ++row)
        if (same(vehicles.valueAt(row, field).toString(), plate))
            return row;
    return -1;
}

} // namespace Plates
