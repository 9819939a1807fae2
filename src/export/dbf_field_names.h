#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

// The names a dBase III file gives its fields: the export writes them, and the import reads a file
// of the program's own export back by the same rule.

// ASCII letters, digits and '_', cut to the ten characters dBase allows.
QByteArray dbfFieldName(const QString& name);

// The name a field gets beside the names already taken (held in upper case, as dBase compares them):
// a name that clashes once cut gets a number at its end.
QByteArray uniqueDbfFieldName(const QString& name, const QSet<QByteArray>& takenUpper);

// The names of the fields, in order, each told apart from those before it.
std::vector<QByteArray> uniqueDbfFieldNames(const QStringList& names);
