// Draws the program's icon at the sizes asked for, as PNG files, from the SVG beside this file. Qt
// here has no SVG renderer, and the mark needs none: its rectangles and circles are read and
// painted with QPainter, so the PNGs can never drift from the SVG.
//   kalvista_draw_icon ICON.svg OUTPUT-FOLDER SIZE...
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QXmlStreamReader>

#include <cstdio>

namespace {

void paintShape(QPainter& painter, const QXmlStreamAttributes& a) {
    const auto number = [&](const char* name) { return a.value(QLatin1String(name)).toDouble(); };
    const QString fill = a.value(QLatin1String("fill")).toString();
    const QString stroke = a.value(QLatin1String("stroke")).toString();
    painter.setBrush(fill.isEmpty() || fill == "none" ? QBrush(Qt::NoBrush) : QBrush(QColor(fill)));
    painter.setPen(stroke.isEmpty() || stroke == "none" ? QPen(Qt::NoPen)
                                                        : QPen(QColor(stroke), number("stroke-width")));
}

bool draw(const QString& svgPath, const QString& folder, int size) {
    QFile svg(svgPath);
    if (!svg.open(QIODevice::ReadOnly))
        return false;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QXmlStreamReader xml(&svg);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const auto number = [&](const char* name) { return a.value(QLatin1String(name)).toDouble(); };
        if (xml.name() == QLatin1String("svg")) {
            const QStringList box = a.value(QLatin1String("viewBox")).toString().split(' ');
            painter.scale(size / box.value(2).toDouble(), size / box.value(3).toDouble());
            continue;
        }
        paintShape(painter, a);
        if (xml.name() == QLatin1String("rect"))
            painter.drawRoundedRect(QRectF(number("x"), number("y"), number("width"), number("height")),
                                    number("rx"), number("rx"));
        else if (xml.name() == QLatin1String("circle"))
            painter.drawEllipse(QPointF(number("cx"), number("cy")), number("r"), number("r"));
    }
    painter.end();
    return !xml.hasError() && image.save(QDir(folder).filePath(QString("%1.png").arg(size)), "PNG");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: kalvista_draw_icon ICON.svg OUTPUT-FOLDER SIZE...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(folder);
    for (int i = 3; i < argc; ++i)
        if (!draw(QString::fromLocal8Bit(argv[1]), folder, QString::fromLocal8Bit(argv[i]).toInt())) {
            std::fprintf(stderr, "kalvista_draw_icon: cannot draw %s at %s\n", argv[1], argv[i]);
            return 1;
        }
    return 0;
}
