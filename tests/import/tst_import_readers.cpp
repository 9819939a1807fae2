#include "export_sample.h"

#include "export/code_page_1254.h"
#include "import/import_file.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <shapefil.h>
#include <xlsxwriter.h>

// The readers over files that real programs wrote: Excel files by libxlsxwriter, openpyxl and
// LibreOffice, DBF files by shapelib, CSV files as spreadsheets and old programs save them.

Q_DECLARE_METATYPE(ImportEncoding)

namespace {

// A cell as the test compares it: its text, "∅" for an empty cell, the type's initial before any
// value that is no text (n 2024, d 2024-01-31, t 2024-01-31T08:30:00, b true).
QString shown(const QVariant& cell) {
    switch (cell.typeId()) {
    case QMetaType::UnknownType:
        return "∅";
    case QMetaType::QString:
        return cell.toString().isEmpty() ? "\"\"" : cell.toString();
    case QMetaType::Double:
        return "n " + QString::number(cell.toDouble(), 'g', 15);
    case QMetaType::QDate:
        return "d " + cell.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return "t " + cell.toDateTime().toString(Qt::ISODate);
    case QMetaType::Bool:
        return cell.toBool() ? "b true" : "b false";
    default:
        return "? " + cell.toString();
    }
}

// Every row left, one text a row: its number, then its cells shown and joined by " | ".
QStringList readAll(ImportReader& reader) {
    QStringList rows;
    ImportRow row;
    while (reader.next(row)) {
        QStringList cells;
        for (const QVariant& cell : row)
            cells << shown(cell);
        rows << QString("%1: %2").arg(reader.rowNumber()).arg(cells.join(" | "));
    }
    return rows;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray utf8(const char* text) {
    return QByteArray(text);
}

// A workbook of every kind of cell libxlsxwriter writes: shared strings, or inline ones in its
// constant memory mode, a text in runs, dates, a time, numbers, booleans, formulas with their
// results, a row of a formatted blank cell only.
void writeWithLibxlsxwriter(const QString& path, bool constantMemory) {
    lxw_workbook_options options{};
    options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Kursiyerler");
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd.mm.yyyy");
    lxw_format* moment = workbook_add_format(book);
    format_set_num_format(moment, "dd.mm.yyyy hh:mm");
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    const char* captions[] = {"Adı", "Doğum", "Kayıt", "Tutar", "Ehliyet", "Formül"};
    for (lxw_col_t column = 0; column < 6; ++column)
        worksheet_write_string(sheet, 0, column, captions[column], nullptr);
    worksheet_write_string(sheet, 1, 0, "Şükrü Işık", nullptr);
    lxw_datetime birth = {1990, 3, 7, 0, 0, 0}, registered = {2024, 1, 31, 8, 30, 0};
    worksheet_write_datetime(sheet, 1, 1, &birth, date);
    worksheet_write_datetime(sheet, 1, 2, &registered, moment);
    worksheet_write_number(sheet, 1, 3, 1234.5, nullptr);
    worksheet_write_boolean(sheet, 1, 4, 1, nullptr);
    worksheet_write_formula_num(sheet, 1, 5, "=D2*2", nullptr, 2469);
    worksheet_write_blank(sheet, 2, 0, date);
    lxw_rich_string_tuple first = {nullptr, const_cast<char*>("Zengin ")},
                          second = {bold, const_cast<char*>("metin")};
    lxw_rich_string_tuple* runs[] = {&first, &second, nullptr};
    worksheet_write_rich_string(sheet, 3, 0, runs, nullptr);
    worksheet_write_number(sheet, 3, 3, -0.25, nullptr);
    worksheet_write_boolean(sheet, 3, 4, 0, nullptr);
    worksheet_write_formula_str(sheet, 3, 5, "=\"x\"&\"y\"", nullptr, "xy");
    if (workbook_close(book) != LXW_NO_ERROR)
        qFatal("libxlsxwriter failed");
}

// A workbook as openpyxl writes it: inline strings, a table that starts at B3 with an empty row
// and a cell past its columns, dates in the 1900 or the 1904 system, and a second sheet.
const char* const OpenpyxlScript = R"(
import sys, zipfile, datetime, openpyxl
from openpyxl.utils.datetime import CALENDAR_MAC_1904
path, epoch = sys.argv[1], sys.argv[2]
book = openpyxl.Workbook()
if epoch == '1904':
    book.epoch = CALENDAR_MAC_1904
sheet = book.active
sheet.title = 'Kursiyerler'
for cell, value in zip(['B3', 'C3', 'D3', 'E3', 'F3'], ['Adı', 'Doğum', 'Tutar', 'Ehliyet', 'Formül']):
    sheet[cell] = value
sheet['B4'] = 'Şükrü Işık'
sheet['C4'] = datetime.date(1990, 3, 7)
sheet['C4'].number_format = 'DD.MM.YYYY'
sheet['D4'] = 1234.5
sheet['E4'] = True
sheet['F4'] = '=D4*2'
sheet['B6'] = 'Zengin'
sheet['C6'] = datetime.datetime(2024, 1, 31, 8, 30)
sheet['C6'].number_format = '[$-41F]d mmmm yyyy hh:mm'
sheet['D6'] = 2024
sheet['D6'].number_format = '0 "gün"'
sheet['E6'] = False
sheet['H6'] = 'dışarıda'
payments = book.create_sheet('Ödemeler')
payments.append(['Aday No', 'Miktar'])
payments.append(['A-1', 250])
book.save(path)
)";

// A CSV of ISO dates and English numbers, which LibreOffice reads alike in any locale, saved as
// xlsx by LibreOffice with a profile of its own.
void writeWithLibreOffice(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    QFile csv(folder + "/libreoffice.csv");
    if (!csv.open(QIODevice::WriteOnly))
        qFatal("cannot write the CSV");
    csv.write("Adı;Doğum;Tutar;Ehliyet\nŞükrü Işık;1990-03-07;1234.5;TRUE\n\nİpek;;-0.25;FALSE\n");
    csv.close();
    QProcess office;
    office.start("soffice",
                 {"-env:UserInstallation=file://" + folder + "/profile", "--headless", "--norestore",
                  "--infilter=CSV:59,34,76,1", "--convert-to", "xlsx", "--outdir", folder, csv.fileName()});
    if (!office.waitForFinished(240000) || office.exitCode() != 0 ||
        !QFile::rename(folder + "/libreoffice.xlsx", path))
        qFatal("LibreOffice failed: %s", office.readAll().constData());
}

// A part of a zip changed: `old` in it replaced by `new`, or, without `old`, the whole part by
// `new`, or taken out when `new` is empty too.
const char* const RewriteZipScript = R"(
import sys, zipfile
path, part, old, new = sys.argv[1:5]
with zipfile.ZipFile(path) as book:
    parts = {name: book.read(name) for name in book.namelist()}
if old:
    parts[part] = parts[part].replace(old.encode(), new.encode())
elif new:
    parts[part] = new.encode()
else:
    del parts[part]
with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as book:
    for name, data in parts.items():
        book.writestr(name, data)
)";

