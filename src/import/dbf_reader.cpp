#include "import/import_readers.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>

#include <shapefil.h>

// A dBase file through shapelib, its fields read by their types: a date field gives a QDate, a
// logical field a bool, a numeric field a double, a character field its text in the file's code
// page.

namespace {

// The language driver byte of the header, as shapelib gives it, names the code page: 0xCA (202)
// Windows 1254, 0x57 (87) and 0x03 Windows 1252. A .cpg file beside the DBF names it in words and
// comes first; shapelib gives its text in place of the byte.
std::optional<ImportEncoding> declaredEncoding(const char* codePage) {
    if (!codePage)
        return std::nullopt;
    QString name = QString::fromLatin1(codePage).trimmed().toUpper();
    if (name == "LDID/202")
        return ImportEncoding::Windows1254;
    if (name == "LDID/87" || name == "LDID/3")
        return ImportEncoding::Windows1252;
    name.remove(QRegularExpression("^(CP|WINDOWS|ANSI|ISO)[-_ ]?"));
    name.remove('-');
    name.remove('_');
    if (name == "1254" || name == "88599")
        return ImportEncoding::Windows1254;
    if (name == "1252" || name == "88591")
        return ImportEncoding::Windows1252;
    if (name == "UTF8" || name == "65001")
        return ImportEncoding::Utf8;
    return std::nullopt;
}

// What is wrong with a header shapelib opened, empty when nothing is. A header length that ends
// among the field descriptors gives fewer fields, and every record is then read from the wrong
// place; fields that do not fill the record misplace every record after the first.
QString headerFault(DBFHandle dbf, const QString& path) {
    // The file's own 32 bytes, then 32 for each field, then the byte that ends the descriptors.
    constexpr qint64 FileHeadLength = 32;
    constexpr qint64 DescriptorLength = 32;
    constexpr char DescriptorsEnd = 0x0D;
    const int fields = DBFGetFieldCount(dbf);
    const qint64 descriptorsEnd = FileHeadLength + DescriptorLength * fields;
    if (descriptorsEnd < dbf->nHeaderLength) {
        QFile file(path);
        char end = 0;
        if (!file.open(QIODevice::ReadOnly) || !file.seek(descriptorsEnd) || !file.getChar(&end) ||
            end != DescriptorsEnd)
            return QString("başlığın uzunluğu (%1 bayt) alan tanımlarının sonuna denk gelmiyor")
                .arg(dbf->nHeaderLength);
    }
    int width = 1; // the mark of a deleted record
    for (int field = 0; field < fields; ++field)
        width += dbf->panFieldSize[field];
    if (width != dbf->nRecordLength)
        return QString("alanların uzunlukları (silinme işaretiyle %1 bayt) kayıt uzunluğuyla (%2 bayt) "
                       "uyuşmuyor")
            .arg(width)
            .arg(dbf->nRecordLength);
    return {};
}

[[noreturn]] void refuseHeader(const QString& path, const QString& fault) {
    throw ImportError(
        QString("\"%1\" dosyası açılamadı. DBF başlığı bozuk: %2.").arg(displayName(path), fault));
}

class DbfReader : public ImportRowReader {
public:
    DbfReader(const QString& path, const ImportOptions& options);
    ~DbfReader() override;
    double progress() const override;

protected:
    bool readRow(ImportRow& row, qint64& number) override;

private:
    QVariant valueOf(int field, const char* record) const;

    const QString m_path;
    DBFHandle m_dbf = nullptr;
    ImportEncoding m_encoding = ImportEncoding::Windows1254;
    int m_record = 0;
};

DbfReader::DbfReader(const QString& path, const ImportOptions& options)
    : m_path(path), m_dbf(DBFOpen(QFile::encodeName(path).constData(), "rb")) {
    if (!m_dbf)
        refuseHeader(path, "alan tanımları okunamadı");
    if (const QString fault = headerFault(m_dbf, path); !fault.isEmpty()) {
        DBFClose(m_dbf);
        refuseHeader(path, fault);
    }
    m_facts.format = ImportFormat::Dbf;
    m_facts.encoding = options.encoding ? options.encoding : declaredEncoding(DBFGetCodePage(m_dbf));
    m_encoding = m_facts.encoding.value_or(ImportEncoding::Windows1254);
    for (int field = 0; field < DBFGetFieldCount(m_dbf); ++field) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        DBFGetFieldInfo(m_dbf, field, name, nullptr, nullptr);
        m_captions << decodeText(name, m_encoding);
    }
}

DbfReader::~DbfReader() {
    DBFClose(m_dbf);
}

double DbfReader::progress() const {
    const int records = DBFGetRecordCount(m_dbf);
    return records > 0 ? double(m_record) / records : 1.0;
}

// dBase's date: eight digits, yyyyMMdd.
QDate dateOf(const QByteArray& value) {
    if (value.size() != 8 ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    const auto number = [&](int from, int length) { return value.mid(from, length).toInt(); };
    return QDate(number(0, 4), number(4, 2), number(6, 2));
}

// The field's bytes are looked at where the record holds them, copied only into the value.
QVariant DbfReader::valueOf(int field, const char* record) const {
    const char* begin = record + m_dbf->panFieldOffset[field];
    const char* end = begin + m_dbf->panFieldSize[field];
    while (end > begin && (end[-1] == ' ' || end[-1] == '\0'))
        --end;
    const char* start = begin;
    while (start < end && *start == ' ')
        ++start;
    if (start == end)
        return {};
    const QByteArray value = QByteArray::fromRawData(start, end - start);
    switch (m_dbf->pachFieldType[field]) {
    case 'D': {
        // dBase writes an empty date as blanks or zeros.
        const QDate date = dateOf(value);
        return date.isValid()        ? QVariant(date)
               : value == "00000000" ? QVariant()
                                     : QVariant(QString::fromLatin1(value));
    }
    case 'L':
        if (QByteArray("TtYy").contains(value[0]))
            return true;
        if (QByteArray("FfNn").contains(value[0]))
            return false;
        return {};
    case 'N':
    case 'F': {
        // shapelib and GDAL write an empty number as asterisks.
        if (value.count('*') == value.size())
            return {};
        bool number = false;
        const double amount = value.toDouble(&number);
        return number ? QVariant(amount) : QVariant(QString::fromLatin1(value));
    }
    default:
        return decodeText(QByteArray::fromRawData(begin, end - begin), m_encoding);
    }
}

bool DbfReader::readRow(ImportRow& row, qint64& number) {
    for (; m_record < DBFGetRecordCount(m_dbf); ++m_record) {
        if (DBFIsRecordDeleted(m_dbf, m_record))
            continue;
        const char* record = DBFReadTuple(m_dbf, m_record);
        if (!record)
            throw ImportError(QString("\"%1\" dosyasının %2. kaydı okunamadı: dosya eksik ya da bozuk.")
                                  .arg(displayName(m_path))
                                  .arg(m_record + 1));
        row.clear();
        for (int field = 0; field < DBFGetFieldCount(m_dbf); ++field)
            row.push_back(valueOf(field, record));
        number = ++m_record;
        return true;
    }
    return false;
}

} // namespace

std::unique_ptr<ImportReader> openDbfFile(const QString& path, const ImportOptions& options) {
    return std::make_unique<DbfReader>(path, options);
}
