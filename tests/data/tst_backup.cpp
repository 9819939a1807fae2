#include "data/backup.h"
#include "data/connection.h"
#include "server_database.h"
#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

// The copies in the backup folder: which of them the daily copy keeps, and a restore killed at any
// moment leaving the database whole, old or new.
class TestBackup : public QObject {
    Q_OBJECT

    static QStringList filesIn(const QString& folder) {
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }

    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static QString integrity(const QString& path) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* s = nullptr;
        QString result = "unreadable";
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        sqlite3_close(db);
        return result;
    }

private slots:
    void dailyCopyKeepsFourteenDaysOfItsOwnNames() {
        TempDatabase database;
        database.execute({"INSERT INTO tb_kursiyer (adi, adayno) VALUES ('Yeni', 'Y-1')"});
        const QString folder = Backup::folderOf(database.path());
        QVERIFY(QDir().mkpath(folder));
        const QDate today(2026, 3, 15);
        const auto day = [&](int daysBack) { return today.addDays(-daysBack).toString("yyyy-MM-dd"); };
        const QStringList kept = {"veriler-" + day(13) + ".db",
                                  "veriler-" + day(1) + ".db",
                                  "veriler-" + day(30) + "-101500.db",
                                  "veriler-" + day(30) + "-101500-geri-yukleme-oncesi.db",
                                  "veriler-" + day(30) + ".db.bak",
                                  "okul-" + day(30) + ".db",
                                  "notlar.txt",
                                  "veriler-2026-02-30.db"};
        for (const QString& name :
             kept + QStringList{"veriler-" + day(14) + ".db", "veriler-" + day(200) + ".db"})
            write(QDir(folder).filePath(name), "x");
        // An older copy of the same day, replaced by the closing's.
        write(QDir(folder).filePath("veriler-" + day(0) + ".db"), "eski");

        Connection connection;
        database.open(connection);
        const QString copy = Backup::takeDailyCopy(connection, today);

        QCOMPARE(copy, QDir(folder).filePath("veriler-" + day(0) + ".db"));
        QStringList expected = kept + QStringList{"veriler-" + day(0) + ".db"};
        expected.sort();
        QCOMPARE(filesIn(folder), expected);
        QCOMPARE(Backup::verify(copy).trainees, 1);
    }

    // Each kill lands somewhere in a restore: the copy beside the database, its check, the copy of
    // the current database, the swap or the reopening.
    void killedRestoreLeavesOldOrNew() {
        if (ServerDatabase::serverRun())
            QSKIP("the file's own swap by rename; the server restores in one transaction");
        QTemporaryDir sources;
        const QString first = QDir(sources.path()).filePath("bir.db");
        const QString second = QDir(sources.path()).filePath("iki.db");
        createDatabase(first);
        createDatabase(second);
        {
            Connection c;
            c.setConnectionString(Connection::connectionText(sources.path() + "/"));
            for (const auto& [file, rows] : {std::pair{first, 3}, std::pair{second, 6000}}) {
                QFile::copy(file, sources.path() + "/veriler.db");
                c.open();
                c.execute(
                    QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                            "INSERT INTO tb_kursiyer (adi, adayno) SELECT hex(randomblob(100)), 'K-' || i "
                            "FROM n")
                        .arg(rows));
                c.close();
                QFile::remove(file);
                QVERIFY(QFile::rename(sources.path() + "/veriler.db", file));
            }
        }
        TempDatabase database;
        QFile::remove(database.path());
        QVERIFY(QFile::copy(first, database.path()));
        const qint64 trainees[] = {Backup::verify(first).trainees, Backup::verify(second).trainees};

        QRandomGenerator random(20261209);
        int landedOn[2] = {0, 0};
        const int kills = 100;
        for (int k = 0; k < kills; ++k) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(RESTORE_CHILD, {database.folder(), first, second});
            QVERIFY(child.waitForStarted());
            QVERIFY(child.waitForReadyRead(10000));
            QElapsedTimer running;
            running.start();
            for (const qint64 delay = random.bounded(0, 400); running.elapsed() < delay;)
                child.waitForReadyRead(int(delay - running.elapsed()));
            child.kill();
            QVERIFY(child.waitForFinished());

            // The next start takes away what the killed restore left under its temporary names.
            Backup::removeLeftovers(database.path());
            QCOMPARE(filesIn(database.folder()), QStringList{"veriler.db"});
            const QStringList copies = filesIn(Backup::folderOf(database.path()));
            QVERIFY2(copies.filter(QRegularExpression("^veriler-[-0-9]+-geri-yukleme-oncesi\\.db$")) ==
                         copies,
                     qPrintable(copies.join(' ')));
            QCOMPARE(integrity(database.path()), QString("ok"));
            const qint64 found = Backup::verify(database.path()).trainees;
            QVERIFY2(found == trainees[0] || found == trainees[1], qPrintable(QString::number(found)));
            ++landedOn[found == trainees[0] ? 0 : 1];
            QDir(Backup::folderOf(database.path())).removeRecursively();
        }
        qInfo("%d kills: %d left the first file, %d the second", kills, landedOn[0], landedOn[1]);
        QVERIFY(landedOn[0] > 0 && landedOn[1] > 0);
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
