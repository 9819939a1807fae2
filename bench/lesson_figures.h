#pragma once

#include "bench_figures.h"

namespace Bench {

// The lesson plan on the database of the program in ProgramFolder (100 instructors and vehicles,
// five lessons a trainee): one instructor's week, a booking checked and written, the week's free
// hours and a trainee's tab, each beside its bare statements.
void lessonFigures(Floor& floor);

} // namespace Bench
