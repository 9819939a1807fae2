#pragma once

#include <QString>

#include <optional>
#include <vector>

class Connection;

// What the booking dialog offers to choose from: trainees found by candidate number or by a part
// of the name, the instructors for a licence class, the vehicles.
namespace Lessons {

struct TraineeChoice {
    qint64 kID = 0;
    QString candidateNo;
    QString name; // "Adı Soyadı"
    QString licenceClass;

    QString label() const; // "Ayşe Kaya - B"
    QString entry() const; // "2024-0012 Ayşe Kaya", as the completer lists it
};

// How many matches a part of a name offers at most: a school has up to 100,000 trainees.
constexpr int OfferedTrainees = 20;

std::optional<TraineeChoice> traineeOf(Connection& connection, qint64 kID);
// The trainee whose candidate number is `typed` whole, letter case aside; none when no trainee or
// more than one has it.
std::optional<TraineeChoice> traineeNumbered(Connection& connection, const QString& typed);
// The trainees whose name or candidate number holds every word typed, letter case ignored the
// Turkish way, the newest first.
std::vector<TraineeChoice> traineesMatching(Connection& connection, const QString& typed,
                                            int limit = OfferedTrainees);

struct InstructorChoice {
    qint64 egitmenID = 0;
    QString name; // "Adı Soyadı"
    bool active = true;
};
// The active instructors, those who teach `licenceClass` first, each group by name; `alsoOffered`
// (the instructor of a lesson being changed) is offered even when no longer active.
std::vector<InstructorChoice> instructorsFor(Connection& connection, const QString& licenceClass,
                                             qint64 alsoOffered = 0);

struct VehicleChoice {
    qint64 aracID = 0;
    QString text; // "PLAKA - Araç Adı"
};
std::vector<VehicleChoice> vehicleChoices(Connection& connection);

} // namespace Lessons
