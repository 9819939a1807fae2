#include "export/export_writers.h"
#include "export/library_file.h"

#include <QDateTime>
#include <QFile>
#include <QIODevice>
#include <QLocale>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <clocale>
#include <cmath>

namespace {

constexpr qsizetype MaxTextLength = 32767; // Excel's limit for the text of a cell
constexpr const char* FallbackSheetTitle = "Sheet1";

void check(lxw_error error) {
    if (error != LXW_NO_ERROR)
        throw ExportError(
            QString("Excel dosyası yazılamadı: %1").arg(QString::fromUtf8(lxw_strerror(error))));
}

// libxlsxwriter prints its numbers with the C library, which follows the numeric locale: a Turkish
// locale would put "1234,5" into the sheet and spoil the file. The calls that print them, the rows
// and the close, run in the C one.
class CNumbers {
public:
    CNumbers() : m_previous(uselocale(cLocale())) {}
    ~CNumbers() { uselocale(m_previous); }
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

private:
    static locale_t cLocale() {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        return c;
    }
    locale_t m_previous;
};

// A workbook dropped before its end, by a stopped or failed export, is closed all the same, so that
// the library lets go of its temporary files; what it writes goes with the temporary folder.
struct CloseWorkbook {
    void operator()(lxw_workbook* book) const {
        const CNumbers cNumbers;
        workbook_close(book);
    }
};

// Cut at Excel's limit, never between the halves of a surrogate pair.
QByteArray cellText(const QString& text) {
    QString cut = text.left(MaxTextLength);
    if (cut.size() == MaxTextLength && cut.back().isHighSurrogate())
        cut.chop(1);
    return cut.toUtf8();
}

bool hasTime(const QDateTime& value) {
    return value.time() != QTime(0, 0);
}

lxw_datetime excelDateTime(const QDateTime& value) {
    const QDate date = value.date();
    const QTime time = value.time();
    return {date.year(), date.month(),  date.day(),
            time.hour(), time.minute(), time.second() + time.msec() / 1000.0};
}

// Characters wide, as Excel measures columns: as the other writers lay the column out, and room
// for the caption when it is written.
// Amounts as the ledger shows them, "#,##0.00" by default: the decimals and the grouping the user
// chose, or the general format for as many decimals as the value needs. The reader's own
// separators show them.
QByteArray amountFormat(const ExportSettings& settings) {
    if (settings.decimals < 0)
        return {};
    const QByteArray whole = settings.thousandSeparator.isEmpty() ? "0" : "#,##0";
    return settings.decimals == 0 ? whole : whole + '.' + QByteArray(settings.decimals, '0');
}

bool hasLineBreak(const QString& text) {
    return text.contains('\n') || text.contains('\r');
}

double columnWidth(const ExportColumn& column, const ExportSettings& settings) {
    int chars = columnCharacters(column, settings);
    if (settings.writeCaptions)
        chars = std::max(chars, int(column.caption.size()));
    return double(chars + 1);
}

class ExcelWriter : public ExportWriter {
public:
    ExcelWriter(QIODevice& out, const ExportSettings& settings);
    void begin(const std::vector<ExportColumn>& columns) override;
    void writeRow(const ExportRow& row) override;
    void end() override;

private:
    QString sheetTitle() const;
    void setPageTexts();
    lxw_format* addFormat(const char* numberFormat, bool bold = false);
    void writeText(lxw_col_t column, const QString& text, lxw_format* format = nullptr);
    void writeDate(lxw_col_t column, const QDateTime& value);
    void writeCell(lxw_col_t column, const QVariant& value, ExportKind kind);

    QIODevice& m_out;
    const ExportSettings m_settings;
    QTemporaryDir m_dir;
    const QString m_path;
    const QByteArray m_tmpdir;
    std::unique_ptr<lxw_workbook, CloseWorkbook> m_book;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_dateFormat = nullptr;
    lxw_format* m_dateTimeFormat = nullptr;
    lxw_format* m_amountFormat = nullptr;
    lxw_format* m_wrapFormat = nullptr;
    std::vector<ExportKind> m_kinds;
    lxw_row_t m_row = 0;
};

ExcelWriter::ExcelWriter(QIODevice& out, const ExportSettings& settings)
    : m_out(out), m_settings(settings), m_path(temporaryFilePath(m_dir, "export.xlsx")),
      m_tmpdir(QFile::encodeName(m_dir.path())) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(m_tmpdir.constData());
    m_book.reset(workbook_new_opt(QFile::encodeName(m_path).constData(), &options));
    if (!m_book)
        check(LXW_ERROR_MEMORY_MALLOC_FAILED);
    m_sheet = workbook_add_worksheet(m_book.get(), sheetTitle().toUtf8().constData());
    if (!m_sheet)
        check(LXW_ERROR_CREATING_TMPFILE);
    m_dateFormat = addFormat("dd.mm.yyyy");
    m_dateTimeFormat = addFormat("dd.mm.yyyy hh:mm");
    if (const QByteArray amounts = amountFormat(settings); !amounts.isEmpty())
        m_amountFormat = addFormat(amounts.constData());
    // A text of several lines shows them, in a row as tall as they need, rather than over the rows below.
    m_wrapFormat = addFormat(nullptr);
    format_set_text_wrap(m_wrapFormat);
    setPageTexts();
}

