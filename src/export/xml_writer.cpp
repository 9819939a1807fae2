#include "export/export_writers.h"
#include "export/markup_escape.h"

#include <QBuffer>
#include <QXmlStreamWriter>

// A UTF-8 XML data file: a root element, an element per row and in it an element per column that
// holds the value in its neutral form. A null value is an empty element marked null="true"; an
// empty text is an empty element without the mark.

namespace {

using namespace markup;

bool isTurkishLetter(QChar c) {
    return QStringView(u"ğĞıİşŞ").contains(c);
}

// A name every XML reader accepts, whichever edition of XML it follows: ASCII letters, digits and
// "_-.", the Latin-1 letters and the Turkish letters; any other character becomes '_', and a
// name that does not start with a letter or '_' gets one in front.
QString xmlName(const QString& name) {
    QString valid;
    for (const QChar c : name) {
        const bool ascii = c.unicode() < 0x80 && (c.isLetterOrNumber() || QStringView(u"_-.").contains(c));
        const bool latin = c.unicode() >= 0xC0 && c.unicode() <= 0xFF && c.isLetter();
        valid += ascii || latin || isTurkishLetter(c) ? c : QChar('_');
    }
    if (valid.isEmpty() || !(valid[0].isLetter() || valid[0] == '_'))
        valid.prepend('_');
    return valid;
}

QBuffer* openBuffer(QBuffer& buffer) {
    buffer.open(QIODevice::WriteOnly);
    return &buffer;
}

class XmlWriter : public ExportWriter {
public:
    XmlWriter(QIODevice& out, const ExportSettings& settings)
        : m_out(out), m_xml(openBuffer(m_pending)), m_rowElement(xmlName(settings.xml.rowElement)),
          m_rootElement(xmlName(settings.xml.rootElement)) {}

    void begin(const std::vector<ExportColumn>& columns) override {
        m_columns = columns;
        for (const ExportColumn& column : columns)
            m_names += xmlName(column.name);
        m_xml.setAutoFormatting(true);
        m_xml.writeStartDocument();
        m_xml.writeStartElement(m_rootElement);
        check();
    }

    void writeRow(const ExportRow& row) override {
        m_xml.writeStartElement(m_rowElement);
        for (size_t i = 0; i < m_columns.size(); ++i) {
            m_xml.writeStartElement(m_names[qsizetype(i)]);
            if (row[i].isNull())
                m_xml.writeAttribute("null", "true");
            else
                m_xml.writeCharacters(withoutControlCharacters(exportPlainText(row[i], m_columns[i].kind)));
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
        check();
    }

    void end() override {
        m_xml.writeEndDocument();
        check();
    }

private:
    // The stream writer writes into memory, handed to the file after each row through the one
    // checked write every writer uses.
    void check() {
        writeBytes(m_out, m_pending.data().left(m_pending.pos()));
        m_pending.seek(0);
    }

    QIODevice& m_out;
    QBuffer m_pending;
    QXmlStreamWriter m_xml;
    const QString m_rowElement;
    const QString m_rootElement;
    std::vector<ExportColumn> m_columns;
    QStringList m_names;
};

} // namespace

std::unique_ptr<ExportWriter> makeXmlWriter(QIODevice& out, const ExportSettings& settings) {
    return std::make_unique<XmlWriter>(out, settings);
}
