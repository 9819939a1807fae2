#include "app/program.h"
#include "app/program_folder.h"
#include "data/database_error.h"
#include "data/frm_DataMod.h"
#include "data/migration.h"
#include "data/program_session.h"
#include "data/schema.h"
#include "data/transaction.h"
#include "import/import_write.h"
#include "program_fixture.h"
#include "records/frm_main_form.h"
#include "sample_school.h"
#include "server_database.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QThread>
#include <QToolButton>

// The program on a PostgreSQL server: what start-up asks and refuses, and how a desk learns of
// the others and of a lost connection. These are the server's own rules; everything else runs
// on both backends in the other suites.
class TestServerDesks : public QObject {
    Q_OBJECT

    static void writeSetting(const QString& folder, const QByteArray& line) {
        QSaveFile setting(Connection::serverSettingFile(folder));
        QVERIFY(setting.open(QIODevice::WriteOnly));
        setting.write("# the school's server\n\n" + line + '\n');
        QVERIFY(setting.commit());
    }
    static int tableCount(const ServerDatabase& server) {
        return server
            .rows("SELECT count(*) AS n FROM information_schema.tables WHERE table_schema = current_schema()",
                  {"n"})[0][0]
            .toInt();
    }

    // Ends every session on the database but the test's own, and waits until they are gone. No event
    // is handled meanwhile, so the desk's connection learns of it only from its next statement.
    static bool cutOff(const ServerDatabase& server) {
        const QString others = "FROM pg_stat_activity WHERE datname = current_database() AND pid <> "
                               "pg_backend_pid()";
        server.execute("SELECT pg_terminate_backend(pid) " + others);
        for (int tries = 0; tries < 250; ++tries, QThread::msleep(20))
            if (server.rows("SELECT count(*) AS n " + others, {"n"})[0][0] == "0")
                return true;
        return false;
    }

private slots:
    void initTestCase() {
        useProgramLocale();
        if (!ServerDatabase::serverRun())
            QSKIP("needs the test server (run as tst_server_desks_server)");
    }

