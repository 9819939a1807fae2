#include "export/export_writers.h"
#include "export_sample.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

const QString Caglar = QString::fromUtf8("Çağlar \"Şef\" 'Ağa'");

// The sample as the text formats show it with the default settings.
const QList<QStringList> SampleTexts = {
    {"kID", "adi", "soyadi", "dogumtarihi", "odeme_tutari", "ser_hak"},
    {"1", ExportSample::TurkishLetters, Caglar, "07.03.1990", "1.234,50", "Evet"},
    {"2", "a;b,c %100", QString::fromUtf8("iki\nsatır"), "31.12.2001", "-250,75", QString::fromUtf8("Hayır")},
    {"3", "", "", "", "", ""},
};

// A list of text columns K1, K2, ... whose cells are made by a function of row and column.
class GeneratedList : public ExportSource {
public:
    using Cell = std::function<QString(int row, int column)>;
    GeneratedList(int rows, int columns, int width, Cell cell = name)
        : m_rows(rows), m_columns(columns), m_width(width), m_cell(std::move(cell)) {}
    static QString name(int row, int column) { return QString("r%1c%2").arg(row + 1).arg(column + 1); }

    std::vector<ExportColumn> columns() const override {
        std::vector<ExportColumn> all;
        for (int c = 1; c <= m_columns; ++c)
            all.push_back({QString("K%1").arg(c), QString("K%1").arg(c), ExportKind::Text, m_width});
        return all;
    }
    int rowCount() const override { return m_rows; }
    QVariant value(int row, int column) const override { return m_cell(row, column); }

private:
    int m_rows, m_columns, m_width;
    Cell m_cell;
};

// Readers of DIF and SYLK, printing each cell as "row,column": "t:text", "n:number" or "b:TRUE".
const QString DifReader = R"(
import json, sys
lines = iter(open(sys.argv[1], encoding='cp1254', newline='').read().split('\r\n'))
for topic in lines:
    count, text = next(lines), next(lines)
    assert text == '""' and (topic != 'VECTORS' or count == '0,6')
    if topic == 'DATA': break
cells, y = {}, 0
for pair in lines:
    kind, number = pair.split(',')
    value = next(lines)
    if kind == '-1':
        if value == 'EOD': break
        assert value == 'BOT'
        y, x = y + 1, 0
        continue
    x += 1
    if kind == '0' and value == 'V':
        cells[f'{y},{x}'] = 'n:' + str(float(number))
    elif kind == '0':
        assert float(number) == (value == 'TRUE') and value in ('TRUE', 'FALSE')
        cells[f'{y},{x}'] = 'b:' + value
    else:
        assert kind == '1' and value[0] == value[-1] == '"'
        cells[f'{y},{x}'] = 't:' + value[1:-1].replace('""', '"')
assert list(lines) == ['']
print(json.dumps(cells))
)";
const QString SylkReader = R"(
import json, sys
lines = open(sys.argv[1], encoding='utf-8', newline='').read().split('\r\n')
assert lines[0].startswith('ID;P') and lines[-2:] == ['E', '']
cells, pictures, formats = {}, [], {}
for line in lines[1:-2]:
    fields = line.replace(';;', '\0').split(';')
    f = {field[0]: field[1:].replace('\0', ';') for field in fields[1:]}
    if fields[0] == 'P':
        pictures.append(f['P'])
        continue
    place = f['Y'] + ',' + f['X']
    if fields[0] == 'F':
        formats[place] = pictures[int(f['P'])]
        continue
    assert fields[0] == 'C'
    k = f['K']
    text = k.startswith('"') and k.endswith('"')
    cells[place] = 't:' + k[1:-1].replace('\x1b :', '\n') if text else 'n:' + str(float(k))
    if place in formats:
        cells[place] = 'd:' + str(float(k)) + ' ' + formats[place]
print(json.dumps(cells))
)";

using MakeWriter = std::function<std::unique_ptr<ExportWriter>(QIODevice&, const ExportSettings&)>;

QJsonDocument json(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8());
}

QList<QStringList> rowsOf(const QJsonValue& rows) {
    QList<QStringList> all;
    for (const QJsonValue& row : rows.toArray())
        all << row.toVariant().toStringList();
    return all;
}

