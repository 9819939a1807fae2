#include "admin/frm_sunucuya_tasi.h"
#include "admin/frm_yedekler.h"
#include "app/program_folder.h"
#include "data/backup.h"
#include "data/connection.h"
#include "data/schema.h"
#include "program_fixture.h"
#include "sample_school.h"
#include "server_database.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

// The daily copy at closing and the backups window over the program's own database.
class TestYedekler : public QObject {
    Q_OBJECT

    static frm_yedekler& window(ProgramFixture& p) {
        frm_yedekler& w = *p.forms().yedekler;
        w.show();
        return w;
    }

    static void press(frm_yedekler& w, const char* button) {
        QPushButton* b = w.findChild<QPushButton*>(button);
        QVERIFY2(b, button);
        b->click();
    }

    static QByteArray bytesOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QStringList rowsOfCopy(const QString& copy) {
        QTemporaryDir folder;
        QFile::copy(copy, QDir(folder.path()).filePath("veriler.db"));
        return TempDatabase(folder.path()).rows();
    }

    // A database file of the given trainee count, for a restore to bring in, whichever backend
    // the program runs on.
    static QString schoolFile(const QString& folder, const QString& name, int trainees) {
        const QString path = QDir(folder).filePath(name);
        QTemporaryDir madeIn;
        const TempDatabase made(madeIn.path());
        createDatabase(made.path());
        made.execute({QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                              "INSERT INTO tb_kursiyer (adi, adayno) SELECT 'Kişi ' || i, 'D-' || i FROM n")
                          .arg(trainees),
                      "INSERT INTO tb_odeme (miktar, kID) VALUES (10, 1)"});
        QFile::copy(made.path(), path);
        return path;
    }

    // Types the file's whole path into the dialog's name box, as a user may, and presses Open.
    static void chooseInFileDialog(ProgramFixture& p, const QString& file) {
        p.boxes().onDialog([file](QWidget* dialog) {
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(qobject_cast<QFileDialog*>(dialog) && name);
            name->setText(file);
            static_cast<QDialog*>(dialog)->accept();
        });
    }

