#pragma once

#include "import/cell_values.h"
#include "import/import_fields.h"

#include <QChar>

#include <algorithm>

// What the check and the problem report both say of a row's cells.

// The field that finds the trainee of a row: a trainee's own candidate number, or the one a payment
// names.
inline const QString CandidateNumberField = QStringLiteral("adayno");

// The index of the field of that name among importFields(kind), or -1.
inline int fieldNamed(ImportKind kind, const QString& name) {
    const std::vector<ImportField>& fields = importFields(kind);
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

// The column that fills the field, or -1.
inline int columnOf(const Matching& matching, int field) {
    const auto found = std::find(matching.begin(), matching.end(), field);
    return found == matching.end() ? -1 : int(found - matching.begin());
}

// A cell's text as a reason quotes it: cut short, so that a 50,000-character cell stays readable.
inline QString shownCellText(const QVariant& cell) {
    constexpr int shownLength = 40;
    const QString text = readText(cell).trimmed();
    return text.size() > shownLength ? text.left(shownLength) + QChar(0x2026) : text;
}
