#include "export/export_writers.h"
#include "export_sample.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// Each document and data format written from the sample through the export's own save file, then
// read back by a reader that we did not write, cell by cell. Where no such reader exists (RTF,
// LaTeX), a small decoder here undoes the escapes and fails on anything left unescaped.

namespace {

// Prints the first table's cells, the paragraphs around it, which rows repeat as headers and the
// fonts of the styles.
const char* const WordReader = R"PY(
import docx, json, sys
d = docx.Document(sys.argv[1])
t = d.tables[0]
defaults = d.styles.element.xpath('w:docDefaults/w:rPrDefault/w:rPr')[0]
runs = t.rows[0].cells[0].paragraphs[0].runs
caption = runs[0].style if runs else None
print(json.dumps({
    'table': [[c.text for c in r.cells] for r in t.rows],
    'texts': [p.text for p in d.paragraphs if p.text],
    'repeats': [bool(r._tr.xpath('./w:trPr/w:tblHeader')) for r in t.rows],
    'font': [defaults.xpath('w:rFonts/@w:ascii')[0], int(defaults.xpath('w:sz/@w:val')[0]) / 2],
    'captionFont': caption and [caption.name, caption.font.name, caption.font.bold, caption.font.size.pt]}))
)PY";

// Fails unless the file is ASCII with balanced groups; undoes \uN? (signed, surrogates paired), \line,
// \tab and the escaped \ { }; skips the font and colour tables.
const char* const RtfReader = R"PY(
import json, re, sys
raw = open(sys.argv[1], 'rb').read()
if any(b > 127 for b in raw): sys.exit('not ASCII')
table, texts, repeats, row, text = [], [], [], [], ''
depth, skipped, fallback, header = 0, None, 0, False
for m in re.finditer(r'\\([a-z]+)(-?\d+)? ?|\\(.)|([{}])|([^\\{}\r\n]+)', raw.decode('ascii')):
    word, number, symbol, brace, chars = m.groups()
    if brace:
        depth += 1 if brace == '{' else -1
        if depth < 0: sys.exit('unbalanced')
        if skipped and depth < skipped: skipped = None
    elif skipped: pass
    elif word in ('fonttbl', 'colortbl'): skipped = depth
    elif chars: text, fallback = text + chars[fallback:], 0
    elif symbol in ('\\', '{', '}'): text += symbol
    elif symbol: sys.exit('unknown symbol ' + symbol)
    elif word == 'u' and -32768 <= int(number) < 32768: text, fallback = text + chr(int(number) % 65536), 1
    elif word in ('line', 'tab'): text += '\n' if word == 'line' else '\t'
    elif word == 'trowd': header = False
    elif word == 'trhdr': header = True
    elif word == 'cell': row, text = row + [text], ''
    elif word == 'row': table, repeats, row = table + [row], repeats + [header], []
    elif word == 'par': texts, text = texts + [text], ''
if depth: sys.exit('unbalanced')
utf16 = lambda s: s.encode('utf-16', 'surrogatepass').decode('utf-16')
print(json.dumps({'table': [[utf16(c) for c in r] for r in table], 'texts': [utf16(t) for t in texts],
                  'repeats': repeats}))
)PY";

const char* const HtmlReader = R"PY(
import html.parser, json, sys
class Reader(html.parser.HTMLParser):
    table, texts, repeats, text, head, charset, title = [], [], [], None, False, None, None
    def handle_starttag(self, tag, attrs):
        if tag == 'meta': self.charset = dict(attrs).get('charset')
        if tag == 'thead': self.head = True
        if tag == 'tr': self.table.append([]); self.repeats.append(self.head)
        if tag in ('td', 'th', 'p', 'title'): self.text = ''
        if tag == 'br': self.text += '\n'
    def handle_endtag(self, tag):
        if tag == 'thead': self.head = False
        if tag in ('td', 'th'): self.table[-1].append(self.text)
        if tag == 'p': self.texts.append(self.text)
        if tag == 'title': self.title = self.text
    def handle_data(self, data):
        if self.text is not None: self.text += data
r = Reader()
r.feed(open(sys.argv[1], encoding='utf-8').read())
r.close()
print(json.dumps({'table': r.table, 'texts': r.texts, 'repeats': r.repeats, 'charset': r.charset,
                  'title': r.title}))
)PY";

