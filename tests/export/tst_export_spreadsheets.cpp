#include "export/export_writers.h"
#include "export_sample.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cmath>

namespace {

using MakeWriter = std::unique_ptr<ExportWriter> (*)(QIODevice&, const ExportSettings&);

// The first sheet as openpyxl reads it: every cell as [type, value, number format], the caption
// row's boldness, and the page texts as the sheet's XML holds them.
const char* ReadXlsx = R"(
import html, json, re, sys, zipfile
import openpyxl
path = sys.argv[1]
ws = openpyxl.load_workbook(path).worksheets[0]
xml = zipfile.ZipFile(path).read('xl/worksheets/sheet1.xml').decode()
def page(tag):
    found = re.search('<%s>(.*?)</%s>' % (tag, tag), xml)
    return html.unescape(found.group(1)) if found else None
def value(v):
    return v.isoformat() if hasattr(v, 'isoformat') else v
print(json.dumps({
    'title': ws.title, 'freeze': ws.freeze_panes,
    'header': page('oddHeader'), 'footer': page('oddFooter'),
    'boldCaptions': all(c.font.b for c in ws[1]),
    'cells': [[[type(c.value).__name__, value(c.value), c.number_format] for c in row]
              for row in ws.iter_rows()]}))
)";

// The table as dbfread reads it, in the code page its header names, with its date and the
// language driver byte of that header.
const char* ReadDbf = R"(
import json, sys
from dbfread import DBF
path = sys.argv[1]
table = DBF(path)
def value(v):
    return v.isoformat() if hasattr(v, 'isoformat') else v
print(json.dumps({
    'languageDriver': open(path, 'rb').read(32)[29], 'updated': table.date.isoformat(),
    'fields': [[f.name, f.type, f.length, f.decimal_count] for f in table.fields],
    'records': [[value(v) for v in r.values()] for r in table]}))
)";

QJsonObject readBack(const char* script, const QString& path) {
    return QJsonDocument::fromJson(runPython(script, {path}).toUtf8()).object();
}

// A sample value as openpyxl gives it back.
QJsonArray excelCell(const QVariant& value) {
    if (value.isNull() || value.toString().isEmpty())
        return {"NoneType", QJsonValue(), "General"};
    switch (value.typeId()) {
    case QMetaType::Int:
        return {"int", value.toInt(), "General"};
    case QMetaType::Double:
        return {"float", value.toDouble(), "#,##0.00"};
    case QMetaType::Bool:
        return {"bool", value.toBool(), "General"};
    case QMetaType::QDateTime:
        return {"datetime", value.toDateTime().toString(Qt::ISODate), "dd.mm.yyyy"};
    }
    return {"str", value.toString(), "General"};
}

// A sample value as dbfread gives it back: an empty text field reads as an empty text.
QJsonValue dbfValue(const QVariant& value, ExportKind kind) {
    if (value.isNull())
        return kind == ExportKind::Text ? QJsonValue("") : QJsonValue();
    if (kind == ExportKind::Date)
        return value.toDate().toString(Qt::ISODate);
    return QJsonValue::fromVariant(value);
}

std::vector<ExportColumn> textColumns(const QStringList& names, int width) {
    std::vector<ExportColumn> columns;
    for (const QString& name : names)
        columns.push_back({name, name, ExportKind::Text, width});
    return columns;
}

} // namespace

// Each spreadsheet read back by a reader that we did not write, cell by cell.
class TstExportSpreadsheets : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(MakeWriter make, const ExportSource& source, const ExportSettings& settings,
                  const QString& name) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("%s", qPrintable(file.errorString()));
        writeRows(*make(file, settings), source, settings);
        return path;
    }
    QJsonObject excel(const ExportSource& source, const ExportSettings& settings = {}) {
        return readBack(ReadXlsx, write(makeExcelWriter, source, settings, "liste.xlsx"));
    }
    QJsonObject dbf(const ExportSource& source) {
        return readBack(ReadDbf, write(makeDbfWriter, source, {}, "liste.dbf"));
    }
    QJsonValue dbfText(const QString& text, int width) {
        const TableSource source({{"metin", "metin", ExportKind::Text, width}}, {{text}});
        return dbf(source)["records"][0][0];
    }

