#pragma once

#include "bench_figures.h"

namespace Bench {

// The cash desk on the database of the program in ProgramFolder: a payment over twelve
// installments, the overdue list beside its bare statement, the day's closing over 500 receipts,
// and two desks numbering 1,000 receipts at once.
void cashDeskFigures(Floor& floor);

} // namespace Bench
