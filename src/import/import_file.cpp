#include "import/import_file.h"

#include "export/code_page_1254.h"
#include "import/import_readers.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>

namespace {

constexpr qint64 HeadLength = 32;

bool isBlank(const QVariant& cell) {
    return cell.isNull() || (cell.typeId() == QMetaType::QString && cell.toString().trimmed().isEmpty());
}

bool isEmptyRow(const ImportRow& row) {
    return std::all_of(row.begin(), row.end(), isBlank);
}

QString captionOf(const QVariant& cell) {
    switch (cell.typeId()) {
    case QMetaType::Double:
        return QString::number(cell.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QDate:
        return cell.toDate().toString("dd.MM.yyyy");
    case QMetaType::QDateTime:
        return cell.toDateTime().toString("dd.MM.yyyy HH:mm:ss");
    default:
        return cell.toString();
    }
}

quint16 littleEndian16(const QByteArray& bytes, int at) {
    return quint16(uchar(bytes[at]) | uchar(bytes[at + 1]) << 8);
}

// A dBase header: a version byte dBase, FoxPro or Visual FoxPro write, a date of the last change,
// and field descriptors of 32 bytes each.
bool looksLikeDbf(const QByteArray& head, qint64 fileSize) {
    constexpr std::array<uchar, 15> Versions = {0x02, 0x03, 0x04, 0x05, 0x30, 0x31, 0x32, 0x43,
                                                0x63, 0x83, 0x8B, 0x8E, 0xCB, 0xF5, 0xFB};
    if (head.size() < HeadLength ||
        std::find(Versions.begin(), Versions.end(), uchar(head[0])) == Versions.end())
        return false;
    const int month = head[2], day = head[3];
    const quint16 headerLength = littleEndian16(head, 8), recordLength = littleEndian16(head, 10);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && headerLength >= 65 && recordLength >= 1 &&
           headerLength <= fileSize;
}

ImportFormat formatOf(const QString& path, const QByteArray& head, qint64 fileSize) {
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06"))
        return ImportFormat::Xlsx;
    if (looksLikeDbf(head, fileSize))
        return ImportFormat::Dbf;
    if (head.startsWith("\xD0\xCF\x11\xE0"))
        throw ImportError(QString("\"%1\" dosyası eski Excel biçiminde (xls). Excel'de \"Farklı Kaydet\" ile "
                                  "Excel Çalışma Kitabı (xlsx) olarak kaydedip onu seçin.")
                              .arg(displayName(path)));
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF"))
        throw ImportError(QString("\"%1\" dosyası UTF-16 kodlamalı bir metin. Excel'de \"CSV UTF-8\" olarak "
                                  "kaydedip onu seçin.")
                              .arg(displayName(path)));
    return ImportFormat::Text;
}

} // namespace

QString displayName(const QString& path) {
    return QFileInfo(path).fileName();
}

QString decodeText(const QByteArray& bytes, ImportEncoding encoding) {
    switch (encoding) {
    case ImportEncoding::Utf8:
        return QString::fromUtf8(bytes);
    case ImportEncoding::Windows1254:
        return fromCp1254(bytes);
    case ImportEncoding::Windows1252:
        return fromCp1252(bytes);
    }
    return {};
}

bool ImportRowReader::next(ImportRow& row) {
    if (m_firstRow) {
        row = std::move(m_firstRow->first);
        m_rowNumber = m_firstRow->second;
        m_firstRow.reset();
        return true;
    }
    while (readRow(row, m_rowNumber)) {
        if (!isEmptyRow(row))
            return true;
    }
    return false;
}

void ImportRowReader::takeCaptions(bool captionRow, const QString& path) {
    ImportRow first;
    qint64 number = 0;
    do {
        if (!readRow(first, number))
            throw ImportError(QString("\"%1\" dosyasında okunacak satır yok.").arg(displayName(path)));
    } while (isEmptyRow(first));
    const auto lastFilled = std::find_if_not(first.rbegin(), first.rend(), isBlank);
    const int columns = int(first.rend() - lastFilled);
    for (int c = 0; c < columns; ++c)
        m_captions << (captionRow ? captionOf(first[size_t(c)]) : QString("Sütun %1").arg(c + 1));
    if (captionRow)
        m_rowNumber = number;
    else
        m_firstRow.emplace(std::move(first), number);
}

QString encodingName(ImportEncoding encoding) {
    switch (encoding) {
    case ImportEncoding::Utf8:
        return "UTF-8";
    case ImportEncoding::Windows1254:
        return "Windows-1254 (Türkçe)";
    case ImportEncoding::Windows1252:
        return "Windows-1252 (Batı Avrupa)";
    }
    return {};
}

QString columnLetters(int column) {
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar('A' + (n - 1) % 26));
    return letters;
}

std::unique_ptr<ImportReader> openImportFile(const QString& path, const ImportOptions& options) {
    QFile file(path);
    if (!file.exists())
        throw ImportError(QString("\"%1\" dosyası bulunamadı.").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(QString("\"%1\" dosyası okunamadı: %2").arg(displayName(path), file.errorString()));
    if (file.size() == 0)
        throw ImportError(QString("\"%1\" dosyası boş.").arg(displayName(path)));
    const QByteArray head = file.read(HeadLength);
    switch (formatOf(path, head, file.size())) {
    case ImportFormat::Xlsx:
        return openXlsxFile(path, options);
    case ImportFormat::Dbf:
        return openDbfFile(path, options);
    case ImportFormat::Text:
        break;
    }
    return openTextFile(path, options);
}
