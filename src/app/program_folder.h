#pragma once

#include <QString>

// The folder of the program's own file, ending in a separator; the database lies there.
// Set once at start-up, read-only afterwards.
extern QString ProgramFolder;

// The folder part of a program file's path, with its trailing separator; a bare drive name
// (two characters or fewer) gets the separator so that its root folder is meant.
QString programFolderOf(const QString& programFilePath);
