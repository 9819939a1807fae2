#include "ui/export/export_writers.h"

std::unique_ptr<ExportWriter> makeClipboardWriter(const ExportSettings&) {
    throw ExportError("Bu biçim henüz yazılamıyor.");
}
