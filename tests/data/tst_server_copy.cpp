#include "data/backup.h"
#include "data/connection.h"
#include "data/database_error.h"
#include "data/server_move.h"
#include "data/table_copy.h"
#include "sample_school.h"
#include "server_database.h"
#include "test_support.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <memory>

namespace {

// A school on its own file, whatever backend the run has, for the side of a copy that is a file.
class SchoolFile {
public:
    SchoolFile() {
        createDatabase(path());
        connection.setConnectionString(Connection::connectionText(folder()));
        connection.open();
    }
    QString folder() const { return m_dir.path() + '/'; }
    QString path() const { return Connection::dataSource(Connection::connectionText(folder())); }

    QTemporaryDir m_dir;
    Connection connection;
};

// Every row of every table, one text a row; numbers written alike whichever backend stored them.
QStringList rowsOf(TableCopy::Database db) {
    QStringList rows;
    for (const Table& table : Schema::tables()) {
        QStringList columns;
        for (const Column& column : table.columns)
            columns << column.name;
        const QString sql =
            QString("SELECT %1 FROM %2 ORDER BY %3").arg(columns.join(", "), table.name, table.key);
        auto s = db.server ? std::make_unique<Statement>(db.server, sql)
                           : std::make_unique<Statement>(db.file, sql);
        while (s->step()) {
            QStringList cells{table.name};
            for (int c = 0; c < s->columnCount(); ++c) {
                const Cell cell = s->cell(c);
                switch (cell.kind) {
                case Cell::Kind::Null:
                    cells << "NULL";
                    break;
                case Cell::Kind::Integer:
                    cells << QString::number(cell.integer);
                    break;
                case Cell::Kind::Real:
                    cells << QString::number(cell.real, 'g', 17);
                    break;
                default:
                    cells << "'" + s->text(c) + "'";
                }
            }
            rows << cells.join('|');
        }
    }
    return rows;
}

QStringList rowsOf(Connection& connection) {
    return rowsOf(TableCopy::of(connection));
}

QStringList rowsOfFile(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QStringList rows = rowsOf({db, nullptr});
    sqlite3_close(db);
    return rows;
}

// Values a copy must carry unchanged: texts COPY escapes, a kuruş amount, an empty date.
const QStringList AwkwardRows = {
    "INSERT INTO tb_kursiyer (kID, adi, soyadi, adayno, e_adresi, odeme_tutari) VALUES "
    "(40, 'Sekme\tve', 'ters\\\\bölü', 'Z-40', 'satır\nsonu\r\n', 1234.56)",
    "INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES (-1, 0.1, NULL, 'kuruş', 40)",
    "DELETE FROM tb_kursiyer WHERE kID = 2",
    // A receipt, its line and a reminder: the cash desk's tables travel with the rest.
    "INSERT INTO tb_makbuz (makbuzID, makbuzno, tarih, kayitzamani, kID, tutar, odemesekli, aciklama, masa, "
    "iptal, adisoyadi, adayno) VALUES (7, '2024-000007', '2024-03-01 00:00:00', '2024-03-01 10:11:12', 40, "
    "0.1, 'Nakit', 'açıklama', 'Masa 1', 0, 'Sekme\tve ters\\\\bölü', 'Z-40')",
    "INSERT INTO tb_makbuz_satir (makbuzID, odemeID, aciklama, vade, tutar, yeni) VALUES "
    "(7, 5, 'kuruş', NULL, 0.1, -1)",
    "INSERT INTO tb_hatirlatma (kID, zaman, tur, adres, sonuc) VALUES "
    "(40, '2024-03-02 09:00:00', 'E-posta', 'a@b', 'Gönderildi')",
    "UPDATE tb_odeme SET makbuzID = 7 WHERE kID = 40",
};

void fill(Connection& connection, const QStringList& extra = AwkwardRows) {
    fillSampleSchool(connection);
    for (const QString& sql : extra)
        connection.execute(sql);
}

QByteArray hashOf(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

qint64 newTraineeKey(Connection& connection) {
    connection.execute("INSERT INTO tb_kursiyer (adi, adayno) VALUES ('Yeni', 'Y-1')");
    return connection.lastInsertId();
}

} // namespace

// Copies between the file and the server: backups taken from either into plain files, restores
// into either, and the move of a school from its file to a server.
class TestServerCopy : public QObject {
    Q_OBJECT

private slots:
    void backupHoldsEveryRowOfTheDatabase() {
        TempDatabase database;
        Connection connection;
        database.open(connection);
        fill(connection);

        const QString copy = Backup::takeCopy(connection, QDateTime(QDate(2026, 3, 15), QTime(10, 15)));

        QCOMPARE(copy, QDir(Backup::folderOf(database.path())).filePath("veriler-2026-03-15-101500.db"));
        const Backup::Contents contents = Backup::verify(copy);
        QCOMPARE(contents.trainees, 5);
        QCOMPARE(contents.payments, 5);
        QCOMPARE(rowsOfFile(copy), rowsOf(connection));
        QVERIFY(!QFile::exists(copy + UnfinishedFileSuffix));
    }