// Sixty rows of a text given as an argument, too long for openpyxl to write whole.
const char* const LongCellsScript = R"(
import sys, openpyxl
book = openpyxl.Workbook()
book.active.append(['Not', 'Ad'])
for r in range(60):
    book.active.append(['X', 'Ali'])
book.save(sys.argv[1])
)";

// A DBF of every field type that shapelib writes, its code page declared as `codePage` says
// ("LDID/202" the header's byte, another text a .cpg file), the first record's text as `text`
// holds it. The second record is deleted, the fourth holds nothing.
QString writeDbf(const QString& path, const QByteArray& codePage, const QByteArray& text) {
    const DBFHandle dbf = DBFCreateEx(QFile::encodeName(path).constData(), codePage.constData());
    DBFAddField(dbf, "ADI", FTString, 30, 0);
    DBFAddField(dbf, "DOGUM", FTDate, 8, 0);
    DBFAddField(dbf, "EHLIYET", FTLogical, 1, 0);
    DBFAddField(dbf, "TUTAR", FTDouble, 12, 2);
    DBFAddField(dbf, "SAYI", FTInteger, 5, 0);
    const auto write = [&](int record, std::vector<QByteArray> values) {
        for (int field = 0; field < int(values.size()); ++field) {
            if (values[size_t(field)].isNull())
                DBFWriteNULLAttribute(dbf, record, field);
            else
                DBFWriteAttributeDirectly(dbf, record, field, values[size_t(field)].data());
        }
    };
    write(0, {text, "20240229", "T", "     1234.50", "    7"});
    write(1, {"silinen", "20240101", "F", "1", "1"});
    DBFMarkRecordDeleted(dbf, 1, 1);
    write(2, {"  Ali", QByteArray(), "n", QByteArray(), ""});
    write(3, {"", "", QByteArray(), "", ""});
    write(4, {"x", "20240231", "y", "       -0.50", "    0"});
    DBFClose(dbf);
    return path;
}

