#include "export/export_writers.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

// The list as spreadsheet programs paste it: tab-separated text, and an HTML table for the
// programs that keep formatting. The clipboard holds the whole list, so this writer does too.
class ClipboardWriter : public ExportWriter {
public:
    explicit ClipboardWriter(const ExportSettings& settings)
        : m_textSettings(textSettings(settings)), m_text(&m_textBytes), m_html(&m_htmlBytes) {
        m_text.open(QIODevice::WriteOnly);
        m_html.open(QIODevice::WriteOnly);
        m_writers.push_back(makeCsvWriter(m_text, m_textSettings));
        m_writers.push_back(makeHtmlWriter(m_html, settings));
    }

    void begin(const std::vector<ExportColumn>& columns) override {
        for (const auto& writer : m_writers)
            writer->begin(columns);
    }
    void writeRow(const ExportRow& row) override {
        for (const auto& writer : m_writers)
            writer->writeRow(row);
    }
    void end() override {
        for (const auto& writer : m_writers)
            writer->end();
        auto* data = new QMimeData;
        data->setText(QString::fromUtf8(m_textBytes));
        data->setHtml(QString::fromUtf8(m_htmlBytes));
        QGuiApplication::clipboard()->setMimeData(data);
    }

private:
    static ExportSettings textSettings(ExportSettings settings) {
        settings.csv.separator = "\t";
        settings.csv.quote = "\"";
        settings.csv.byteOrderMark = false;
        return settings;
    }

    ExportSettings m_textSettings;
    QByteArray m_textBytes;
    QByteArray m_htmlBytes;
    QBuffer m_text;
    QBuffer m_html;
    std::vector<std::unique_ptr<ExportWriter>> m_writers;
};

} // namespace

std::unique_ptr<ExportWriter> makeClipboardWriter(const ExportSettings& settings) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw ExportError("Pano kullanılamıyor.");
    return std::make_unique<ClipboardWriter>(settings);
}
