#include "import/import_readers.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include <cmath>
#include <functional>

#include <minizip/unzip.h>

// An Excel workbook: a zip of XML parts. The sheet's XML is read through the unzip a chunk at a
// time, so a sheet of any size is never held whole; only the table of shared strings, which its
// cells point into, is kept.

namespace {

constexpr int ChunkLength = 256 << 10;
constexpr int LastColumn = 16383;         // XFD, the widest sheet Excel makes
constexpr double LastSerialDay = 2958466; // past 9999-12-31, the last day Excel shows
const QString WorkbookPart = "xl/workbook.xml";

// Number formats Excel has without naming them: dates, times, and both.
bool isBuiltInDateFormat(int id) {
    return (id >= 14 && id <= 22) || (id >= 45 && id <= 47);
}

// A format code shows a date or a time when it has a day, month, year, hour or second outside
// quoted text, brackets (colours, locales, conditions) and escaped characters.
bool isDateFormatCode(QStringView code) {
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"') {
            const qsizetype end = code.indexOf(u'"', i + 1);
            i = end < 0 ? code.size() : end;
        } else if (c == u'[') {
            const qsizetype end = code.indexOf(u']', i + 1);
            i = end < 0 ? code.size() : end;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (QStringView(u"dmyhsDMYHS").contains(c)) {
            return true;
        }
    }
    return false;
}

// An Excel serial number as a date: days since 1900-01-00, counting the 29th of February 1900
// that never was (Lotus's error, kept by Excel), or since 1904-01-01 in a workbook of the 1904
// system. A fraction of a day is the time.
QVariant excelDate(double serial, bool date1904) {
    const double days = std::floor(serial);
    qint64 seconds = std::llround((serial - days) * 86400.0);
    qint64 day = qint64(days);
    if (seconds == 86400) {
        ++day;
        seconds = 0;
    }
    const QDate base = date1904 ? QDate(1904, 1, 1) : day < 60 ? QDate(1899, 12, 31) : QDate(1899, 12, 30);
    const QDate date = base.addDays(day);
    if (seconds == 0)
        return date;
    return QDateTime(date, QTime(0, 0).addSecs(int(seconds)));
}

// The column of a cell reference such as "C12": 2; -1 when it starts with no letter.
int columnOf(QStringView reference) {
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i)
        column = column * 26 + (reference[i].toUpper().unicode() - 'A' + 1);
    return i == 0 ? -1 : column - 1;
}

// A cell's kind, by its t attribute.
enum class CellType { Number, SharedString, Text, Boolean, Date };

CellType cellTypeOf(QStringView type) {
    if (type.isEmpty() || type == u"n")
        return CellType::Number;
    if (type == u"s")
        return CellType::SharedString;
    if (type == u"b")
        return CellType::Boolean;
    if (type == u"d")
        return CellType::Date;
    // An inline string, a formula's text, an error (#DIV/0!) as the sheet shows it.
    return CellType::Text;
}

QVariant textCell(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// The value of an attribute by its local name, whatever its namespace.
QStringView attribute(const QXmlStreamAttributes& attributes, QStringView name) {
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name() == name)
            return a.value();
    }
    return {};
}

// The workbook's zip, opened through minizip.
class Zip {
public:
    explicit Zip(const QString& path) : m_file(unzOpen64(QFile::encodeName(path).constData())) {}
    ~Zip() {
        if (m_file)
            unzClose(m_file);
    }
    Zip(const Zip&) = delete;
    Zip& operator=(const Zip&) = delete;
    bool isOpen() const { return m_file != nullptr; }
    bool has(const QString& part) const {
        return unzLocateFile(m_file, part.toUtf8().constData(), 2) == UNZ_OK;
    }
    unzFile handle() const { return m_file; }

private:
    unzFile m_file;
};

// One XML part of the workbook, read a chunk at a time; only one is open at a time.
class ZipXml {
public:
    // `place` says where the reading stands, for the message of a damaged part.
    ZipXml(const Zip& zip, const QString& part, const QString& path, std::function<QString()> place);
    ~ZipXml();
    ZipXml(const ZipXml&) = delete;
    ZipXml& operator=(const ZipXml&) = delete;

    // The next token, past the ends of the chunks; throws ImportError on damaged content.
    QXmlStreamReader::TokenType next();
    const QXmlStreamReader& xml() const { return m_xml; }
    double progress() const { return m_size > 0 ? double(m_read) / double(m_size) : 1.0; }

private:
    [[noreturn]] void fail(const QString& problem) const;

