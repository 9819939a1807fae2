#include "export_sample.h"
#include "program_fixture.h"
#include "sample_school.h"

#include "ui/export_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCryptographicHash>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

// Many rows of text that does not compress, so every format, the zipped ones too, needs more
// room than a small disk has.
class LongSample : public ExportSource {
public:
    std::vector<ExportColumn> columns() const override { return ExportSample().columns(); }
    int rowCount() const override { return 3000; }
    QVariant value(int row, int column) const override {
        if (column == 1)
            return QCryptographicHash::hash(QByteArray::number(row), QCryptographicHash::Sha256).toHex();
        return ExportSample::rows()[size_t(row % 3)][size_t(column)];
    }
};

// A disk of a few pages in a folder of the test's own, mounted for the test's life.
class SmallDisk {
public:
    explicit SmallDisk(const QString& folder) : m_folder(folder) {
        m_mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=32k", "tmpfs", folder}) == 0;
    }
    ~SmallDisk() {
        if (m_mounted)
            QProcess::execute("umount", {m_folder});
    }
    bool mounted() const { return m_mounted; }
    // Fills the disk with one file until no more than `freeBytes` are left.
    void leaveFree(qint64 freeBytes) const {
        QFile filler(m_folder + "/dolgu");
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        const QByteArray page(4096, 'x');
        for (qint64 free = 1 << 20; free > freeBytes && filler.write(page) == page.size();)
            free = QStorageInfo(m_folder).bytesFree();
        filler.close();
    }

private:
    QString m_folder;
    bool m_mounted = false;
};

} // namespace

// The export as a whole: which rows and fields go out, the settings file, the file that is
// replaced only by a whole new one, and the dialog over the trainee list.
class TestExport : public QObject {
    Q_OBJECT

