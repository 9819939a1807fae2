#include "export_sample.h"
#include "test_support.h"

#include "data/frm_DataMod.h"
#include "data/schema.h"
#include "export/export_writers.h"
#include "export/plain_text.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// The trainee list as a school opens its exports: LibreOffice (Writer for Word and RTF, Calc for
// DBF and DIF in code page 1254, and SYLK), pdflatex, and the other formats' own readers, each
// value compared with the database. LibreOffice starts once per kind of conversion, over every
// file of that kind, with a profile of its own in the test's folder.

namespace {

// Texts that trouble writers: every Turkish letter, quotes, markup and CSV characters.
const QStringList Texts = {QString::fromUtf8("Ayşe Gül"),
                           QString::fromUtf8("İsmail; Rıza"),
                           QString::fromUtf8("Çağlar \"Şef\" 'Ağa'"),
                           QString::fromUtf8("Öztürk & Oğulları <Ltd>"),
                           QString::fromUtf8("Işıl Ünlü"),
                           QString::fromUtf8("Gökçe Şahin"),
                           QString::fromUtf8("Ilgın Sarı"),
                           QString::fromUtf8("Üçüncü Çıkmaz Sk.")};
const QString Address = QString::fromUtf8("Atatürk Cad. No: 5 & 7\nKat <2>; Daire \"B\"");
const QString Remark = QString::fromUtf8("Sınavda başarılı; \"çok iyi\" & <tekrar>\nyok");

// A value of the column for a trainee: full rows (0 and 1) and a row of the required fields only.
QVariant fixtureValue(const Column& column, int row, int index) {
    if (row == 2 && !QStringList{"adi", "soyadi", "adayno"}.contains(column.name))
        return {};
    switch (column.type) {
    case ColumnType::Text: {
        if (row == 0 && column.name == "e_adresi")
            return Address;
        if (row == 0 && column.name == "d_aciklama")
            return Remark;
        return Texts[(index + row) % Texts.size()].left(column.width).trimmed();
    }
    case ColumnType::Date:
        return QDateTime(QDate(1970 + index % 50, 1 + (index + row) % 12, 1 + index % 28), QTime(0, 0));
    case ColumnType::Number:
        return row == 0 ? 0.5 : 1234.5;
    case ColumnType::YesNo:
        return (index + row) % 2 == 0;
    case ColumnType::Integer:
        return index + row;
    case ColumnType::AutoNumber:
        break;
    }
    return {};
}

void fillTrainees(Connection& connection) {
    const Table& trainees = *Schema::table(u"tb_kursiyer");
    for (int row = 0; row < 3; ++row) {
        QStringList names, marks;
        QVariantList values;
        for (int i = 0; i < int(trainees.columns.size()); ++i) {
            const Column& column = trainees.columns[size_t(i)];
            const QVariant value = fixtureValue(column, row, i);
            if (value.isNull())
                continue;
            names << column.name;
            marks << "?";
            values << (value.typeId() == QMetaType::QDateTime ? toStoredDate(value.toDateTime())
                       : value.typeId() == QMetaType::Bool    ? QVariant(value.toBool() ? -1 : 0)
                                                              : value);
        }
        Statement insert(
            connection.handle(),
            QString("INSERT INTO tb_kursiyer (%1) VALUES (%2)").arg(names.join(','), marks.join(',')));
        for (int v = 0; v < values.size(); ++v)
            insert.bind(v + 1, values[v]);
        insert.execute();
    }
}

// A memo of 50,000 characters, a value of blanks only, a caption of characters code page 1254
// lacks.
TableSource oddValues() {
    QString memo = QString::fromUtf8("Uzun açıklama başlar ");
    while (memo.size() < 50000)
        memo += QString::fromUtf8("şoför güvendi ");
    memo.truncate(50000);
    return TableSource({{"not", "not", ExportKind::Text, 0},
                        {"bos", "bos", ExportKind::Text, 10},
                        {"emoji", QString::fromUtf8("😀😀"), ExportKind::Text, 10},
                        {"tarih", "tarih", ExportKind::Date, 0},
                        {"tutar", "tutar", ExportKind::Number, 0}},
                       {{memo, QString(8, ' '), QString::fromUtf8("😀"), QVariant(), 0.5}});
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The cells of a CSV file that LibreOffice wrote in UTF-8.
QList<QStringList> csvCells(const QString& path) {
    const QJsonArray rows =
        QJsonDocument::fromJson(runPython("import csv, json, sys\n"
                                          "print(json.dumps(list(csv.reader(open(sys.argv[1], "
                                          "encoding='utf-8', newline='')))))",
                                          {path})
                                    .toUtf8())
            .array();
    QList<QStringList> cells;
    for (const QJsonValue& row : rows)
        cells << row.toVariant().toStringList();
    return cells;
}

QStringList lines(const QString& text) {
    QStringList all;
    for (const QString& line : text.split(QRegularExpression("\r\n|\r|\n|\f")))
        all << line.trimmed();
    return all;
}

// Whether pdflatex compiled the file into a PDF, and the widest box it had to let overflow.
struct LatexRun {
    bool compiled = false;
    double widestOverflow = 0;
};

LatexRun pdflatex(const QString& texFile) {
    QProcess tex;
    tex.setWorkingDirectory(QFileInfo(texFile).path());
    tex.start("pdflatex", {"-interaction=nonstopmode", "-halt-on-error", QFileInfo(texFile).fileName()});
    tex.waitForFinished(120000);
    LatexRun run;
    run.compiled = tex.exitStatus() == QProcess::NormalExit && tex.exitCode() == 0;
    const QString log = QString::fromUtf8(tex.readAllStandardOutput());
    static const QRegularExpression overfull("Overfull \\\\hbox \\(([\\d.]+)pt too wide\\)");
    for (const QRegularExpressionMatch& m : overfull.globalMatch(log))
        run.widestOverflow = std::max(run.widestOverflow, m.captured(1).toDouble());
    if (!run.compiled)
        qWarning().noquote() << log.right(2000);
    return run;
}

QString withoutBlanks(QString text) {
    return text.remove(QRegularExpression("\\s"));
}

} // namespace

class TstExportReaders : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TempDatabase m_database;
    frm_DataMod m_data;
    ExportSettings m_settings;
    std::unique_ptr<DatasetExportSource> m_list;
    std::vector<ExportColumn> m_columns;

