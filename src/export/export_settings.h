#pragma once

#include <QColor>
#include <QMap>
#include <QMarginsF>
#include <QString>
#include <QStringList>

#include <array>

// The formats the export writes, in the order the dialog lists them.
enum class ExportFormat {
    Excel,
    Word,
    Rtf,
    Html,
    Text,
    Xml,
    Dbf,
    Pdf,
    Csv,
    Dif,
    Sylk,
    Latex,
    Sql,
    Clipboard
};

struct ExportFormatInfo {
    ExportFormat format;
    const char* caption;   // as the list shows it
    const char* extension; // without the dot; empty for the clipboard
    const char* fileKind;  // the file dialog's description
};

const std::array<ExportFormatInfo, 14>& exportFormats();
const ExportFormatInfo& exportFormatInfo(ExportFormat format);

struct ExportFont {
    QString family;
    double points = 8;
    bool bold = false;
    bool italic = false;
    QColor color = Qt::black;
};

// Everything the export dialog sets, saved to and loaded from a settings file as a whole.
struct ExportSettings {
    ExportFormat format = ExportFormat::Excel;
    QString fileName;
    bool openAfterExport = false;
    bool printAfterExport = false;

    // The rows written: all, or the rows firstRecord to lastRecord of the list, counted from 1.
    bool allRecords = true;
    int firstRecord = 1;
    int lastRecord = 1;
    // The fields written, in this order; empty writes every field of the list.
    QStringList fields;
    // A caption per field name; a field without one is captioned with its name.
    QMap<QString, QString> captions;
    bool writeCaptions = true;
    // The fields that name a row: a document too wide for its page repeats them in each group of
    // columns, so that every row can be read on its own.
    QStringList rowNameFields;

    // How text formats render values; typed formats (xlsx, dbf, sql, dif, sylk) keep them typed.
    // Amounts show as the ledger shows them, 1.234,50; the data formats (CSV, SQL, XML, DBF) keep
    // every digit of an amount whatever the decimals, and CSV groups no thousands.
    QString dateFormat = "dd.MM.yyyy";
    QString timeFormat = "HH:mm";
    QString decimalSeparator = ",";
    QString thousandSeparator = ".";
    int decimals = 2; // -1: as many as the value needs
    QString trueText = "Evet";
    QString falseText = "Hayır";

    // Texts above and below the table, for the formats that are documents.
    QString header;
    QString footer;

    struct {
        QString separator = ",";
        QString quote = "\"";
        bool byteOrderMark = true;
    } csv;
    struct {
        QString sheetTitle = "Sheet1";
        QString pageHeader;
        QString pageFooter;
        bool boldCaptions = false;
    } excel;
    // Word and RTF documents share their fonts.
    struct {
        ExportFont defaultFont{"Arial", 10};
        ExportFont rowHeaderFont{"Arial", 10, true};
    } word;
    struct {
        QString title = "Export";
        ExportFont textFont{"Arial", 10};
        QColor background = Qt::white;
        QColor captionBackground = QColor("#d0d0d0");
        QColor oddRowBackground = Qt::white;
        QColor evenRowBackground = QColor("#f0f0f0");
        QColor borderColor = QColor("#808080");
    } html;
    struct {
        QMarginsF margins{0.79, 0.79, 0.79, 0.79}; // inches: left, top, right, bottom
        bool landscape = false;
        ExportFont font{"DejaVu Sans", 8};
    } pdf;
    struct {
        QString columnGap = "  ";
    } text;
    struct {
        QString rootElement = "kayitlar";
        QString rowElement = "kayit";
    } xml;
    struct {
        bool wholeDocument = true; // a document that compiles as it is, or the table alone
    } latex;
    struct {
        QString tableName = "kayitlar";
        bool createTable = true;
    } sql;
};

// A file of that name in the user's documents folder (the home folder when there is none).
QString fileInDocuments(const QString& name);

// The settings file ("cfg"), an INI file that holds every setting.
void saveExportSettings(const ExportSettings& settings, const QString& path);
// Settings the file does not hold keep their value.
void loadExportSettings(ExportSettings& settings, const QString& path);