private slots:
    void excelCellsReadBack() {
        ExportSettings settings;
        settings.excel.sheetTitle = "Sheet 1";
        settings.excel.pageHeader = QString::fromUtf8("Kursiyerler & Öğrenciler");
        settings.excel.pageFooter = "Page &P of &N";
        settings.excel.boldCaptions = true;
        const QJsonObject sheet = excel(ExportSample(), settings);
        QCOMPARE(sheet["title"].toString(), "Sheet 1");
        QCOMPARE(sheet["header"].toString(), settings.excel.pageHeader);
        QCOMPARE(sheet["footer"].toString(), "Page &P of &N");
        QCOMPARE(sheet["freeze"].toString(), "A2");
        QVERIFY(sheet["boldCaptions"].toBool());

        const QJsonArray cells = sheet["cells"].toArray();
        const std::vector<ExportColumn> columns = ExportSample().columns();
        QCOMPARE(cells.size(), qsizetype(ExportSample::rows().size() + 1));
        for (size_t c = 0; c < columns.size(); ++c)
            QCOMPARE(cells[0][c].toArray(), excelCell(columns[c].caption));
        for (size_t r = 0; r < ExportSample::rows().size(); ++r) {
            for (size_t c = 0; c < columns.size(); ++c)
                QCOMPARE(cells[qsizetype(r) + 1][c].toArray(), excelCell(ExportSample::rows()[r][c]));
        }
    }

    void excelSheetTitle_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("written");
        QTest::newRow("with a space") << "Sheet 1"
                                      << "Sheet 1";
        QTest::newRow("Turkish letters")
            << QString::fromUtf8("Öğrenciler") << QString::fromUtf8("Öğrenciler");
        QTest::newRow("empty") << ""
                               << "Sheet1";
        QTest::newRow("a character Excel refuses") << "2024/25"
                                                   << "Sheet1";
        QTest::newRow("an apostrophe at the start") << "'liste"
                                                    << "Sheet1";
        QTest::newRow("longer than 31 characters") << QString(32, 'x') << "Sheet1";
    }
    void excelSheetTitle() {
        QFETCH(QString, title);
        QFETCH(QString, written);
        ExportSettings settings;
        settings.excel.sheetTitle = title;
        QCOMPARE(excel(TableSource(textColumns({"ad"}, 10), {}), settings)["title"].toString(), written);
    }

    // Without captions the data starts at the top. A number Excel has no place for stays empty, a
    // long text is cut at Excel's limit, a date with a time shows it, and a date before Excel's
    // first is written as it reads.
    void excelCellsAtTheLimits() {
        const QString longText = QString(40000, QChar(u'ş'));
        const TableSource source({{"tutar", "tutar", ExportKind::Number, 0},
                                  {"not", "not", ExportKind::Text, 0},
                                  {"saat", "saat", ExportKind::Date, 0},
                                  {"eski", "eski", ExportKind::Date, 0}},
                                 {{qQNaN(), longText, QDateTime(QDate(2024, 5, 17), QTime(14, 30)),
                                   QDateTime(QDate(1850, 1, 2), QTime(0, 0))}});
        ExportSettings settings;
        settings.writeCaptions = false;
        const QJsonObject sheet = excel(source, settings);
        QVERIFY(sheet["freeze"].isNull());
        const QJsonArray cells = sheet["cells"].toArray();
        QCOMPARE(cells.size(), qsizetype(1));
        QCOMPARE(cells[0][0].toArray(), excelCell(QVariant()));
        QCOMPARE(cells[0][1].toArray(), excelCell(longText.left(32767)));
        QCOMPARE(cells[0][2].toArray(), (QJsonArray{"datetime", "2024-05-17T14:30:00", "dd.mm.yyyy hh:mm"}));
        QCOMPARE(cells[0][3].toArray(), excelCell("02.01.1850"));
    }

    void excelAmountFormat_data() {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("thousands");
        QTest::addColumn<QString>("format");
        QTest::newRow("as the ledger") << 2 << "."
                                       << "#,##0.00";
        QTest::newRow("whole numbers") << 0 << "."
                                       << "#,##0";
        QTest::newRow("no grouping, three decimals") << 3 << ""
                                                     << "0.000";
        QTest::newRow("as many as the value needs") << -1 << "."
                                                    << "General";
    }
    // The user's decimals and grouping become the amounts' number format; an amount stays a
    // number, a count has none, and a text of several lines wraps.
    void excelAmountFormat() {
        QFETCH(int, decimals);
        QFETCH(QString, thousands);
        QFETCH(QString, format);
        ExportSettings settings;
        settings.decimals = decimals;
        settings.thousandSeparator = thousands;
        const TableSource source({{"tutar", "tutar", ExportKind::Number, 0},
                                  {"adet", "adet", ExportKind::Integer, 0},
                                  {"adres", "adres", ExportKind::Text, 50}},
                                 {{0.5, 7, QString::fromUtf8("Atatürk Cad.\r\nKat 2")}, {1234.5, 8, "tek"}});
        const QString path = write(makeExcelWriter, source, settings, "tutar.xlsx");
        const QJsonArray cells = readBack(ReadXlsx, path)["cells"].toArray();
        QCOMPARE(cells[1][0].toArray(), (QJsonArray{"float", 0.5, format}));
        QCOMPARE(cells[1][1].toArray(), (QJsonArray{"int", 7, "General"}));
        QCOMPARE(cells[1][2].toArray()[1].toString(), QString::fromUtf8("Atatürk Cad.\nKat 2"));
        const QString wraps =
            runPython("import openpyxl, sys\nws = openpyxl.load_workbook(sys.argv[1]).active\n"
                      "print([bool(ws.cell(r, 3).alignment.wrap_text) for r in (2, 3)])",
                      {path});
        QCOMPARE(wraps.trimmed(), "[True, False]");
    }

    void excelRefusesAFooterItCannotHold() {
        ExportSettings settings;
        settings.excel.pageFooter = QString(256, 'x');
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QVERIFY_THROWS_EXCEPTION(ExportError, makeExcelWriter(out, settings));
    }

    void dbfRecordsReadBack() {
        const QJsonObject table = dbf(ExportSample());
        QCOMPARE(table["languageDriver"].toInt(), 0xCA);
        QCOMPARE(table["updated"].toString(), QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(table["fields"].toArray(),
                 (QJsonArray{QJsonArray{"kID", "N", 11, 0}, QJsonArray{"adi", "C", 30, 0},
                             QJsonArray{"soyadi", "C", 30, 0}, QJsonArray{"dogumtarih", "D", 8, 0},
                             QJsonArray{"odeme_tuta", "N", 19, 4}, QJsonArray{"ser_hak", "L", 1, 0}}));
        const QJsonArray records = table["records"].toArray();
        const std::vector<ExportColumn> columns = ExportSample().columns();
        QCOMPARE(records.size(), qsizetype(ExportSample::rows().size()));
        for (size_t r = 0; r < ExportSample::rows().size(); ++r) {
            for (size_t c = 0; c < columns.size(); ++c)
                QCOMPARE(records[qsizetype(r)][c], dbfValue(ExportSample::rows()[r][c], columns[c].kind));
        }
    }

    void dbfFieldNames_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("a clash once cut") << QStringList{"s_ilkyardim1", "s_ilkyardim2", "s_ilkyardim3"}
                                          << QStringList{"s_ilkyardi", "s_ilkyard1", "s_ilkyard2"};
        QTest::newRow("a cut name meets one as it is")
            << QStringList{"s_ilkyardi", "s_ilkyardim"} << QStringList{"s_ilkyardi", "s_ilkyard1"};
        QTest::newRow("letter case") << QStringList{"Adi", "ADI"} << QStringList{"Adi", "ADI1"};
        QTest::newRow("beyond ASCII") << QStringList{QString::fromUtf8("ödeme_şekli"), "ad soyad"}
                                      << QStringList{"_deme__ekl", "ad_soyad"};
    }
    void dbfFieldNames() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, written);
        QJsonArray fields;
        for (const QString& name : written)
            fields.append(QJsonArray{name, "C", 5, 0});
        QCOMPARE(dbf(TableSource(textColumns(names, 5), {}))["fields"].toArray(), fields);
    }

    void dbfTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("read");
        QTest::newRow("cut at the field width")
            << QString::fromUtf8("Çağlar Şef") << 6 << QString::fromUtf8("Çağlar");
        QTest::newRow("the code page's own signs")
            << QString::fromUtf8("€ “Şef” – ‘Ağa’ … İı") << 30 << QString::fromUtf8("€ “Şef” – ‘Ağa’ … İı");
        QTest::newRow("letters the code page lacks") << QString::fromUtf8("Ж ð 😀 Ý") << 10 << "? ? ? ?";
        QTest::newRow("a line break") << "iki\r\nsatır" << 20 << "iki\r\nsatır";
        QTest::newRow("no width given") << QString(300, 'a') << 0 << QString(254, 'a');
    }
    void dbfTexts() {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QString, read);
        QCOMPARE(dbfText(text, width).toString(), read);
    }

    // A Turkish desktop's numeric locale makes printf write decimal commas, which neither format
    // takes.
    void numbersUnderATurkishLocale() {
        const QByteArray previous = setlocale(LC_NUMERIC, nullptr);
        if (!setlocale(LC_NUMERIC, "tr_TR.UTF-8"))
            QSKIP("The tr_TR.UTF-8 locale is not installed.");
        const QString xlsx = write(makeExcelWriter, ExportSample(), {}, "yerel.xlsx");
        const QString dbf = write(makeDbfWriter, ExportSample(), {}, "yerel.dbf");
        setlocale(LC_NUMERIC, previous.constData());
        QCOMPARE(readBack(ReadXlsx, xlsx)["cells"][2][4].toArray(), excelCell(-250.75));
        QFile file(dbf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("-250.7500"));
    }
};

QTEST_MAIN(TstExportSpreadsheets)
#include "tst_export_spreadsheets.moc"