    // The bad inputs, each with the settings it is written with.
    struct Case {
        QString name;
        const ExportSource* source;
        ExportSettings settings;
    };
    std::vector<Case> m_cases;
    std::unique_ptr<TableSource> m_odd;

    QString exportTo(const QString& name, ExportFormat format, const ExportSource& source,
                     ExportSettings settings) {
        settings.format = format;
        settings.fileName = m_dir.filePath(name + "_" + extension(format) + "." + extension(format));
        runExport(source, settings);
        return settings.fileName;
    }
    static QString extension(ExportFormat format) { return exportFormatInfo(format).extension; }
    QString file(const QString& name, ExportFormat format) const {
        return m_dir.filePath(name + "_" + extension(format) + "." + extension(format));
    }
    QString converted(const QString& name, ExportFormat format, const QString& to) const {
        return m_dir.filePath("out/" + name + "_" + extension(format) + "." + to);
    }

    // A value as the formatted formats show it.
    QString shown(int row, int column) const {
        return exportText(m_list->value(row, column), m_columns[size_t(column)].kind, m_settings);
    }

    // Every file LibreOffice reads, written for the list and each bad input, converted by one
    // LibreOffice start per kind of conversion.
    void convertWithLibreOffice() {
        const auto files = [this](ExportFormat format) {
            QStringList written;
            for (const Case& c : m_cases)
                written << file(c.name, format);
            return written;
        };
        const QString profile = QUrl::fromLocalFile(m_dir.filePath("profil")).toString();
        const QString out = m_dir.filePath("out");
        QDir().mkpath(out);
        // 36 is LibreOffice's number of code page 1254; without it dBase files are read as code
        // page 850 and DIF files as 1252.
        const QString csv = "csv:Text - txt - csv (StarCalc):44,34,76";
        const QList<std::pair<QStringList, QStringList>> runs = {
            {{"--convert-to", "txt"}, files(ExportFormat::Word) + files(ExportFormat::Rtf)},
            {{"--convert-to", "pdf"}, files(ExportFormat::Word) + files(ExportFormat::Rtf)},
            {{"--infilter=dBase:36", "--convert-to", csv}, files(ExportFormat::Dbf)},
            {{"--infilter=DIF:36", "--convert-to", csv}, files(ExportFormat::Dif)},
            {{"--convert-to", csv}, files(ExportFormat::Sylk)}};
        for (const auto& [options, inputs] : runs) {
            QProcess office;
            office.setProcessChannelMode(QProcess::MergedChannels);
            office.start("soffice",
                         QStringList{"-env:UserInstallation=" + profile, "--headless", "--norestore"} +
                             options + QStringList{"--outdir", out} + inputs);
            if (!office.waitForFinished(240000) || office.exitCode() != 0)
                qWarning().noquote() << office.readAll();
        }
    }

private slots:
    void initTestCase() {
        useProgramLocale();
        {
            Connection connection;
            m_database.open(connection);
            fillTrainees(connection);
        }
        m_database.open(m_data.ado_conn);
        m_data.tkursiyer.open();
        m_list = std::make_unique<DatasetExportSource>(m_data.tkursiyer);
        m_columns = m_list->columns();
        m_settings = m_data.EXPORTX.settings();

        m_odd = std::make_unique<TableSource>(oddValues());
        ExportSettings odd = m_settings;
        odd.captions["emoji"] = QString::fromUtf8("😀😀");
        ExportSettings oneField = m_settings;
        oneField.fields = QStringList{"soyadi"};
        ExportSettings noRows = m_settings;
        noRows.allRecords = false;
        noRows.firstRecord = 2;
        noRows.lastRecord = 1;
        m_cases = {{"liste", m_list.get(), m_settings},
                   {"tuhaf", m_odd.get(), odd},
                   {"tekalan", m_list.get(), oneField},
                   {"bos", m_list.get(), noRows}};
        for (const Case& c : m_cases) {
            for (const ExportFormatInfo& info : exportFormats()) {
                if (info.format != ExportFormat::Clipboard)
                    exportTo(c.name, info.format, *c.source, c.settings);
            }
        }
        QElapsedTimer clock;
        clock.start();
        convertWithLibreOffice();
        qInfo("LibreOffice: %lld ms", clock.elapsed());
    }

