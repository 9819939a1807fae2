#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// The filter line that the record search writes into the trainee list's statement.
namespace RecordSearch {

// The positions of "Sorgu Tipi": one form for every condition of a search.
enum class MatchKind { Equals, BeginsWith, EndsWith, Contains };

// One condition in the form of the match kind. The value stands between double quotes with any
// double quote inside it doubled, so that no value can end its literal and add to the statement.
QString condition(const QString& field, const QString& value, MatchKind kind);

// What the search window holds; an empty licence class is its blank entry.
struct Criteria {
    QString adi;
    QString soyadi;
    QString adayno;
    QString ehliyetsinifi;
};

// The filled criteria as field and value, in the order of the filter whatever the order on screen.
// A text is used as typed: one blank counts as filled.
QList<std::pair<QString, QString>> filledCriteria(const Criteria& criteria);

// "Where " and the conditions joined by " and ", for a list that is not empty.
QString filterLine(const QStringList& conditions);

} // namespace RecordSearch
