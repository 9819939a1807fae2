#include "export/dbf_field_names.h"

namespace {

constexpr qsizetype FieldNameLength = 10; // dBase III

} // namespace

QByteArray dbfFieldName(const QString& name) {
    QByteArray ascii;
    for (const QChar c : name.left(FieldNameLength))
        ascii += c.unicode() < 0x80 && (c.isLetterOrNumber() || c == '_') ? char(c.unicode()) : '_';
    return ascii;
}

QByteArray uniqueDbfFieldName(const QString& name, const QSet<QByteArray>& takenUpper) {
    const QByteArray base = dbfFieldName(name);
    QByteArray unique = base;
    for (int n = 1; takenUpper.contains(unique.toUpper()); ++n) {
        const QByteArray suffix = QByteArray::number(n);
        unique = base.left(FieldNameLength - suffix.size()) + suffix;
    }
    return unique;
}

std::vector<QByteArray> uniqueDbfFieldNames(const QStringList& names) {
    std::vector<QByteArray> unique;
    QSet<QByteArray> taken;
    for (const QString& name : names) {
        unique.push_back(uniqueDbfFieldName(name, taken));
        taken.insert(unique.back().toUpper());
    }
    return unique;
}