// Such a DBF with the two bytes at `at` (8 the header's length, 10 a record's) made `length`.
QString damagedDbf(const QTemporaryDir& dir, const QString& name, int at, quint16 length) {
    const QString path = writeDbf(dir.filePath(name), "LDID/202", "Ali");
    QFile file(path);
    QByteArray bytes(2, '\0');
    qToLittleEndian(length, bytes.data());
    if (!file.open(QIODevice::ReadWrite) || !file.seek(at) || file.write(bytes) != bytes.size())
        qFatal("cannot damage %s", qPrintable(path));
    return path;
}

} // namespace

class TstImportReaders : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void csv_data();
    void csv();
    void xlsx_data();
    void xlsx();
    void dbf_data();
    void dbf();
    void badInput_data();
    void badInput();
    void columnNames();
    void longCell_data();
    void longCell();
};

void TstImportReaders::csv_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("chosen"); // an ImportEncoding, or -1 for none
    QTest::addColumn<bool>("captionRow");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<ImportEncoding>("encoding");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("rows");

    const QStringList nameCaptions{"Adı", "Soyadı"};
    const QStringList aliRows{"2: Ali | Şen", "3: Işıl | Öz"};
    QTest::newRow("semicolon, decimal commas")
        << utf8("Adı;Soyadı\nAli;Şen\nIşıl;Öz,5\n") << -1 << true << ";" << ImportEncoding::Utf8
        << nameCaptions << QStringList{"2: Ali | Şen", "3: Işıl | Öz,5"};
    QTest::newRow("comma, CRLF, no last break") << utf8("Adı,Soyadı\r\nAli,Şen\r\nIşıl,Öz") << -1 << true
                                                << "," << ImportEncoding::Utf8 << nameCaptions << aliRows;
    QTest::newRow("tab") << utf8("Adı\tSoyadı\nAli\tŞen\nIşıl\tÖz\n") << -1 << true << "\t"
                         << ImportEncoding::Utf8 << nameCaptions << aliRows;
    QTest::newRow("pipe, a comma in a value")
        << utf8("Adı|Soyadı\nAli|Şen, Kaya\nIşıl|Öz\n") << -1 << true << "|" << ImportEncoding::Utf8
        << nameCaptions << QStringList{"2: Ali | Şen, Kaya", "3: Işıl | Öz"};
    // A record over three lines counts once, as a spreadsheet numbers it.
    QTest::newRow("quotes, separators and breaks inside")

        << utf8("Adı,Adres,Not\n\"Ali, Rıza\",\"Atatürk Cad.\r\nNo: 5\nKat 2\",\"\"\"Şef\"\"\"\n"
                "Veli,\"\",x\n")
        << -1 << true << "," << ImportEncoding::Utf8 << QStringList{"Adı", "Adres", "Not"}
        << QStringList{"2: Ali, Rıza | Atatürk Cad.\r\nNo: 5\nKat 2 | \"Şef\"", "3: Veli | ∅ | x"};
    QTest::newRow("BOM") << utf8("\xEF\xBB\xBF"
                                 "Adı;Soyadı\nAli;Şen\nIşıl;Öz\n")
                         << -1 << true << ";" << ImportEncoding::Utf8 << nameCaptions << aliRows;
    QTest::newRow("Windows-1254 detected") << toCp1254("Adı;Soyadı\nAli;Şen\nIşıl;Öz\n") << -1 << true << ";"
                                           << ImportEncoding::Windows1254 << nameCaptions << aliRows;
    QTest::newRow("Windows-1252 chosen")
        << toCp1254("Adı;Soyadı\nAli;Şen\nIşıl;Öz\n") << int(ImportEncoding::Windows1252) << true << ";"
        << ImportEncoding::Windows1252 << QStringList{"Adý", "Soyadý"}
        << QStringList{"2: Ali | Þen", "3: Iþýl | Öz"};
    // Rows of empty cells are passed over, the first filled one gives the captions, and the
    // columns end at its last filled cell.
    QTest::newRow("empty rows") << utf8("\n;;\nAdı;Soyadı;;\n\n;\nAli;Şen;x\n;;\n") << -1 << true << ";"
                                << ImportEncoding::Utf8 << nameCaptions << QStringList{"6: Ali | Şen | x"};
    QTest::newRow("no caption row") << utf8("\nAli;Şen\nIşıl;Öz\n") << -1 << false << ";"
                                    << ImportEncoding::Utf8 << QStringList{"Sütun 1", "Sütun 2"}
                                    << QStringList{"2: Ali | Şen", "3: Işıl | Öz"};
}