// Scans the longtable and the paragraphs around it token by token: every escape must be one the
// table knows, no special character may stand unescaped and no \newline may open a paragraph.
const char* const LatexReader = R"PY(
import json, re, sys
ESCAPES = {'\\textbackslash{}': '\\', '\\#': '#', '\\$': '$', '\\%': '%', '\\&': '&', '\\_': '_',
           '\\{': '{', '\\}': '}', '\\textasciitilde{}': '~', '\\textasciicircum{}': '^',
           '\\textless{}': '<', '\\textgreater{}': '>', '\\textbar{}': '|', '\\textquotedbl{}': '"',
           '\\textquotesingle{}': "'", '\\textasciigrave{}': '`', '-{}': '-', ',{}': ',',
           '\\newline ': '\n', '\\mbox{}': '', '\\bfseries ': '', '\\allowbreak{}': ''}
BETWEEN_ROWS = ('\\hline', '\\endhead', '\n')
SPECIALS = set('\\#$%&_{}~^<>|"\'`-,')
TOKEN = re.compile('|'.join(map(re.escape, sorted([*ESCAPES, *BETWEEN_ROWS, '\\\\'], key=len, reverse=True)))
                   + '|.', re.S)
def scan(text, table):
    rows, row, cell, head, started = [], [], '', 0, False
    for t in TOKEN.findall(text):
        if t == '\\newline ' and not started: sys.exit('a line break opens %r' % text)
        if t in ESCAPES: cell, started = cell + ESCAPES[t], started or t != '\\bfseries '
        elif table and t == '&': row, cell, started = row + [cell], '', False
        elif table and t == '\\\\': rows, row, cell, started = rows + [row + [cell]], [], '', False
        elif table and t in BETWEEN_ROWS and not row and not cell: head = len(rows) if t == '\\endhead' else head
        elif t in SPECIALS or t in BETWEEN_ROWS or t == '\\\\': sys.exit('unescaped %r in %r' % (t, text))
        else: cell, started = cell + t, True
    if not table: return cell
    if row or cell: sys.exit('unfinished row')
    return rows, [i < head for i in range(len(rows))]
src = open(sys.argv[1], encoding='utf-8').read()
head, rest = src.split('\\begin{longtable}{', 1)
formats, rest = rest.split('\n', 1)
body, tail = rest.split('\\end{longtable}\n', 1)
table, repeats = scan(body, True)
paragraphs = [l[:-4] for l in (head + tail).splitlines() if l.endswith('\\par')]
print(json.dumps({'table': table, 'texts': [scan(p, False) for p in paragraphs], 'repeats': repeats,
                  'columns': formats.count('p{'), 'head': head, 'tail': tail}))
)PY";

// Element names from the first row; a value is null only when marked so.
const char* const XmlReader = R"PY(
import json, sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
rows = list(root)
print(json.dumps({'table': [[c.tag for c in rows[0]]] +
                           [[None if c.get('null') == 'true' else c.text or '' for c in r] for r in rows],
                  'elements': sorted({root.tag} | {r.tag for r in rows})}))
)PY";

// Loads the script into a new database; prints the one table's column names, values, value types
// and declared column types.
const char* const SqlReader = R"PY(
import json, sqlite3, sys
db = sqlite3.connect(':memory:')
db.executescript(open(sys.argv[1], encoding='utf-8').read())
(name,), = db.execute("SELECT name FROM sqlite_master WHERE type = 'table'").fetchall()
quoted = '"' + name.replace('"', '""') + '"'
cursor = db.execute('SELECT * FROM ' + quoted)
rows = cursor.fetchall()
print(json.dumps({'name': name, 'table': [[d[0] for d in cursor.description]] + [list(r) for r in rows],
                  'types': [[type(v).__name__ for v in r] for r in rows],
                  'declared': [c[2] for c in db.execute('PRAGMA table_info(' + quoted + ')')]}))
)PY";

struct Format {
    ExportFormat format;
    const char* reader;
};

const QHash<QString, Format>& formats() {
    static const QHash<QString, Format> all = {
        {"Word", {ExportFormat::Word, WordReader}}, {"RTF", {ExportFormat::Rtf, RtfReader}},
        {"HTML", {ExportFormat::Html, HtmlReader}}, {"LaTeX", {ExportFormat::Latex, LatexReader}},
        {"XML", {ExportFormat::Xml, XmlReader}},    {"SQL", {ExportFormat::Sql, SqlReader}}};
    return all;
}

// Exports the source in the named format to a file and gives what the format's reader printed.
QJsonObject readBack(const QString& formatName, const ExportSource& source, ExportSettings settings) {
    const Format format = formats().value(formatName);
    QTemporaryDir dir;
    settings.format = format.format;
    settings.fileName = dir.filePath(QString("liste.") + exportFormatInfo(format.format).extension);
    runExport(source, settings);
    return QJsonDocument::fromJson(runPython(format.reader, {settings.fileName}).toUtf8()).object();
}

