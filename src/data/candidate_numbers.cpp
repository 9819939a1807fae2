#include "data/candidate_numbers.h"

#include "data/connection.h"
#include "data/jet_dialect.h"
#include "data/statements.h"
#include "data/turkish_text.h"

namespace {

// Lock classes of their own beside the sessions' (program_session.cpp): each number, and all of them.
constexpr int CandidateNoClass = 0x4b414c41;
constexpr int CandidateWritersClass = 0x4b414c42;
const QString AllCandidateNos = QStringLiteral("tb_kursiyer.adayno");

} // namespace

// Saves of different numbers share the hold of all numbers, so they wait only for an import.
int countHeldCandidateNo(Connection& connection, const QString& candidateNo) {
    connection.holdForTransaction(CandidateWritersClass, AllCandidateNos, Connection::Hold::Shared);
    connection.holdForTransaction(CandidateNoClass, TurkishText::folded(candidateNo));
    Statement count(connection, translateJet(Sql::countCandidateNo(candidateNo), connection.dialect()));
    count.step();
    return int(count.integer(0));
}

void holdOutCandidateWriters(Connection& connection) {
    connection.holdForTransaction(CandidateWritersClass, AllCandidateNos);
}