// Each file is named .xlsx: its content tells what it is.
void TstImportReaders::csv() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, chosen);
    QFETCH(bool, captionRow);
    QFETCH(QString, separator);
    QFETCH(ImportEncoding, encoding);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, rows);

    ImportOptions options;
    if (chosen >= 0)
        options.encoding = ImportEncoding(chosen);
    options.captionRow = captionRow;
    const auto reader = openImportFile(writeFile(m_dir, "liste.xlsx", bytes), options);
    QCOMPARE(reader->facts().format, ImportFormat::Text);
    QCOMPARE(reader->facts().separator, separator[0]);
    QCOMPARE(reader->facts().encoding, encoding);
    QCOMPARE(reader->captions(), captions);
    QCOMPARE(readAll(*reader), rows);
    QCOMPARE(reader->progress(), 1.0);
}

void TstImportReaders::xlsx_data() {
    QTest::addColumn<QString>("producer");
    QTest::addColumn<int>("sheet");
    QTest::addColumn<QStringList>("sheets");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("rows");

    const QStringList libxlsxwriterRows{
        "2: Şükrü Işık | d 1990-03-07 | t 2024-01-31T08:30:00 | n 1234.5 | b true | n 2469",
        "4: Zengin metin | ∅ | ∅ | n -0.25 | b false | xy"};
    const QStringList libxlsxwriterCaptions{"Adı", "Doğum", "Kayıt", "Tutar", "Ehliyet", "Formül"};
    QTest::newRow("libxlsxwriter, shared strings")
        << "libxlsxwriter" << 0 << QStringList{"Kursiyerler"} << libxlsxwriterCaptions << libxlsxwriterRows;
    QTest::newRow("libxlsxwriter, inline strings")
        << "libxlsxwriter constant memory" << 0 << QStringList{"Kursiyerler"} << libxlsxwriterCaptions
        << libxlsxwriterRows;
    const QStringList openpyxlSheets{"Kursiyerler", "Ödemeler"};
    const QStringList openpyxlCaptions{"", "Adı", "Doğum", "Tutar", "Ehliyet", "Formül"};
    const QStringList openpyxlRows{
        "4: ∅ | Şükrü Işık | d 1990-03-07 | n 1234.5 | b true | n 2469",
        "6: ∅ | Zengin | t 2024-01-31T08:30:00 | n 2024 | b false | ∅ | ∅ | dışarıda"};
    QTest::newRow("openpyxl") << "openpyxl 1900" << 0 << openpyxlSheets << openpyxlCaptions << openpyxlRows;
    QTest::newRow("openpyxl, 1904 dates")
        << "openpyxl 1904" << 0 << openpyxlSheets << openpyxlCaptions << openpyxlRows;
    QTest::newRow("openpyxl, second sheet")
        << "openpyxl 1900" << 1 << openpyxlSheets << QStringList{"Aday No", "Miktar"}
        << QStringList{"2: A-1 | n 250"};
    QTest::newRow("LibreOffice") << "LibreOffice" << 0 << QStringList{"libreoffice"}
                                 << QStringList{"Adı", "Doğum", "Tutar", "Ehliyet"}
                                 << QStringList{"2: Şükrü Işık | d 1990-03-07 | n 1234.5 | b true",
                                                "4: İpek | ∅ | n -0.25 | b false"};
}

