#include "import/import_readers.h"

#include <QFile>

#include <array>

// A CSV or text file, read a chunk at a time: only the chunk being read and the record being taken
// apart are ever held.

namespace {

constexpr qint64 ChunkLength = 1 << 20;
// The start of the file that decides its code page and separator.
constexpr qint64 HeadLength = 4 << 20;
constexpr int SampleRecords = 50;
// A record longer than this is an opening quote that never closes, not a school's record.
constexpr qsizetype LongestRecord = 16 << 20;
const QByteArray Utf8Bom = "\xEF\xBB\xBF";
constexpr std::array<QChar, 4> Separators = {u';', u',', u'\t', u'|'};

struct Utf8Scan {
    // The length of the bytes' longest start that is valid UTF-8 ...
    qsizetype valid = 0;
    // ... and whether what follows is only a character cut short by the end of the bytes.
    bool cut = false;
};

bool isContinuation(uchar b) {
    return (b & 0xC0) == 0x80;
}

Utf8Scan scanUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        const int length = b >= 0xC2 && b <= 0xDF   ? 2
                           : b >= 0xE0 && b <= 0xEF ? 3
                           : b >= 0xF0 && b <= 0xF4 ? 4
                                                    : 0;
        if (length == 0)
            return {i, false};
        // The second byte's narrower range rules out overlong forms, surrogates and code points
        // past U+10FFFF.
        const uchar low = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
        const uchar high = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
        for (int k = 1; k < length; ++k) {
            if (i + k >= n)
                return {i, true};
            const uchar c = p[i + k];
            if (k == 1 ? c < low || c > high : !isContinuation(c))
                return {i, false};
        }
        i += length;
    }
    return {i, false};
}

// The fields of the text's first records, cut by the separator outside quotes; a last record
// that the text may cut short is left out unless the text is the whole file.
std::vector<int> fieldCounts(QStringView text, QChar separator, bool wholeFile) {
    std::vector<int> counts;
    bool quoted = false, blankLine = true;
    int fields = 1;
    for (qsizetype i = 0; i < text.size() && counts.size() < SampleRecords; ++i) {
        const QChar c = text[i];
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r')) {
            if (!blankLine)
                counts.push_back(fields);
            fields = 1;
            blankLine = true;
            continue;
        } else if (!quoted && c == separator)
            ++fields;
        blankLine = false;
    }
    if (wholeFile && !blankLine)
        counts.push_back(fields);
    return counts;
}

// The separator that cuts the most records into the same number of fields, more than one; on a
// tie, the one giving more fields.
QChar findSeparator(QStringView text, bool wholeFile) {
    QChar best = u',';
    int bestRecords = 0, bestFields = 1;
    for (const QChar separator : Separators) {
        const std::vector<int> counts = fieldCounts(text, separator, wholeFile);
        for (const int fields : counts) {
            const int records = int(std::count(counts.begin(), counts.end(), fields));
            if (fields > 1 && (records > bestRecords || (records == bestRecords && fields > bestFields))) {
                best = separator;
                bestRecords = records;
                bestFields = fields;
            }
        }
    }
    return best;
}

class CsvReader : public ImportRowReader {
public:
    CsvReader(const QString& path, const ImportOptions& options);
    double progress() const override;

protected:
    bool readRow(ImportRow& row, qint64& number) override;

private:
    ImportEncoding detectEncoding();
    bool fill();
    bool parseRecord(ImportRow& row);
    [[noreturn]] void fail(const QString& problem) const;

    const QString m_path;
    QFile m_file;
    ImportEncoding m_encoding = ImportEncoding::Utf8;
    QChar m_separator;
    // The decoded text not yet taken apart starts at m_pos.
    QString m_text;
    qsizetype m_pos = 0;
    // The start of a UTF-8 character that the chunk cut short.
    QByteArray m_cut;
    bool m_atEnd = false;
    // The chunk read last holds bytes that are no UTF-8 past the text decoded from it.
    bool m_invalidAhead = false;
    qint64 m_record = 0;
};

CsvReader::CsvReader(const QString& path, const ImportOptions& options) : m_path(path), m_file(path) {
    if (!m_file.open(QIODevice::ReadOnly))
        fail(m_file.errorString());
    if (m_file.peek(64 << 10).contains('\0'))
        throw ImportError(QString("\"%1\" dosyası okunabilen bir biçimde değil: CSV ya da metin, Excel "
                                  "çalışma kitabı (xlsx) ya da DBF olmalı.")
                              .arg(displayName(m_path)));
    m_encoding = options.encoding ? *options.encoding : detectEncoding();
    if (m_encoding == ImportEncoding::Utf8 && m_file.peek(3) == Utf8Bom)
        m_file.read(3);
    fill();
    m_separator = findSeparator(m_text, m_atEnd);
    m_facts.format = ImportFormat::Text;
    m_facts.encoding = m_encoding;
    m_facts.separator = m_separator;
}