    unzFile m_zip;
    const QString m_path;
    const std::function<QString()> m_place;
    QXmlStreamReader m_xml;
    QByteArray m_chunk;
    qint64 m_read = 0, m_size = 0;
};

ZipXml::ZipXml(const Zip& zip, const QString& part, const QString& path, std::function<QString()> place)
    : m_zip(zip.handle()), m_path(path), m_place(std::move(place)), m_chunk(ChunkLength, Qt::Uninitialized) {
    unz_file_info64 info{};
    if (!zip.has(part) ||
        unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(m_zip) != UNZ_OK) {
        m_zip = nullptr;
        fail(QString("\"%1\" bölümü açılamadı").arg(part));
    }
    m_size = qint64(info.uncompressed_size);
}

ZipXml::~ZipXml() {
    if (m_zip)
        unzCloseCurrentFile(m_zip);
}

void ZipXml::fail(const QString& problem) const {
    throw ImportError(QString("\"%1\" dosyası bozuk: %2%3.").arg(displayName(m_path), m_place(), problem));
}

QXmlStreamReader::TokenType ZipXml::next() {
    for (;;) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token != QXmlStreamReader::Invalid)
            return token;
        if (m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
            QString problem = m_xml.errorString();
            if (problem.endsWith('.'))
                problem.chop(1);
            fail(QString("XML hatası (%1)").arg(problem));
        }
        const int length = unzReadCurrentFile(m_zip, m_chunk.data(), ChunkLength);
        if (length < 0)
            fail("sıkıştırılmış içerik açılamadı");
        if (length == 0)
            fail("içerik yarıda kesiliyor");
        m_read += length;
        m_xml.addData(m_chunk.left(length));
    }
}

// Every element of a part, each handed to `element` at its start.
template <typename Element> void readElements(ZipXml& part, Element element) {
    for (;;) {
        switch (part.next()) {
        case QXmlStreamReader::StartElement:
            element(part.xml());
            break;
        case QXmlStreamReader::EndDocument:
            return;
        default:
            break;
        }
    }
}

struct SheetEntry {
    QString name;
    QString part;
};

class XlsxReader : public ImportRowReader {
public:
    XlsxReader(const QString& path, const ImportOptions& options);
    double progress() const override { return m_sheet->progress(); }

protected:
    bool readRow(ImportRow& row, qint64& number) override;

private:
    QString partPlace(const QString& part) const { return QString("\"%1\" bölümü okunamadı: ").arg(part); }
    std::vector<SheetEntry> readWorkbook(QString& sharedStringsPart, QString& stylesPart);
    void readSharedStrings(const QString& part);
    void readStyles(const QString& part);
    QVariant cellValue() const;
    [[noreturn]] void failCell(const QString& problem) const;

    const QString m_path;
    Zip m_zip;
    bool m_date1904 = false;
    std::optional<QStringList> m_sharedStrings;
    // Whether the cell style of each index shows a date.
    std::vector<bool> m_dateStyles;
    std::unique_ptr<ZipXml> m_sheet;

    // The cell being read.
    qint64 m_row = 0;
    int m_column = -1;
    CellType m_type = CellType::Number;
    int m_style = 0;
    QString m_text;
    bool m_collecting = false, m_inlineString = false, m_phonetic = false;
};

XlsxReader::XlsxReader(const QString& path, const ImportOptions& options) : m_path(path), m_zip(path) {
    if (!m_zip.isOpen())
        throw ImportError(
            QString("\"%1\" dosyası bozuk: Excel çalışma kitabı olarak açılamadı.").arg(displayName(path)));
    if (!m_zip.has(WorkbookPart))
        throw ImportError(QString("\"%1\" dosyası bir Excel çalışma kitabı (xlsx) değil: içinde çalışma "
                                  "kitabı (%2) yok.")
                              .arg(displayName(path), WorkbookPart));
    QString sharedStringsPart, stylesPart;
    const std::vector<SheetEntry> sheets = readWorkbook(sharedStringsPart, stylesPart);
    m_facts.format = ImportFormat::Xlsx;
    m_facts.encoding = ImportEncoding::Utf8;
    for (const SheetEntry& sheet : sheets)
        m_facts.sheets << sheet.name;
    if (options.sheet < 0 || options.sheet >= int(sheets.size()))
        throw ImportError(
            QString("\"%1\" dosyasında %2. sayfa yok.").arg(displayName(path)).arg(options.sheet + 1));
    if (m_zip.has(stylesPart))
        readStyles(stylesPart);
    if (m_zip.has(sharedStringsPart))
        readSharedStrings(sharedStringsPart);
    const QString sheetPart = sheets[size_t(options.sheet)].part;
    m_sheet = std::make_unique<ZipXml>(m_zip, sheetPart, path, [this] {
        return m_row > 0 ? QString("%1. satır okunamadı: ").arg(m_row) : QString();
    });
}