void TstImportReaders::xlsx() {
    QFETCH(QString, producer);
    QFETCH(int, sheet);
    QFETCH(QStringList, sheets);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, rows);

    QTemporaryDir dir;
    // Named as a CSV: the content tells.
    const QString path = dir.filePath("kitap.csv");
    if (producer.startsWith("libxlsxwriter")) {
        writeWithLibxlsxwriter(path, producer.endsWith("constant memory"));
    } else if (producer.startsWith("openpyxl")) {
        runPython(OpenpyxlScript, {path, producer.section(' ', 1)});
        // openpyxl keeps no result of a formula; the one Excel would keep is put in.
        runPython(RewriteZipScript,
                  {path, "xl/worksheets/sheet1.xml", "<f>D4*2</f><v></v>", "<f>D4*2</f><v>2469</v>"});
    } else {
        if (QStandardPaths::findExecutable("soffice").isEmpty())
            QSKIP("LibreOffice is not installed");
        writeWithLibreOffice(path);
    }
    ImportOptions options;
    options.sheet = sheet;
    const auto reader = openImportFile(path, options);
    QCOMPARE(reader->facts().format, ImportFormat::Xlsx);
    QCOMPARE(reader->facts().encoding, ImportEncoding::Utf8);
    QCOMPARE(reader->facts().sheets, sheets);
    QCOMPARE(reader->captions(), captions);
    QCOMPARE(readAll(*reader), rows);
}

void TstImportReaders::dbf_data() {
    QTest::addColumn<QByteArray>("codePage");
    QTest::addColumn<QByteArray>("cpg"); // a .cpg file written after, when not null
    QTest::addColumn<int>("chosen");     // an ImportEncoding, or -1 for none
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("encoding"); // the one in use, or -1 for none declared
    QTest::addColumn<QString>("read");

    const QByteArray turkish = toCp1254("Şükrü Işık Ğ");
    const QString turkishRead = QString::fromUtf8("Şükrü Işık Ğ");
    const int cp1254 = int(ImportEncoding::Windows1254), cp1252 = int(ImportEncoding::Windows1252);
    QTest::newRow("1254 by its byte")
        << QByteArray("LDID/202") << QByteArray() << -1 << turkish << cp1254 << turkishRead;
    QTest::newRow("1252 by its byte")
        << QByteArray("LDID/87") << QByteArray() << -1 << QByteArray("J\xFCrgen \xDE\xF3r \x8E") << cp1252
        << QString::fromUtf8("Jürgen Þór Ž");
    QTest::newRow("1252 by dBase's byte") << QByteArray("LDID/3") << QByteArray() << -1
                                          << QByteArray("J\xFCrgen") << cp1252 << QString::fromUtf8("Jürgen");
    QTest::newRow("none declared, read as 1254")
        << QByteArray("LDID/0") << QByteArray() << -1 << turkish << -1 << turkishRead;
    QTest::newRow(".cpg over the byte")
        << QByteArray("LDID/87") << QByteArray("CP1254\r\n") << -1 << turkish << cp1254 << turkishRead;
    QTest::newRow(".cpg UTF-8") << QByteArray("LDID/0") << QByteArray("UTF-8") << -1 << turkishRead.toUtf8()
                                << int(ImportEncoding::Utf8) << turkishRead;
    QTest::newRow("chosen over both") << QByteArray("LDID/202") << QByteArray("1254") << cp1252 << turkish
                                      << cp1252 << QString::fromUtf8("Þükrü Iþýk Ð");
}

