#include "ui/export/export_writers.h"

std::unique_ptr<ExportWriter> makeRtfWriter(QIODevice&, const ExportSettings&) {
    throw ExportError("Bu biçim henüz yazılamıyor.");
}
