#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

// Opening a file a school brings its records in: a CSV or text file, an Excel workbook (xlsx) or
// a dBase file (DBF), told apart by their content, never by the name's extension. The rows are read
// one at a time: a file of any size is never held whole in memory.

enum class ImportFormat { Text, Xlsx, Dbf };

enum class ImportEncoding { Utf8, Windows1254, Windows1252 };

// "UTF-8", "Windows-1254 (Türkçe)", "Windows-1252 (Batı Avrupa)": the entries of the encoding choice.
QString encodingName(ImportEncoding encoding);

// A cell as the file holds it: null when empty, a QString, a double, a bool, a QDate, or a
// QDateTime (a date with a time of day).
using ImportRow = std::vector<QVariant>;

// A file that cannot be read, with a Turkish message for the user that names the file and, where
// known, the row and the column.
class ImportError : public std::runtime_error {
public:
    explicit ImportError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

struct ImportOptions {
    // The code page of the texts; none: as the file declares it or as detected.
    std::optional<ImportEncoding> encoding;
    // The workbook's sheet, by its index among ImportFileFacts::sheets.
    int sheet = 0;
    // The first row that holds anything gives the columns' captions.
    bool captionRow = true;
};

// What opening learned of the file.
struct ImportFileFacts {
    ImportFormat format = ImportFormat::Text;
    // The code page in use: chosen, declared by the file, or detected. None for a DBF that declares
    // no known code page when none was chosen: the user is to be asked, and texts are read as
    // Windows-1254 meanwhile. Always set for a workbook (UTF-8).
    std::optional<ImportEncoding> encoding;
    // The sheets of a workbook, in the workbook's order.
    QStringList sheets;
    // A text file's field separator, found from the file.
    QChar separator;
};

// The rows of an open file, one at a time.
class ImportReader {
public:
    virtual ~ImportReader() = default;

    const ImportFileFacts& facts() const { return m_facts; }
    // One caption per column: the caption row's texts (empty where that cell is empty), or, without
    // a caption row, "Sütun 1", "Sütun 2", ... There are as many columns as the caption row (or the
    // first row read) has cells, up to its last cell that is not empty.
    const QStringList& captions() const { return m_captions; }

    // The next row that holds any cell, its cells in column order; a row may have fewer cells than
    // there are columns (the missing ones are empty) or more (cells past the last column). False at
    // the end of the file. Throws ImportError on damaged content.
    virtual bool next(ImportRow& row) = 0;
    // The number of the row last read, as a reader of the file counts them: the sheet's row number,
    // the CSV's record (its caption line being 1), the DBF's record (its first being 1).
    virtual qint64 rowNumber() const = 0;
    // How much of the file has been read, from 0 to 1.
    virtual double progress() const = 0;

protected:
    ImportFileFacts m_facts;
    QStringList m_captions;
};

// Opens the file, reads its captions, and returns the reader placed before its first data row.
// Throws ImportError: a missing or unreadable file, an empty one, a damaged workbook, a zip that is
// no workbook, a DBF whose header is damaged.
std::unique_ptr<ImportReader> openImportFile(const QString& path, const ImportOptions& options = {});

// The same rows, read on a thread of their own a few batches ahead of the caller, so that reading
// the file and checking or writing its rows go on side by side. A failure of the reading is thrown
// where the caller reaches its row.
std::unique_ptr<ImportReader> readAhead(std::unique_ptr<ImportReader> reader);

// A column as a spreadsheet names it: "A" for 0, "Z" for 25, "AA" for 26.
QString columnLetters(int column);
