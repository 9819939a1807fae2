#include "export/export_settings.h"

#include "export/export_writer.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

// Every setting under its key in the file; saving and loading walk the same list.
template <typename Settings, typename Visit> void visitSettings(Settings& s, Visit&& visit) {
    visit("Genel/Bicim", s.format);
    visit("Genel/Dosya", s.fileName);
    visit("Genel/SonraAc", s.openAfterExport);
    visit("Genel/SonraYazdir", s.printAfterExport);
    visit("Kayitlar/Tumu", s.allRecords);
    visit("Kayitlar/Ilk", s.firstRecord);
    visit("Kayitlar/Son", s.lastRecord);
    visit("Alanlar/Secilen", s.fields);
    visit("Alanlar/Basliklar", s.captions);
    visit("Alanlar/BaslikYaz", s.writeCaptions);
    visit("Alanlar/Tekrarlanan", s.rowNameFields);
    visit("Bicimler/Tarih", s.dateFormat);
    visit("Bicimler/Saat", s.timeFormat);
    visit("Bicimler/Ondalik", s.decimalSeparator);
    visit("Bicimler/Binlik", s.thousandSeparator);
    visit("Bicimler/Basamak", s.decimals);
    visit("Bicimler/Evet", s.trueText);
    visit("Bicimler/Hayir", s.falseText);
    visit("Metinler/Ust", s.header);
    visit("Metinler/Alt", s.footer);
    visit("CSV/Ayirici", s.csv.separator);
    visit("CSV/Tirnak", s.csv.quote);
    visit("CSV/BOM", s.csv.byteOrderMark);
    visit("Excel/Sayfa", s.excel.sheetTitle);
    visit("Excel/SayfaUstu", s.excel.pageHeader);
    visit("Excel/SayfaAlti", s.excel.pageFooter);
    visit("Excel/KalinBaslik", s.excel.boldCaptions);
    visit("Word/Yazi", s.word.defaultFont);
    visit("Word/SatirBasligi", s.word.rowHeaderFont);
    visit("HTML/Baslik", s.html.title);
    visit("HTML/Yazi", s.html.textFont);
    visit("HTML/Zemin", s.html.background);
    visit("HTML/BaslikZemini", s.html.captionBackground);
    visit("HTML/TekSatir", s.html.oddRowBackground);
    visit("HTML/CiftSatir", s.html.evenRowBackground);
    visit("HTML/Cerceve", s.html.borderColor);
    visit("PDF/KenarSol", s.pdf.margins, &QMarginsF::left, &QMarginsF::setLeft);
    visit("PDF/KenarUst", s.pdf.margins, &QMarginsF::top, &QMarginsF::setTop);
    visit("PDF/KenarSag", s.pdf.margins, &QMarginsF::right, &QMarginsF::setRight);
    visit("PDF/KenarAlt", s.pdf.margins, &QMarginsF::bottom, &QMarginsF::setBottom);
    visit("PDF/Yatay", s.pdf.landscape);
    visit("PDF/Yazi", s.pdf.font);
    visit("Metin/Aralik", s.text.columnGap);
    visit("XML/Kok", s.xml.rootElement);
    visit("XML/Satir", s.xml.rowElement);
    visit("LaTeX/Belge", s.latex.wholeDocument);
    visit("SQL/Tablo", s.sql.tableName);
    visit("SQL/TabloOlustur", s.sql.createTable);
}

QString formatKey(ExportFormat format) {
    return QString::fromLatin1(exportFormatInfo(format).caption);
}

class Writer {
public:
    explicit Writer(QSettings& file) : m_file(file) {}
    template <typename T> void operator()(const char* key, const T& value) { m_file.setValue(key, value); }
    void operator()(const char* key, ExportFormat format) { m_file.setValue(key, formatKey(format)); }
    void operator()(const char* key, const QColor& color) { m_file.setValue(key, color.name()); }
    // Captions as "field=caption" entries: field names hold no "=".
    void operator()(const char* key, const QMap<QString, QString>& captions) {
        QStringList entries;
        for (auto it = captions.begin(); it != captions.end(); ++it)
            entries << it.key() + '=' + it.value();
        m_file.setValue(key, entries);
    }
    void operator()(const char* key, const ExportFont& font) {
        const QString k = QString::fromLatin1(key);
        m_file.setValue(k + "Ad", font.family);
        m_file.setValue(k + "Punto", font.points);
        m_file.setValue(k + "Kalin", font.bold);
        m_file.setValue(k + "Egik", font.italic);
        m_file.setValue(k + "Renk", font.color.name());
    }
    void operator()(const char* key, const QMarginsF& margins, qreal (QMarginsF::*get)() const,
                    void (QMarginsF::*)(qreal)) {
        m_file.setValue(key, (margins.*get)());
    }

private:
    QSettings& m_file;
};