    // The cells of a CSV file with ";", as Python's reader sees them.
    static QString csvCells(const QString& path) {
        return runPython(
                   "import csv,sys,json\n"
                   "print(json.dumps(list(csv.reader(open(sys.argv[1], encoding='utf-8-sig', newline=''),"
                   " delimiter=';')), ensure_ascii=False))",
                   {path})
            .trimmed();
    }
    static QString json(const QList<QStringList>& rows) {
        QStringList out;
        for (const QStringList& row : rows) {
            QStringList cells;
            for (const QString& cell : row)
                cells << '"' + cell + '"';
            out << '[' + cells.join(", ") + ']';
        }
        return '[' + out.join(", ") + ']';
    }
    static ExportSettings csvTo(const QString& path) {
        ExportSettings s;
        s.format = ExportFormat::Csv;
        s.csv.separator = ";";
        s.fileName = path;
        return s;
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    void fieldsAndRange_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last"); // 0: all records
        QTest::addColumn<QString>("cells");
        QTest::newRow("chosen fields in the chosen order")
            << QStringList{"ser_hak", "KID"} << 1 << 0
            << json({{"ser_hak", "kID"}, {"Evet", "1"}, {"Hayır", "2"}, {"", "3"}});
        QTest::newRow("a range") << QStringList{"kID"} << 2 << 3 << json({{"kID"}, {"2"}, {"3"}});
        QTest::newRow("a range past the end") << QStringList{"kID"} << 3 << 9 << json({{"kID"}, {"3"}});
        QTest::newRow("an empty range") << QStringList{"kID"} << 3 << 2 << json({{"kID"}});
        QTest::newRow("an unknown field is left out")
            << QStringList{"yok", "adi"} << 2 << 2 << json({{"adi"}, {"a;b,c %100"}});
    }
    void fieldsAndRange() {
        QFETCH(QStringList, fields);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QString, cells);
        QTemporaryDir dir;
        ExportSettings s = csvTo(dir.filePath("liste.csv"));
        s.fields = fields;
        s.allRecords = last == 0;
        s.firstRecord = first;
        s.lastRecord = last;
        const ExportSample sample;
        QCOMPARE(runExport(sample, s), std::optional<int>(ExportSelection(sample, s).rowCount));
        QCOMPARE(csvCells(s.fileName), cells);
    }

    void noFieldChosenIsRefused() {
        QTemporaryDir dir;
        ExportSettings s = csvTo(dir.filePath("liste.csv"));
        s.fields = QStringList{"yok"};
        QVERIFY_THROWS_EXCEPTION(ExportError, runExport(ExportSample(), s));
        QVERIFY(!QFile::exists(s.fileName));
    }

    // A stopped or failed export leaves the file that was there, and no half-written one.
    void oldFileStaysUntilTheNewOneIsWhole() {
        QTemporaryDir dir;
        ExportSettings s = csvTo(dir.filePath("liste.csv"));
        QFile old(s.fileName);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("eski");
        old.close();
        QCOMPARE(runExport(ExportSample(), s, [](int, int) { return false; }), std::nullopt);
        s.format = ExportFormat::Excel;
        s.fields = QStringList{"yok"};
        QVERIFY_THROWS_EXCEPTION(ExportError, runExport(ExportSample(), s));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("eski"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"liste.csv"});
    }

    // A disk that fills up during the export fails it, names the reason and leaves the old file
    // as it was, in every format: a long list that fills the disk halfway, and a short one whose
    // bytes all wait in the file's buffer until the file is closed.
    void fullDiskLeavesTheOldFile_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("longList");
        QTest::addColumn<int>("freeBytes");
        for (const ExportFormatInfo& info : exportFormats()) {
            if (info.format == ExportFormat::Clipboard)
                continue;
            QTest::newRow(qPrintable(QString(info.caption) + ", long list"))
                << int(info.format) << true << 12 * 1024;
            QTest::newRow(qPrintable(QString(info.caption) + ", short list"))
                << int(info.format) << false << 0;
        }
    }
    void fullDiskLeavesTheOldFile() {
        QFETCH(int, format);
        QFETCH(bool, longList);
        QFETCH(int, freeBytes);
        if (geteuid() != 0)
            QSKIP("Mounting a small disk needs root (CI runs as root).");
        QTemporaryDir dir;
        const SmallDisk disk(dir.path());
        QVERIFY(disk.mounted());
        ExportSettings s = csvTo(dir.filePath("liste.dosya"));
        s.format = ExportFormat(format);
        QFile old(s.fileName);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("eski");
        old.close();
        disk.leaveFree(freeBytes);
        try {
            const LongSample longSample;
            const ExportSample shortSample;
            runExport(longList ? static_cast<const ExportSource&>(longSample) : shortSample, s);
            QFAIL("the export said it succeeded");
        } catch (const ExportError& e) {
            const QString message = QString::fromUtf8(e.what());
            QVERIFY2(message.contains(s.fileName) && message.contains("Diskte yer kalmadı"),
                     qPrintable(message));
        }
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("eski"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"dolgu", "liste.dosya"}));
    }

    void unwritableDestinationNamesThePath() {
        ExportSettings s = csvTo("/proc/kalvista/liste.csv");
        try {
            runExport(ExportSample(), s);
            QFAIL("the export did not fail");
        } catch (const ExportError& e) {
            const QString message = QString::fromUtf8(e.what());
            QVERIFY2(message.contains("yazılamadı") && message.contains(s.fileName), qPrintable(message));
        }
    }

    // Every setting survives the file: a file saved from loaded settings is the file loaded.
    void settingsFileRoundTrip() {
        QTemporaryDir dir;
        ExportSettings changed;
        changed.format = ExportFormat::Latex;
        changed.fileName = dir.filePath("ç ş.tex");
        changed.allRecords = false;
        changed.lastRecord = 7;
        changed.fields = QStringList{"soyadi", "adi"};
        changed.captions = {{"adi", "Adı"}, {"soyadi", "Soyadı"}};
        changed.header = "Üst\nbilgi";
        changed.decimals = 2;
        changed.csv.separator = "\t";
        changed.word.rowHeaderFont = {"MS Sans Serif", 9.5, true, true, QColor("#123456")};
        changed.pdf.margins = QMarginsF(1.17, 0.78, 0.57, 0.5);
        changed.html.borderColor = QColor("#abcdef");
        changed.sql.createTable = false;
        const QString first = dir.filePath("ilk.cfg");
        saveExportSettings(changed, first);

        ExportSettings loaded;
        loadExportSettings(loaded, first);
        QCOMPARE(loaded.format, ExportFormat::Latex);
        QCOMPARE(loaded.fields, changed.fields);
        QCOMPARE(loaded.captions, changed.captions);
        QCOMPARE(loaded.header, changed.header);
        QCOMPARE(loaded.word.rowHeaderFont.color, QColor("#123456"));
        QCOMPARE(loaded.pdf.margins, changed.pdf.margins);
        const QString second = dir.filePath("ikinci.cfg");
        saveExportSettings(loaded, second);
        QFile a(first), b(second);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());

        QVERIFY_THROWS_EXCEPTION(ExportError, loadExportSettings(loaded, dir.filePath("yok.cfg")));
    }

    void clipboardGetsTextAndTable() {
        ExportSettings s;
        s.format = ExportFormat::Clipboard;
        s.fields = QStringList{"kID", "soyadi"};
        QCOMPARE(runExport(ExportSample(), s), std::optional<int>(3));
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data->text().startsWith("kID\tsoyadi\r\n1\t"));
        QVERIFY(data->text().contains("\"iki\nsatır\""));
        QVERIFY(data->html().contains("<table"));
        QVERIFY(data->html().contains(QString::fromUtf8("Çağlar")));
    }

    // "Export" after a search and a sort writes the listed trainees in the listed order, every
    // field of the list, and says so in one line.
    void exportOfTheListAsShown() {
        ProgramFixture p(fillSampleSchool);
        p.boxes().onDialog([](QWidget* search) {
            auto* classes = search->findChild<QComboBox*>("cb1");
            classes->setCurrentIndex(classes->findText("B"));
            search->findChild<QPushButton*>("Button1")->click();
        });
        p.press("Btn4");
        p.main().kaygridTitleButtonClick("soyadi");
        QTemporaryDir dir;
        const QString path = dir.filePath("liste.csv");
        QString status;
        p.boxes().onDialog([&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), "Export");
            auto* formats = dialog->findChild<QListWidget*>("ExportTo");
            QCOMPARE(formats->count(), 14);
            formats->setCurrentRow(formats->row(formats->findItems("CSV File", Qt::MatchExactly).first()));
            dialog->findChild<QLineEdit*>("FileName")->setText(dir.filePath("liste"));
            dialog->findChild<QPushButton*>("StartButton")->click();
            status = dialog->findChild<QLabel*>("StatusLabel")->text();
            dialog->findChild<QPushButton*>("CloseButton")->click();
        });
        p.main().findChild<QAction*>("Button12")->trigger();
        QCOMPARE(status, QString("2 kayıt %1 dosyasına yazıldı.").arg(path));
        QVERIFY(p.boxes().seen.isEmpty());

        const QStringList rows =
            runPython("import csv,sys\n"
                      "for r in csv.reader(open(sys.argv[1], encoding='utf-8-sig', newline=''),"
                      " delimiter=';'): print(len(r), r[0], r[1], r[2], r[4])",
                      {path})
                .trimmed()
                .split('\n');
        const int fields = p.data().tkursiyer.fieldCount();
        QCOMPARE(rows, (QStringList{QString("%1 kID adi soyadi dogumtarihi").arg(fields),
                                    QString::fromUtf8("%1 2 ismet Çelik 01.01.1985").arg(fields),
                                    QString::fromUtf8("%1 1 İSMAİL IŞIK 01.05.1990").arg(fields)}));
        QCOMPARE(p.data().tkursiyer.recordCount(), 2);
    }

    // "Print file after export" prints the exported table through the print dialog.
    void printingAfterTheExportAsksForThePrinter() {
        ProgramFixture p(fillSampleSchool);
        QString status;
        QString printDialog;
        p.boxes().onDialog([&](QWidget* dialog) {
            auto* formats = dialog->findChild<QListWidget*>("ExportTo");
            formats->setCurrentRow(formats->count() - 1);
            dialog->findChild<QCheckBox*>("PrintAfterExport")->setChecked(true);
            dialog->findChild<QPushButton*>("StartButton")->click();
            status = dialog->findChild<QLabel*>("StatusLabel")->text();
            dialog->findChild<QPushButton*>("CloseButton")->click();
        });
        p.boxes().onDialog([&](QWidget* dialog) {
            printDialog = dialog->objectName();
            dialog->close();
        });
        p.main().findChild<QAction*>("Button12")->trigger();
        QCOMPARE(printDialog, "PrintDialog");
        QCOMPARE(status, QString::fromUtf8("5 kayıt panoya kopyalandı."));
        QVERIFY(p.boxes().seen.isEmpty());
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
