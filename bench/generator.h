#pragma once

#include <QString>
#include <QtGlobal>

inline constexpr quint32 DefaultSchoolSeed = 20240917;

// Makes a new database at the given path holding a school of the given number of trainees with
// realistic Turkish names and about eight payments each. The same seed always gives the same
// rows. Refuses to replace an existing file; throws DatabaseError on any failure.
void generateSchool(const QString& databasePath, int trainees, quint32 seed);
