#pragma once

#include <QtGlobal>

class Connection;
class Statement;

// Checks of a command that writes rows another desk may be writing too. Both throw DatabaseError
// (RowChangedElsewhereText), giving the whole command up.

// Runs a write that names the row version it read: exactly one row, or another desk got there first.
void executeOnVersion(Statement& statement);

// The trainee still there, and kept from being deleted by another desk until the transaction ends
// (on the file, the transaction's write lock already keeps every other writer out).
void holdTrainee(Connection& connection, qint64 kID);