    void restoreReplacesEveryRowKeepingKeys_data() {
        QTest::addColumn<bool>("firstReleasedFile");
        QTest::newRow("file of this version") << false;
        QTest::newRow("file of the first released version") << true;
    }
    void restoreReplacesEveryRowKeepingKeys() {
        QFETCH(bool, firstReleasedFile);
        SchoolFile source;
        fill(source.connection);
        if (firstReleasedFile)
            makeFirstReleasedSchema(source.connection);
        source.connection.close();
        const QByteArray sourceHash = hashOf(source.path());

        TempDatabase database;
        Connection connection;
        database.open(connection);
        connection.execute("INSERT INTO tb_kursiyer (kID, adi, adayno) VALUES (90, 'Eski', 'E-90')");
        const QStringList before = rowsOf(connection);

        const Backup::Contents contents =
            Backup::restore(connection, source.path(), QDateTime(QDate(2026, 3, 15), QTime(10, 15)));

        QCOMPARE(contents.trainees, 5);
        source.connection.open(); // upgrades the file as the restore upgraded its own copy
        QCOMPARE(rowsOf(connection), rowsOf(source.connection));
        const QString safety = QDir(Backup::folderOf(database.path()))
                                   .filePath("veriler-2026-03-15-101500-geri-yukleme-oncesi.db");
        QCOMPARE(rowsOfFile(safety), before);
        // A new row never takes a key the restored rows hold; on the server, where other desks may
        // still show rows of before, not one of those either.
        QVERIFY(newTraineeKey(connection) > (connection.isServer() ? 90 : 40));
        if (!firstReleasedFile)
            QCOMPARE(hashOf(source.path()), sourceHash);
    }

    // What the server refuses only when it meets the row: the file takes any text in a date column.
    // The trainees go over before the payments fail, and their numbering with them.
    void failedRestoreLeavesTheServerAsItWas() {
        if (!ServerDatabase::serverRun())
            QSKIP("the file stores any text in a date column; only the server refuses the row");
        SchoolFile source;
        fill(source.connection, {"UPDATE tb_odeme SET tarih = 'otuz şubat' WHERE odemeID = 3"});
        source.connection.close();
        TempDatabase database;
        Connection connection;
        database.open(connection);
        fill(connection);
        connection.execute("SELECT setval(pg_get_serial_sequence('tb_kursiyer', 'kid'), 100)");
        const QStringList before = rowsOf(connection);

        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 Backup::restore(connection, source.path(), QDateTime::currentDateTime()));

        QCOMPARE(rowsOf(connection), before);
        QCOMPARE(newTraineeKey(connection), 101);
    }

    void checkFindsTheRulesBroken() {
        TempDatabase database;
        Connection connection;
        database.open(connection);
        fill(connection, {"INSERT INTO tb_kursiyer (adi, adayno) VALUES ('İkinci', 'a-1')",
                          "INSERT INTO tb_odeme (miktar, kID) VALUES (5, 77)"});

        const Backup::Findings findings = Backup::check(connection);

        QCOMPARE(findings.faults, QStringList({"Kursiyeri olmayan 1 ödeme kaydı var.",
                                               "A-1 aday numarası 2 kursiyerde kullanılmış."}));
        // The server's own tools check its storage; it is said so, and it is no fault.
        QCOMPARE(findings.notes.size(), connection.isServer() ? 1 : 0);
        if (connection.isServer())
            QVERIFY(findings.notes.first().contains("amcheck"));
    }

