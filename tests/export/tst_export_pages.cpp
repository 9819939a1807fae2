#include "export_sample.h"
#include "ui/export/export_writers.h"

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
    {"1", ExportSample::TurkishLetters, Caglar, "07.03.1990", "1234,5", "Evet"},
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
        QList<QStringList> expected = SampleTexts;
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

    void dif() {
        const QString path = exportTo("list.dif", makeDifWriter, ExportSample());
        // A reader of the format: topics of three lines, then pairs of lines per value.
        const QJsonObject read = json(runPython(R"(
import json, sys
lines = iter(open(sys.argv[1], encoding='utf-8', newline='').read().split('\r\n'))
topics = {}
for topic in lines:
    topics[topic] = next(lines)
    assert next(lines) == '""'
    if topic == 'DATA': break
rows = []
for first in lines:
    kind, number = first.split(',')
    second = next(lines)
    if kind == '-1':
        if second == 'EOD': break
        assert second == 'BOT'
        rows.append([])
    elif kind == '0':
        float(number)
        assert second in ('V', 'TRUE', 'FALSE')
        rows[-1].append('n:' + number if second == 'V' else 'b:' + second + number)
    else:
        assert kind == '1' and second[0] == second[-1] == '"'
        rows[-1].append('t:' + second[1:-1].replace('""', '"'))
assert list(lines) == ['']
print(json.dumps({'vectors': topics['VECTORS'], 'rows': rows}))
)",
                                                {path}))
                                     .object();
        QCOMPARE(read["vectors"].toString(), "0,6");
        const QList<QStringList> expected = {
            {"t:kID", "t:adi", "t:soyadi", "t:dogumtarihi", "t:odeme_tutari", "t:ser_hak"},
            {"n:1", "t:" + ExportSample::TurkishLetters, "t:" + Caglar, "t:07.03.1990", "n:1234.5",
             "b:TRUE1"},
            {"n:2", "t:a;b,c %100", QString::fromUtf8("t:iki satır"), "t:31.12.2001", "n:-250.75",
             "b:FALSE0"},
            {"n:3", "t:", "t:", "t:", "t:", "t:"},
        };
        QCOMPARE(rowsOf(read["rows"]), expected);
    }

    void sylk() {
        const QString path = exportTo("list.slk", makeSylkWriter, ExportSample());
        // A reader of the format: records of fields split at single semicolons.
        const QJsonObject cells = json(runPython(R"(
import json, sys
lines = open(sys.argv[1], encoding='utf-8', newline='').read().split('\r\n')
assert lines[0].startswith('ID;P') and lines[-2:] == ['E', '']
cells = {}
for line in lines[1:-2]:
    fields = line.replace(';;', '\0').split(';')
    assert fields[0] == 'C'
    f = {field[0]: field[1:].replace('\0', ';') for field in fields[1:]}
    k = f['K']
    if k.startswith('"'):
        assert k.endswith('"')
        k = 't:' + k[1:-1].replace('\x1b :', '\n')
    else:
        k = 'n:' + str(float(k))
    cells[f['Y'] + ',' + f['X']] = k
print(json.dumps(cells))
)",
                                                 {path}))
                                      .object();
        const QList<QStringList> expected = {
            {"t:kID", "t:adi", "t:soyadi", "t:dogumtarihi", "t:odeme_tutari", "t:ser_hak"},
            {"n:1.0", "t:" + ExportSample::TurkishLetters, "t:" + Caglar, "t:07.03.1990", "n:1234.5",
             "n:1.0"},
            {"n:2.0", "t:a;b,c %100", QString::fromUtf8("t:iki\nsatır"), "t:31.12.2001", "n:-250.75",
             "n:0.0"},
            {"n:3.0"},
        };
        QVariantMap cellsExpected;
        for (int y = 0; y < expected.size(); ++y)
            for (int x = 0; x < expected[y].size(); ++x)
                cellsExpected[QString("%1,%2").arg(y + 1).arg(x + 1)] = expected[y][x];
        QCOMPARE(cells.toVariantMap(), cellsExpected);
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

    // Each page of a long list is headed by the captions, and every row is on one page only.
    void pdfRepeatsCaptions() {
        const QString path = exportTo("long.pdf", makePdfWriter, GeneratedList(300, 3, 20));
        const int pages = pdfPages(path);
        QVERIFY(pages >= 3);
        QList<int> rows;
        for (int page = 1; page <= pages; ++page) {
            const QString text = pdfText(path, page);
            QVERIFY(text.contains("K1") && text.contains("K2") && text.contains("K3"));
            QVERIFY(text.contains(QString("Sayfa %1").arg(page)));
            for (const QRegularExpressionMatch& m : QRegularExpression("\\br(\\d+)c1\\b").globalMatch(text))
                rows << m.captured(1).toInt();
        }
        QCOMPARE(rows.size(), 300);
        QCOMPARE(rows.first(), 1);
        QCOMPARE(rows.last(), 300);
        QVERIFY(std::is_sorted(rows.begin(), rows.end()));
    }

    // Columns wider than the page go on to the next pages; the rows then go down ("over, then
    // down"), and no column shows on a page of another.
    void pdfColumnsOverflow() {
        const int columns = 8;
        const QString path = exportTo("wide.pdf", makePdfWriter, GeneratedList(120, columns, 40));
        const auto cellsOn = [&](int page) {
            QSet<int> rows, shown;
            for (const QRegularExpressionMatch& m :
                 QRegularExpression("\\br(\\d+)c(\\d+)\\b").globalMatch(pdfText(path, page))) {
                rows << m.captured(1).toInt();
                shown << m.captured(2).toInt();
            }
            return std::pair{rows, shown};
        };
        int groups = 0;
        QSet<int> across;
        while (!across.contains(columns)) {
            const auto [rows, shown] = cellsOn(++groups);
            QVERIFY(!shown.isEmpty() && !shown.intersects(across));
            QCOMPARE(rows, cellsOn(1).first);
            across += shown;
        }
        QVERIFY(groups > 1);
        QCOMPARE(across.size(), columns);
        QVERIFY(pdfPages(path) > groups && pdfPages(path) % groups == 0);
        const auto [firstRows, firstColumns] = cellsOn(1);
        const auto [nextRows, nextColumns] = cellsOn(groups + 1);
        QCOMPARE(nextColumns, firstColumns);
        QVERIFY(*std::min_element(nextRows.begin(), nextRows.end()) ==
                *std::max_element(firstRows.begin(), firstRows.end()) + 1);
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
