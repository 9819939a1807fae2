#include "lessons/lesson_store.h"

#include "cashdesk/allocation.h"
#include "data/connection.h"
#include "data/row_checks.h"
#include "data/transaction.h"

namespace Lessons {

namespace {

constexpr int DescriptionWidth = 100;
const char* const MomentFormat = "yyyy-MM-dd HH:mm:ss";

QString stored(const QDateTime& moment) {
    return moment.toString(MomentFormat);
}

// A stored moment on either backend ("2026-12-07 10:00:00", the server's may carry a 'T').
QDateTime moment(const QString& text) {
    QDateTime read = QDateTime::fromString(text.left(19).replace('T', ' '), MomentFormat);
    read.setTimeSpec(Qt::UTC);
    return read;
}

QVariant vehicle(qint64 aracID) {
    return aracID > 0 ? QVariant(aracID) : QVariant();
}

const char* const LessonColumns =
    "SELECT d.dersID, d.kID, d.egitmenID, d.aracID, d.baslangic, d.bitis, d.tur, d.durum, d.aciklama, "
    "d.surum, "
    "k.adayno, k.adi, k.soyadi, e.adi, e.soyadi, a.aracPLAKA, k.ceptelefonu FROM tb_ders d "
    "LEFT JOIN tb_kursiyer k ON k.kID = d.kID LEFT JOIN tb_egitmen e ON e.egitmenID = d.egitmenID "
    "LEFT JOIN tb_arac a ON a.aracID = d.aracID ";

Lesson readLesson(const Statement& row) {
    Lesson lesson;
    lesson.dersID = row.integer(0);
    lesson.kID = row.integer(1);
    lesson.egitmenID = row.integer(2);
    lesson.aracID = row.integer(3);
    lesson.span = {moment(row.text(4)), moment(row.text(5))};
    lesson.kind = row.text(6);
    lesson.state = row.text(7);
    lesson.description = row.text(8);
    lesson.version = row.integer(9);
    lesson.candidateNo = row.text(10);
    lesson.traineeName = (row.text(11) + ' ' + row.text(12)).trimmed();
    lesson.instructor = (row.text(13) + ' ' + row.text(14)).trimmed();
    lesson.plate = row.text(15);
    lesson.mobile = row.text(16);
    return lesson;
}

std::vector<Lesson> readLessons(Statement& statement) {
    std::vector<Lesson> lessons;
    while (statement.step())
        lessons.push_back(readLesson(statement));
    return lessons;
}

QString resourceColumn(Resource resource) {
    return resource == Resource::Instructor ? "egitmenID" : "aracID";
}

void refuseClash(Connection& connection, const Span& span, const Booking& booking, qint64 except) {
    if (const std::optional<Clash> clash =
            findClash(connection, span, booking.kID, booking.egitmenID, booking.aracID, except))
        throw LessonRefused(clashText(*clash));
}

// The lesson's columns as parameters 1 to 8: kID, egitmenID, aracID, baslangic, bitis, tur, durum,
// aciklama.
void bindLesson(Statement& statement, const Booking& booking, const Span& span, const QString& state,
                const QString& description) {
    const QVariant values[] = {booking.kID,
                               booking.egitmenID,
                               vehicle(booking.aracID),
                               stored(span.start),
                               stored(span.end),
                               booking.kind,
                               state,
                               fitToWidth(description.trimmed(), DescriptionWidth)};
    for (int i = 0; i < 8; ++i)
        statement.bind(i + 1, values[i]);
}

qint64 insertLesson(Connection& connection, const Booking& booking, const Span& span, const QString& state,
                    const QString& description) {
    Statement insert(connection, "INSERT INTO tb_ders (kID, egitmenID, aracID, baslangic, bitis, tur, durum, "
                                 "aciklama) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    bindLesson(insert, booking, span, state, description);
    insert.execute();
    return connection.lastInsertId();
}

void updateLesson(Connection& connection, qint64 dersID, qint64 version, const Booking& booking,
                  const Span& span, const QString& state, const QString& description) {
    Statement update(connection,
                     "UPDATE tb_ders SET kID = ?, egitmenID = ?, aracID = ?, baslangic = ?, bitis = ?, "
                     "tur = ?, durum = ?, aciklama = ?, surum = surum + 1 WHERE dersID = ? AND surum = ?");
    bindLesson(update, booking, span, state, description);
    update.bind(9, dersID);
    update.bind(10, version);
    executeOnVersion(update);
}

Booking bookingOf(const Lesson& lesson) {
    return {lesson.kID,
            lesson.egitmenID,
            lesson.aracID,
            lesson.span.start.date(),
            lesson.span.start.toString("HH:mm"),
            lesson.minutes(),
            lesson.kind};
}

} // namespace

int Lesson::minutes() const {
    return int(span.start.secsTo(span.end) / 60);
}

QString Lesson::trainee() const {
    return (candidateNo + ' ' + traineeName).trimmed();
}

Lesson lessonOf(Connection& connection, qint64 dersID) {
    Statement read(connection, QString(LessonColumns) + "WHERE d.dersID = ?");
    read.bind(1, dersID);
    if (!read.step())
        throw DatabaseError(RowChangedElsewhereText);
    return readLesson(read);
}

std::optional<Clash> findClash(Connection& connection, const Span& span, qint64 kID, qint64 egitmenID,
                               qint64 aracID, qint64 except) {
    const std::pair<Clash::With, std::pair<const char*, qint64>> rules[] = {
        {Clash::With::Instructor, {"egitmenID", egitmenID}},
        {Clash::With::Vehicle, {"aracID", aracID}},
        {Clash::With::Trainee, {"kID", kID}}};
    for (const auto& [with, who] : rules) {
        if (who.second <= 0)
            continue;
        Statement clash(connection, QString(LessonColumns) +
                                        QString("WHERE d.%1 = ? AND d.bitis > ? AND d.baslangic < ? AND "
                                                "d.durum <> 'İptal' AND d.dersID <> ? ORDER BY d.baslangic")
                                            .arg(who.first));
        clash.bind(1, who.second);
        clash.bind(2, stored(span.start));
        clash.bind(3, stored(span.end));
        clash.bind(4, except);
        if (clash.step()) {
            const Lesson other = readLesson(clash);
            return Clash{with, other.instructor, other.plate, other.trainee(), other.span};
        }
    }
    return std::nullopt;
}

qint64 saveLesson(Connection& connection, const Booking& booking, const QString& state,
                  const QString& description, qint64 dersID, qint64 version) {
    if (const QString problem = bookingProblem(booking); !problem.isEmpty())
        throw LessonRefused(problem);
    if (!States.contains(state))
        throw LessonRefused("\nDersin durumu geçerli değil.");
    const Span span = spanOf(booking);
    const bool mayClash = state != Cancelled;
    try {
        Transaction write(connection);
        holdTrainee(connection, booking.kID);
        if (mayClash)
            refuseClash(connection, span, booking, dersID);
        if (dersID == 0)
            dersID = insertLesson(connection, booking, span, state, description);
        else
            updateLesson(connection, dersID, version, booking, span, state, description);
        write.commit();
        return dersID;
    } catch (const LessonRefused&) {
        throw;
    } catch (const DatabaseError&) {
        // Another desk booked the same hour between the check and the write, and the database
        // refused the second: name the clash as the check would have.
        if (mayClash)
            refuseClash(connection, span, booking, dersID);
        throw;
    }
}

qint64 setLessonState(Connection& connection, qint64 dersID, const QString& state) {
    const Lesson lesson = lessonOf(connection, dersID);
    saveLesson(connection, bookingOf(lesson), state, lesson.description, dersID, lesson.version);
    return lesson.kID;
}

void deleteLesson(Connection& connection, qint64 dersID, qint64 version) {
    Transaction write(connection);
    Statement remove(connection, "DELETE FROM tb_ders WHERE dersID = ? AND surum = ?");
    remove.bind(1, dersID);
    remove.bind(2, version);
    executeOnVersion(remove);
    write.commit();
}

std::vector<Lesson> weekOf(Connection& connection, Resource resource, qint64 id, const QDate& monday) {
    Statement week(connection,
                   QString(LessonColumns) + QString("WHERE d.%1 = ? AND d.bitis > ? AND d.baslangic < ? "
                                                    "ORDER BY d.baslangic, d.dersID")
                                                .arg(resourceColumn(resource)));
    week.bind(1, id);
    week.bind(2, stored(wallClock(monday, QTime(0, 0))));
    week.bind(3, stored(wallClock(monday.addDays(7), QTime(0, 0))));
    return readLessons(week);
}

std::vector<Gap> freeGapsOf(Connection& connection, Resource resource, qint64 id, const QDate& monday,
                            int minutes) {
    std::vector<Span> busy;
    for (const Lesson& lesson : weekOf(connection, resource, id, monday))
        if (lesson.state != Cancelled)
            busy.push_back(lesson.span);
    return freeGaps(monday, std::move(busy), minutes);
}

std::vector<Lesson> dayOf(Connection& connection, qint64 egitmenID, const QDate& day) {
    Statement read(connection, QString(LessonColumns) +
                                   "WHERE d.egitmenID = ? AND d.bitis > ? AND d.baslangic < ? "
                                   "AND d.durum <> 'İptal' ORDER BY d.baslangic, d.dersID");
    read.bind(1, egitmenID);
    read.bind(2, stored(wallClock(day, QTime(0, 0))));
    read.bind(3, stored(wallClock(day.addDays(1), QTime(0, 0))));
    return readLessons(read);
}

std::vector<Lesson> lessonsOf(Connection& connection, qint64 kID) {
    Statement read(connection, QString(LessonColumns) + "WHERE d.kID = ? ORDER BY d.baslangic, d.dersID");
    read.bind(1, kID);
    return readLessons(read);
}

TraineeHours hoursOf(Connection& connection, qint64 kID, const std::vector<Lesson>& lessons) {
    TraineeHours hours;
    Statement course(connection, "SELECT h.direksiyon_saat, h.simulator_saat FROM tb_kursiyer k "
                                 "INNER JOIN tb_ders_hakki h ON h.sinif = k.ehliyetsinifi WHERE k.kID = ?");
    course.bind(1, kID);
    if (course.step()) {
        hours.driving.entitledHours = int(course.integer(0));
        hours.simulator.entitledHours = int(course.integer(1));
    }
    course.execute();
    for (const Lesson& lesson : lessons)
        (lesson.kind == Simulator ? hours.simulator : hours.driving).count(lesson.state, lesson.minutes());
    return hours;
}

qint64 lessonCountOf(Connection& connection, qint64 egitmenID, const QDateTime& from) {
    Statement count(connection, "SELECT count(*) FROM tb_ders WHERE egitmenID = ? AND durum <> 'İptal' AND "
                                "baslangic >= ?");
    count.bind(1, egitmenID);
    count.bind(2, stored(from.isValid() ? from : wallClock(QDate(1900, 1, 1), QTime(0, 0))));
    count.step();
    return count.integer(0);
}

} // namespace Lessons
