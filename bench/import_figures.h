#pragma once

#include "bench_figures.h"

class Connection;
class frm_DataMod;

namespace Bench {

// The whole list exported to CSV, XLSX and DBF by the program's own export into `folder`, then each
// file imported into `target`, a database that holds no trainee: the preview of its first rows, the
// check and write of every row, and the memory the import takes above the program's; beside the
// file read by its library alone.
void importFigures(frm_DataMod& data, const QString& folder, Connection& target);

} // namespace Bench
