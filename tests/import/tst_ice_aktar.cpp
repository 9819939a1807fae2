#include "data/connection.h"
#include "data/value_lists.h"
#include "export/export_run.h"
#include "import/import_fields.h"
#include "program_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

// The import dialog as a secretary works it, and the program's own exports brought back into an
// empty database, field for field.
class TestIceAktar : public QObject {
    Q_OBJECT

    template <typename T> static T* in(QWidget* dialog, const char* name) {
        T* found = dialog->findChild<T*>(name);
        if (!found)
            qFatal("no control named %s", name);
        return found;
    }

    // A trainee with every field filled: list entries where the field has a list, Turkish letters,
    // a quote and a line break in the texts, a date and a yes/no of each kind.
    static QString fullTrainee(const QString& candidateNo, int n) {
        QStringList names, values;
        int day = 1;
        for (const ImportField& field : importFields(ImportKind::Trainees)) {
            names << field.name;
            switch (field.type) {
            case ColumnType::Date:
                values << QString("'%1-0%2-%3 00:00:00'").arg(1990 + n).arg(1 + n % 9).arg(10 + day++ % 18);
                break;
            case ColumnType::YesNo:
                values << ((day++ + n) % 2 ? "-1" : "0");
                break;
            case ColumnType::Number:
                values << "1234.5";
                break;
            default: {
                QString text = field.name == "adayno" ? candidateNo
                               : field.valueList      ? field.valueList()[(1 + n) % field.valueList().size()]
                               : field.name == "adi"  ? QString("Çağrı'%1").arg(n)
                               : field.name == "e_adresi" ? QString("Kat 2\nDaire \"5\"")
                                                          : QString("ığüşöç-İĞÜŞÖÇ-%1").arg(field.name);
                values << "'" + text.left(field.width).replace("'", "''") + "'";
            }
            }
        }
        return QString("INSERT INTO tb_kursiyer (%1) VALUES (%2)").arg(names.join(", "), values.join(", "));
    }

    static void fillSchool(Connection& connection) {
        connection.execute(fullTrainee("00123", 0));
        connection.execute(fullTrainee("B-7", 1));
        connection.execute(
            "INSERT INTO tb_kursiyer (adi, soyadi, adayno, cinsiyeti, ehliyetsinifi, kayitTarihi, "
            "odeme_tutari, ehliyetAldi) VALUES ('İSMAİL', 'IŞIK', 'A-1', 'Erkek', 'B', "
            "'2024-01-15 00:00:00', 0, 0)");
    }

    // Every trainee field but the key and the row version, a line per trainee in candidate number order.
    static QStringList trainees(const TempDatabase& database) {
        QStringList names;
        for (const ImportField& field : importFields(ImportKind::Trainees))
            names << field.name;
        Connection connection;
        database.open(connection);
        Statement s(connection, QString("SELECT %1 FROM tb_kursiyer ORDER BY adayno").arg(names.join(", ")));
        QStringList rows;
        while (s.step()) {
            QStringList cells;
            for (int c = 0; c < s.columnCount(); ++c)
                cells << s.text(c);
            rows << cells.join('|');
        }
        return rows;
    }

    // Reads the file in the dialog and waits for the check of every row.
    static void readFile(QWidget* dialog, const QString& path) {
        in<QLineEdit>(dialog, "DosyaEdit")->setText(path);
        in<QPushButton>(dialog, "OkuButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!in<QLabel>(dialog, "SorunLabel")->text().contains("denetleniyor"), 20000);
    }

    static void openImport(ProgramFixture& program) { program.find<QAction>("IceAktar1")->trigger(); }

private slots:
    void initTestCase() { useProgramLocale(); }

    // Like "Export", the import waits while a record is being entered.
    void menuEntry() {
        ProgramFixture program;
        QVERIFY(program.find<QAction>("IceAktar1")->isEnabled());
        program.press("Button1");
        QVERIFY(!program.find<QAction>("IceAktar1")->isEnabled());
    }

    void roundTrip_data() {
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<QString>("name");
        QTest::newRow("CSV") << ExportFormat::Csv << "liste.csv";
        QTest::newRow("XLSX") << ExportFormat::Excel << "liste.xlsx";
        QTest::newRow("DBF") << ExportFormat::Dbf << "liste.dbf";
    }

    // The whole list exported, then read into an empty database: the same trainees, every field; a
    // second import of the same file adds nothing.
    void roundTrip() {
        QFETCH(ExportFormat, format);
        QFETCH(QString, name);
        QTemporaryDir files;
        const QString path = files.filePath(name);
        QStringList exported;
        {
            ProgramFixture school(fillSchool);
            ExportSettings settings;
            settings.format = format;
            settings.fileName = path;
            QCOMPARE(runExport(DatasetExportSource(school.data().tkursiyer), settings), 3);
            exported = trainees(school.database());
        }
        ProgramFixture program;
        QString firstResult;
        program.boxes().onDialog([&](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QString("ice_aktar"));
            QCOMPARE(dialog->windowTitle(), QString("İçe Aktar"));
            readFile(dialog, path);
            QCOMPARE(in<QLabel>(dialog, "SorunLabel")->text().section('\n', 0, 0),
                     QString("3 satır aktarılabilir, 0 satırda sorun var, 0 satır zaten kayıtlı"));
            QCOMPARE(in<QTableWidget>(dialog, "OnizlemeTablosu")->rowCount(), 3);
            in<QPushButton>(dialog, "AktarButton")->click();
            firstResult = in<QLabel>(dialog, "SonucLabel")->text();
            QTRY_VERIFY_WITH_TIMEOUT(!in<QLabel>(dialog, "SorunLabel")->text().contains("denetleniyor"),
                                     20000);
            QVERIFY(in<QLabel>(dialog, "SorunLabel")->text().startsWith("0 satır aktarılabilir"));
            QVERIFY(!in<QPushButton>(dialog, "AktarButton")->isEnabled());
            in<QPushButton>(dialog, "KapatButton")->click();
        });
        openImport(program);
        QCOMPARE(firstResult, QString("3 kursiyer eklendi, 0 güncellendi, 0 satır atlandı."));
        QCOMPARE(program.boxes().seen.size(), 1);
        QCOMPARE(program.boxes().seen[0].caption, QString("İçe Aktar"));
        QCOMPARE(program.boxes().seen[0].text, firstResult);
        QCOMPARE(trainees(program.database()), exported);
        QCOMPARE(program.data().tkursiyer.recordCount(), 3);
        QCOMPARE(program.statusCount(), QString(" Kayıt Sayısı : 3"));
    }