QString compact(const QJsonValue& value) {
    return QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact));
}

QJsonArray textTable(const QList<QStringList>& rows) {
    QJsonArray table;
    for (const QStringList& row : rows)
        table.append(QJsonArray::fromStringList(row));
    return table;
}

const QStringList SampleNames = {"kID", "adi", "soyadi", "dogumtarihi", "odeme_tutari", "ser_hak"};
const QString Header = QString::fromUtf8("Kursiyer listesi & <ödemeler>");
const QString Footer = QString::fromUtf8("Toplam: 3 kayıt\nİmza: ________");

ExportSettings documentSettings() {
    ExportSettings settings;
    settings.header = Header;
    settings.footer = Footer;
    return settings;
}

// One text column whose name and value hold what the formats must escape, drop or keep.
class OddTextSource : public ExportSource {
public:
    static inline const QString Name = QString::fromUtf8("2 \"not\"/açıklama");
    static inline const QString Value =
        QString::fromUtf8("\n\\ # $ % & _ { } ~ ^ < > | \" ' ; [a] \x01son\nşİıĞ 😀");

    std::vector<ExportColumn> columns() const override { return {{Name, Name, ExportKind::Text, 0}}; }
    int rowCount() const override { return 1; }
    QVariant value(int, int) const override { return Value; }
};

// A device that takes no byte, like a full disk.
class FullDevice : public QIODevice {
public:
    FullDevice() {
        open(WriteOnly);
        setErrorString("Disk dolu");
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override { return -1; }
};

} // namespace

