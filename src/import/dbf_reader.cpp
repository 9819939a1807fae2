#include "import/import_readers.h"

std::unique_ptr<ImportReader> openDbfFile(const QString& path, const ImportOptions&) {
    throw ImportError(QString("\"%1\" dosyası henüz okunamıyor.").arg(displayName(path)));
}
