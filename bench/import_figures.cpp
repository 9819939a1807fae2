#include "import_figures.h"

#include "data/connection.h"
#include "data/frm_DataMod.h"
#include "data/transaction.h"
#include "export/export_run.h"
#include "import/import_write.h"

#include <QDir>
#include <QFile>

#include <malloc.h>
#include <shapefil.h>
#include <unzip.h>

#include <cstdio>

namespace Bench {

namespace {

constexpr int PreviewRows = 200;

// The floors: the file read whole by the library that reads its format, nothing converted.
qint64 readLines(const QString& path) {
    QFile file(path);
    qint64 lines = 0;
    if (file.open(QIODevice::ReadOnly))
        while (!file.readLine().isNull())
            ++lines;
    return lines;
}

qint64 inflateSheet(const QString& path) {
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    qint64 bytes = 0;
    if (zip && unzLocateFile(zip, "xl/worksheets/sheet1.xml", 0) == UNZ_OK &&
        unzOpenCurrentFile(zip) == UNZ_OK) {
        std::vector<char> buffer(1 << 16);
        for (int read; (read = unzReadCurrentFile(zip, buffer.data(), unsigned(buffer.size()))) > 0;)
            bytes += read;
        unzCloseCurrentFile(zip);
    }
    if (zip)
        unzClose(zip);
    return bytes;
}

qint64 readRecords(const QString& path) {
    DBFHandle dbf = DBFOpen(QFile::encodeName(path).constData(), "rb");
    qint64 characters = 0;
    if (!dbf)
        return 0;
    const int fields = DBFGetFieldCount(dbf);
    for (int record = 0; record < DBFGetRecordCount(dbf); ++record)
        for (int field = 0; field < fields; ++field)
            characters += qint64(qstrlen(DBFReadStringAttribute(dbf, record, field)));
    DBFClose(dbf);
    return characters;
}

struct Format {
    ExportFormat format;
    const char* extension;
    const char* name;
    double target; // milliseconds for the whole import
    qint64 (*floor)(const QString& path);
};

ImportSetup traineeSetup(const QString& path) {
    const std::unique_ptr<ImportReader> reader = openImportFile(path);
    return {ImportKind::Trainees,
            matchAutomatically(reader->captions(), ImportKind::Trainees, reader->facts().format), false,
            ExistingRows::Skip};
}

// From opening the file to the preview of its first rows, as the dialog shows it.
double previewTime(const QString& path, const KnownRecords& known) {
    bool shown = false;
    return timed([&] {
        checkFile(
            path, {}, traineeSetup(path), known, PreviewRows, [&](const CheckSummary&) { shown = true; },
            [&](double) { return !shown; });
    });
}

void importFigure(const Format& format, frm_DataMod& data, const QString& folder, Connection& target) {
    const QString path = folder + "/aktarim." + format.extension;
    ExportSettings settings = data.EXPORTX.settings();
    settings.format = format.format;
    settings.fileName = path;
    settings.allRecords = true;
    settings.fields.clear();
    runExport(DatasetExportSource(data.tkursiyer), settings);
    const double preview = previewTime(path, KnownRecords::read(target, ImportKind::Trainees));
    const double floor = timed([&] { g_sink = g_sink + format.floor(path); });
    malloc_trim(0);
    const double before = residentMegabytes();
    resetPeakMemory();
    std::optional<ImportResult> result;
    const double whole = timed([&] {
        const ImportSetup setup = traineeSetup(path);
        const KnownRecords known = KnownRecords::read(target, ImportKind::Trainees);
        const std::optional<CheckSummary> summary = checkFile(path, {}, setup, known, PreviewRows, {}, {});
        result = writeImport(target, path, {}, setup, summary->amountStyles, {});
    });
    const double memory = peakMemorySinceReset() - before;

    const QByteArray previewName =
        QString("import: preview of the first %1 rows, %2").arg(PreviewRows).arg(format.name).toUtf8();
    const QByteArray wholeName =
        QString("import: every trainee from %1, checked and written").arg(format.name).toUtf8();
    const QByteArray memoryName =
        QString("peak memory above the program, %1 import").arg(format.name).toUtf8();
    print({previewName.constData(), preview, std::nullopt, "ms", Target::Below, 1000});
    print({wholeName.constData(), whole, floor, "ms", Target::Below, format.target});
    std::printf("  (%s; the floor reads the %.1f MB file by its library alone)\n",
                qPrintable(result ? result->text(ImportKind::Trainees) : QString("stopped")),
                double(QFileInfo(path).size()) / 1e6);
    print({memoryName.constData(), memory, std::nullopt, "MB", Target::Below, 100});
    QFile::remove(path);
    target.execute("DELETE FROM tb_kursiyer");
}

} // namespace

void importFigures(frm_DataMod& data, const QString& folder, Connection& target) {
    const Format formats[] = {{ExportFormat::Csv, "csv", "CSV", 10000, readLines},
                              {ExportFormat::Excel, "xlsx", "XLSX", 30000, inflateSheet},
                              {ExportFormat::Dbf, "dbf", "DBF", 15000, readRecords}};
    for (const Format& format : formats)
        importFigure(format, data, folder, target);
}

} // namespace Bench