private slots:
    void initTestCase() {
        useProgramLocale();
        // Only Qt's own file dialog can be answered from here.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }

    void closingLeavesTheDaysCopy() {
        ProgramFixture p(fillSampleSchool);
        p.main().close();
        const QString copy = QDir(Backup::folderOf(p.database().path()))
                                 .filePath("veriler-" + QDate::currentDate().toString("yyyy-MM-dd") + ".db");
        QCOMPARE(Backup::verify(copy).trainees, 5);
        QCOMPARE(rowsOfCopy(copy), p.database().rows());
        QVERIFY(p.boxes().seen.isEmpty());
    }

    void copyWhileEditingHoldsTheSavedTrainee() {
        ProgramFixture p(fillSampleSchool);
        p.press("Button2");
        p.enter("adi", "Değişti");
        QVERIFY(p.inRecordMode());
        press(window(p), "YedekAl");
        const std::vector<Backup::Contents> copies = Backup::list(p.database().path());
        QCOMPARE(copies.size(), size_t(1));
        const QString saved = rowsOfCopy(copies.front().path).join('\n');
        QVERIFY(saved.contains("|İSMAİL|"));
        QVERIFY(!saved.contains("Değişti"));
        QCOMPARE(p.find<QTableWidget>("YedekListesi")->rowCount(), 1);
        p.press("Button2");
    }

    void fullDiskLetsTheProgramClose() {
        QTemporaryDir mountPoint;
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=2m", "tmpfs", mountPoint.path()}) != 0)
            QSKIP("no small file system can be mounted here");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {"-l", mountPoint.path()}); });
        const QString folder = mountPoint.path();
        createDatabase(QDir(folder).filePath("veriler.db"));
        TempDatabase(folder).execute(
            {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
             "INSERT INTO tb_kursiyer (adi, adayno) SELECT hex(randomblob(100)), 'D-' || i FROM n"});
        {
            QFile filler(QDir(folder).filePath("dolgu"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            filler.write(QByteArray(QStorageInfo(folder).bytesAvailable() - 64 * 1024, 'x'));
        }
        {
            ProgramFixture p(folder);
            p.main().close();
            QVERIFY(!p.main().isVisible());
            QCOMPARE(p.boxes().seen.size(), 1);
            QVERIFY(p.boxes().seen[0].text.contains(
                QDir::toNativeSeparators(Backup::folderOf(p.database().path()))));
            QVERIFY(p.boxes().seen[0].text.contains("Disk dolu"));
            QCOMPARE(QDir(Backup::folderOf(p.database().path())).entryList(QDir::Files), QStringList());
        }
        QFile::remove(QDir(folder).filePath("dolgu"));
        Connection c;
        TempDatabase(folder).open(c);
        QCOMPARE(Backup::check(c).faults, QStringList());
    }

    void restoreBringsTheFileIn_data() {
        QTest::addColumn<bool>("fromList");
        QTest::addColumn<bool>("olderVersion");
        QTest::newRow("a listed backup") << true << false;
        QTest::newRow("a file of the version before") << false << true;
    }

    void restoreBringsTheFileIn() {
        QFETCH(bool, fromList);
        QFETCH(bool, olderVersion);
        ProgramFixture p(fillSampleSchool);
        QTemporaryDir elsewhere;
        const QString file = fromList ? Backup::folderOf(p.database().path()) + "/veriler-2026-01-02.db"
                                      : schoolFile(elsewhere.path(), "eski.db", 7);
        if (fromList) {
            QVERIFY(QDir().mkpath(Backup::folderOf(p.database().path())));
            QFile::copy(schoolFile(elsewhere.path(), "yedek.db", 7), file);
        }
        if (olderVersion) {
            Connection c;
            c.setConnectionString(Connection::connectionText(elsewhere.path() + "/"));
            QFile::rename(file, elsewhere.path() + "/veriler.db");
            c.open();
            makeFirstReleasedSchema(c);
            c.close();
            QFile::rename(elsewhere.path() + "/veriler.db", file);
        }
        frm_yedekler& w = window(p);
        p.boxes().answer(QMessageBox::Yes);
        if (fromList) {
            press(w, "GeriYukle");
        } else {
            chooseInFileDialog(p, file);
            press(w, "DosyadanGeriYukle");
        }
        QTRY_COMPARE(p.boxes().seen.size(), 2);
        QVERIFY(p.boxes().seen[0].text.contains("Kursiyer sayısı: 7\nÖdeme sayısı: 1"));
        QCOMPARE(p.boxes().seen[0].defaultButton, QMessageBox::No);
        QCOMPARE(p.boxes().seen[1].text,
                 QString("Geri yükleme tamamlandı.\nKursiyer sayısı: 7\nÖdeme sayısı: 1"));
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 7"));
        QCOMPARE(p.data().tkursiyer.recordCount(), 7);
        QVERIFY(p.main().ListReady);
        QCOMPARE(p.count("1 = 1", "tb_kursiyer"), 7);
        // The database as it was lies among the backups, listed with its five trainees.
        const auto* list = w.findChild<QTableWidget*>("YedekListesi");
        bool safetyCopyListed = false;
        for (int row = 0; row < list->rowCount(); ++row)
            safetyCopyListed |= list->item(row, 4)->text().endsWith("-geri-yukleme-oncesi.db") &&
                                list->item(row, 2)->text() == "5";
        QVERIFY(safetyCopyListed);
    }

    void refusedFileChangesNothing_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("random bytes") << "random"
                                      << "SQLite veritabanı olarak açılamadı";
        QTest::newRow("truncated") << "truncated"
                                   << "bütünlük denetiminden geçmedi";
        QTest::newRow("empty") << "empty"
                               << "dosya boş";
        QTest::newRow("no payments table") << "no tb_odeme"
                                           << "dosyada tb_odeme tablosu yok";
        QTest::newRow("newer schema") << "newer"
                                      << "programın daha yeni bir sürümüne ait";
    }

    void refusedFileChangesNothing() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        ProgramFixture p(fillSampleSchool);
        QTemporaryDir elsewhere;
        const QString file = schoolFile(elsewhere.path(), "veriler.db", 3000);
        QByteArray bytes = bytesOf(file);
        if (kind == "random") {
            bytes = QByteArray(64 * 1024, Qt::Uninitialized);
            QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        } else if (kind == "truncated") {
            bytes.truncate(bytes.size() / 2);
        } else if (kind == "empty") {
            bytes.clear();
        } else {
            TempDatabase(elsewhere.path())
                .execute({kind == "newer" ? QString("PRAGMA user_version = %1").arg(Schema::Version + 1)
                                          : QString("DROP TABLE tb_odeme")});
            bytes = bytesOf(file);
        }
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        const QByteArray before = bytesOf(p.database().path());
        chooseInFileDialog(p, file);
        press(window(p), "DosyadanGeriYukle");
        QTRY_COMPARE(p.boxes().seen.size(), 1);
        QVERIFY2(p.boxes().seen[0].text.contains(reason), qPrintable(p.boxes().seen[0].text));
        QVERIFY(p.boxes().seen[0].text.contains("hiçbir değişiklik yapılmadı"));
        QCOMPARE(bytesOf(p.database().path()), before);
        QCOMPARE(Backup::list(p.database().path()).size(), size_t(0));
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 5"));
    }

    void checkNamesTheFaults_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QString>("shown");
        QTest::newRow("sound") << QStringList{} << "Veritabanı denetlendi; sorun bulunmadı.";
        QTest::newRow("orphan payment, doubled number, no letterhead")
            << QStringList{"INSERT INTO tb_odeme (miktar, kID) VALUES (5, 99)",
                           "INSERT INTO tb_kursiyer (adi, adayno) VALUES ('A', 'ı-7'), ('B', 'I-7'), "
                           "('C', 'i-8'), ('D', 'I-8')",
                           "DELETE FROM tb_firma"}
            << "Veritabanında şu sorunlar bulundu:\n\n- Kursiyeri olmayan 1 ödeme kaydı var.\n- I-7 aday "
               "numarası 2 kursiyerde kullanılmış.\n- Firma tablosunda (tb_firma) hiç satır yok.\n\nHiçbiri "
               "otomatik olarak düzeltilmedi.";
    }

    void checkNamesTheFaults() {
        QFETCH(QStringList, faults);
        QFETCH(QString, shown);
        ProgramFixture p([&](Connection& c) {
            fillSampleSchool(c);
            for (const QString& sql : faults)
                c.execute(sql);
        });
        const QStringList before = p.database().rows();
        press(window(p), "Denetle");
        QTRY_COMPARE(p.boxes().seen.size(), 1);
        // The server's storage is checked by its own tools; said after the program's findings.
        const QString serverNote =
            "\n\nSunucudaki veritabanının bütünlüğü program içinden denetlenmez; bunun "
            "için sunucunun kendi araçları (örneğin amcheck, pg_dump) kullanılabilir.";
        QCOMPARE(p.boxes().seen[0].text, ServerDatabase::serverRun() ? shown + serverNote : shown);
        QCOMPARE(p.database().rows(), before);
    }

    void moveIsOfferedOnlyOnTheFile() {
        ProgramFixture p(fillSampleSchool);
        QCOMPARE(window(p).findChild<QPushButton*>("SunucuyaTasi")->isEnabled(),
                 !ServerDatabase::serverRun());
    }

    // The move dialog over a school on its file, whatever backend the run has, and a server
    // database when the run has a server: "%1" in the setting is that database's name.
    void moveDialogSaysWhatHappened_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("onServer");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("moved");
        QTest::newRow("password in the setting")
            << "dbname=okul password=gizli"
            << ""
            << "TasiButton"
            << "Bağlantı bilgisinde parola (password=) olmamalı" << false;
        QTest::newRow("empty setting") << ""
                                       << ""
                                       << "DeneButton"
                                       << "Sunucu bağlantı bilgisini yazın" << false;
        QTest::newRow("tried, empty") << "dbname=%1"
                                      << ""
                                      << "DeneButton"
                                      << "Veritabanı boş; taşımaya hazır." << false;
        QTest::newRow("tried, program there")
            << "dbname=%1"
            << "CREATE TABLE tb_kursiyer (kID integer)"
            << "DeneButton"
            << "Veritabanında programın tabloları zaten var; oraya taşınamaz." << false;
        QTest::newRow("program there") << "dbname=%1"
                                       << "CREATE TABLE kalvista_surum (surum integer)"
                                       << "TasiButton"
                                       << "programın tabloları zaten var; taşıma yapılmadı" << false;
        QTest::newRow("moved") << "dbname=%1"
                               << ""
                               << "TasiButton"
                               << "Taşıma tamamlandı: 5 kursiyer, 4 ödeme. Program yeniden başlatıldığında "
                                  "sunucuyu kullanacak."
                               << true;
    }
    void moveDialogSaysWhatHappened() {
        QFETCH(QString, setting);
        QFETCH(QString, onServer);
        QFETCH(QString, button);
        QFETCH(QString, said);
        QFETCH(bool, moved);
        std::unique_ptr<ServerDatabase> server;
        if (setting.contains("%1")) {
            if (!ServerDatabase::serverRun())
                QSKIP("needs the test server");
            server = std::make_unique<ServerDatabase>();
            if (!onServer.isEmpty())
                server->execute(onServer);
            setting = setting.arg(server->name());
        }
        QTemporaryDir folder;
        const TempDatabase school(folder.path());
        createDatabase(school.path());
        Connection file;
        school.open(file);
        fillSampleSchool(file);
        const QByteArray before = bytesOf(school.path());
        ModalWatcher boxes;
        frm_sunucuya_tasi dialog(file, school.folder());
        dialog.show();
        dialog.findChild<QLineEdit*>("BaglantiEdit")->setText(setting);

        dialog.findChild<QPushButton*>(button)->click();

        const QString shown = button == "DeneButton" && boxes.seen.isEmpty()
                                  ? dialog.findChild<QLabel*>("DurumLabel")->text()
                                  : boxes.seen.value(0).text;
        QVERIFY2(shown.contains(said), qPrintable(shown));
        if (button == "DeneButton" && server)
            QVERIFY2(shown.contains("PostgreSQL"), qPrintable(shown));
        QCOMPARE(Connection::serverSetting(school.folder()), moved ? setting : QString());
        QCOMPARE(bytesOf(school.path()), before);
        QCOMPARE(dialog.findChild<QProgressBar*>("Progress")->value(),
                 moved ? dialog.findChild<QProgressBar*>("Progress")->maximum() : 0);
    }

    // "Durdur" pressed once the first rows are over, while the window waits for the next: the server's
    // database is left without anything of the program, the file as it was, and a move started
    // again goes through.
    void stoppedMoveLeavesBothAsTheyWere() {
        if (!ServerDatabase::serverRun())
            QSKIP("needs the test server");
        const ServerDatabase server;
        QTemporaryDir folder;
        const TempDatabase school(folder.path());
        createDatabase(school.path());
        Connection file;
        school.open(file);
        fillSampleSchool(file);
        const QByteArray before = bytesOf(school.path());
        ModalWatcher boxes;
        frm_sunucuya_tasi dialog(file, school.folder());
        dialog.show();
        dialog.findChild<QLineEdit*>("BaglantiEdit")->setText("dbname=" + server.name());
        auto* stop = dialog.findChild<QPushButton*>("DurdurButton");
        auto* progress = dialog.findChild<QProgressBar*>("Progress");
        QVERIFY(!stop->isEnabled());
        int stoppedAt = -1;
        const QMetaObject::Connection pressing =
            connect(progress, &QProgressBar::valueChanged, stop, [&](int value) {
                if (value > 0 && stoppedAt < 0 && stop->isEnabled()) {
                    stoppedAt = value;
                    QTimer::singleShot(0, stop, &QPushButton::click);
                }
            });

        dialog.findChild<QPushButton*>("TasiButton")->click();

        QVERIFY(stoppedAt > 0 && stoppedAt < progress->maximum());
        QCOMPARE(boxes.seen.size(), 0);
        QCOMPARE(
            dialog.findChild<QLabel*>("DurumLabel")->text(),
            QString("Taşıma durduruldu; sunucuda ve veriler.db dosyasında hiçbir değişiklik yapılmadı."));
        QCOMPARE(progress->value(), 0);
        QVERIFY(!stop->isEnabled());
        QCOMPARE(server.rows("SELECT count(*) FROM information_schema.tables WHERE table_schema = "
                             "current_schema()",
                             {"count"}),
                 QList<QStringList>{{"0"}});
        QCOMPARE(Connection::serverSetting(school.folder()), QString());
        QCOMPARE(bytesOf(school.path()), before);

        disconnect(pressing);
        dialog.findChild<QPushButton*>("TasiButton")->click();
        QCOMPARE(boxes.seen.size(), 1);
        QVERIFY2(boxes.seen[0].text.startsWith("Taşıma tamamlandı: 5 kursiyer"),
                 qPrintable(boxes.seen[0].text));
    }
};

QTEST_MAIN(TestYedekler)
#include "tst_yedekler.moc"
