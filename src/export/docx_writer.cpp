#include "export/document_table.h"
#include "export/export_writers.h"
#include "export/library_file.h"
#include "export/markup_escape.h"

#include <QFile>
#include <QTemporaryDir>

#include <minizip/zip.h>

// A Word document: a WordprocessingML package of four small parts and the document itself, whose
// table rows are deflated into the package as they come.

namespace {

using namespace markup;

const QString XmlDeclaration = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)";
const QString WordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
const QString CaptionStyle = "SutunBasligi";

QString contentTypes() {
    return XmlDeclaration +
           R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
           R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
           R"(<Default Extension="xml" ContentType="application/xml"/>)"
           R"(<Override PartName="/word/document.xml" ContentType="application/)"
           R"(vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
           R"(<Override PartName="/word/styles.xml" ContentType="application/)"
           R"(vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)"
           R"(</Types>)";
}

QString relationship(const QString& type, const QString& target) {
    return XmlDeclaration +
           R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)" +
           QString(R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/)"
                   R"(relationships/%1" Target="%2"/>)")
               .arg(type, target) +
           "</Relationships>";
}

QString runProperties(const ExportFont& font) {
    const QString size = QString::number(qRound(font.points * 2));
    return QString(R"(<w:rPr><w:rFonts w:ascii="%1" w:hAnsi="%1" w:eastAsia="%1" w:cs="%1"/>%2%3)"
                   R"(<w:color w:val="%4"/><w:sz w:val="%5"/><w:szCs w:val="%5"/></w:rPr>)")
        .arg(escapeXml(font.family), font.bold ? "<w:b/>" : "", font.italic ? "<w:i/>" : "",
             font.color.name().mid(1).toUpper(), size);
}

// The default font runs in, and a character style for the caption row.
QString styles(const ExportSettings& settings) {
    return XmlDeclaration + QString(R"(<w:styles xmlns:w="%1">)").arg(WordNamespace) +
           "<w:docDefaults><w:rPrDefault>" + runProperties(settings.word.defaultFont) +
           R"(</w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after="0"/></w:pPr></w:pPrDefault>)"
           "</w:docDefaults>" +
           QString(R"(<w:style w:type="character" w:customStyle="1" w:styleId="%1">)"
                   R"(<w:name w:val="Sütun Başlığı"/>)")
               .arg(CaptionStyle) +
           runProperties(settings.word.rowHeaderFont) + "</w:style></w:styles>";
}

// A paragraph of one run; its line breaks are breaks inside the run.
QString paragraph(const QString& text, const QString& runStyle = {}, bool right = false) {
    const QString properties = right ? R"(<w:pPr><w:jc w:val="right"/></w:pPr>)" : "";
    if (text.isEmpty())
        return "<w:p>" + properties + "</w:p>";
    const QString style =
        runStyle.isEmpty() ? QString() : QString(R"(<w:rPr><w:rStyle w:val="%1"/></w:rPr>)").arg(runStyle);
    const QString textStart = R"(<w:t xml:space="preserve">)";
    return "<w:p>" + properties + "<w:r>" + style + textStart +
           markupText(text, escapeXml, "</w:t><w:br/>" + textStart) + "</w:t></w:r></w:p>";
}

// Word's own space inside a cell: 0.075 in on either side, and the border.
constexpr int CellPaddingTwips = 108;
constexpr double CellSpace = 2 * CellPaddingTwips / 20.0 + 0.5;

QString sectionProperties(const DocumentPage& page) {
    return QString(R"(<w:sectPr><w:pgSz w:w="%1" w:h="%2"%3/><w:pgMar w:top="%4" w:right="%4" )"
                   R"(w:bottom="%4" w:left="%4" w:header="567" w:footer="567" w:gutter="0"/></w:sectPr>)")
        .arg(QString::number(twips(page.width)), QString::number(twips(page.height)),
             page.landscape ? R"( w:orient="landscape")" : "", QString::number(twips(page.margin)));
}

