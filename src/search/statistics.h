#pragma once

#include <QString>

#include <array>

// The six head counts of the statistics window, taken from the whole trainee table.
namespace Statistics {

struct Row {
    QString caption;
    QString valueLabel; // objectName of the label that shows the count
    QString condition;  // appended to the count statement; empty counts every trainee
};

inline constexpr int RowCount = 6;
const std::array<Row, RowCount>& rows();

// The count statement for a condition; its one column is `kaysay`.
QString countStatement(const QString& condition);

} // namespace Statistics
