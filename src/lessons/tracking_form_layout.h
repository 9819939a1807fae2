#pragma once

#include "lessons/lesson_store.h"
#include "report/report_model.h"

#include <QStringList>

#include <vector>

class Connection;

// The trainee's tracking form rap_takip_formu: an A4 page on the letterhead with the trainee
// above, one numbered line per driving lesson given with room for both signatures, empty numbered
// lines for the course's hours still to come, and the trainee's driving hours below.
namespace TrackingForm {

struct Form {
    QString name;
    QString nationalId;
    QString candidateNo;
    QString licenceClass;
    // The driving lessons done or missed, in time order: the ones the trainee signs for.
    std::vector<Lessons::Lesson> lessons;
    Lessons::Hours hours; // the driving hours
};

// The trainee and its lessons as the database holds them now. Throws DatabaseError
// (RowChangedElsewhereText) when the trainee is no longer there.
Form readForm(Connection& connection, qint64 kID);
// A line per lesson given, and at least one per hour of the course, whatever the lessons' lengths.
int lineCount(const Form& form);
// The numbers 1 to `count`, a row each: the run goes over them.
QString lineNumbersSql(int count);
// The layout reads `form` as it prints: the form must outlive every run of it.
Report::Definition rap_takip_formu(const QStringList& firm, const Form& form);

} // namespace TrackingForm
