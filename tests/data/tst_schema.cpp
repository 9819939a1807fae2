#include "data/connection.h"
#include "data/database_error.h"
#include "data/dataset.h"
#include "data/schema.h"
#include "data/value_lists.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

class TestSchema : public QObject {
    Q_OBJECT

    TempDatabase m_database;
    Connection m_connection;

    QStringList rows(const QString& sql) {
        Statement s(m_connection.handle(), sql);
        QStringList out;
        while (s.step())
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.handle(), 0)));
        return out;
    }

private slots:
    void initTestCase() { m_database.open(m_connection); }

    void everyTableWithItsColumns() {
        for (const Table& table : Schema::tables()) {
            QStringList columns;
            for (const Column& c : table.columns)
                columns << c.name;
            QCOMPARE(rows(QString("SELECT name FROM pragma_table_info('%1') ORDER BY cid").arg(table.name)),
                     columns);
        }
        QCOMPARE(Schema::table(u"tb_kursiyer")->columns.size(), size_t(101 + 1)); // and the row version
        QCOMPARE(Schema::table(u"tb_kursiyer")->column(u"e_adresi")->width, 50);
        QCOMPARE(rows("SELECT type FROM pragma_table_info('tb_odeme') WHERE name = 'aciklama'"),
                 QStringList{"VARCHAR(30)"});
        QCOMPARE(rows("SELECT type FROM pragma_table_info('tb_odeme') WHERE name = 'giris'"),
                 QStringList{"VARCHAR(40)"});
    }

    void paymentsViewAndIndexes() {
        QCOMPARE(rows("SELECT name FROM pragma_table_info('Query_Odemeler') ORDER BY cid"),
                 (QStringList{"AdiSoyadi", "adayno", "miktar", "tarih", "Odendi", "aciklama", "kID"}));
        const QStringList indexes =
            rows("SELECT tbl_name || '(' || name || ')' FROM sqlite_master WHERE type = 'index' "
                 "AND sql IS NOT NULL ORDER BY tbl_name, name");
        QCOMPARE(indexes,
                 (QStringList{"tb_ders(ix_ders_arac)", "tb_ders(ix_ders_egitmen)", "tb_ders(ix_ders_kid)",
                              "tb_hatirlatma(ix_hatirlatma_kid)", "tb_kursiyer(ix_kursiyer_adayno)",
                              "tb_kursiyer(ix_kursiyer_cinsiyeti)", "tb_kursiyer(ix_kursiyer_ser_aldi)",
                              "tb_kursiyer(ix_kursiyer_ser_hak)", "tb_kursiyer(ix_kursiyer_ser_yakti)",
                              "tb_makbuz(ix_makbuz_iptalzamani)", "tb_makbuz(ix_makbuz_kid)",
                              "tb_makbuz(ix_makbuz_makbuzno)", "tb_makbuz(ix_makbuz_tarih)",
                              "tb_makbuz_satir(ix_makbuz_satir_makbuzid)", "tb_odeme(ix_odeme_kid)",
                              "tb_odeme(ix_odeme_makbuzid)", "tb_odeme(ix_odeme_odendi_kid)"}));
        // A plain SQLite file: nothing in it names our collation.
        QCOMPARE(rows("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%TURKCE%'"), QStringList{"0"});
    }

    void firstRows() {
        QCOMPARE(rows("SELECT userSifreSor FROM kullanicilar"), QStringList{"0"});
        QCOMPARE(rows("SELECT count(*) FROM tb_firma"), QStringList{"1"});
        QCOMPARE(rows("PRAGMA user_version"), QStringList{QString::number(Schema::Version)});
    }

    void missingFileIsNeverCreatedByOpening() {
        QTemporaryDir empty;
        Connection c;
        c.setConnectionString(Connection::connectionText(QDir::toNativeSeparators(empty.path()) + '/'));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, c.open());
        QVERIFY(!QFile::exists(empty.filePath("veriler.db")));
    }

    void corruptFileIsRefused() {
        QTemporaryDir folder;
        QFile junk(folder.filePath("veriler.db"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        Connection c;
        c.setConnectionString(Connection::connectionText(folder.path() + '/'));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, c.open());
        QVERIFY(!c.isOpen());
    }

    void connectionTextKeepsItsThreePieces() {
        QCOMPARE(
            Connection::connectionText("/okul/"),
            QString("Provider=Kalvista.SQLite;Data Source=/okul/veriler.db;Persist Security Info=False"));
        QCOMPARE(Connection::dataSource(Connection::connectionText("/okul/")), QString("/okul/veriler.db"));
    }

    void valueLists() {
        QCOMPARE(ValueLists::provinces().size(), 81);
        QCOMPARE(ValueLists::provinces().indexOf("IĞDIR") + 1, ValueLists::provinces().indexOf("ISPARTA"));
        QCOMPARE(ValueLists::provinces().indexOf("ISPARTA") + 1, ValueLists::provinces().indexOf("İÇEL"));
        QVERIFY(ValueLists::provinces().contains("ŞANLI URFA"));
        QCOMPARE(ValueLists::bloodGroups()[3], QString("A RH (-) "));
        QCOMPARE(ValueLists::bloodGroups()[6], QString("AB RH (+) "));
        QCOMPARE(ValueLists::licenceClasses().size(), 9);
        QCOMPARE(ValueLists::certificateClasses().size(), 12);
    }

    void bloodGroupIsStoredWithItsBlank() {
        Dataset d(m_connection, "tkursiyer");
        d.setSql("select * from tb_kursiyer");
        d.open();
        d.append();
        d.setValue("n_kangrubu", ValueLists::bloodGroups()[3]);
        d.post();
        QCOMPARE(rows("SELECT n_kangrubu || '|' FROM tb_kursiyer"), QStringList{"A RH (-) |"});
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