class TstExportDocuments : public QObject {
    Q_OBJECT

private slots:
    void documentsReadBack_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("captions");
        for (const char* format : {"Word", "RTF", "HTML", "LaTeX"}) {
            QTest::addRow("%s", format) << QString(format) << true;
            QTest::addRow("%s without captions", format) << QString(format) << false;
        }
    }
    // Every cell as the user's formats show it, the caption row repeating on each page, and the
    // header and footer around the table.
    void documentsReadBack() {
        QFETCH(QString, format);
        QFETCH(bool, captions);
        ExportSettings settings = documentSettings();
        settings.writeCaptions = captions;
        const QJsonObject read = readBack(format, ExportSample(), settings);

        QList<QStringList> rows = {{"1", ExportSample::TurkishLetters,
                                    QString::fromUtf8("Çağlar \"Şef\" 'Ağa'"), "07.03.1990", "1.234,50",
                                    "Evet"},
                                   {"2", "a;b,c %100", QString::fromUtf8("iki\nsatır"), "31.12.2001",
                                    "-250,75", QString::fromUtf8("Hayır")},
                                   {"3", "", "", "", "", ""}};
        QJsonArray repeats = {false, false, false};
        if (captions) {
            rows.prepend(SampleNames);
            repeats.prepend(true);
        }
        QCOMPARE(compact(read["table"]), compact(textTable(rows)));
        QCOMPARE(compact(read["repeats"]), compact(repeats));
        QCOMPARE(compact(read["texts"]), compact(QJsonArray{Header, Footer}));
    }

    void oddTextReadsBack_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        const QString withoutControl = QString(OddTextSource::Value).remove('\x01');
        for (const char* format : {"Word", "RTF", "HTML"})
            QTest::addRow("%s", format) << QString(format) << OddTextSource::Name << withoutControl;
        // pdflatex stops at a character its fonts lack; code page 1254's are there.
        QTest::newRow("LaTeX") << "LaTeX" << OddTextSource::Name
                               << QString(withoutControl).replace(QString::fromUtf8("😀"), "?");
        QTest::newRow("XML") << "XML" << QString::fromUtf8("_2__not__açıklama") << withoutControl;
        QTest::newRow("SQL keeps control characters") << "SQL" << OddTextSource::Name << OddTextSource::Value;
    }
    // Markup characters, quotes, a leading line break, Turkish letters and a letter beyond the BMP
    // come back as they were; control characters XML cannot hold are dropped by all but SQL.
    void oddTextReadsBack() {
        QFETCH(QString, format);
        QFETCH(QString, name);
        QFETCH(QString, value);
        ExportSettings settings;
        settings.sql.tableName = "kursiyer \"liste\"";
        const QJsonObject read = readBack(format, OddTextSource(), settings);
        QCOMPARE(compact(read["table"]), compact(textTable({{name}, {value}})));
    }

    void wordKeepsItsFonts() {
        ExportSettings settings = documentSettings();
        settings.word.defaultFont = {"Times New Roman", 11};
        settings.word.rowHeaderFont = {"Courier New", 9, true};
        const QJsonObject read = readBack("Word", ExportSample(), settings);
        QCOMPARE(compact(read["font"]), compact(QJsonArray{"Times New Roman", 11}));
        QCOMPARE(compact(read["captionFont"]),
                 compact(QJsonArray{QString::fromUtf8("Sütun Başlığı"), "Courier New", true, 9}));
    }

    void htmlNamesItsCharsetAndTitle() {
        ExportSettings settings;
        settings.html.title = QString::fromUtf8("Şubat <kayıtlar>");
        const QJsonObject read = readBack("HTML", ExportSample(), settings);
        QCOMPARE(read["charset"].toString(), "utf-8");
        QCOMPARE(read["title"].toString(), settings.html.title);
    }

    void latexTableAlone() {
        ExportSettings settings = documentSettings();
        settings.latex.wholeDocument = false;
        const QJsonObject read = readBack("LaTeX", ExportSample(), settings);
        QCOMPARE(read["head"].toString(), QString());
        QCOMPARE(read["tail"].toString(), QString());
        QCOMPARE(read["columns"].toInt(), 6);
        QCOMPARE(read["table"].toArray().size(), 4);
    }

    // Neutral values, and null told apart from an empty text.
    void xmlReadsBack() {
        ExportSettings settings;
        settings.xml.rootElement = "kursiyerler";
        settings.xml.rowElement = "kursiyer";
        const QJsonObject read = readBack("XML", ExportSample(), settings);
        const QJsonArray table = {
            QJsonArray::fromStringList(SampleNames),
            QJsonArray{"1", ExportSample::TurkishLetters, QString::fromUtf8("Çağlar \"Şef\" 'Ağa'"),
                       "1990-03-07", "1234.5", "1"},
            QJsonArray{"2", "a;b,c %100", QString::fromUtf8("iki\nsatır"), "2001-12-31", "-250.75", "0"},
            QJsonArray{"3", "", QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue()}};
        QCOMPARE(compact(read["table"]), compact(table));
        QCOMPARE(compact(read["elements"]), compact(QJsonArray{"kursiyer", "kursiyerler"}));
    }

    // The script loads as it stands, with typed values, into SQLite's module and its shell alike.
    void sqlLoadsIntoSqlite() {
        const QJsonObject read = readBack("SQL", ExportSample(), ExportSettings());
        QCOMPARE(read["name"].toString(), "kayitlar");
        const QJsonArray table = {
            QJsonArray::fromStringList(SampleNames),
            QJsonArray{1, ExportSample::TurkishLetters, QString::fromUtf8("Çağlar \"Şef\" 'Ağa'"),
                       "1990-03-07", 1234.5, 1},
            QJsonArray{2, "a;b,c %100", QString::fromUtf8("iki\nsatır"), "2001-12-31", -250.75, 0},
            QJsonArray{3, "", QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue()}};
        QCOMPARE(compact(read["table"]), compact(table));
        const QJsonArray types = {QJsonArray{"int", "str", "str", "str", "float", "int"},
                                  QJsonArray{"int", "str", "str", "str", "float", "int"},
                                  QJsonArray{"int", "str", "NoneType", "NoneType", "NoneType", "NoneType"}};
        QCOMPARE(compact(read["types"]), compact(types));
        QCOMPARE(compact(read["declared"]),
                 compact(QJsonArray{"INTEGER", "VARCHAR(30)", "VARCHAR(30)", "DATE", "REAL", "INTEGER"}));

        QTemporaryDir dir;
        ExportSettings settings;
        settings.format = ExportFormat::Sql;
        settings.fileName = dir.filePath("liste.sql");
        runExport(ExportSample(), settings);
        QCOMPARE(runReader("sqlite3", {":memory:", ".read " + settings.fileName,
                                       "SELECT soyadi FROM kayitlar WHERE kID = 1"}),
                 QString::fromUtf8("Çağlar \"Şef\" 'Ağa'\n"));
    }

    void failedWritesAreReported_data() {
        QTest::addColumn<QString>("format");
        for (const QString& format : formats().keys())
            QTest::newRow(qPrintable(format)) << format;
    }
    // The user is told, with the device's reason.
    void failedWritesAreReported() {
        QFETCH(QString, format);
        FullDevice full;
        ExportSettings settings;
        try {
            const auto writer = makeFileWriter(formats().value(format).format, full, settings);
            writeRows(*writer, ExportSample(), settings);
            QFAIL("The export did not fail.");
        } catch (const ExportError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains("Disk dolu"), error.what());
        }
    }
};

QTEST_MAIN(TstExportDocuments)
#include "tst_export_documents.moc"
