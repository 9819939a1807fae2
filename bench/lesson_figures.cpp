#include "lesson_figures.h"

#include "app/program_folder.h"
#include "data/connection.h"
#include "lessons/lesson_store.h"

#include <cstdio>

namespace Bench {

namespace {

using namespace Lessons;

// The generated plan ends two weeks past its reference day, 2025-01-01: this week is full.
const QDate Monday(2024, 12, 30);
constexpr qint64 Instructor = 50;

QString moment(const QDate& day, const QTime& time = QTime(0, 0)) {
    return wallClock(day, time).toString("yyyy-MM-dd HH:mm:ss");
}

// What the program reads for a lesson, by bare statement: the lesson with its trainee, instructor
// and vehicle.
QString lessonsWhere(const QString& where) {
    return "SELECT d.dersID, d.kID, d.egitmenID, d.aracID, d.baslangic, d.bitis, d.tur, d.durum, d.aciklama, "
           "d.surum, k.adayno, k.adi, k.soyadi, e.adi, e.soyadi, a.aracPLAKA FROM tb_ders d "
           "LEFT JOIN tb_kursiyer k ON k.kID = d.kID LEFT JOIN tb_egitmen e ON e.egitmenID = d.egitmenID "
           "LEFT JOIN tb_arac a ON a.aracID = d.aracID WHERE " +
           where + " ORDER BY d.baslangic, d.dersID";
}

QString weekSql() {
    return lessonsWhere(QString("d.egitmenID = %1 AND d.bitis > '%2' AND d.baslangic < '%3'")
                            .arg(Instructor)
                            .arg(moment(Monday), moment(Monday.addDays(7))));
}

void weekFigures(Connection& connection, Floor& floor) {
    std::size_t shown = 0;
    Medians m =
        alternate([&] { shown = weekOf(connection, Resource::Instructor, Instructor, Monday).size(); },
                  [&] { g_sink = g_sink + floor.readAll(weekSql()); });
    const QByteArray week = QString("lessons: one instructor's week (%1 lessons)").arg(shown).toUtf8();
    print({week.constData(), m.ours, m.floor, "ms", Target::Below, 50});
    m = alternate(
        [&] {
            g_sink =
                g_sink + qint64(freeGapsOf(connection, Resource::Instructor, Instructor, Monday, 45).size());
        },
        [&] { g_sink = g_sink + floor.readAll(weekSql()); });
    print({"lessons: free hours of that week", m.ours, m.floor, "ms", Target::Below, 50});
}

// A lesson at 18:00 of a day of the week, checked against the instructor's, the vehicle's and the
// trainee's lessons and written in one transaction; taken away again before the next turn. The
// floor is the three bare reads of the check.
void bookingFigure(Connection& connection, Floor& floor) {
    const QDate day = Monday.addDays(1);
    const Booking booking{1, Instructor, Instructor, day, "18:00", 45, Driving};
    const QString span = QString("d.bitis > '%1' AND d.baslangic < '%2' AND d.durum <> 'İptal'")
                             .arg(moment(day, QTime(18, 0)), moment(day, QTime(18, 45)));
    const QString removeBooked =
        QString("DELETE FROM tb_ders WHERE baslangic = '%1'").arg(moment(day, QTime(18, 0)));
    const Medians m = alternate([&] { saveLesson(connection, booking, Planned, {}); },
                                [&] {
                                    for (const QString& who :
                                         {QString("d.egitmenID = %1").arg(Instructor),
                                          QString("d.aracID = %1").arg(Instructor), QString("d.kID = 1")})
                                        g_sink = g_sink + floor.readAll(lessonsWhere(who + " AND " + span));
                                },
                                [&] { connection.execute(removeBooked); });
    connection.execute(removeBooked);
    print({"lessons: a booking checked and written", m.ours, m.floor, "ms", Target::Below, 20});
}

// The trainee of the most lessons' tab: every lesson and the hours against the course.
void traineeTabFigure(Connection& connection, Floor& floor) {
    const qint64 kID = 1;
    std::size_t lessons = 0;
    const Medians m = alternate(
        [&] {
            const std::vector<Lesson> all = lessonsOf(connection, kID);
            lessons = all.size();
            g_sink = g_sink + hoursOf(connection, kID, all).driving.usedMinutes;
        },
        [&] {
            g_sink = g_sink + floor.readAll(lessonsWhere(QString("d.kID = %1").arg(kID)));
            g_sink = g_sink +
                     floor.readAll(QString("SELECT h.direksiyon_saat, h.simulator_saat FROM tb_kursiyer k "
                                           "INNER JOIN tb_ders_hakki h ON h.sinif = k.ehliyetsinifi WHERE "
                                           "k.kID = %1")
                                       .arg(kID));
        });
    const QByteArray name = QString("lessons: a trainee's tab (%1 lessons)").arg(lessons).toUtf8();
    print({name.constData(), m.ours, m.floor, "ms", Target::Below, 20});
}

} // namespace

void lessonFigures(Floor& floor) {
    Connection connection;
    connection.useProgramFolder(ProgramFolder);
    connection.open();
    weekFigures(connection, floor);
    bookingFigure(connection, floor);
    traineeTabFigure(connection, floor);
}

} // namespace Bench
