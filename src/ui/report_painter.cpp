#include "ui/report_painter.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>

namespace Report {

void paintPage(QPainter& painter, const Page& page, double pixelsPerMm) {
    painter.save();
    painter.setPen(QPen(Qt::black, 0));
    for (const PlacedLine& line : page.lines) {
        painter.setPen(QPen(Qt::black, std::max(1.0, line.width * pixelsPerMm)));
        painter.drawLine(line.from * pixelsPerMm, line.to * pixelsPerMm);
    }
    painter.setPen(Qt::black);
    // Point sizes count in the device's own resolution; the page may be drawn larger or smaller.
    const double deviceDotsPerMm = painter.device()->logicalDpiY() / 25.4;
    const FontStyle* current = nullptr;
    std::optional<QFontMetricsF> metrics;
    for (const PlacedText& t : page.texts) {
        if (t.text.isEmpty())
            continue;
        if (!current || !(*current == t.font)) {
            QFont font(t.font.family);
            font.setPointSizeF(t.font.pointSize * pixelsPerMm / deviceDotsPerMm);
            font.setBold(t.font.bold);
            painter.setFont(font);
            metrics.emplace(font, painter.device());
            current = &t.font;
        }
        double x = t.box.left() * pixelsPerMm;
        if (t.alignment & Qt::AlignRight)
            x = t.box.right() * pixelsPerMm - metrics->horizontalAdvance(t.text);
        else if (t.alignment & Qt::AlignHCenter)
            x = t.box.center().x() * pixelsPerMm - metrics->horizontalAdvance(t.text) / 2;
        painter.drawText(QPointF(x, t.box.top() * pixelsPerMm + metrics->ascent()), t.text);
    }
    painter.restore();
}

} // namespace Report
