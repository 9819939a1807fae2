#pragma once

#include "report/report_model.h"

class QPainter;

namespace Report {

// Draws a laid-out page from the painter's origin, at the given number of device pixels to a
// millimetre. The same call serves the preview, a printer and a PDF.
void paintPage(QPainter& painter, const Page& page, double pixelsPerMm);

} // namespace Report
