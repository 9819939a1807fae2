#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class Connection;

// The instructors and the course hours of each licence class, as the settings keep them. Every
// write is one transaction and names the row versions it read.
namespace Lessons {

// The refusal of deleting an instructor who has lessons: the lessons keep their instructor.
extern const QString InstructorHasLessonsText;

struct Instructor {
    qint64 egitmenID = 0; // 0: not written yet
    QString firstName;
    QString lastName;
    QString idNumber; // T.C. Kimlik No
    QString phone;
    QStringList classes; // licence classes taught
    bool active = true;
    qint64 version = 0;
};

// The classes as stored: the entries of the licence-class list, in its order, comma-separated.
// Anything not in the list is left out, so a class shown by no check box is never kept.
QString classesText(const QStringList& classes);
QStringList classesOf(const QString& stored);

// The Turkish refusal of an instructor as typed, or empty.
QString instructorProblem(const Instructor& instructor);

// Writes a new instructor, or over `egitmenID` with the version read; texts cut to their columns.
// Throws LessonRefused for a problem of the entry, DatabaseError (RowChangedElsewhereText) when
// another desk changed or deleted the instructor meanwhile. Returns the key.
qint64 saveInstructor(Connection& connection, const Instructor& instructor);
// Any lesson at all, a cancelled one too: a cancelled lesson still names its instructor.
bool hasLessons(Connection& connection, qint64 egitmenID);
// Throws LessonRefused (InstructorHasLessonsText) when the instructor has lessons.
void deleteInstructor(Connection& connection, qint64 egitmenID, qint64 version);

// The lesson hours a licence class's course gives.
struct CourseHours {
    qint64 hakID = 0;
    QString licenceClass;
    int driving = 0;
    int simulator = 0;
    qint64 version = 0;
};

inline constexpr int MostCourseHours = 999;

// Whole hours from 0 to MostCourseHours as typed; none for anything else.
std::optional<int> readCourseHours(const QString& typed);

std::vector<CourseHours> courseHours(Connection& connection);
// Writes the hours of the rows given, all or none.
void saveCourseHours(Connection& connection, const std::vector<CourseHours>& changed);

} // namespace Lessons
