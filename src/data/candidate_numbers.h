#pragma once

#include <QString>

class Connection;

// A new or changed candidate number must belong to no other trainee. It is counted in the write
// transaction that stores it, under a hold that makes a second desk with the same number wait
// until the first has committed and then count the first one's row: a count before the
// transaction lets both desks find the number free. Numbers stored twice by older data stay as
// they are; only a number being given is checked.

// Holds `candidateNo` until the running write transaction ends, then counts the trainees that carry
// it (letter case ignored the Turkish way). On the server it waits here for a desk holding the same
// number and for an import being written; on the file the write transaction has waited for them.
int countHeldCandidateNo(Connection& connection, const QString& candidateNo);

// For an import, in its write transaction before it reads what is stored: waits for every other
// import and every save of a new candidate number, and holds them out until the transaction ends.
// One hold for all the numbers: one for each row would fill the server's lock table.
void holdOutCandidateWriters(Connection& connection);