// The zip container, written by minizip, the zip library the Excel writer uses as well, into a
// temporary file. Parts are written one at a time; the open one takes its bytes as they come.
class Package {
public:
    explicit Package(const QString& path)
        : m_zip(zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE)) {
        if (!m_zip)
            throw zipError(ZIP_ERRNO);
    }
    ~Package() {
        if (m_zip)
            zipClose(m_zip, nullptr);
    }
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    void openPart(const QString& name) {
        zip_fileinfo info{};
        check(zipOpenNewFileInZip64(m_zip, name.toUtf8().constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                                    Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0));
    }
    void write(const QByteArray& bytes) {
        check(zipWriteInFileInZip(m_zip, bytes.constData(), unsigned(bytes.size())));
    }
    void closePart() { check(zipCloseFileInZip(m_zip)); }
    void writePart(const QString& name, const QString& content) {
        openPart(name);
        write(content.toUtf8());
        closePart();
    }
    void close() {
        const int result = zipClose(m_zip, nullptr);
        m_zip = nullptr;
        check(result);
    }

private:
    static ExportError zipError(int code) {
        return ExportError(QString("Word belgesi yazılamadı (zip hatası %1).").arg(code));
    }
    static void check(int result) {
        if (result != ZIP_OK)
            throw zipError(result);
    }

    zipFile m_zip;
};

class WordWriter : public DocumentTableWriter {
public:
    WordWriter(QIODevice& out, const ExportSettings& settings)
        : DocumentTableWriter(settings, fontMeasure(settings.word.defaultFont, settings.word.rowHeaderFont),
                              CellSpace, 2),
          m_out(out), m_path(temporaryFilePath(m_dir, "export.docx")), m_package(m_path) {}

private:
    void startDocument() override {
        m_package.writePart("[Content_Types].xml", contentTypes());
        m_package.writePart("_rels/.rels", relationship("officeDocument", "word/document.xml"));
        m_package.writePart("word/_rels/document.xml.rels", relationship("styles", "styles.xml"));
        m_package.writePart("word/styles.xml", styles(m_settings));
        m_package.openPart("word/document.xml");
        QString start = XmlDeclaration + QString(R"(<w:document xmlns:w="%1"><w:body>)").arg(WordNamespace);
        if (!m_settings.header.isEmpty())
            start += paragraph(m_settings.header);
        write(start);
    }

    void startTable(const std::vector<size_t>& columns, bool newPage) override {
        // Two tables in a row would be one: a paragraph between them breaks the page.
        QString table = newPage ? R"(<w:p><w:pPr><w:pageBreakBefore/></w:pPr></w:p>)" : "";
        int width = 0;
        QString grid;
        for (const size_t c : columns) {
            const int column = twips(m_table.widths[c] + CellSpace);
            width += column;
            grid += QString(R"(<w:gridCol w:w="%1"/>)").arg(column);
        }
        table += QString(R"(<w:tbl><w:tblPr><w:tblW w:w="%1" w:type="dxa"/><w:tblBorders>)").arg(width);
        for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"})
            table += QString(R"(<w:%1 w:val="single" w:sz="4" w:space="0" w:color="auto"/>)").arg(side);
        table +=
            R"(</w:tblBorders><w:tblLayout w:type="fixed"/></w:tblPr><w:tblGrid>)" + grid + "</w:tblGrid>";
        if (m_settings.writeCaptions) {
            table += "<w:tr><w:trPr><w:tblHeader/></w:trPr>";
            for (const size_t c : columns)
                table += "<w:tc>" + paragraph(m_columns[c].caption, CaptionStyle) + "</w:tc>";
            table += "</w:tr>";
        }
        write(table);
    }

    void writeCells(const std::vector<size_t>& columns, const QStringList& texts) override {
        QString row = "<w:tr>";
        for (const size_t c : columns)
            row += "<w:tc>" + paragraph(texts[qsizetype(c)], {}, isNumeric(m_columns[c].kind)) + "</w:tc>";
        write(row + "</w:tr>");
    }

    void endTable() override { write("</w:tbl>"); }

    void endDocument() override {
        // Word wants a paragraph after a table, so the footer's is written even when empty.
        write(paragraph(m_settings.footer) + sectionProperties(m_table.page) + "</w:body></w:document>");
        m_package.closePart();
        m_package.close();
        copyFinishedFile(m_path, m_out);
    }

    void write(const QString& text) { m_package.write(text.toUtf8()); }

    QIODevice& m_out;
    QTemporaryDir m_dir;
    QString m_path;
    Package m_package;
};

} // namespace

std::unique_ptr<ExportWriter> makeWordWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<WordWriter>(out, settings);
}
