#include "ui/export/export_writers.h"

std::unique_ptr<ExportWriter> makeTableWriter(QPagedPaintDevice&, const ExportSettings&) {
    throw ExportError("Bu biçim henüz yazılamıyor.");
}

std::unique_ptr<ExportWriter> makePdfWriter(QIODevice&, const ExportSettings&) {
    throw ExportError("Bu biçim henüz yazılamıyor.");
}
