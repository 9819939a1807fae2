#pragma once

#include "bench_figures.h"

class frm_DataMod;

namespace Bench {

// The whole list exported to CSV, XLSX and DBF by the program's own export, then each file
// imported into a new, empty database: the preview of its first rows, the check and write of every
// row, and the memory the import takes above the program's; beside the file read by its library
// alone.
void importFigures(frm_DataMod& data, const QString& folder);

} // namespace Bench