// Fields read by their types; deleted records and records of blanks passed over, the others
// numbered as the file counts them.
void TstImportReaders::dbf() {
    QFETCH(QByteArray, codePage);
    QFETCH(QByteArray, cpg);
    QFETCH(int, chosen);
    QFETCH(QByteArray, text);
    QFETCH(int, encoding);
    QFETCH(QString, read);

    QTemporaryDir dir;
    const QString path = writeDbf(dir.filePath("kayit.dbf"), codePage, text);
    if (!cpg.isNull())
        writeFile(dir, "kayit.cpg", cpg);
    ImportOptions options;
    if (chosen >= 0)
        options.encoding = ImportEncoding(chosen);
    options.captionRow = false;
    const auto reader = openImportFile(path, options);
    QCOMPARE(reader->facts().format, ImportFormat::Dbf);
    QCOMPARE(reader->facts().encoding,
             encoding < 0 ? std::optional<ImportEncoding>() : std::optional(ImportEncoding(encoding)));
    QCOMPARE(reader->captions(), (QStringList{"ADI", "DOGUM", "EHLIYET", "TUTAR", "SAYI"}));
    QCOMPARE(readAll(*reader),
             (QStringList{"1: " + read + " | d 2024-02-29 | b true | n 1234.5 | n 7",
                          "3:   Ali | ∅ | b false | ∅ | ∅", "5: x | 20240231 | b true | n -0.5 | n 0"}));
    QCOMPARE(reader->progress(), 1.0);
}

void TstImportReaders::badInput_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");

    QTest::newRow("missing") << m_dir.filePath("yok.csv")
                             << "\"" + m_dir.filePath("yok.csv") + "\" dosyası bulunamadı.";
    QTest::newRow("empty") << writeFile(m_dir, "bos.csv", {}) << "\"bos.csv\" dosyası boş.";
    QTest::newRow("empty rows only") << writeFile(m_dir, "satirsiz.csv", "\r\n;;\n\n")
                                     << "\"satirsiz.csv\" dosyasında okunacak satır yok.";
    QTest::newRow("quote never closed")
        << writeFile(m_dir, "tirnak.csv", "Adı;Soyadı\nAli;\"Şen\nVeli;Kaya\n")
        << "\"tirnak.csv\" dosyasının 2. satırı okunamadı: açılan bir tırnak kapanmıyor.";
    QTest::newRow("damaged zip") << writeFile(m_dir, "bozuk.xlsx",
                                              QByteArray("PK\x03\x04\x14\0\0\0\x08\0kırık", 16))
                                 << "\"bozuk.xlsx\" dosyası bozuk: Excel çalışma kitabı olarak açılamadı.";
    const QString noWorkbook = m_dir.filePath("arsiv.xlsx");
    runPython("import sys, zipfile\nzipfile.ZipFile(sys.argv[1], 'w').writestr('a.txt', 'a')", {noWorkbook});
    QTest::newRow("zip of no workbook")
        << noWorkbook
        << "\"arsiv.xlsx\" dosyası bir Excel çalışma kitabı (xlsx) değil: içinde "
           "çalışma kitabı (xl/workbook.xml) yok.";
    const QString noStrings = m_dir.filePath("eksik.xlsx");
    writeWithLibxlsxwriter(noStrings, false);
    runPython(RewriteZipScript, {noStrings, "xl/sharedStrings.xml", "", ""});
    QTest::newRow("shared strings missing") << noStrings
                                            << "\"eksik.xlsx\" dosyasının 1. satırı, A sütunu okunamadı: "
                                               "hücre paylaşılan bir metni gösteriyor, ama "
                                               "dosyada paylaşılan metinler (xl/sharedStrings.xml) yok.";
    const QString badXml = m_dir.filePath("xml.xlsx");
    writeWithLibxlsxwriter(badXml, true);
    runPython(RewriteZipScript,
              {badXml, "xl/worksheets/sheet1.xml", "",
               "<worksheet><sheetData><row r=\"1\"><c t=\"inlineStr\"><is><t>Ad</t></is></c></row>"
               "<row r=\"2\"><c><v>1</c></row></sheetData></worksheet>"});
    QTest::newRow("damaged sheet")
        << badXml
        << "\"xml.xlsx\" dosyası bozuk: 2. satır okunamadı: XML hatası (Opening and ending tag mismatch).";
    QTest::newRow("old Excel")
        << writeFile(m_dir, "eski.xls", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        << "\"eski.xls\" dosyası eski Excel biçiminde (xls). Excel'de \"Farklı Kaydet\" ile "
           "Excel Çalışma Kitabı (xlsx) olarak kaydedip onu seçin.";
    // Bytes that are no UTF-8 past the start the code page is judged on stop the reading at their row.
    QByteArray mixed = "Adı;Soyadı\n";
    for (int r = 2; r < 250000; ++r)
        mixed += "Ali;Şen Kayalıoğlu\n";
    QTest::newRow("no UTF-8 past the start")
        << writeFile(m_dir, "karisik.csv", mixed + toCp1254("Işıl;Öz\n"))
        << "\"karisik.csv\" dosyasının 250000. satırı UTF-8 olarak okunamıyor. Kodlama olarak Windows-1254 "
           "(Türkçe) seçip dosyayı yeniden okuyun.";
    QTest::newRow("BOM, then no UTF-8")
        << writeFile(m_dir, "bom.csv",
                     "\xEF\xBB\xBF"
                     "Adı\n" +
                         toCp1254("Işıl\n"))
        << "\"bom.csv\" dosyasının 2. satırı UTF-8 olarak okunamıyor. Kodlama olarak "
           "Windows-1254 (Türkçe) seçip dosyayı yeniden okuyun.";
    // Five fields of 30, 8, 1, 12 and 5 characters: 193 bytes of header, 57 of each record.
    QTest::newRow("DBF header too short")
        << damagedDbf(m_dir, "kisa.dbf", 8, 32 + 3 * 32 + 1)
        << "\"kisa.dbf\" dosyası açılamadı. DBF başlığı bozuk: başlığın uzunluğu (129 bayt) alan "
           "tanımlarının sonuna denk gelmiyor.";
    QTest::newRow("DBF record longer than its fields")
        << damagedDbf(m_dir, "uzun.dbf", 10, 60)
        << "\"uzun.dbf\" dosyası açılamadı. DBF başlığı bozuk: alanların uzunlukları (silinme işaretiyle "
           "57 bayt) kayıt uzunluğuyla (60 bayt) uyuşmuyor.";
    QTest::newRow("binary") << writeFile(m_dir, "resim.csv", QByteArray("\x89PNG\r\n\x1A\n\0\0\0", 11))
                            << "\"resim.csv\" dosyası okunabilen bir biçimde değil: CSV ya da metin, Excel "
                               "çalışma kitabı (xlsx) ya da DBF olmalı.";
}

