#pragma once

#include "lessons/lesson_store.h"
#include "report/report_model.h"

#include <QDate>
#include <QStringList>

#include <vector>

// The instructor's day sheet rap_gunluk_program: an A4 page on the letterhead, one line per lesson
// of the day in time order (time, candidate number, name and mobile number of the trainee, plate),
// with a box for the trainee's and one for the instructor's signature.
namespace DaySheetLayout {

// The layout prints the lessons it is given; run it over lessons.size() rows.
Report::Definition rap_gunluk_program(const QStringList& firm, const QString& instructor, const QDate& day,
                                      const std::vector<Lessons::Lesson>& lessons);

} // namespace DaySheetLayout
