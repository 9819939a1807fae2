#pragma once

#include <QString>

// Why a file could not be written, in words the user can act on, from the system's error number
// (errno), followed by the system's own text. `fallback` is the text to give when the error
// number says nothing (0).
QString fileErrorReason(int errorNumber, const QString& fallback = {});
