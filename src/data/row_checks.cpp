#include "data/row_checks.h"

#include "data/connection.h"
#include "data/database_error.h"

void executeOnVersion(Statement& statement) {
    statement.execute();
    if (statement.changedRows() != 1)
        throw DatabaseError(RowChangedElsewhereText);
}

void holdTrainee(Connection& connection, qint64 kID) {
    Statement trainee(connection, connection.isServer()
                                      ? "SELECT kID FROM tb_kursiyer WHERE kID = ? FOR SHARE"
                                      : "SELECT kID FROM tb_kursiyer WHERE kID = ?");
    trainee.bind(1, kID);
    if (!trainee.step())
        throw DatabaseError(RowChangedElsewhereText);
}
