#include "lessons/instructors.h"

#include "cashdesk/allocation.h"
#include "data/connection.h"
#include "data/row_checks.h"
#include "data/schema.h"
#include "data/transaction.h"
#include "data/value_lists.h"
#include "lessons/lesson_store.h"

namespace Lessons {

const QString InstructorHasLessonsText =
    QStringLiteral("\nBu eğitmenin dersleri var; silinemez. Eğitmeni pasif yapabilirsiniz.");

namespace {

QString fitted(const QString& text, const char* column) {
    static const Table& table = *Schema::table(u"tb_egitmen");
    return fitToWidth(text.trimmed(), table.column(QString::fromLatin1(column))->width);
}

void bindInstructor(Statement& statement, const Instructor& instructor) {
    statement.bind(1, fitted(instructor.firstName, "adi"));
    statement.bind(2, fitted(instructor.lastName, "soyadi"));
    statement.bind(3, fitted(instructor.idNumber, "tckimlik"));
    statement.bind(4, fitted(instructor.phone, "telefon"));
    statement.bind(5, classesText(instructor.classes));
    statement.bind(6, qint64(instructor.active ? -1 : 0));
}

} // namespace

QString classesText(const QStringList& classes) {
    QStringList ordered;
    for (const QString& licenceClass : ValueLists::licenceClasses())
        if (classes.contains(licenceClass))
            ordered << licenceClass;
    return ordered.join(',');
}

QStringList classesOf(const QString& stored) {
    QStringList entries = stored.split(',');
    for (QString& entry : entries)
        entry = entry.trimmed();
    return classesText(entries).split(',', Qt::SkipEmptyParts);
}

QString instructorProblem(const Instructor& instructor) {
    if (instructor.firstName.trimmed().isEmpty())
        return "\nEğitmenin adını girmeniz gerekiyor.";
    if (instructor.lastName.trimmed().isEmpty())
        return "\nEğitmenin soyadını girmeniz gerekiyor.";
    return {};
}

qint64 saveInstructor(Connection& connection, const Instructor& instructor) {
    if (const QString problem = instructorProblem(instructor); !problem.isEmpty())
        throw LessonRefused(problem);
    Transaction saving(connection);
    qint64 key = instructor.egitmenID;
    if (key == 0) {
        Statement insert(connection,
                         "INSERT INTO tb_egitmen (adi, soyadi, tckimlik, telefon, siniflar, aktif) "
                         "VALUES (?, ?, ?, ?, ?, ?)");
        bindInstructor(insert, instructor);
        insert.execute();
        key = connection.lastInsertId();
    } else {
        Statement update(connection,
                         "UPDATE tb_egitmen SET adi = ?, soyadi = ?, tckimlik = ?, telefon = ?, "
                         "siniflar = ?, aktif = ?, surum = surum + 1 WHERE egitmenID = ? AND surum = ?");
        bindInstructor(update, instructor);
        update.bind(7, key);
        update.bind(8, instructor.version);
        executeOnVersion(update);
    }
    saving.commit();
    return key;
}

bool hasLessons(Connection& connection, qint64 egitmenID) {
    Statement any(connection, "SELECT dersID FROM tb_ders WHERE egitmenID = ? LIMIT 1");
    any.bind(1, egitmenID);
    return any.step();
}

void deleteInstructor(Connection& connection, qint64 egitmenID, qint64 version) {
    Transaction deleting(connection);
    // On the file the write lock keeps every other desk out already; on the server no lesson may
    // be booked for the instructor between the count and the delete.
    if (connection.isServer())
        connection.execute("LOCK TABLE tb_ders IN SHARE MODE");
    if (hasLessons(connection, egitmenID))
        throw LessonRefused(InstructorHasLessonsText);
    Statement remove(connection, "DELETE FROM tb_egitmen WHERE egitmenID = ? AND surum = ?");
    remove.bind(1, egitmenID);
    remove.bind(2, version);
    executeOnVersion(remove);
    deleting.commit();
}

std::optional<int> readCourseHours(const QString& typed) {
    bool whole = false;
    const int hours = typed.trimmed().toInt(&whole);
    if (!whole || hours < 0 || hours > MostCourseHours)
        return std::nullopt;
    return hours;
}

std::vector<CourseHours> courseHours(Connection& connection) {
    Statement read(connection,
                   "SELECT hakID, sinif, direksiyon_saat, simulator_saat, surum FROM tb_ders_hakki "
                   "ORDER BY hakID");
    std::vector<CourseHours> rows;
    while (read.step())
        rows.push_back(
            {read.integer(0), read.text(1), int(read.integer(2)), int(read.integer(3)), read.integer(4)});
    return rows;
}

void saveCourseHours(Connection& connection, const std::vector<CourseHours>& changed) {
    Transaction saving(connection);
    for (const CourseHours& row : changed) {
        Statement update(connection, "UPDATE tb_ders_hakki SET direksiyon_saat = ?, simulator_saat = ?, "
                                     "surum = surum + 1 WHERE hakID = ? AND surum = ?");
        update.bind(1, row.driving);
        update.bind(2, row.simulator);
        update.bind(3, row.hakID);
        update.bind(4, row.version);
        executeOnVersion(update);
    }
    saving.commit();
}

} // namespace Lessons
