#include "data/connection.h"
#include "data/database_error.h"
#include "data/migration.h"
#include "data/schema.h"
#include "sample_school.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <sqlite3.h>

#include <thread>

namespace {

sqlite3* rawOpen(const QString& path, int flags = SQLITE_OPEN_READWRITE) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    return db;
}

// Every row of a query as "value|value|...", through a read-only handle of its own.
QStringList rows(const QString& path, const QString& sql) {
    sqlite3* db = rawOpen(path, SQLITE_OPEN_READONLY);
    QStringList out;
    for (Statement s(db, sql); s.step();) {
        QStringList values;
        for (int i = 0; i < sqlite3_column_count(s.handle()); ++i)
            values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.handle(), i)));
        out << values.join('|');
    }
    sqlite3_close(db);
    return out;
}

// The rows of the first released schema, comparable across the upgrade.
QStringList versionOneRows(const QString& path) {
    QStringList traineeColumns;
    for (const Column& column : Schema::table(u"tb_kursiyer")->columns)
        if (column.name != Schema::RowVersion)
            traineeColumns << column.name;
    return rows(path, "SELECT " + traineeColumns.join(", ") + " FROM tb_kursiyer") +
           rows(path, "SELECT Odendi, miktar, tarih, aciklama, odemeID, kID FROM tb_odeme");
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "unreadable";
}

QString messageOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const DatabaseError& e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestDatabaseFile : public QObject {
    Q_OBJECT

private slots:
    void errorTextSaysWhatToDo_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("start");
        const QString busy =
            "Veritabanı şu anda başka bir program tarafından kullanılıyor. Biraz sonra yeniden deneyin. (";
        QTest::newRow("busy") << SQLITE_BUSY << busy;
        QTest::newRow("read-only") << SQLITE_READONLY
                                   << "Veritabanı dosyasına yazılamıyor: dosya salt okunur";
        QTest::newRow("full") << SQLITE_FULL << "Disk dolu olduğu için";
        QTest::newRow("corrupt") << SQLITE_CORRUPT << "Veritabanı dosyası bozulmuş.";
        QTest::newRow("not a database") << SQLITE_NOTADB << "Dosya bir veritabanı dosyası değil.";
        QTest::newRow("cannot open") << SQLITE_CANTOPEN << "Veritabanı dosyası açılamadı.";
        QTest::newRow("disk i/o, extended")
            << SQLITE_IOERR_WRITE << "Veritabanı dosyası okunurken ya da yazılırken";
        QTest::newRow("other") << SQLITE_CONSTRAINT << "Veritabanı işlemi yapılamadı. (";
    }
    void errorTextSaysWhatToDo() {
        QFETCH(int, code);
        QFETCH(QString, start);
        const QString text = databaseErrorText(code, "engine text");
        QVERIFY2(text.startsWith(start) && text.endsWith(". (engine text)"), qPrintable(text));
    }

    void fileNotOursIsRefusedUntouched_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("sql"); // then run on the file through SQLite
        QTest::addColumn<QString>("reason");
        QByteArray noise(4096, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        const QString notOurs = "bu programın veritabanı değil";
        QTest::newRow("empty") << QByteArray() << "" << notOurs;
        QTest::newRow("random bytes") << noise << "" << notOurs;
        QTest::newRow("another program's") << QByteArray() << "CREATE TABLE notlar (metin)" << notOurs;
        QTest::newRow("newer version")
            << QByteArray()
            << Schema::creationStatements().join(';') +
                   "; PRAGMA user_version = " + QString::number(Schema::Version + 1)
            << "programın daha yeni bir sürümüyle hazırlanmış";
    }
    void fileNotOursIsRefusedUntouched() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, sql);
        QFETCH(QString, reason);
        TempDatabase database;
        QFile file(database.path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        sqlite3* db = rawOpen(database.path());
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        const QByteArray before = bytesOf(database.path());
        Connection c;
        const QString message = messageOf([&] { database.open(c); });
        QVERIFY2(message.contains(QDir::toNativeSeparators(database.path())) && message.contains(reason),
                 qPrintable(message));
        QCOMPARE(bytesOf(database.path()), before);
        QCOMPARE(QDir(database.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"veriler.db"});
    }

    void versionOneFileIsUpgradedAfterACopy_data() {
        QTest::addColumn<bool>("laterStepFails");
        QTest::newRow("program's steps") << false;
        QTest::newRow("a later step fails") << true;
    }
    void versionOneFileIsUpgradedAfterACopy() {
        QFETCH(bool, laterStepFails);
        TempDatabase database, fresh;
        {
            Connection c;
            database.open(c);
            fillSampleSchool(c);
            makeFirstReleasedSchema(c);
        }
        const QStringList before = versionOneRows(database.path());
        const QString copy = QDir(database.folder()).filePath("veriler-surum1.db");
        if (laterStepFails) {
            Migration::Steps steps = Migration::programSteps();
            steps.push_back({"CREATE TABLE tb_yarim (a)", "INSERT INTO tb_yok VALUES (1)"});
            sqlite3* db = rawOpen(database.path());
            const QString message = messageOf([&] { Migration::upgrade(db, database.path(), steps); });
            sqlite3_close(db);
            QVERIFY2(message.startsWith("Veritabanı programın bu sürümüne yükseltilemedi.") &&
                         message.contains(QDir::toNativeSeparators(copy)),
                     qPrintable(message));
        } else {
            Connection c;
            database.open(c);
        }
        QCOMPARE(rows(database.path(), "SELECT count(*) FROM sqlite_master WHERE name = 'tb_yarim'"),
                 QStringList{"0"});
        QCOMPARE(rows(database.path(), "PRAGMA user_version"), QStringList{QString::number(Schema::Version)});
        QStringList shapes = {"SELECT type, name FROM sqlite_master ORDER BY name"};
        for (const Table& table : Schema::tables())
            shapes << QString("SELECT name, type, \"notnull\", dflt_value FROM pragma_table_info('%1')")
                          .arg(table.name);
        for (const QString& shape : shapes)
            QCOMPARE(rows(database.path(), shape), rows(fresh.path(), shape));
        QCOMPARE(versionOneRows(database.path()), before);
        for (const char* table : {"tb_kursiyer", "tb_odeme", "kullanicilar", "tb_firma"})
            QCOMPARE(rows(database.path(), QString("SELECT DISTINCT surum FROM %1").arg(table)),
                     QStringList{"0"});
        QCOMPARE(rows(copy, "PRAGMA user_version"), QStringList{"1"});
        QCOMPARE(versionOneRows(copy), before);
    }

    void lockHeldAtOpenIsWaitedFor() {
        TempDatabase database;
        sqlite3* other = rawOpen(database.path());
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        std::jthread release([other] {
            QThread::msleep(500);
            sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        });
        Connection c;
        QVERIFY_THROWS_NO_EXCEPTION(database.open(c));
        release.join();
        sqlite3_close(other);
    }
};

QTEST_GUILESS_MAIN(TestDatabaseFile)
#include "tst_database_file.moc"
