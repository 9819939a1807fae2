#pragma once

#include "import/import_file.h"

#include <QByteArray>

#include <optional>
#include <utility>

// The readers' common part, and how openImportFile reaches each reader.

// The file's name as messages give it.
QString displayName(const QString& path);

// Texts in a code page other than UTF-8 are decoded by its table.
QString decodeText(const QByteArray& bytes, ImportEncoding encoding);

// The captions taken from the first row that holds anything, and the rows that hold nothing passed
// over: what every reader does alike over the rows of its file.
class ImportRowReader : public ImportReader {
public:
    bool next(ImportRow& row) final;
    qint64 rowNumber() const final { return m_rowNumber; }

    // Reads up to the first row that holds anything and takes the captions from it, or, without
    // a caption row, names the columns after it and keeps it for next(). Throws ImportError when
    // no row holds anything.
    void takeCaptions(bool captionRow, const QString& path);

protected:
    // The file's next row as it stands, empty or not, and its number; false at the end.
    virtual bool readRow(ImportRow& row, qint64& number) = 0;

private:
    std::optional<std::pair<ImportRow, qint64>> m_firstRow;
    qint64 m_rowNumber = 0;
};

std::unique_ptr<ImportReader> openTextFile(const QString& path, const ImportOptions& options);
std::unique_ptr<ImportReader> openXlsxFile(const QString& path, const ImportOptions& options);
std::unique_ptr<ImportReader> openDbfFile(const QString& path, const ImportOptions& options);
