#include "search/record_search.h"

namespace RecordSearch {

QString condition(const QString& field, const QString& value, MatchKind kind) {
    const QString text = QString(value).replace('"', QStringLiteral("\"\""));
    switch (kind) {
    case MatchKind::Equals:
        return "(" + field + " = \"" + text + "\")";
    case MatchKind::BeginsWith:
        return "(" + field + " like \"" + text + "%\")";
    case MatchKind::EndsWith:
        return "(" + field + " like \"%" + text + "\")";
    case MatchKind::Contains:
        return "(" + field + " like \"%" + text + "%\")";
    }
    return {};
}

QList<std::pair<QString, QString>> filledCriteria(const Criteria& criteria) {
    QList<std::pair<QString, QString>> filled;
    const std::pair<QString, QString> inOrder[] = {{"adi", criteria.adi},
                                                   {"soyadi", criteria.soyadi},
                                                   {"adayno", criteria.adayno},
                                                   {"ehliyetsinifi", criteria.ehliyetsinifi}};
    for (const auto& criterion : inOrder)
        if (!criterion.second.isEmpty())
            filled << criterion;
    return filled;
}

QString filterLine(const QStringList& conditions) {
    return "Where " + conditions.join(" and ").trimmed();
}

} // namespace RecordSearch
