#include "data/database_error.h"

#include <QTest>

#include <sqlite3.h>

class TestDatabaseFile : public QObject {
    Q_OBJECT

private slots:
    void errorTextSaysWhatToDo_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("start");
        const QString busy =
            "Veritabanı şu anda başka bir program tarafından kullanılıyor. Biraz sonra yeniden deneyin. (";
        QTest::newRow("busy") << SQLITE_BUSY << busy;
        QTest::newRow("locked") << SQLITE_LOCKED << busy;
        QTest::newRow("read-only") << SQLITE_READONLY
                                   << "Veritabanı dosyasına yazılamıyor: dosya salt okunur";
        QTest::newRow("no permission")
            << SQLITE_PERM << "Veritabanı dosyasına yazılamıyor: dosya salt okunur";
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
};

QTEST_GUILESS_MAIN(TestDatabaseFile)
#include "tst_database_file.moc"