QString ExcelWriter::sheetTitle() const {
    const QString title = m_settings.excel.sheetTitle;
    if (title.isEmpty() ||
        workbook_validate_sheet_name(m_book.get(), title.toUtf8().constData()) != LXW_NO_ERROR)
        return FallbackSheetTitle;
    return title;
}

void ExcelWriter::setPageTexts() {
    if (!m_settings.excel.pageHeader.isEmpty())
        check(worksheet_set_header(m_sheet, m_settings.excel.pageHeader.toUtf8().constData()));
    if (!m_settings.excel.pageFooter.isEmpty())
        check(worksheet_set_footer(m_sheet, m_settings.excel.pageFooter.toUtf8().constData()));
}

lxw_format* ExcelWriter::addFormat(const char* numberFormat, bool bold) {
    lxw_format* format = workbook_add_format(m_book.get());
    if (!format)
        check(LXW_ERROR_MEMORY_MALLOC_FAILED);
    if (numberFormat)
        format_set_num_format(format, numberFormat);
    if (bold)
        format_set_bold(format);
    return format;
}

// Column widths go first: a sheet written row by row cannot take them later.
void ExcelWriter::begin(const std::vector<ExportColumn>& columns) {
    if (columns.size() > LXW_COL_MAX)
        throw ExportError(QString("Excel bir sayfada en çok %1 sütun tutar.").arg(LXW_COL_MAX));
    const bool captions = m_settings.writeCaptions;
    for (lxw_col_t c = 0; c < columns.size(); ++c) {
        check(worksheet_set_column(m_sheet, c, c, columnWidth(columns[c], m_settings), nullptr));
        m_kinds.push_back(columns[c].kind);
    }
    if (!captions)
        return;
    lxw_format* captionFormat = m_settings.excel.boldCaptions ? addFormat(nullptr, true) : nullptr;
    for (lxw_col_t c = 0; c < columns.size(); ++c)
        writeText(c, columns[c].caption, captionFormat);
    worksheet_freeze_panes(m_sheet, 1, 0);
    ++m_row;
}

void ExcelWriter::writeRow(const ExportRow& row) {
    if (m_row >= LXW_ROW_MAX)
        throw ExportError(QString("Excel bir sayfada en çok %1 satır tutar; daha az kayıt seçin.")
                              .arg(QLocale(QLocale::Turkish).toString(LXW_ROW_MAX)));
    const CNumbers cNumbers;
    for (lxw_col_t c = 0; c < row.size(); ++c)
        writeCell(c, row[c], m_kinds[c]);
    ++m_row;
}

void ExcelWriter::end() {
    {
        const CNumbers cNumbers;
        check(workbook_close(m_book.release()));
    }
    copyFinishedFile(m_path, m_out);
}

void ExcelWriter::writeText(lxw_col_t column, const QString& text, lxw_format* format) {
    if (!text.isEmpty())
        check(worksheet_write_string(m_sheet, m_row, column, cellText(text).constData(), format));
}

// Excel counts its dates from 1900; an earlier one is written as it reads.
void ExcelWriter::writeDate(lxw_col_t column, const QDateTime& value) {
    if (!value.isValid() || value.date().year() < 1900) {
        writeText(column, exportText(value, ExportKind::Date, m_settings));
        return;
    }
    lxw_datetime date = excelDateTime(value);
    check(worksheet_write_datetime(m_sheet, m_row, column, &date,
                                   hasTime(value) ? m_dateTimeFormat : m_dateFormat));
}

void ExcelWriter::writeCell(lxw_col_t column, const QVariant& value, ExportKind kind) {
    if (value.isNull())
        return;
    switch (kind) {
    case ExportKind::Text:
        if (const QString text = value.toString(); hasLineBreak(text))
            writeText(column, withoutLineBreaks(text, "\n"), m_wrapFormat);
        else
            writeText(column, text);
        break;
    case ExportKind::Integer:
    case ExportKind::Number:
        // Excel has no place for NaN or infinity: such a value stays an empty cell.
        if (const double number = value.toDouble(); std::isfinite(number))
            check(worksheet_write_number(m_sheet, m_row, column, number,
                                         kind == ExportKind::Number ? m_amountFormat : nullptr));
        break;
    case ExportKind::Date:
        writeDate(column, value.toDateTime());
        break;
    case ExportKind::Boolean:
        check(worksheet_write_boolean(m_sheet, m_row, column, value.toBool(), nullptr));
        break;
    }
}

} // namespace

std::unique_ptr<ExportWriter> makeExcelWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<ExcelWriter>(out, settings);
}