class Reader {
public:
    explicit Reader(QSettings& file) : m_file(file) {}
    void operator()(const char* key, QString& value) { value = m_file.value(key, value).toString(); }
    void operator()(const char* key, bool& value) { value = m_file.value(key, value).toBool(); }
    void operator()(const char* key, int& value) { value = m_file.value(key, value).toInt(); }
    void operator()(const char* key, double& value) { value = m_file.value(key, value).toDouble(); }
    void operator()(const char* key, QStringList& value) { value = m_file.value(key, value).toStringList(); }
    void operator()(const char* key, ExportFormat& format) {
        const QString caption = m_file.value(key).toString();
        for (const ExportFormatInfo& info : exportFormats()) {
            if (caption == QLatin1String(info.caption))
                format = info.format;
        }
    }
    void operator()(const char* key, QColor& color) {
        const QColor read(m_file.value(key, color.name()).toString());
        if (read.isValid())
            color = read;
    }
    void operator()(const char* key, QMap<QString, QString>& captions) {
        if (!m_file.contains(key))
            return;
        captions.clear();
        for (const QString& entry : m_file.value(key).toStringList()) {
            const qsizetype equals = entry.indexOf('=');
            if (equals > 0)
                captions.insert(entry.left(equals), entry.mid(equals + 1));
        }
    }
    void operator()(const char* key, ExportFont& font) {
        const QString k = QString::fromLatin1(key);
        font.family = m_file.value(k + "Ad", font.family).toString();
        font.points = m_file.value(k + "Punto", font.points).toDouble();
        font.bold = m_file.value(k + "Kalin", font.bold).toBool();
        font.italic = m_file.value(k + "Egik", font.italic).toBool();
        (*this)(QString(k + "Renk").toLatin1().constData(), font.color);
    }
    void operator()(const char* key, QMarginsF& margins, qreal (QMarginsF::*get)() const,
                    void (QMarginsF::*set)(qreal)) {
        (margins.*set)(m_file.value(key, (margins.*get)()).toDouble());
    }

private:
    QSettings& m_file;
};

void checkStatus(const QSettings& file, const QString& path, const char* what) {
    if (file.status() != QSettings::NoError)
        throw ExportError(QString("%1\n%2").arg(QString::fromUtf8(what), QDir::toNativeSeparators(path)));
}

} // namespace

const std::array<ExportFormatInfo, 14>& exportFormats() {
    static const std::array<ExportFormatInfo, 14> formats = {{
        {ExportFormat::Excel, "MS Excel", "xlsx", "Excel çalışma kitabı"},
        {ExportFormat::Word, "MS Word", "docx", "Word belgesi"},
        {ExportFormat::Rtf, "RTF", "rtf", "RTF belgesi"},
        {ExportFormat::Html, "HTML", "html", "HTML sayfası"},
        {ExportFormat::Text, "Text File", "txt", "Metin dosyası"},
        {ExportFormat::Xml, "XML", "xml", "XML dosyası"},
        {ExportFormat::Dbf, "DBF", "dbf", "dBase tablosu"},
        {ExportFormat::Pdf, "PDF", "pdf", "PDF belgesi"},
        {ExportFormat::Csv, "CSV File", "csv", "CSV dosyası"},
        {ExportFormat::Dif, "DIF File", "dif", "DIF dosyası"},
        {ExportFormat::Sylk, "SYLK File", "slk", "SYLK dosyası"},
        {ExportFormat::Latex, "LaTeX", "tex", "LaTeX belgesi"},
        {ExportFormat::Sql, "SQL", "sql", "SQL betiği"},
        {ExportFormat::Clipboard, "Windows Clipboard", "", ""},
    }};
    return formats;
}

const ExportFormatInfo& exportFormatInfo(ExportFormat format) {
    return exportFormats()[size_t(format)];
}

QString fileInDocuments(const QString& name) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents.isEmpty() ? QDir::homePath() : documents).filePath(name);
}

void saveExportSettings(const ExportSettings& settings, const QString& path) {
    QSettings file(path, QSettings::IniFormat);
    file.clear();
    Writer writer(file);
    visitSettings(settings, writer);
    file.sync();
    checkStatus(file, path, "Ayar dosyası yazılamadı:");
}

void loadExportSettings(ExportSettings& settings, const QString& path) {
    if (!QFileInfo(path).isReadable())
        throw ExportError(QString("Ayar dosyası okunamadı:\n%1").arg(QDir::toNativeSeparators(path)));
    QSettings file(path, QSettings::IniFormat);
    checkStatus(file, path, "Ayar dosyası okunamadı:");
    Reader reader(file);
    visitSettings(settings, reader);
}