    // A field chosen for a second column is refused before any row is read; a bad cell is marked in
    // the preview with its reason, and the problems can be saved.
    void matchingAndPreview() {
        QTemporaryDir files;
        const QString path = files.filePath("kursiyerler.csv");
        QFile csv(path);
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("Adı;Soyadı;Aday No;Cinsiyeti;Ehliyet Sınıfı;Doğum Tarihi\r\n"
                  "Ali;Kaya;1;Erkek;B;01.02.1990\r\n"
                  "Veli;Kara;2;erkek;b;31.02.2024\r\n");
        csv.close();
        ProgramFixture program;
        program.boxes().onDialog([&](QWidget* dialog) {
            readFile(dialog, path);
            QCOMPARE(in<QLabel>(dialog, "SorunLabel")->text().section('\n', 0, 0),
                     QString("1 satır aktarılabilir, 1 satırda sorun var, 0 satır zaten kayıtlı"));
            auto* preview = in<QTableWidget>(dialog, "OnizlemeTablosu");
            QCOMPARE(preview->item(1, 4)->text(), QString("Erkek"));
            QVERIFY(preview->item(1, 6)->toolTip().contains("31.02.2024"));
            const QString report = files.filePath("sorunlar.csv");
            program.boxes().onDialog([&](QWidget* picker) {
                QCOMPARE(picker->objectName(), QString("ProblemFileDialog"));
                picker->findChild<QLineEdit*>("fileNameEdit")->setText(report);
                static_cast<QDialog*>(picker)->accept();
            });
            in<QPushButton>(dialog, "RaporKaydet")->click();
            QFile saved(report);
            QVERIFY(saved.open(QIODevice::ReadOnly));
            const QString lines = QString::fromUtf8(saved.readAll());
            QVERIFY(lines.contains("Doğum Tarihi") && lines.contains("31.02.2024"));
            QVERIFY(in<QLabel>(dialog, "SonucLabel")->text().startsWith("1 sorun"));

            auto* matching = in<QTableWidget>(dialog, "EslesmeTablosu");
            auto* sixth = qobject_cast<QComboBox*>(matching->cellWidget(5, 2));
            sixth->setCurrentIndex(1); // Adı, which the first column fills
            emit sixth->activated(1);
            QVERIFY(in<QLabel>(dialog, "SorunLabel")->text().contains("Adı"));
            QVERIFY(!in<QPushButton>(dialog, "AktarButton")->isEnabled());
            QCOMPARE(preview->rowCount(), 0);
            in<QPushButton>(dialog, "KapatButton")->click();
        });
        openImport(program);
        QCOMPARE(program.boxes().seen.size(), 1);
        QVERIFY(program.boxes().seen[0].text.contains("iki sütun"));
        QCOMPARE(program.count("1=1"), 0);
    }

    // A damaged workbook is refused with the file's name; nothing is written.
    void misleadingExtension() {
        QTemporaryDir files;
        QFile zip(files.filePath("bozuk.xlsx"));
        QVERIFY(zip.open(QIODevice::WriteOnly));
        zip.write(QByteArray("PK\x03\x04", 4) + QByteArray(100, 'x'));
        zip.close();
        ProgramFixture program;
        program.boxes().onDialog([&](QWidget* dialog) {
            readFile(dialog, zip.fileName());
            QVERIFY(in<QLabel>(dialog, "SorunLabel")->text().contains("bozuk.xlsx"));
            QCOMPARE(in<QTableWidget>(dialog, "EslesmeTablosu")->rowCount(), 0);
            QVERIFY(!in<QPushButton>(dialog, "AktarButton")->isEnabled());
            in<QPushButton>(dialog, "KapatButton")->click();
        });
        openImport(program);
        QCOMPARE(program.boxes().seen.size(), 1);
        QVERIFY(program.boxes().seen[0].text.contains("bozuk.xlsx"));
        QCOMPARE(program.count("1=1"), 0);
    }
};

QTEST_MAIN(TestIceAktar)
#include "tst_ice_aktar.moc"
