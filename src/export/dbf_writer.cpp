#include "export/code_page_1254.h"
#include "export/dbf_field_names.h"
#include "export/export_writers.h"
#include "export/library_file.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <shapefil.h>

namespace {

constexpr int WidestText = 254;
constexpr int IntegerWidth = 11;
constexpr int NumberWidth = 19;
constexpr int NumberDecimals = 4;

int textWidth(const ExportColumn& column) {
    return column.width > 0 ? std::min(column.width, WidestText) : WidestText;
}

class DbfWriter : public ExportWriter {
public:
    explicit DbfWriter(QIODevice& out);
    ~DbfWriter() override;
    void begin(const std::vector<ExportColumn>& columns) override;
    void writeRow(const ExportRow& row) override;
    void end() override;

private:
    void addField(const QByteArray& name, const ExportColumn& column);
    bool writeValue(int field, const QVariant& value);
    bool writeDirectly(int field, QByteArray bytes);

    QIODevice& m_out;
    QTemporaryDir m_dir;
    const QString m_path;
    DBFHandle m_dbf = nullptr;
    std::vector<ExportColumn> m_columns;
    int m_record = 0;
};

DbfWriter::DbfWriter(QIODevice& out) : m_out(out), m_path(temporaryFilePath(m_dir, "export.dbf")) {
    // The language driver byte of the header names the texts' code page: 202 (0xCA) is Windows
    // 1254, Turkish. shapelib writes the number after "LDID/" into that byte as it stands.
    m_dbf = DBFCreateEx(QFile::encodeName(m_path).constData(), "LDID/202");
    if (!m_dbf)
        throw ExportError(QString("DBF dosyası oluşturulamadı:\n%1").arg(m_path));
    // shapelib would date the file to a day of its own.
    const QDate today = QDate::currentDate();
    DBFSetLastModifiedDate(m_dbf, today.year() - 1900, today.month(), today.day());
}

DbfWriter::~DbfWriter() {
    if (m_dbf)
        DBFClose(m_dbf);
}

void DbfWriter::addField(const QByteArray& name, const ExportColumn& column) {
    int added = -1;
    switch (column.kind) {
    case ExportKind::Text:
        added = DBFAddField(m_dbf, name.constData(), FTString, textWidth(column), 0);
        break;
    case ExportKind::Integer:
        added = DBFAddField(m_dbf, name.constData(), FTInteger, IntegerWidth, 0);
        break;
    case ExportKind::Number:
        added = DBFAddField(m_dbf, name.constData(), FTDouble, NumberWidth, NumberDecimals);
        break;
    case ExportKind::Date:
        added = DBFAddField(m_dbf, name.constData(), FTDate, 8, 0);
        break;
    case ExportKind::Boolean:
        added = DBFAddField(m_dbf, name.constData(), FTLogical, 1, 0);
        break;
    }
    if (added < 0)
        throw ExportError(QString("DBF dosyasına \"%1\" alanı eklenemedi.").arg(column.name));
}

void DbfWriter::begin(const std::vector<ExportColumn>& columns) {
    m_columns = columns;
    QStringList columnNames;
    for (const ExportColumn& column : columns)
        columnNames << column.name;
    const std::vector<QByteArray> names = uniqueDbfFieldNames(columnNames);
    for (size_t c = 0; c < columns.size(); ++c)
        addField(names[c], columns[c]);
}

void DbfWriter::writeRow(const ExportRow& row) {
    for (int c = 0; c < int(row.size()); ++c) {
        if (!writeValue(c, row[size_t(c)]))
            throw ExportError(QString("DBF dosyası yazılamadı: %1. kaydın \"%2\" alanı yazılamadı ya da "
                                      "değer alana sığmadı.")
                                  .arg(m_record + 1)
                                  .arg(m_columns[size_t(c)].name));
    }
    ++m_record;
}

// Numbers and dates go in as their bytes: shapelib's printf would follow a Turkish numeric locale
// and write a decimal comma that dBase readers do not take, and it would take a date for a number.
// An empty value is blanks, which dBase readers take for an empty field of any type; shapelib's
// own empty date (00000000) and number (asterisks) read as a date in year 0 and as 0.
bool DbfWriter::writeValue(int field, const QVariant& value) {
    const ExportKind kind = m_columns[size_t(field)].kind;
    if (value.isNull())
        return kind == ExportKind::Boolean ? DBFWriteNULLAttribute(m_dbf, m_record, field)
                                           : writeDirectly(field, QByteArray());
    switch (kind) {
    case ExportKind::Text:
        return writeDirectly(field, toCp1254(value.toString()).left(textWidth(m_columns[size_t(field)])));
    case ExportKind::Integer:
        return writeDirectly(field, QByteArray::number(value.toLongLong()).rightJustified(IntegerWidth));
    case ExportKind::Number:
        return writeDirectly(
            field, QByteArray::number(value.toDouble(), 'f', NumberDecimals).rightJustified(NumberWidth));
    case ExportKind::Date:
        return writeDirectly(field, value.toDate().toString("yyyyMMdd").toLatin1());
    case ExportKind::Boolean:
        return DBFWriteLogicalAttribute(m_dbf, m_record, field, value.toBool() ? 'T' : 'F');
    }
    return false;
}

// The bytes as they stand, padded with spaces; more than the field holds is a failure.
bool DbfWriter::writeDirectly(int field, QByteArray bytes) {
    int width = 0;
    DBFGetFieldInfo(m_dbf, field, nullptr, &width, nullptr);
    if (bytes.size() > width)
        return false;
    return DBFWriteAttributeDirectly(m_dbf, m_record, field, bytes.data());
}

// shapelib reports no failure on closing: the file is to be as long as its header and records say.
void DbfWriter::end() {
    const qint64 expected = qint64(m_dbf->nHeaderLength) + qint64(m_dbf->nRecords) * m_dbf->nRecordLength;
    DBFClose(m_dbf);
    m_dbf = nullptr;
    if (QFileInfo(m_path).size() < expected)
        throw ExportError("DBF dosyası yazılamadı: geçici dosya eksik kaldı.");
    copyFinishedFile(m_path, m_out);
}

} // namespace

std::unique_ptr<ExportWriter> makeDbfWriter(QIODevice& out, const ExportSettings&) {
    return std::make_unique<DbfWriter>(out);
}
