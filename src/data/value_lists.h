#pragma once

#include <QStringList>

// The entries offered for trainee fields, in their order.
namespace ValueLists {

QStringList sexes();
QStringList licenceClasses();
QStringList certificateClasses();
QStringList maritalStatuses();
QStringList religions();
// Two entries keep the trailing blank they are stored with.
QStringList bloodGroups();
// The 81 provinces, in the order the schools know them (not strictly alphabetical).
QStringList provinces();

} // namespace ValueLists