// The sheets' names and parts, and the parts of the shared strings and the styles, as the
// workbook's relations name them.
std::vector<SheetEntry> XlsxReader::readWorkbook(QString& sharedStringsPart, QString& stylesPart) {
    std::vector<std::pair<QString, QString>> sheetIds; // name, relation
    {
        ZipXml workbook(m_zip, WorkbookPart, m_path, [this] { return partPlace(WorkbookPart); });
        readElements(workbook, [&](const QXmlStreamReader& xml) {
            if (xml.name() == u"sheet")
                sheetIds.emplace_back(xml.attributes().value("name").toString(),
                                      attribute(xml.attributes(), u"id").toString());
            else if (xml.name() == u"workbookPr")
                m_date1904 = QStringList{"1", "true"}.contains(xml.attributes().value("date1904"));
        });
    }
    const QString relationsPart = "xl/_rels/workbook.xml.rels";
    QHash<QString, QString> targets;
    sharedStringsPart = "xl/sharedStrings.xml";
    stylesPart = "xl/styles.xml";
    if (m_zip.has(relationsPart)) {
        ZipXml relations(m_zip, relationsPart, m_path, [&] { return partPlace(relationsPart); });
        readElements(relations, [&](const QXmlStreamReader& xml) {
            if (xml.name() != u"Relationship")
                return;
            const QString target = xml.attributes().value("Target").toString();
            const QString part = QDir::cleanPath(target.startsWith('/') ? target.mid(1) : "xl/" + target);
            const QStringView type = xml.attributes().value("Type");
            targets.insert(xml.attributes().value("Id").toString(), part);
            if (type.endsWith(u"/sharedStrings"))
                sharedStringsPart = part;
            else if (type.endsWith(u"/styles"))
                stylesPart = part;
        });
    }
    std::vector<SheetEntry> sheets;
    for (const auto& [name, id] : sheetIds)
        sheets.push_back({name, targets.value(id)});
    return sheets;
}

// Each string is the text of its runs, without the phonetic guides of East Asian texts.
void XlsxReader::readSharedStrings(const QString& part) {
    ZipXml strings(m_zip, part, m_path, [&] { return partPlace(part); });
    QStringList table;
    QString text;
    bool collecting = false, phonetic = false;
    for (QXmlStreamReader::TokenType token; (token = strings.next()) != QXmlStreamReader::EndDocument;) {
        const QXmlStreamReader& xml = strings.xml();
        if (token == QXmlStreamReader::StartElement) {
            collecting = xml.name() == u"t";
            phonetic = phonetic || xml.name() == u"rPh";
        } else if (token == QXmlStreamReader::Characters && collecting && !phonetic) {
            text += xml.text();
        } else if (token == QXmlStreamReader::EndElement) {
            collecting = false;
            if (xml.name() == u"rPh")
                phonetic = false;
            else if (xml.name() == u"si")
                table << std::exchange(text, QString());
        }
    }
    m_sharedStrings = std::move(table);
}

void XlsxReader::readStyles(const QString& part) {
    ZipXml styles(m_zip, part, m_path, [&] { return partPlace(part); });
    QHash<int, bool> customDates;
    std::vector<int> formats;
    bool inCellFormats = false;
    for (QXmlStreamReader::TokenType token; (token = styles.next()) != QXmlStreamReader::EndDocument;) {
        const QXmlStreamReader& xml = styles.xml();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"numFmt")
                customDates.insert(xml.attributes().value("numFmtId").toInt(),
                                   isDateFormatCode(xml.attributes().value("formatCode")));
            else if (xml.name() == u"cellXfs")
                inCellFormats = true;
            else if (xml.name() == u"xf" && inCellFormats)
                formats.push_back(xml.attributes().value("numFmtId").toInt());
        } else if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs") {
            inCellFormats = false;
        }
    }
    for (const int format : formats)
        m_dateStyles.push_back(customDates.contains(format) ? customDates.value(format)
                                                            : isBuiltInDateFormat(format));
}

