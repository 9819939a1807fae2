#include "app/command_line.h"
#include "data/schema.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <sqlite3.h>

// The command line of the program: the check of a database file, which never changes a byte of
// it, and the options that must run on a computer without a display.
class TestCommandLine : public QObject {
    Q_OBJECT

    static QByteArray bytesOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }

    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // A school of 300 trainees, several pages long, so that a cut through it breaks its tables.
    static void fillSchool(const TempDatabase& school) {
        school.execute(
            {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
             "INSERT INTO tb_kursiyer (adi, soyadi, adayno) SELECT 'Ayşe' || i, 'Işık', 'A-' || i FROM n",
             "INSERT INTO tb_odeme (kID, miktar) SELECT kID, 1250 FROM tb_kursiyer"});
    }

private slots:
    void checkOfAFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::newRow("sound") << "sound" << 0
                               << "Sonuç: sağlam.\nŞema sürümü: %1\nKursiyer sayısı: 300\nÖdeme sayısı: 300\n"
                                  "Dosyada hiçbir değişiklik yapılmadı.\n";
        QTest::newRow("damaged") << "damaged" << 1 << "Sonuç: sorunlu: dosya bütünlük denetiminden geçmedi";
        QTest::newRow("foreign SQLite file")
            << "foreign" << 1 << "Sonuç: sorunlu: dosyada tb_kursiyer tablosu yok.";
        QTest::newRow("newer schema")
            << "newer" << 1
            << "Sonuç: sorunlu: dosya programın daha yeni bir sürümüne ait (şema sürümü "
               "%2, bu programınki %1).\nDosyada hiçbir değişiklik yapılmadı.\n";
        QTest::newRow("the program's rules broken")
            << "orphan" << 1 << "Sonuç: sorunlu:\n- Kursiyeri olmayan 1 ödeme kaydı var.\nŞema sürümü";
        QTest::newRow("missing path") << "missing" << 1 << "Sonuç: sorunlu: dosya bulunamadı.\n";
        QTest::newRow("a folder") << "folder" << 1 << "Sonuç: sorunlu: bu bir klasör, dosya değil.\n";
        QTest::newRow("zero bytes") << "empty" << 1 << "Sonuç: sorunlu: dosya boş.\nDosyada hiçbir";
    }
    void checkOfAFile() {
        QFETCH(QString, kind);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        TempDatabase school;
        fillSchool(school);
        QString file = school.path();
        if (kind == "damaged") {
            const QByteArray whole = bytesOf(file);
            write(file, whole.left(whole.size() / 2));
        } else if (kind == "foreign") {
            QFile::remove(file);
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(file).constData(), &db);
            sqlite3_exec(db, "CREATE TABLE notlar (metin TEXT); INSERT INTO notlar VALUES ('x')", nullptr,
                         nullptr, nullptr);
            sqlite3_close(db);
        } else if (kind == "newer") {
            school.execute({QString("PRAGMA user_version = %1").arg(Schema::Version + 1)});
        } else if (kind == "orphan") {
            school.execute({"INSERT INTO tb_odeme (kID, miktar) VALUES (99999, 5)"});
        } else if (kind == "missing") {
            file = school.folder() + "yok.db";
        } else if (kind == "folder") {
            file = school.folder() + "yedekler";
            QVERIFY(QDir().mkpath(file));
        } else if (kind == "empty") {
            write(file, {});
        }
        const QByteArray before = bytesOf(file);
        const QStringList filesBefore =
            QDir(school.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QString out;
        QString errors;
        QTextStream outStream(&out);
        QTextStream errorStream(&errors);
        const CommandLine::Request request = CommandLine::read({"--denetle", file}, false);
        QCOMPARE(CommandLine::run(request, outStream, errorStream), exitCode);
        outStream.flush();
        QVERIFY2(out.startsWith("Denetlenen dosya: " + QDir::toNativeSeparators(file) + '\n'),
                 qPrintable(out));
        QVERIFY2(out.contains(said.arg(Schema::Version).arg(Schema::Version + 1)), qPrintable(out));
        QCOMPARE(errors, QString());
        QCOMPARE(bytesOf(file), before);
        QCOMPARE(QDir(school.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), filesBefore);
    }

    void wrongCommandLines_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("qtOptionsTaken");
        QTest::addColumn<QString>("problem"); // empty: the window opens
        QTest::newRow("nothing") << QStringList{} << true << "";
        QTest::newRow("Qt's own option, before Qt") << QStringList{"-platform", "offscreen"} << false << "";
        QTest::newRow("left over after Qt")
            << QStringList{"--denetel"} << true << "Bilinmeyen seçenek: --denetel";
        QTest::newRow("check without a file")
            << QStringList{"--denetle"} << false << "--denetle yalnızca bir dosya adı alır.";
        QTest::newRow("ours behind another") << QStringList{"-style", "fusion", "--version"} << false
                                             << "--version başka seçeneklerle birlikte kullanılamaz.";
    }
    void wrongCommandLines() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, qtOptionsTaken);
        QFETCH(QString, problem);
        const CommandLine::Request request = CommandLine::read(arguments, qtOptionsTaken);
        QCOMPARE(request.action == CommandLine::Action::Window, problem.isEmpty());
        if (problem.isEmpty())
            return;
        QString out;
        QString errors;
        QTextStream outStream(&out);
        QTextStream errorStream(&errors);
        QCOMPARE(CommandLine::run(request, outStream, errorStream), 2);
        errorStream.flush();
        QCOMPARE(errors, "kalvista: " + problem + "\nSeçenekler için: kalvista --help\n");
    }

    // The program itself, where no display could be reached: a window asked for would end it.
    void runsWithoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("version") << QStringList{"--version"} << 0 << "Kalvista " KALVISTA_VERSION;
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Kullanım: kalvista [SEÇENEK]";
        QTest::newRow("check of a sound file")
            << QStringList{"--denetle", "%1"} << 0 << "Denetlenen dosya: %1";
        QTest::newRow("check of a missing file")
            << QStringList{"--denetle", "%1.yok"} << 1 << "Denetlenen dosya: %1.yok";
    }
    void runsWithoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, firstLine);
        TempDatabase school;
        arguments.replaceInStrings("%1", school.path());
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("QT_QPA_PLATFORM", "xcb");
        program.setProcessEnvironment(environment);
        program.start(KALVISTA_PROGRAM, arguments);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()).section('\n', 0, 0),
                 firstLine.arg(school.path()));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