// A file whose start is not valid UTF-8 comes from a Turkish Windows program, unless its byte
// order mark says UTF-8.
ImportEncoding CsvReader::detectEncoding() {
    const QByteArray head = m_file.read(HeadLength);
    m_file.seek(0);
    const Utf8Scan scan = scanUtf8(head);
    return head.startsWith(Utf8Bom) || scan.valid == head.size() || (scan.cut && head.size() == HeadLength)
               ? ImportEncoding::Utf8
               : ImportEncoding::Windows1254;
}

void CsvReader::fail(const QString& problem) const {
    throw ImportError(QString("\"%1\" dosyası okunamadı: %2").arg(displayName(m_path), problem));
}

double CsvReader::progress() const {
    return m_file.size() > 0 ? double(m_file.pos()) / double(m_file.size()) : 1.0;
}

// Appends the next chunk's text after what is left of the record being read; false at the end.
bool CsvReader::fill() {
    if (m_invalidAhead)
        throw ImportError(QString("\"%1\" dosyasının %2. satırı UTF-8 olarak okunamıyor. Kodlama olarak "
                                  "Windows-1254 (Türkçe) seçip dosyayı yeniden okuyun.")
                              .arg(displayName(m_path))
                              .arg(m_record + 1));
    m_text.remove(0, m_pos);
    m_pos = 0;
    if (m_text.size() > LongestRecord)
        throw ImportError(QString("\"%1\" dosyasının %2. satırı okunamadı: açılan bir tırnak kapanmıyor.")
                              .arg(displayName(m_path))
                              .arg(m_record + 1));
    QByteArray bytes = m_file.read(ChunkLength);
    if (bytes.isEmpty() && m_file.error() != QFile::NoError)
        fail(m_file.errorString());
    m_atEnd = m_file.atEnd();
    if (m_encoding != ImportEncoding::Utf8) {
        m_text += decodeText(bytes, m_encoding);
        return !bytes.isEmpty();
    }
    bytes.prepend(m_cut);
    const Utf8Scan scan = scanUtf8(bytes);
    m_text += QString::fromUtf8(bytes.constData(), scan.valid);
    m_cut = bytes.mid(scan.valid);
    m_invalidAhead = !m_cut.isEmpty() && (!scan.cut || m_atEnd);
    if (m_invalidAhead)
        m_atEnd = false;
    return !bytes.isEmpty();
}

// Takes the record at m_pos apart; false when the text read so far ends inside it.
bool CsvReader::parseRecord(ImportRow& row) {
    row.clear();
    const QChar* text = m_text.constData();
    const qsizetype n = m_text.size();
    qsizetype i = m_pos;
    const auto fieldEnds = [&](qsizetype at) {
        return text[at] == m_separator || text[at] == u'\n' || text[at] == u'\r';
    };
    QString field;
    for (;;) {
        if (i < n && text[i] == u'"') {
            field.clear();
            for (++i;;) {
                const qsizetype quote = m_text.indexOf(u'"', i);
                if (quote < 0 || (quote + 1 >= n && !m_atEnd)) {
                    if (m_atEnd)
                        throw ImportError(QString("\"%1\" dosyasının %2. satırı okunamadı: açılan bir "
                                                  "tırnak kapanmıyor.")
                                              .arg(displayName(m_path))
                                              .arg(m_record + 1));
                    return false;
                }
                field.append(text + i, quote - i);
                i = quote + 1;
                if (i >= n || text[i] != u'"')
                    break;
                field += u'"';
                ++i;
            }
            // What stands between a closing quote and the separator is kept, as spreadsheets do.
            const qsizetype rest = i;
            while (i < n && !fieldEnds(i))
                ++i;
            field.append(text + rest, i - rest);
        } else {
            const qsizetype start = i;
            while (i < n && !fieldEnds(i))
                ++i;
            field = QString(text + start, i - start);
        }
        if (i >= n && !m_atEnd)
            return false;
        row.push_back(field.isEmpty() ? QVariant() : QVariant(field));
        if (i < n && text[i] == m_separator) {
            ++i;
            continue;
        }
        if (i < n && text[i] == u'\r') {
            if (i + 1 >= n && !m_atEnd)
                return false;
            if (i + 1 < n && text[i + 1] == u'\n')
                ++i;
        }
        m_pos = std::min(i + 1, n);
        return true;
    }
}

bool CsvReader::readRow(ImportRow& row, qint64& number) {
    for (;;) {
        if (m_atEnd && m_pos >= m_text.size())
            return false;
        if (parseRecord(row)) {
            number = ++m_record;
            return true;
        }
        fill();
    }
}

} // namespace

std::unique_ptr<ImportReader> openTextFile(const QString& path, const ImportOptions& options) {
    auto reader = std::make_unique<CsvReader>(path, options);
    reader->takeCaptions(options.captionRow, path);
    return reader;
}