    void moveFillsAnEmptyServerAndNamesIt() {
        if (!ServerDatabase::serverRun())
            QSKIP("needs the test server");
        SchoolFile school;
        fill(school.connection);
        const QByteArray fileHash = hashOf(school.path());
        ServerDatabase server;
        const QString setting = "dbname=" + server.name();
        qint64 lastDone = -1;
        qint64 lastTotal = -1;

        const ServerMove::Moved moved = ServerMove::move(school.connection, {setting, {}}, school.folder(),
                                                         [&](qint64 done, qint64 total) {
                                                             lastDone = done;
                                                             lastTotal = total;
                                                             return true;
                                                         });

        QCOMPARE(moved.trainees, 5);
        QCOMPARE(moved.payments, 5);
        QCOMPARE(lastDone, lastTotal);
        QCOMPARE(Connection::serverSetting(school.folder()), setting);
        QCOMPARE(hashOf(school.path()), fileHash);
        Connection moved_to;
        moved_to.useProgramFolder(school.folder());
        moved_to.open();
        QVERIFY(moved_to.isServer());
        QCOMPARE(rowsOf(moved_to), rowsOf(school.connection));
        QCOMPARE(newTraineeKey(moved_to), 41);
    }

    void moveLeavesNothingBehindWhenRefusedOrFailed_data() {
        QTest::addColumn<QString>("setting"); // %1 is the database's name
        QTest::addColumn<QStringList>("onServer");
        QTest::addColumn<QStringList>("inFile");
        QTest::addColumn<bool>("stop");
        QTest::newRow("password in the setting")
            << "dbname=%1 password=gizli" << QStringList() << QStringList() << false;
        QTest::newRow("program already there")
            << "dbname=%1" << QStringList{"CREATE TABLE tb_arac (aracID integer)"} << QStringList() << false;
        QTest::newRow("a row the server refuses")
            << "dbname=%1" << QStringList()
            << QStringList{"UPDATE tb_odeme SET tarih = 'dün' WHERE odemeID = 3"} << false;
        QTest::newRow("stopped halfway") << "dbname=%1" << QStringList() << QStringList() << true;
    }
    void moveLeavesNothingBehindWhenRefusedOrFailed() {
        if (!ServerDatabase::serverRun())
            QSKIP("needs the test server");
        QFETCH(QString, setting);
        QFETCH(QStringList, onServer);
        QFETCH(QStringList, inFile);
        QFETCH(bool, stop);
        SchoolFile school;
        fill(school.connection, inFile);
        ServerDatabase server;
        for (const QString& sql : onServer)
            server.execute(sql);
        const auto tables = [&] {
            return server.rows("SELECT table_name FROM information_schema.tables WHERE table_schema = "
                               "current_schema() ORDER BY 1",
                               {"table_name"});
        };
        const QList<QStringList> tablesBefore = tables();

        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 ServerMove::move(school.connection, {setting.arg(server.name()), {}},
                                                  school.folder(),
                                                  [&](qint64 done, qint64) { return !stop || done == 0; }));

        QCOMPARE(tables(), tablesBefore);
        QVERIFY(!QFile::exists(Connection::serverSettingFile(school.folder())));
    }

    // How long a large school takes, when asked for: KALVISTA_LARGE_COPY=1.
    void largeSchoolCopiesBothWays() {
        if (!ServerDatabase::serverRun() || qEnvironmentVariableIntValue("KALVISTA_LARGE_COPY") != 1)
            QSKIP("measured on request only (KALVISTA_SERVER_TESTS=1 KALVISTA_LARGE_COPY=1)");
        SchoolFile school;
        school.connection.execute(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
            "INSERT INTO tb_kursiyer (adi, soyadi, adayno, dogumtarihi, e_adresi, ser_hak) SELECT 'Ad' || i, "
            "'Soyad' || i, 'K-' || i, '1990-05-01 00:00:00', 'Cadde ' || i || ' Sokak', -1 FROM n");
        school.connection.execute(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 800000) "
            "INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) SELECT i % 2, (i % 1000) + 0.25, "
            "'2024-03-01 00:00:00', 'taksit', (i % 100000) + 1 FROM n");
        ServerDatabase server;
        QElapsedTimer timer;
        timer.start();
        ServerMove::move(school.connection, {"dbname=" + server.name(), {}}, school.folder());
        qInfo("file -> server: %lld ms", timer.restart());
        Connection onServer;
        onServer.useProgramFolder(school.folder());
        onServer.open();
        const QString copy = Backup::takeCopy(onServer, QDateTime::currentDateTime());
        qInfo("server -> file: %lld ms", timer.elapsed());
        QCOMPARE(Backup::verify(copy).payments, 800000);
    }
};

QTEST_GUILESS_MAIN(TestServerCopy)
#include "tst_server_copy.moc"