    void documentsShowEveryValue_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("Word") << int(ExportFormat::Word);
        QTest::newRow("RTF") << int(ExportFormat::Rtf);
    }
    // LibreOffice's text of the document holds every caption and every line of every value; the
    // columns that name a row are there once per group of columns.
    void documentsShowEveryValue() {
        QFETCH(int, format);
        const QString text = readText(converted("liste", ExportFormat(format), "txt"));
        const QStringList shownLines = lines(text);
        for (const ExportColumn& column : m_columns)
            QVERIFY2(shownLines.contains(column.caption), qPrintable(column.caption));
        for (int row = 0; row < m_list->rowCount(); ++row) {
            for (int column = 0; column < int(m_columns.size()); ++column) {
                for (const QString& line : shown(row, column).split('\n'))
                    QVERIFY2(line.isEmpty() || shownLines.contains(line),
                             qPrintable(m_columns[size_t(column)].name + ": " + line));
            }
        }
        QVERIFY(shownLines.count("soyadi") > 5);
    }

    void documentPagesKeepCaptionWords_data() { documentsShowEveryValue_data(); }
    // Printed, each caption stands whole on one line, on landscape pages, a group of columns on a
    // page: the three trainees take one page per group.
    void documentPagesKeepCaptionWords() {
        QFETCH(int, format);
        const QString pdf = converted("liste", ExportFormat(format), "pdf");
        const QStringList words = runReader("pdftotext", {pdf, "-"}).split(QRegularExpression("\\s+"));
        for (const ExportColumn& column : m_columns)
            QVERIFY2(words.contains(column.caption), qPrintable(column.caption));
        const QString info = runReader("pdfinfo", {pdf});
        const int pages = QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
        QVERIFY(info.contains(QRegularExpression("Page size:\\s+841.89 x 595")));
        QVERIFY2(pages > 5 && pages < 25, qPrintable(QString::number(pages)));
    }

    // dbfread finds the code page in the header by itself; LibreOffice, told code page 1254,
    // shows every letter, and empty dates and amounts as empty cells.
    void dbfReadsBack() {
        const QJsonArray read =
            QJsonDocument::fromJson(runPython("import dbfread, json, sys\n"
                                              "t = dbfread.DBF(sys.argv[1])\n"
                                              "print(json.dumps([[str(v) if v is not None "
                                              "else None for v in r.values()] for r in t]))",
                                              {file("liste", ExportFormat::Dbf)})
                                        .toUtf8())
                .array();
        const QList<QStringList> office = csvCells(converted("liste", ExportFormat::Dbf, "csv"));
        QCOMPARE(read.size(), m_list->rowCount());
        QCOMPARE(office.size(), m_list->rowCount() + 1);
        for (int row = 0; row < m_list->rowCount(); ++row) {
            for (int column = 0; column < int(m_columns.size()); ++column) {
                const QVariant value = m_list->value(row, column);
                const ExportKind kind = m_columns[size_t(column)].kind;
                const QJsonValue byDbfread = read[row][column];
                const QString byOffice = office[row + 1][column];
                const QString where = m_columns[size_t(column)].name;
                switch (kind) {
                case ExportKind::Text:
                    QCOMPARE(byDbfread.toString(), value.toString());
                    QCOMPARE(byOffice, value.toString());
                    break;
                case ExportKind::Date:
                    QCOMPARE(byDbfread.toString(),
                             value.isNull() ? QString() : value.toDate().toString(Qt::ISODate));
                    QVERIFY2(byOffice == (value.isNull() ? QString() : value.toDate().toString("MM/dd/yy")),
                             qPrintable(where + ": " + byOffice));
                    break;
                case ExportKind::Integer:
                case ExportKind::Number:
                    QCOMPARE(byDbfread.toString().toDouble(), value.toDouble());
                    QVERIFY2(value.isNull() ? byOffice.isEmpty() : byOffice.toDouble() == value.toDouble(),
                             qPrintable(where + ": " + byOffice));
                    break;
                case ExportKind::Boolean:
                    QCOMPARE(byOffice, value.toBool() ? "TRUE" : "FALSE");
                    break;
                }
            }
        }
    }

    // LibreOffice, told code page 1254, shows every letter; a line break is a blank.
    void difReadsBack() {
        const QList<QStringList> office = csvCells(converted("liste", ExportFormat::Dif, "csv"));
        QCOMPARE(office.size(), m_list->rowCount() + 1);
        for (int column = 0; column < int(m_columns.size()); ++column)
            QCOMPARE(office[0][column], m_columns[size_t(column)].caption);
        for (int row = 0; row < m_list->rowCount(); ++row) {
            for (int column = 0; column < int(m_columns.size()); ++column) {
                const QVariant value = m_list->value(row, column);
                const ExportKind kind = m_columns[size_t(column)].kind;
                const QString byOffice = office[row + 1][column];
                if (isNumeric(kind) && !value.isNull())
                    QCOMPARE(byOffice.toDouble(), value.toDouble());
                else if (kind == ExportKind::Boolean)
                    QCOMPARE(byOffice, value.toBool() ? "1" : "0");
                else
                    QCOMPARE(byOffice, shown(row, column).replace('\n', ' '));
            }
        }
    }

    void latexCompiles_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"liste", "tuhaf", "tekalan", "bos"})
            QTest::newRow(name) << QString(name);
    }
    // pdflatex compiles every file with no box more than a few points too wide, and every word
    // of the list within the page.
    void latexCompiles() {
        QFETCH(QString, name);
        const QString tex = file(name, ExportFormat::Latex);
        const LatexRun run = pdflatex(tex);
        QVERIFY(run.compiled);
        QVERIFY2(run.widestOverflow < 3, qPrintable(QString::number(run.widestOverflow)));
        const QString pdf = QString(tex).replace(".tex", ".pdf");
        const QString boxes = runReader("pdftotext", {"-bbox", pdf, "-"});
        const double pageWidth =
            QRegularExpression("<page width=\"([\\d.]+)\"").match(boxes).captured(1).toDouble();
        static const QRegularExpression word(
            "<word xMin=\"([\\d.-]+)\" yMin=\"[\\d.-]+\" xMax=\"([\\d.]+)\"");
        for (const QRegularExpressionMatch& m : word.globalMatch(boxes))
            QVERIFY(m.captured(1).toDouble() >= 0 && m.captured(2).toDouble() <= pageWidth);
    }

    // A narrow list: the PDF holds every value as it is shown (pdftotext puts a value that wraps
    // on lines of its own, so blanks are left out of the comparison).
    void latexShowsEveryValue() {
        ExportSettings narrow = m_settings;
        narrow.fields = QStringList{"adayno", "adi", "soyadi", "dogumtarihi", "odeme_tutari", "ser_hak"};
        const QString tex = exportTo("dar", ExportFormat::Latex, *m_list, narrow);
        QVERIFY(pdflatex(tex).compiled);
        const QString text =
            withoutBlanks(runReader("pdftotext", {QString(tex).replace(".tex", ".pdf"), "-"}));
        const ExportSelection chosen(*m_list, narrow);
        for (int row = 0; row < m_list->rowCount(); ++row) {
            for (const int column : chosen.sourceColumns)
                QVERIFY2(text.contains(withoutBlanks(shown(row, column))), qPrintable(shown(row, column)));
        }
    }

    // Dates and amounts stand whole on their line, as the ledger shows them.
    void pdfShowsDatesAndAmountsWhole() {
        const QStringList shownLines =
            runReader("pdftotext", {"-layout", file("liste", ExportFormat::Pdf), "-"}).split('\n');
        for (int row = 0; row < m_list->rowCount(); ++row) {
            for (int column = 0; column < int(m_columns.size()); ++column) {
                const ExportKind kind = m_columns[size_t(column)].kind;
                if (kind != ExportKind::Date && kind != ExportKind::Number)
                    continue;
                const QString value = shown(row, column);
                QVERIFY2(value.isEmpty() || !shownLines.filter(value).isEmpty(), qPrintable(value));
            }
        }
        QVERIFY(!shownLines.filter("0,50").isEmpty());
    }

    // Every table line as long as the others, whatever the values.
    void textLinesKeepTheirLength_data() { latexCompiles_data(); }
    void textLinesKeepTheirLength() {
        QFETCH(QString, name);
        const QStringList all = readText(file(name, ExportFormat::Text)).split("\r\n");
        QVERIFY(all.size() >= 3);
        const QList<uint> first = all[0].toUcs4();
        for (const QString& line : all.mid(0, all.size() - 1))
            QCOMPARE(line.toUcs4().size(), first.size());
    }

    void badInputsOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        for (const char* name : {"tuhaf", "tekalan", "bos"}) {
            for (const ExportFormatInfo& info : exportFormats()) {
                if (info.format != ExportFormat::Clipboard && info.format != ExportFormat::Latex &&
                    info.format != ExportFormat::Text)
                    QTest::addRow("%s %s", name, info.extension) << QString(name) << int(info.format);
            }
        }
    }
    // A memo of 50,000 characters, blanks only, an emoji caption, one field, no rows: each file
    // opens in its reader.
    void badInputsOpen() {
        QFETCH(QString, name);
        QFETCH(int, format);
        const QString path = file(name, ExportFormat(format));
        switch (ExportFormat(format)) {
        case ExportFormat::Word:
        case ExportFormat::Rtf:
            QVERIFY(QFileInfo(converted(name, ExportFormat(format), "txt")).size() > 0);
            QVERIFY(QFileInfo(converted(name, ExportFormat(format), "pdf")).size() > 0);
            break;
        case ExportFormat::Dbf:
        case ExportFormat::Dif:
        case ExportFormat::Sylk:
            QVERIFY(!csvCells(converted(name, ExportFormat(format), "csv")).isEmpty());
            break;
        case ExportFormat::Excel:
            QVERIFY(
                !runPython("import openpyxl, sys\nprint(openpyxl.load_workbook(sys.argv[1]).active.max_row)",
                           {path})
                     .isEmpty());
            break;
        case ExportFormat::Pdf:
            QVERIFY(!runReader("pdftotext", {path, "-"}).isEmpty());
            break;
        case ExportFormat::Csv:
            QVERIFY(!runPython(
                         "import csv, sys\nprint(len(list(csv.reader(open(sys.argv[1], encoding='utf-8-sig', "
                         "newline='')))))",
                         {path})
                         .isEmpty());
            break;
        case ExportFormat::Html:
            QVERIFY(!runPython(
                         "import html.parser, sys\nhtml.parser.HTMLParser().feed(open(sys.argv[1]).read())\n"
                         "print('ok')",
                         {path})
                         .isEmpty());
            break;
        case ExportFormat::Xml:
            QCOMPARE(runReader("xmllint", {"--noout", path}), QString());
            QVERIFY(QFileInfo(path).size() > 0);
            break;
        case ExportFormat::Sql:
            QVERIFY(!runReader("sqlite3", {":memory:", ".read " + path, "SELECT count(*) FROM tb_kursiyer"})
                         .isEmpty());
            break;
        case ExportFormat::Text:
        case ExportFormat::Latex:
        case ExportFormat::Clipboard:
            break;
        }
    }
};

QTEST_MAIN(TstExportReaders)
#include "tst_export_readers.moc"
