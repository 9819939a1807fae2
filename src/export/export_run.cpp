#include "export/export_run.h"

#include "app/file_error.h"
#include "data/dataset.h"
#include "export/export_writers.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>

#include <unistd.h>

namespace {

ExportKind kindOf(const std::optional<ColumnType>& type) {
    if (!type)
        return ExportKind::Text;
    switch (*type) {
    case ColumnType::AutoNumber:
    case ColumnType::Integer:
        return ExportKind::Integer;
    case ColumnType::Number:
        return ExportKind::Number;
    case ColumnType::Date:
        return ExportKind::Date;
    case ColumnType::YesNo:
        return ExportKind::Boolean;
    case ColumnType::Text:
        break;
    }
    return ExportKind::Text;
}

// Rows between two progress reports: often enough for a smooth bar, rare enough to cost nothing.
constexpr int ProgressStep = 500;

QString unwritableText(const QString& path, const QString& reason) {
    return QString("Dışa aktarılan dosya yazılamadı:\n%1\n%2").arg(QDir::toNativeSeparators(path), reason);
}

// QSaveFile commits a file whose last buffer the disk refused, and does not look at the result of
// its flush to the disk: both are checked here, so only a file whose every byte is on the disk
// takes the old one's place.
void commitWhole(QSaveFile& file) {
    errno = 0;
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        const QString reason = fileErrorReason(errno, file.errorString());
        file.cancelWriting();
        throw ExportWriteError(reason);
    }
    errno = 0;
    if (!file.commit())
        throw ExportWriteError(fileErrorReason(errno, file.errorString()));
}

std::optional<int> writeFile(QSaveFile& file, const ExportSource& source, const ExportSettings& settings,
                             const ExportProgress& progress) {
    std::optional<int> written;
    {
        const auto writer = makeFileWriter(settings.format, file, settings);
        written = writeRows(*writer, source, settings, progress);
    }
    if (!written) {
        file.cancelWriting();
        return std::nullopt;
    }
    commitWhole(file);
    return written;
}

} // namespace

std::vector<ExportColumn> DatasetExportSource::columns() const {
    std::vector<ExportColumn> columns;
    for (int i = 0; i < m_dataset.fieldCount(); ++i) {
        const Dataset::Field& field = m_dataset.field(i);
        columns.push_back({field.name, field.name, kindOf(field.type), field.width});
    }
    return columns;
}

int DatasetExportSource::rowCount() const {
    return m_dataset.recordCount();
}

QVariant DatasetExportSource::value(int row, int column) const {
    return m_dataset.valueAt(row, column);
}

ExportSelection::ExportSelection(const ExportSource& source, const ExportSettings& settings) {
    const std::vector<ExportColumn> all = source.columns();
    const auto choose = [&](int index) {
        ExportColumn column = all[size_t(index)];
        column.caption = settings.captions.value(column.name, column.name);
        columns.push_back(column);
        sourceColumns.push_back(index);
    };
    if (settings.fields.isEmpty()) {
        for (int i = 0; i < int(all.size()); ++i)
            choose(i);
    } else {
        for (const QString& name : settings.fields) {
            for (int i = 0; i < int(all.size()); ++i) {
                if (all[size_t(i)].name.compare(name, Qt::CaseInsensitive) == 0) {
                    choose(i);
                    break;
                }
            }
        }
    }
    const int total = source.rowCount();
    if (settings.allRecords) {
        rowCount = total;
        return;
    }
    firstRow = std::clamp(settings.firstRecord - 1, 0, total);
    rowCount = std::clamp(settings.lastRecord - firstRow, 0, total - firstRow);
}

std::optional<int> writeRows(ExportWriter& writer, const ExportSource& source, const ExportSettings& settings,
                             const ExportProgress& progress) {
    const ExportSelection selection(source, settings);
    if (selection.columns.empty())
        throw ExportError("Dışa aktarılacak alan seçilmedi.");
    writer.begin(selection.columns);
    ExportRow row(selection.columns.size());
    for (int n = 0; n < selection.rowCount; ++n) {
        if (progress && n % ProgressStep == 0 && !progress(n, selection.rowCount))
            return std::nullopt;
        for (size_t c = 0; c < row.size(); ++c)
            row[c] = source.value(selection.firstRow + n, selection.sourceColumns[c]);
        writer.writeRow(row);
    }
    writer.end();
    if (progress)
        progress(selection.rowCount, selection.rowCount);
    return selection.rowCount;
}

std::optional<int> runExport(const ExportSource& source, const ExportSettings& settings,
                             const ExportProgress& progress) {
    if (settings.format == ExportFormat::Clipboard) {
        const auto writer = makeClipboardWriter(settings);
        return writeRows(*writer, source, settings, progress);
    }
    if (settings.fileName.trimmed().isEmpty())
        throw ExportError("Dışa aktarılacak dosyanın adını girin.");
    QSaveFile file(settings.fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throw ExportError(unwritableText(settings.fileName, fileErrorReason(errno, file.errorString())));
    try {
        return writeFile(file, source, settings, progress);
    } catch (const ExportWriteError& e) {
        throw ExportError(unwritableText(settings.fileName, e.reason()));
    }
}