QString pdfText(const QString& path, int page = 0) {
    const QStringList pages =
        page ? QStringList{"-f", QString::number(page), "-l", QString::number(page)} : QStringList{};
    return runReader("pdftotext", QStringList{"-layout"} + pages + QStringList{path, "-"});
}

// pdftotext lays out by columns and drops the blanks between one-letter words: texts are compared
// without their blanks.
QString withoutBlanks(QString text) {
    return text.remove(QRegularExpression("\\s"));
}

QRegularExpressionMatch pdfInfo(const QString& path, const QString& pattern) {
    return QRegularExpression(pattern).match(runReader("pdfinfo", {path}));
}

int pdfPages(const QString& path) {
    return pdfInfo(path, "Pages:\\s+(\\d+)").captured(1).toInt();
}

QSizeF pdfPageSize(const QString& path) {
    const QRegularExpressionMatch size = pdfInfo(path, "Page size:\\s+([\\d.]+) x ([\\d.]+)");
    return {size.captured(1).toDouble(), size.captured(2).toDouble()};
}

// The region, in points, that the words on the first page cover.
QRectF wordsArea(const QString& path) {
    const QString boxes = runReader("pdftotext", {"-bbox", "-f", "1", "-l", "1", path, "-"});
    static const QRegularExpression word(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\"");
    QRectF area;
    for (const QRegularExpressionMatch& m : word.globalMatch(boxes)) {
        const QRectF box(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                         QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
        area = area.isNull() ? box : area.united(box);
    }
    return area;
}

} // namespace

// Each format written from a list and read back by a reader of its own.
class TstExportPages : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString exportTo(const QString& name, const MakeWriter& make, const ExportSource& source,
                     const ExportSettings& settings = {}) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        writeRows(*make(file, settings), source, settings);
        return path;
    }

