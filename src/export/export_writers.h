#pragma once

#include "export/export_writer.h"

#include <memory>

class QIODevice;
class QPagedPaintDevice;

// The writers of the file formats, each writing to the device it is given.
std::unique_ptr<ExportWriter> makeExcelWriter(QIODevice& out, const ExportSettings& settings);
std::unique_ptr<ExportWriter> makeWordWriter(QIODevice& out, const ExportSettings& settings);
std::unique_ptr<ExportWriter> makeRtfWriter(QIODevice& out, const ExportSettings& settings);
std::unique_ptr<ExportWriter> makeHtmlWriter(QIODevice& out, const ExportSettings& settings);
std::unique_ptr<ExportWriter> makeTextWriter(QIODevice& out, const ExportSettings& settings);
std::unique_ptr<ExportWriter> makeXmlWriter(QIODevice& out, const ExportSettings& settings);
std::unique_ptr<ExportWriter> makeDbfWriter(QIODevice& out, const ExportSettings& settings);
std::unique_ptr<ExportWriter> makePdfWriter(QIODevice& out, const ExportSettings& settings);
std::unique_ptr<ExportWriter> makeCsvWriter(QIODevice& out, const ExportSettings& settings);
std::unique_ptr<ExportWriter> makeDifWriter(QIODevice& out, const ExportSettings& settings);
std::unique_ptr<ExportWriter> makeSylkWriter(QIODevice& out, const ExportSettings& settings);
std::unique_ptr<ExportWriter> makeLatexWriter(QIODevice& out, const ExportSettings& settings);
std::unique_ptr<ExportWriter> makeSqlWriter(QIODevice& out, const ExportSettings& settings);
// Tab-separated text and an HTML table, put on the system clipboard at the end.
std::unique_ptr<ExportWriter> makeClipboardWriter(const ExportSettings& settings);

// The paginated table of the PDF, on any paged device: a PDF file or a printer. The device's
// page layout is used as it stands.
std::unique_ptr<ExportWriter> makeTableWriter(QPagedPaintDevice& device, const ExportSettings& settings);

std::unique_ptr<ExportWriter> makeFileWriter(ExportFormat format, QIODevice& out,
                                             const ExportSettings& settings);
