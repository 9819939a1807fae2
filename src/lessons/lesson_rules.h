#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The rules of the driving-lesson plan that need no database: reading a typed hour, when two
// lessons clash, the free gaps of a week and the trainee's hours.
namespace Lessons {

inline const QString Driving = QStringLiteral("Direksiyon");
inline const QString Simulator = QStringLiteral("Simülatör");
inline const QString Planned = QStringLiteral("Planlandı");
inline const QString Done = QStringLiteral("Yapıldı");
inline const QString Missed = QStringLiteral("Gelmedi");
inline const QString Cancelled = QStringLiteral("İptal");
inline const QStringList Kinds = {Driving, Simulator};
inline const QStringList States = {Planned, Done, Missed, Cancelled};

constexpr int ShortestMinutes = 15;
constexpr int LongestMinutes = 240;
constexpr int UsualMinutes = 45;

// "9:30" or "09:30" as a time of day; anything else ("25:00", "9.5", "9", "") none.
std::optional<QTime> readClock(const QString& typed);

// A lesson's time is the wall clock as typed: kept in a zone without daylight saving, so that the
// machine's own zone never moves or drops an hour.
QDateTime wallClock(const QDate& day, const QTime& time);
struct Span {
    QDateTime start;
    QDateTime end;
};
// Two lessons clash when each starts before the other ends: one may start as the other ends.
bool overlaps(const Span& a, const Span& b);

// What a lesson is booked with, as the booking dialog gathers it.
struct Booking {
    qint64 kID = 0;
    qint64 egitmenID = 0;
    qint64 aracID = 0; // 0: no vehicle, a simulator lesson
    QDate day;
    QString clock; // as typed, "HH:mm"
    int minutes = UsualMinutes;
    QString kind = Driving;
};
// The reason the booking cannot be saved as typed, with the program's leading line break; empty
// when it can. The clash with other lessons is the database's to tell.
QString bookingProblem(const Booking& booking);
// The booking's time; only for a booking without a problem.
Span spanOf(const Booking& booking);

// The lesson another booking clashes with, and who is on it.
struct Clash {
    enum class With { Instructor, Vehicle, Trainee };
    With with = With::Instructor;
    QString instructor; // "Adı Soyadı"
    QString plate;
    QString trainee; // "adayno Adı Soyadı"
    Span span;
};
// "\nBu saatte eğitmenin başka dersi var: Ahmet Yılmaz - 2024-0012 Ayşe Kaya, 10:00-11:00." and its
// vehicle and trainee kin.
QString clashText(const Clash& clash);

// A free stretch of one day.
struct Gap {
    QDate day;
    QTime start;
    QTime end;
};
// The stretches of at least `minutes` between `from` and `to` on each day of the week that starts
// on `monday`, around the busy lessons (cancelled ones left out by the caller), in time order.
std::vector<Gap> freeGaps(const QDate& monday, std::vector<Span> busy, int minutes, QTime from = QTime(8, 0),
                          QTime to = QTime(20, 0));

// A trainee's lesson hours of one kind against what the course gives.
struct Hours {
    int entitledHours = 0;
    int usedMinutes = 0; // done, and missed: a missed lesson is lost
    int plannedMinutes = 0;
    int missedLessons = 0;
    int lessons = 0; // every lesson of the kind not cancelled
    void count(const QString& state, int minutes);
};
// "14", "3,5": hours with one decimal when they are not whole.
QString hoursFigure(int minutes);
// "14 saat", "3,5 saat".
QString hoursText(int minutes);
// "Hak: 14 saat - Yapılan: 6 saat - Planlanan: 4 saat - Kalan: 4 saat", then " - Gelmedi: N ders"
// when there were any; what is left never goes below nothing.
QString hoursSummary(const Hours& hours);

} // namespace Lessons