void TstImportReaders::badInput() {
    QFETCH(QString, path);
    QFETCH(QString, message);
    try {
        const auto reader = openImportFile(path);
        readAll(*reader);
        QFAIL("no error");
    } catch (const ImportError& error) {
        QCOMPARE(error.message(), message);
    }
}

void TstImportReaders::columnNames() {
    const QStringList names{columnLetters(0),   columnLetters(25),  columnLetters(26),
                            columnLetters(701), columnLetters(702), columnLetters(16383)};
    QCOMPARE(names, (QStringList{"A", "Z", "AA", "ZZ", "AAA", "XFD"}));
}

void TstImportReaders::longCell_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("CSV") << "uzun.csv";
    QTest::newRow("XLSX") << "uzun.xlsx";
}

// A value of 50,000 characters with quotes and breaks inside, sixty times: it crosses the chunks
// the file is read in and is read whole.
void TstImportReaders::longCell() {
    QFETCH(QString, name);
    QString memo;
    while (memo.size() < 50000)
        memo += QString::fromUtf8("Şoför \"güvendi\";\n");
    memo.truncate(50000);
    const QString path = m_dir.filePath(name);
    if (name.endsWith(".csv")) {
        QString quoted = memo;
        quoted.replace("\"", "\"\"");
        QByteArray bytes = "Not;Ad\n";
        for (int r = 0; r < 60; ++r)
            bytes += "\"" + quoted.toUtf8() + "\";Ali\n";
        writeFile(m_dir, name, bytes);
    } else {
        // Excel and its writers cut a cell at 32,767 characters; a longer one is put in after.
        runPython(LongCellsScript, {path});
        runPython(RewriteZipScript, {path, "xl/worksheets/sheet1.xml", "<t>X</t>", "<t>" + memo + "</t>"});
    }
    const auto reader = openImportFile(path);
    ImportRow row;
    for (int r = 0; r < 60; ++r) {
        QVERIFY(reader->next(row));
        QCOMPARE(row.size(), size_t(2));
        QCOMPARE(row[0].toString(), memo);
    }
    QVERIFY(!reader->next(row));
}

QTEST_GUILESS_MAIN(TstImportReaders)
#include "tst_import_readers.moc"
