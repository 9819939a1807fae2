#pragma once

#include <QString>

// The folder the program keeps its data in, ending in a separator: its own file's folder when it
// runs portable, the user's data folder when installed (app/data_folder.h). The database lies
// there. Set once at start-up, read-only afterwards.
extern QString ProgramFolder;

// The folder part of a program file's path, with its trailing separator; a bare drive name
// (two characters or fewer) gets the separator so that its root folder is meant.
QString programFolderOf(const QString& programFilePath);
