#include "export_sample.h"

#include "export/code_page_1254.h"
#include "import/import_file.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <shapefil.h>

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

} // namespace

class TstImportReaders : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void csv_data();
    void csv();
    void dbf_data();
    void dbf();
    void badInput_data();
    void badInput();
    void longCell();
    void invalidUtf8Later();
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
    QTest::newRow("Windows-1254 chosen over UTF-8")
        << utf8("Adı;Soyadı\nAli;Gül\n") << int(ImportEncoding::Windows1254) << true << ";"
        << ImportEncoding::Windows1254 << QStringList{"AdÄ±", "SoyadÄ±"} << QStringList{"2: Ali | GÃ¼l"};
    // Rows of empty cells are passed over, the first filled one gives the captions, and the
    // columns end at its last filled cell.
    QTest::newRow("empty rows") << utf8("\n;;\nAdı;Soyadı;;\n\n;\nAli;Şen;x\n;;\n") << -1 << true << ";"
                                << ImportEncoding::Utf8 << nameCaptions << QStringList{"6: Ali | Şen | x"};
    QTest::newRow("no caption row") << utf8("\nAli;Şen\nIşıl;Öz\n") << -1 << false << ";"
                                    << ImportEncoding::Utf8 << QStringList{"Sütun 1", "Sütun 2"}
                                    << QStringList{"2: Ali | Şen", "3: Işıl | Öz"};
    QTest::newRow("one column") << utf8("Adı\nAli\n") << -1 << true << "," << ImportEncoding::Utf8
                                << QStringList{"Adı"} << QStringList{"2: Ali"};
}

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
    const auto reader = openImportFile(writeFile(m_dir, "liste.csv", bytes), options);
    QCOMPARE(reader->facts().format, ImportFormat::Text);
    QCOMPARE(reader->facts().separator, separator[0]);
    QCOMPARE(reader->facts().encoding, encoding);
    QCOMPARE(reader->captions(), captions);
    QCOMPARE(readAll(*reader), rows);
    QCOMPARE(reader->progress(), 1.0);
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
    QTest::newRow("unknown byte") << QByteArray("LDID/38") << QByteArray() << -1 << turkish << -1
                                  << turkishRead;
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

// A value of 50,000 characters, quoted with breaks inside, crosses the chunks it is read in whole.
void TstImportReaders::longCell() {
    QString memo;
    while (memo.size() < 50000)
        memo += QString::fromUtf8("Şoför \"güvendi\";\n");
    memo.truncate(50000);
    QString quoted = memo;
    quoted.replace("\"", "\"\"");
    QByteArray bytes = "Not;Ad\n";
    for (int r = 0; r < 60; ++r)
        bytes += "\"" + quoted.toUtf8() + "\";Ali\n";
    const auto reader = openImportFile(writeFile(m_dir, "uzun.csv", bytes));
    ImportRow row;
    for (int r = 0; r < 60; ++r) {
        QVERIFY(reader->next(row));
        QCOMPARE(row.size(), size_t(2));
        QCOMPARE(row[0].toString(), memo);
    }
    QVERIFY(!reader->next(row));
}

// Bytes that are no UTF-8 past the start the code page is judged on stop the reading at their row.
void TstImportReaders::invalidUtf8Later() {
    QByteArray bytes = "Adı;Soyadı\n";
    for (int r = 2; r < 250000; ++r)
        bytes += "Ali;Şen Kayalıoğlu\n";
    bytes += toCp1254("Işıl;Öz\n");
    const auto reader = openImportFile(writeFile(m_dir, "karisik.csv", bytes));
    QCOMPARE(reader->facts().encoding, ImportEncoding::Utf8);
    try {
        readAll(*reader);
        QFAIL("no error");
    } catch (const ImportError& error) {
        QCOMPARE(error.message(),
                 "\"karisik.csv\" dosyasının 250000. satırı UTF-8 olarak okunamıyor. Kodlama "
                 "olarak Windows-1254 (Türkçe) seçip dosyayı yeniden okuyun.");
    }
}

QTEST_GUILESS_MAIN(TstImportReaders)
#include "tst_import_readers.moc"
