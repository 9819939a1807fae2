#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// What the program does without a window: its version, its help and the check of a database file,
// so that an administrator can check the nightly copies from a script on a computer without a
// display. None of them needs more than a QCoreApplication.
namespace CommandLine {

enum class Action { Window, Version, Help, Check, Wrong };

struct Request {
    Action action = Action::Window;
    QString file;    // Check: the file to check
    QString problem; // Wrong: what is wrong with the command line
};

// Reads the arguments after the program's name. Qt's own options (-platform, -style, ...) are left
// to the application object: before it has taken them, an argument that is not one of ours means
// the window; after it, anything left over is Wrong.
Request read(const QStringList& arguments, bool qtOptionsTaken);

// Runs a request other than Window and returns the process's exit code: 0 when done (for Check,
// when the file is sound), 1 when the file is not sound, 2 for a wrong command line.
int run(const Request& request, QTextStream& out, QTextStream& errors);

} // namespace CommandLine