    // What the user meets at start-up, and whether the program comes up: `answer` is what the box
    // or the password dialog is given.
    void startUp_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("said"); // part of the one box shown; empty for none
        QTest::addColumn<int>("tablesAfter");
        // Every table of the program, the payments view and the version table.
        const int whole = int(Schema::tables().size()) + 2;
        QTest::newRow("empty database, filled") << "empty"
                                                << "yes" << true << "Sunucudaki veritabanı boş" << whole;
        QTest::newRow("empty database, left") << "empty"
                                              << "no" << false << "Sunucudaki veritabanı boş" << 0;
        QTest::newRow("another program's") << "foreign"
                                           << "" << false << "bu programın veritabanı değil" << 1;
        QTest::newRow("password asked") << "school"
                                        << "password" << true << "" << whole;
        QTest::newRow("password refused") << "school"
                                          << "wrong" << false << "parolayı kabul etmedi" << whole;
        QTest::newRow("password not given") << "school"
                                            << "cancel" << false << "" << whole;
        QTest::newRow("made by a newer program") << "newer"
                                                 << "" << false << "daha yeni bir sürümüyle" << whole;
        QTest::newRow("setting unreadable") << "syntax"
                                            << "" << false << "bağlantı bilgisi okunamadı" << 0;
        QTest::newRow("no such server") << "unknown host"
                                        << "" << false << "sunucusuna bağlanılamadı" << 0;
    }
    void startUp() {
        QFETCH(QString, kind);
        QFETCH(QString, answer);
        QFETCH(bool, started);
        QFETCH(QString, said);
        QFETCH(int, tablesAfter);
        ServerDatabase server;
        QTemporaryDir folder;
        const QString password = qEnvironmentVariable("PGPASSWORD");
        QByteArray setting = "dbname=" + server.name().toUtf8();
        if (kind == "foreign")
            server.execute("CREATE TABLE baska (x integer)");
        if (kind == "school" || kind == "newer") {
            writeSetting(folder.path(), setting);
            Connection filling;
            filling.useProgramFolder(folder.path());
            filling.fillServer();
        }
        if (kind == "school")
            qunsetenv("PGPASSWORD");
        if (kind == "newer")
            server.execute("UPDATE kalvista_surum SET surum = 99");
        if (kind == "syntax")
            setting = "dbname='" + server.name().toUtf8();
        if (kind == "unknown host")
            setting = "host=sunucu.invalid connect_timeout=3 dbname=" + server.name().toUtf8();
        writeSetting(folder.path(), setting);

        ProgramFolder = QDir::toNativeSeparators(folder.path()) + QDir::separator();
        ModalWatcher boxes;
        boxes.answer(answer == "no" ? QMessageBox::No : QMessageBox::Yes);
        QString askedFor;
        boxes.onDialog([&](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QString("sunucu_parolasi"));
            askedFor = dialog->windowTitle();
            if (answer == "cancel")
                return dialog->findChild<QPushButton*>("VazgecButton")->click();
            dialog->findChild<QLineEdit*>("ParolaEdit")->setText(answer == "wrong" ? "yanlış" : password);
            dialog->findChild<QPushButton*>("TamamButton")->click();
        });
        {
            Program program;
            showAndWaitForFirstShow(program.mainWindow());
            qputenv("PGPASSWORD", password.toUtf8());
            QCOMPARE(program.mainWindow().isVisible(), started);
            QCOMPARE(program.mainWindow().exitCode(), started ? 0 : 1);
            QCOMPARE(askedFor, kind == "school" ? QString("Sunucu Parolası") : QString());
            QCOMPARE(boxes.seen.size(), said.isEmpty() ? 0 : 1);
            if (!said.isEmpty())
                QVERIFY2(boxes.seen[0].text.contains(said), qPrintable(boxes.seen[0].text));
            if (started)
                QCOMPARE(program.mainWindow().findChild<QLabel*>("StatusPanel4")->text(),
                         QString("localhost:%1/%2").arg(qEnvironmentVariable("PGPORT"), server.name()));
            if (started)
                QCOMPARE(program.mainWindow().findChild<QLabel*>("StatusPanel4")->toolTip(),
                         "PostgreSQL sunucusu: " +
                             program.mainWindow().findChild<QLabel*>("StatusPanel4")->text());
            if (started)
                program.mainWindow().close();
        }
        QCOMPARE(tableCount(server), tablesAfter);
        // The password is never written anywhere the program keeps its files.
        QFile written(Connection::serverSettingFile(folder.path()));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(!written.readAll().contains("password"));
    }

    // Each step runs in a transaction of its own that also raises the version: a step that fails
    // leaves the database at the last version completed.
    void theSchemaIsUpgradedStepByStep() {
        TempDatabase database;
        Connection connection;
        database.open(connection);
        pg_conn* server = connection.serverHandle();
        const Migration::Steps steps(size_t(Schema::Version - Migration::FirstServerVersion), QStringList{});
        Migration::Steps more = steps;
        more.push_back({"ALTER TABLE tb_arac ADD COLUMN deneme integer"});
        more.push_back(
            {"ALTER TABLE tb_guz ADD COLUMN deneme integer", "ALTER TABLE yok ADD COLUMN x integer"});
        QVERIFY_THROWS_EXCEPTION(DatabaseError, Migration::upgradeServer(server, more));
        QCOMPARE(Migration::serverVersion(server), Schema::Version + 1);
        Statement columns(connection,
                          "SELECT count(*) FROM information_schema.columns WHERE column_name = 'deneme'");
        columns.step();
        QCOMPARE(columns.integer(0), 1);
    }

    // Another desk's write is announced in the last status panel until "Yenile"; the desk's own
    // writes are not.
    void anotherDesksChangeIsAnnounced() {
        ProgramFixture p(fillSampleSchool);
        auto* panel = p.find<QLabel>("StatusPanel4");
        const QString name = panel->text();
        p.press("Button2");
        p.enter("adi", "Kendi");
        p.press("Button1");
        QTest::qWait(200);
        QCOMPARE(panel->text(), name);
        p.database().execute({"UPDATE tb_kursiyer SET adi = 'Başka' WHERE kID = 2"});
        QTRY_COMPARE(panel->text(), name + " - başka bir masada değişiklik var");
        p.press("Button4");
        QCOMPARE(panel->text(), name);
        QCOMPARE(p.count("adi = 'Başka'"), 1);
    }

    // A lost connection fails the command in which it was found, with the Turkish message;
    // "Yenile" works again once the server can be reached.
    void aLostConnectionIsMadeAgain() {
        ProgramFixture p(fillSampleSchool);
        p.database().execute({"SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
                              "current_database() AND pid <> pg_backend_pid()"});
        p.press("Button4");
        QCOMPARE(p.boxes().seen.size(), 1);
        QVERIFY2(p.boxes().seen[0].text.contains("bağlantı koptu"), qPrintable(p.boxes().seen[0].text));
        p.press("Button4");
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 5"));
        // The desk's pending entry is its own again: its session lock came back with the connection.
        Connection other;
        p.database().open(other);
        ProgramSession otherSession(other);
        QVERIFY(otherSession.isRunning(p.data().entryToken()));
    }

    // A lost connection is told alike whatever the command, the import's write among them, and names
    // the server as libpq reached it: over a Unix socket by the socket's folder.
    void aLostConnectionIsToldAlike_data() {
        QTest::addColumn<bool>("socket");
        QTest::newRow("TCP") << false;
        QTest::newRow("Unix socket") << true;
    }
    void aLostConnectionIsToldAlike() {
        QFETCH(bool, socket);
        ServerDatabase server;
        const QString folder = server.rows("SHOW unix_socket_directories", {"unix_socket_directories"})[0][0]
                                   .section(',', 0, 0)
                                   .trimmed();
        Connection connection;
        connection.setServer(QString("dbname=%1%2").arg(server.name(), socket ? " host=" + folder : ""));
        connection.fillServer();
        const QString name =
            QString("%1:%2/%3")
                .arg(socket ? folder : "localhost", qEnvironmentVariable("PGPORT"), server.name());
        QCOMPARE(connection.displayName(), name);
        const QString told = name + " sunucusuyla bağlantı koptu. Sunucunun çalıştığını ve ağ bağlantısını "
                                    "denetleyin; sunucu yeniden erişilebilir olunca \"Yenile\" ile devam "
                                    "edebilirsiniz. Son işlem kaydedilmedi.";
        const auto toldOf = [](const auto& command) {
            try {
                command();
            } catch (const DatabaseError& error) {
                return error.message().section(" (", 0, 0);
            }
            return QString("no error");
        };
        QCOMPARE(toldOf([&] {
                     Transaction reading(connection, Transaction::Kind::Read);
                     QVERIFY(cutOff(server));
                     Statement(connection, "SELECT count(*) FROM tb_kursiyer").step();
                 }),
                 told);

        QTemporaryDir folderOfFile;
        QFile csv(folderOfFile.filePath("kursiyerler.csv"));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("Adı;Soyadı;Aday No;Cinsiyeti;Ehliyet Sınıfı\n");
        for (int i = 0; i < 2500; ++i)
            csv.write(QString("Ali;Kaya;%1;Erkek;B\n").arg(i).toUtf8());
        csv.close();
        const ImportSetup setup{ImportKind::Trainees,
                                matchAutomatically(openImportFile(csv.fileName())->captions(),
                                                   ImportKind::Trainees, ImportFormat::Text)};
        // Cut off after the first thousand rows: the write learns of it as it sends its rows.
        QCOMPARE(toldOf([&] {
                     writeImport(connection, csv.fileName(), {}, setup, {},
                                 [&](double) { return cutOff(server); });
                 }),
                 told);
        QCOMPARE(server.rows("SELECT count(*) AS n FROM tb_kursiyer", {"n"})[0][0], QString("0"));
    }
};

QTEST_MAIN(TestServerDesks)
#include "tst_server_desks.moc"
