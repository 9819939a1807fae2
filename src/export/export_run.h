#pragma once

#include "export/export_writer.h"

#include <functional>
#include <optional>

class Dataset;

// The rows an export reads, by index, with every column the source has.
class ExportSource {
public:
    virtual ~ExportSource() = default;
    virtual std::vector<ExportColumn> columns() const = 0;
    virtual int rowCount() const = 0;
    virtual QVariant value(int row, int column) const = 0;
};

// An open dataset as it stands: its rows in their order, every field of its statement, each
// captioned with its name.
class DatasetExportSource : public ExportSource {
public:
    explicit DatasetExportSource(const Dataset& dataset) : m_dataset(dataset) {}
    std::vector<ExportColumn> columns() const override;
    int rowCount() const override;
    QVariant value(int row, int column) const override;

private:
    const Dataset& m_dataset;
};

// Told the rows written so far and the rows to write; answers false to stop the export.
using ExportProgress = std::function<bool(int done, int total)>;

// The columns and rows the settings choose from a source: the chosen fields in their order, with
// their captions, and the record range.
struct ExportSelection {
    ExportSelection(const ExportSource& source, const ExportSettings& settings);
    std::vector<ExportColumn> columns;
    std::vector<int> sourceColumns;
    int firstRow = 0;
    int rowCount = 0;
};

// Hands the chosen rows to a writer, from begin to end. Returns the rows written, or nothing
// when the progress asked to stop; the writer is then left unfinished.
std::optional<int> writeRows(ExportWriter& writer, const ExportSource& source, const ExportSettings& settings,
                             const ExportProgress& progress = {});

// Writes the export of the settings' format to its file, or to the clipboard. The file is
// replaced only by a whole new one: a failed or stopped export leaves what was there before.
std::optional<int> runExport(const ExportSource& source, const ExportSettings& settings,
                             const ExportProgress& progress = {});