private slots:
    void csv_data() {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<bool>("byteOrderMark");
        QTest::newRow("semicolon, with a byte-order mark") << ";" << true;
        QTest::newRow("comma, no mark, a first field ID") << "," << false;
    }
    void csv() {
        QFETCH(QString, separator);
        QFETCH(bool, byteOrderMark);
        ExportSettings settings;
        settings.csv.separator = separator;
        settings.csv.byteOrderMark = byteOrderMark;
        // CSV is data: amounts keep their digits, without the display's grouping and decimals.
        QList<QStringList> expected = SampleTexts;
        expected[1][4] = "1234,5";
        if (!byteOrderMark) {
            settings.captions["kID"] = "ID";
            expected[0][0] = "ID";
        }
        const QString path = exportTo("list.csv", makeCsvWriter, ExportSample(), settings);
        const QJsonDocument rows = json(runPython("import csv, json, sys\n"
                                                  "rows = csv.reader(open(sys.argv[1], encoding='utf-8-sig', "
                                                  "newline=''), delimiter=sys.argv[2])\n"
                                                  "print(json.dumps(list(rows)))",
                                                  {path, separator}));
        QCOMPARE(rowsOf(rows.array()), expected);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), byteOrderMark);
        QCOMPARE(bytes.count("\r\n"), 4);
        QVERIFY(bytes.endsWith("\r\n"));
        if (!byteOrderMark)
            QVERIFY(bytes.startsWith("\"ID\""));
    }

    // Every value of a column starts (or, right-aligned, ends) where its caption does.
    void text() {
        ExportSettings settings;
        settings.header = "Kursiyer listesi";
        settings.footer = QString::fromUtf8("Toplam 3 kayıt");
        QFile file(exportTo("list.txt", makeTextWriter, ExportSample(), settings));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(bytes).split("\r\n");
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines.first(), settings.header);
        QCOMPARE(lines[8], settings.footer);
        QVERIFY(lines[3].startsWith("--------  ---"));
        const QList<int> tableLines = {2, 4, 5};
        const std::vector<ExportColumn> columns = ExportSample().columns();
        for (int c = 0; c < int(columns.size()); ++c) {
            const bool right = columns[size_t(c)].kind == ExportKind::Integer ||
                               columns[size_t(c)].kind == ExportKind::Number;
            QSet<qsizetype> places;
            for (int n = 0; n < tableLines.size(); ++n) {
                const QString value = QString(SampleTexts[n][c]).replace('\n', ' ');
                const qsizetype at = lines[tableLines[n]].indexOf(value);
                QVERIFY2(at >= 0, qPrintable(value));
                places << (right ? at + value.size() : at);
            }
            QCOMPARE(places.size(), 1);
        }
    }

    void interchange_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QList<QStringList>>("cells");
        const QStringList captions = {"t:kID",         "t:adi",          "t:soyadi",
                                      "t:dogumtarihi", "t:odeme_tutari", "t:ser_hak"};
        const QString first = "t:" + ExportSample::TurkishLetters, second = "t:" + Caglar;
        QTest::newRow("DIF") << int(ExportFormat::Dif) << DifReader
                             << QList<QStringList>{
                                    captions,
                                    {"n:1.0", first, second, "t:07.03.1990", "n:1234.5", "b:TRUE"},
                                    {"n:2.0", "t:a;b,c %100", QString::fromUtf8("t:iki satır"),
                                     "t:31.12.2001", "n:-250.75", "b:FALSE"},
                                    {"n:3.0", "t:", "t:", "t:", "t:", "t:"}};
        QTest::newRow("SYLK") << int(ExportFormat::Sylk) << SylkReader
                              << QList<QStringList>{captions,
                                                    {"n:1.0", first, second, "d:32939.0 dd\\.mm\\.yyyy",
                                                     "n:1234.5", "n:1.0"},
                                                    {"n:2.0", "t:a;b,c %100",
                                                     QString::fromUtf8("t:iki\nsatır"),
                                                     "d:37256.0 dd\\.mm\\.yyyy", "n:-250.75", "n:0.0"},
                                                    {"n:3.0"}};
    }
    void interchange() {
        QFETCH(int, format);
        QFETCH(QString, reader);
        QFETCH(QList<QStringList>, cells);
        const auto make = [&](QIODevice& out, const ExportSettings& settings) {
            return makeFileWriter(ExportFormat(format), out, settings);
        };
        QVariantMap expected;
        for (int y = 0; y < cells.size(); ++y)
            for (int x = 0; x < cells[y].size(); ++x)
                expected[QString("%1,%2").arg(y + 1).arg(x + 1)] = cells[y][x];
        QCOMPARE(json(runPython(reader, {exportTo("list", make, ExportSample())})).object().toVariantMap(),
                 expected);
    }

    void pdf_data() {
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QMarginsF>("margins");
        QTest::addColumn<bool>("empty");
        QTest::newRow("portrait") << false << QMarginsF(0.79, 0.79, 0.79, 0.79) << false;
        QTest::newRow("landscape, odd margins") << true << QMarginsF(1.5, 0.5, 1, 2) << false;
        QTest::newRow("no rows") << false << QMarginsF(0.79, 0.79, 0.79, 0.79) << true;
    }
    void pdf() {
        QFETCH(bool, landscape);
        QFETCH(QMarginsF, margins);
        QFETCH(bool, empty);
        ExportSettings settings;
        settings.pdf.landscape = landscape;
        settings.pdf.margins = margins;
        settings.header = "Kursiyer listesi";
        settings.footer = QString::fromUtf8("Toplam kayıt");
        settings.allRecords = !empty;
        settings.lastRecord = 0;
        const QString path = exportTo("list.pdf", makePdfWriter, ExportSample(), settings);
        QCOMPARE(pdfPages(path), 1);
        const QString text = withoutBlanks(pdfText(path));
        for (const QStringList& row : empty ? SampleTexts.mid(0, 1) : SampleTexts)
            for (const QString& value : row)
                for (const QString& line : value.split('\n'))
                    QVERIFY2(text.contains(withoutBlanks(line)), qPrintable(line));
        for (const QString& value : {settings.header, settings.footer, QString("Sayfa 1")})
            QVERIFY(text.contains(withoutBlanks(value)));
        QCOMPARE(pdfInfo(path, "Title:\\s+(.*)\\n").captured(1), settings.header);

        const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Point);
        const QSizeF page = pdfPageSize(path);
        QCOMPARE(qRound(page.width()), qRound(landscape ? a4.height() : a4.width()));
        QCOMPARE(qRound(page.height()), qRound(landscape ? a4.width() : a4.height()));
        const QRectF printable = QRectF(QPointF(0, 0), page)
                                     .adjusted(margins.left() * 72, margins.top() * 72, -margins.right() * 72,
                                               -margins.bottom() * 72);
        const QRectF words = wordsArea(path);
        QVERIFY2(printable.adjusted(-1, -1, 1, 1).contains(words), "text outside the margins");
        QVERIFY(words.left() - printable.left() < 12 && words.top() - printable.top() < 12);
        QVERIFY(printable.bottom() - words.bottom() < 12);
    }

    // Columns wider than a page go on to the next pages, then the rows go down ("over, then down"):
    // each page shows the rows of its band in the columns of its group, under their captions.
    void pdfOverThenDown() {
        const int rows = 300, columns = 8;
        const QString path = exportTo("wide.pdf", makePdfWriter, GeneratedList(rows, columns, 40));
        const int pages = pdfPages(path);
        QList<QSet<int>> rowsOn, columnsOn;
        for (int page = 1; page <= pages; ++page) {
            const QString text = pdfText(path, page);
            QSet<int> shownRows, shownColumns;
            for (const QRegularExpressionMatch& m :
                 QRegularExpression("\\br(\\d+)c(\\d+)\\b").globalMatch(text)) {
                shownRows << m.captured(1).toInt();
                shownColumns << m.captured(2).toInt();
            }
            for (int column : shownColumns)
                QVERIFY(text.contains(QRegularExpression(QString("\\bK%1\\b").arg(column))));
            QVERIFY(text.contains(QString("Sayfa %1").arg(page)));
            rowsOn << shownRows;
            columnsOn << shownColumns;
        }
        int groups = 1;
        while (groups < pages && !columnsOn[groups - 1].contains(columns))
            ++groups;
        QVERIFY(groups > 1 && pages > groups && pages % groups == 0);
        // Each row in one band, each column in one group.
        QSet<int> allRows, allColumns;
        qsizetype rowsShown = 0, columnsShown = 0;
        for (int page = 0; page < pages; ++page) {
            QCOMPARE(columnsOn[page], columnsOn[page % groups]);
            QCOMPARE(rowsOn[page], rowsOn[page - page % groups]);
            if (page % groups == 0) {
                allRows += rowsOn[page];
                rowsShown += rowsOn[page].size();
            }
            if (page < groups) {
                allColumns += columnsOn[page];
                columnsShown += columnsOn[page].size();
            }
        }
        QCOMPARE(allRows.size(), rowsShown);
        QCOMPARE(rowsShown, rows);
        QCOMPARE(allColumns.size(), columnsShown);
        QCOMPARE(columnsShown, columns);
    }

    // Long values wrap inside their cells; one taller than a page is cut with an ellipsis.
    void pdfWrapsAndCuts() {
        const QStringList words =
            QString::fromUtf8("birinci ikinci üçüncü dördüncü beşinci altıncı").split(' ');
        const auto cell = [&](int row, int) {
            return row == 0 ? words.join(' ') : (words.join(' ') + ' ').repeated(400) + "sonuncu";
        };
        const QString path = exportTo("wrap.pdf", makePdfWriter, GeneratedList(2, 1, 10, cell));
        QCOMPARE(pdfPages(path), 2);
        const QStringList firstPage = pdfText(path, 1).split('\n');
        for (const QString& word : words)
            QVERIFY(!firstPage.filter(QRegularExpression("^\\s*" + word + "\\s*$")).isEmpty());
        const QString secondPage = pdfText(path, 2);
        QVERIFY(secondPage.contains(QString::fromUtf8("…")) && !secondPage.contains("sonuncu"));
    }

    // The table alone on a device laid out by its caller.
    void tableOnAnyPagedDevice() {
        const QString path = m_dir.filePath("a5.pdf");
        {
            QPdfWriter device(path);
            device.setPageLayout(
                QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10)));
            writeRows(*makeTableWriter(device, ExportSettings()), ExportSample(), ExportSettings());
        }
        const QSizeF a5 = QPageSize(QPageSize::A5).size(QPageSize::Point);
        QCOMPARE(qRound(pdfPageSize(path).width()), qRound(a5.height()));
        QVERIFY(withoutBlanks(pdfText(path)).contains(withoutBlanks(ExportSample::TurkishLetters)));
    }
};

QTEST_MAIN(TstExportPages)
#include "tst_export_pages.moc"
