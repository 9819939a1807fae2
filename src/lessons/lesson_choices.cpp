#include "lessons/lesson_choices.h"

#include "data/connection.h"
#include "data/jet_dialect.h"
#include "search/record_search.h"

namespace Lessons {

namespace {

const char* const TraineeColumns = "SELECT kID, adayno, adi, soyadi, ehliyetsinifi FROM tb_kursiyer ";

// Statements written as the search writes its conditions, so that they compare text as it does.
QString jet(Connection& connection, const QString& sql) {
    return translateJet(sql, connection.dialect());
}

TraineeChoice readTrainee(const Statement& row) {
    return {row.integer(0), row.text(1), (row.text(2) + ' ' + row.text(3)).trimmed(), row.text(4)};
}

std::vector<TraineeChoice> readTrainees(Statement& statement) {
    std::vector<TraineeChoice> trainees;
    while (statement.step())
        trainees.push_back(readTrainee(statement));
    return trainees;
}

// Each word in the name or the candidate number.
QString wordsCondition(const QString& typed) {
    QStringList conditions;
    for (const QString& word : typed.split(' ', Qt::SkipEmptyParts)) {
        QStringList anyField;
        for (const char* field : {"adi", "soyadi", "adayno"})
            anyField << RecordSearch::condition(field, word, RecordSearch::MatchKind::Contains);
        conditions << '(' + anyField.join(" or ") + ')';
    }
    return conditions.join(" and ");
}

bool teaches(const QString& classes, const QString& licenceClass) {
    for (const QString& taught : classes.split(','))
        if (!licenceClass.isEmpty() && taught.trimmed() == licenceClass)
            return true;
    return false;
}

} // namespace

QString TraineeChoice::label() const {
    return licenceClass.isEmpty() ? name : name + " - " + licenceClass;
}

QString TraineeChoice::entry() const {
    return (candidateNo + ' ' + name).trimmed();
}

std::optional<TraineeChoice> traineeOf(Connection& connection, qint64 kID) {
    Statement read(connection, QString(TraineeColumns) + "WHERE kID = ?");
    read.bind(1, kID);
    std::vector<TraineeChoice> found = readTrainees(read);
    if (found.empty())
        return std::nullopt;
    return found.front();
}

std::optional<TraineeChoice> traineeNumbered(Connection& connection, const QString& typed) {
    const QString number = typed.trimmed();
    if (number.isEmpty())
        return std::nullopt;
    Statement read(connection, jet(connection, QString(TraineeColumns) + "WHERE " +
                                                   RecordSearch::condition("adayno", number,
                                                                           RecordSearch::MatchKind::Equals)) +
                                   " LIMIT 2");
    std::vector<TraineeChoice> found = readTrainees(read);
    if (found.size() != 1)
        return std::nullopt;
    return found.front();
}

// Newest first by key: the trainees taking lessons are the recent ones, and the key's order lets
// the database stop at the limit instead of sorting every match.
std::vector<TraineeChoice> traineesMatching(Connection& connection, const QString& typed, int limit) {
    const QString condition = wordsCondition(typed);
    if (condition.isEmpty())
        return {};
    // The order and limit stay out of the translation, which would take the limit for an order term.
    Statement read(connection, jet(connection, QString(TraineeColumns) + "WHERE " + condition) +
                                   QString(" ORDER BY kID DESC LIMIT %1").arg(limit));
    return readTrainees(read);
}

std::vector<InstructorChoice> instructorsFor(Connection& connection, const QString& licenceClass,
                                             qint64 alsoOffered) {
    Statement read(connection,
                   jet(connection, "SELECT egitmenID, adi, soyadi, siniflar, aktif FROM tb_egitmen "
                                   "WHERE aktif <> 0 OR egitmenID = ? ORDER BY adi, soyadi, egitmenID"));
    read.bind(1, alsoOffered);
    std::vector<InstructorChoice> instructors;
    std::vector<bool> teaching;
    while (read.step()) {
        instructors.push_back(
            {read.integer(0), (read.text(1) + ' ' + read.text(2)).trimmed(), read.integer(4) != 0});
        teaching.push_back(teaches(read.text(3), licenceClass));
    }
    std::vector<InstructorChoice> ordered;
    for (const bool first : {true, false})
        for (size_t i = 0; i < instructors.size(); ++i)
            if (teaching[i] == first)
                ordered.push_back(instructors[i]);
    return ordered;
}

std::vector<VehicleChoice> vehicleChoices(Connection& connection) {
    Statement read(connection, jet(connection, "SELECT aracID, aracPLAKA, aracAD FROM tb_arac "
                                               "ORDER BY aracPLAKA, aracID"));
    std::vector<VehicleChoice> vehicles;
    while (read.step())
        vehicles.push_back({read.integer(0), read.text(1) + " - " + read.text(2)});
    return vehicles;
}

} // namespace Lessons
