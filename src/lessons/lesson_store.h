#pragma once

#include "data/database_error.h"
#include "lessons/lesson_rules.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

class Connection;

// The lessons in the database: booking without clashes, their states, and what the plan, the free
// hours and the trainee's tab read. Every write is one transaction.
namespace Lessons {

// A lesson the plan refuses as typed (a clash, a bad hour...): the dialog shows it as a warning and
// keeps what was typed.
class LessonRefused : public DatabaseError {
public:
    using DatabaseError::DatabaseError;
};

// A lesson as it is stored, with who is on it as the plan shows them.
struct Lesson {
    qint64 dersID = 0; // 0: not written yet
    qint64 kID = 0;
    qint64 egitmenID = 0;
    qint64 aracID = 0; // 0: none, a simulator lesson
    Span span;
    QString kind = Driving;
    QString state = Planned;
    QString description;
    qint64 version = 0;
    // Read with the lesson, not written.
    QString candidateNo;
    QString traineeName; // "Adı Soyadı"
    QString instructor;  // "Adı Soyadı"
    QString plate;
    QString mobile; // the trainee's, for the day sheet

    int minutes() const;
    QString trainee() const; // "adayno Adı Soyadı"
};

// Whose week the plan shows.
enum class Resource { Instructor, Vehicle };

// The first lesson not cancelled that the span clashes with, in the order instructor, vehicle,
// trainee; the lesson `except` (the one being changed) left out.
std::optional<Clash> findClash(Connection& connection, const Span& span, qint64 kID, qint64 egitmenID,
                               qint64 aracID, qint64 except = 0);

// One lesson as stored; DatabaseError (RowChangedElsewhereText) when another desk deleted it.
Lesson lessonOf(Connection& connection, qint64 dersID);

// Writes the booking as a new lesson, or over lesson `dersID` when it is not 0 (whose version read
// was `version`). Throws LessonRefused for a problem of the booking or a clash, naming it;
// DatabaseError (RowChangedElsewhereText) when another desk deleted the trainee or changed the
// lesson meanwhile. Returns the lesson's key.
qint64 saveLesson(Connection& connection, const Booking& booking, const QString& state,
                  const QString& description, qint64 dersID = 0, qint64 version = 0);
// Only the state, as the plan's buttons change it; a cancelled lesson made planned again is
// checked for clashes like a new one. Returns the key of the lesson's trainee.
qint64 setLessonState(Connection& connection, qint64 dersID, const QString& state);
void deleteLesson(Connection& connection, qint64 dersID, qint64 version);

// The lessons of one instructor or vehicle in the week that starts on `monday`, cancelled ones
// included, in time order.
std::vector<Lesson> weekOf(Connection& connection, Resource resource, qint64 id, const QDate& monday);
// The free stretches of that week of at least `minutes`, between 08:00 and 20:00.
std::vector<Gap> freeGapsOf(Connection& connection, Resource resource, qint64 id, const QDate& monday,
                            int minutes);
// An instructor's lessons that day, cancelled ones left out, in time order: the day sheet.
std::vector<Lesson> dayOf(Connection& connection, qint64 egitmenID, const QDate& day);
// Every lesson of the trainee, in time order.
std::vector<Lesson> lessonsOf(Connection& connection, qint64 kID);

// The trainee's hours of each kind against the course of the trainee's licence class.
struct TraineeHours {
    Hours driving;
    Hours simulator;
};
TraineeHours hoursOf(Connection& connection, qint64 kID, const std::vector<Lesson>& lessons);

// Lessons of the instructor not cancelled: any at all (the instructor cannot be deleted), and from
// `from` on (an inactive instructor's lessons still to come).
qint64 lessonCountOf(Connection& connection, qint64 egitmenID, const QDateTime& from = {});

} // namespace Lessons