void XlsxReader::failCell(const QString& problem) const {
    throw ImportError(QString("\"%1\" dosyasının %2. satırı, %3 sütunu okunamadı: %4")
                          .arg(displayName(m_path))
                          .arg(m_row)
                          .arg(columnLetters(m_column), problem));
}

QVariant XlsxReader::cellValue() const {
    switch (m_type) {
    case CellType::SharedString: {
        if (!m_sharedStrings)
            failCell("hücre paylaşılan bir metni gösteriyor, ama dosyada paylaşılan metinler "
                     "(xl/sharedStrings.xml) yok.");
        bool number = false;
        const int index = m_text.toInt(&number);
        if (!number || index < 0 || index >= m_sharedStrings->size())
            failCell("hücrenin gösterdiği paylaşılan metin dosyada yok.");
        return textCell(m_sharedStrings->at(index));
    }
    case CellType::Text:
        return textCell(m_text);
    case CellType::Boolean:
        return m_text.isEmpty() ? QVariant() : QVariant(m_text == u"1" || m_text == u"true");
    case CellType::Date: {
        const QDateTime moment = QDateTime::fromString(m_text, Qt::ISODate);
        return !moment.isValid()              ? textCell(m_text)
               : moment.time() == QTime(0, 0) ? QVariant(moment.date())
                                              : QVariant(moment);
    }
    case CellType::Number:
        break;
    }
    if (m_text.isEmpty())
        return {};
    bool number = false;
    const double value = m_text.toDouble(&number);
    if (!number)
        return m_text;
    if (m_style >= 0 && m_style < int(m_dateStyles.size()) && m_dateStyles[size_t(m_style)] && value >= 0 &&
        value < LastSerialDay)
        return excelDate(value, m_date1904);
    return value;
}

bool XlsxReader::readRow(ImportRow& row, qint64& number) {
    row.clear();
    for (;;) {
        const QXmlStreamReader::TokenType token = m_sheet->next();
        const QXmlStreamReader& xml = m_sheet->xml();
        if (token == QXmlStreamReader::Characters) {
            if (m_collecting && !m_phonetic)
                m_text += xml.text();
        } else if (token == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            if (name == u"c") {
                const QXmlStreamAttributes attributes = xml.attributes();
                const QStringView reference = attribute(attributes, u"r");
                m_column = reference.isEmpty() ? m_column + 1 : columnOf(reference);
                if (m_column < 0 || m_column > LastColumn)
                    failCell(QString("\"%1\" bir hücre adı değil.").arg(reference));
                m_type = cellTypeOf(attribute(attributes, u"t"));
                m_style = attribute(attributes, u"s").toInt();
                // Emptied, not released: a number is then read with no allocation.
                m_text.resize(0);
            } else if (name == u"v") {
                m_collecting = true;
            } else if (name == u"t") {
                m_collecting = m_inlineString;
            } else if (name == u"is") {
                m_inlineString = true;
            } else if (name == u"rPh") {
                m_phonetic = true;
            } else if (name == u"row") {
                const QStringView reference = attribute(xml.attributes(), u"r");
                m_row = reference.isEmpty() ? m_row + 1 : reference.toLongLong();
                m_column = -1;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView name = xml.name();
            if (name == u"c") {
                if (size_t(m_column) >= row.size())
                    row.resize(size_t(m_column) + 1);
                row[size_t(m_column)] = cellValue();
            } else if (name == u"v" || name == u"t") {
                m_collecting = false;
            } else if (name == u"is") {
                m_inlineString = false;
            } else if (name == u"rPh") {
                m_phonetic = false;
            } else if (name == u"row") {
                number = m_row;
                return true;
            } else if (name == u"sheetData") {
                return false;
            }
        } else if (token == QXmlStreamReader::EndDocument) {
            return false;
        }
    }
}

} // namespace

std::unique_ptr<ImportReader> openXlsxFile(const QString& path, const ImportOptions& options) {
    auto reader = std::make_unique<XlsxReader>(path, options);
    reader->takeCaptions(options.captionRow, path);
    return reader;
}
