#include "data/connection.h"
#include "data/database_error.h"
#include "data/dataset.h"
#include "data/jet_dialect.h"
#include "sample_school.h"

#include <QTest>

// Every statement form the program writes, translated and run against a real database: the test
// is the rows it matches, in their order.
class TestJetDialect : public QObject {
    Q_OBJECT

    TempDatabase m_database;
    Connection m_connection;

    QStringList column(const QString& jet, const QString& field) {
        Dataset d(m_connection, "probe");
        d.setSql(jet);
        d.open();
        QStringList values;
        for (int row = 0; row < d.recordCount(); ++row)
            values << d.valueAt(row, d.fieldIndex(field)).toString();
        return values;
    }

private slots:
    void initTestCase() {
        m_database.open(m_connection);
        fillSampleSchool(m_connection);
    }

    void translation_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("sqlite");
        QTest::newRow("date literal, day first")
            << "select * from Query_Odemeler Where (((tarih)>=#01/03/2024# And (tarih)<=#31/03/2024#)) order "
               "by kID"
            << "select * from Query_Odemeler Where (((tarih)>='2024-03-01 00:00:00' And "
               "(tarih)<='2024-03-31 00:00:00')) order by kID";
        QTest::newRow("true and false") << "WHERE ser_hak = true or ser_aldi = FALSE"
                                        << "WHERE ser_hak = -1 or ser_aldi = 0";
        QTest::newRow("double-quoted literal") << "(adi = \"Ali\")"
                                               << "(adi = 'Ali' COLLATE TURKCE)";
        QTest::newRow("doubled double quote") << "(adi = \"a\"\"b\")"
                                              << "(adi = 'a\"b' COLLATE TURKCE)";
        QTest::newRow("single quote inside double quotes") << "(adi = \"O'Neil\")"
                                                           << "(adi = 'O''Neil' COLLATE TURKCE)";
        QTest::newRow("doubled single quote") << "adayno = 'O''Neil'"
                                              << "adayno = 'O''Neil' COLLATE TURKCE";
        QTest::newRow("true inside a literal stays") << "adi = 'true'"
                                                     << "adi = 'true' COLLATE TURKCE";
        QTest::newRow("order by a text column")
            << "select * from tb_kursiyer\nwhere kID > 0\nORDER BY adi"
            << "select * from tb_kursiyer\nwhere kID > 0\nORDER BY adi COLLATE TURKCE";
        QTest::newRow("order by a number") << "select * from tb_kursiyer order by kID"
                                           << "select * from tb_kursiyer order by kID";
        QTest::newRow("order by a date") << "ORDER BY dogumtarihi"
                                         << "ORDER BY dogumtarihi";
        QTest::newRow("several terms with directions")
            << "order by soyadi desc, kID, adi"
            << "order by soyadi COLLATE TURKCE desc, kID, adi COLLATE TURKCE";
        QTest::newRow("like with two blanks") << "WHERE cinsiyeti Like  \"E%\""
                                              << "WHERE cinsiyeti Like  'E%' COLLATE TURKCE";
    }
    void translation() {
        QFETCH(QString, jet);
        QFETCH(QString, sqlite);
        QCOMPARE(translateJet(jet), sqlite);
    }

    void badDateLiteral() {
        QVERIFY_THROWS_EXCEPTION(DatabaseError, translateJet("tarih = #31/02/2024#"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, translateJet("tarih = #01/03/2024"));
    }

    void matchedRows_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("whole list") << "select * from tb_kursiyer\nwhere kID > 0\norder by kID"
                                    << "kID" << QStringList{"1", "2", "3", "4", "5"};
        QTest::newRow("never matching") << "select * from tb_odeme where kID<0"
                                        << "miktar" << QStringList{};
        QTest::newRow("payments of one trainee") << "select * from tb_odeme where kID = 1"
                                                 << "miktar" << QStringList{"100", "200"};
        QTest::newRow("sorted by first name, Turkish")
            << "select * from tb_kursiyer\nwhere kID > 0\nORDER BY adi"
            << "adi" << QStringList{"Can", "Ilgın", "İSMAİL", "ismet", "Şule"};
        QTest::newRow("sorted by surname, Turkish")
            << "select * from tb_kursiyer\nwhere kID > 0\nORDER BY soyadi"
            << "kID" << QStringList{"3", "2", "1", "4", "5"};
        QTest::newRow("sorted by birth date, empty first")
            << "select * from tb_kursiyer\nwhere kID > 0\nORDER BY dogumtarihi"
            << "kID" << QStringList{"4", "5", "2", "1", "3"};
        QTest::newRow("search sorted by birth date") << "select * from tb_kursiyer\nWhere (adi like \"i%\") "
                                                        "and (ehliyetsinifi = \"B\")\nORDER BY dogumtarihi"
                                                     << "kID" << QStringList{"2", "1"};
        QTest::newRow("equal ignores case, Turkish") << "select * from tb_kursiyer where (adi = \"ismail\")"
                                                     << "kID" << QStringList{"1"};
        QTest::newRow("I is not i") << "select * from tb_kursiyer where (adi like \"i%\")"
                                    << "kID" << QStringList{"1", "2"};
        QTest::newRow("ı is I") << "select * from tb_kursiyer where (adi like \"ılg%\")"
                                << "kID" << QStringList{"4"};
        QTest::newRow("ends with") << "select * from tb_kursiyer where (soyadi like \"%ık\")"
                                   << "kID" << QStringList{"1"};
        QTest::newRow("contains") << "select * from tb_kursiyer where (adi like \"%UL%\")"
                                  << "kID" << QStringList{"3"};
        QTest::newRow("whole word lower case") << "select * from tb_kursiyer where (soyadi like \"ışık\")"
                                               << "kID" << QStringList{"1"};
        QTest::newRow("candidate number, single quotes")
            << "select * from tb_kursiyer where adayno = 'O''Neil'"
            << "kID" << QStringList{"3"};
        QTest::newRow("candidate number, other case") << "select * from tb_kursiyer where adayno = 'a-1'"
                                                      << "kID" << QStringList{"1"};
        QTest::newRow("doubled double quote") << "select * from tb_kursiyer where (adayno = \"X\"\"Y\")"
                                              << "kID" << QStringList{"4"};
        QTest::newRow("licence class report")
            << "select * from tb_kursiyer Where ehliyetsinifi = \"B\" order by soyadi"
            << "kID" << QStringList{"2", "1"};
        QTest::newRow("men") << "select * from tb_kursiyer WHERE cinsiyeti Like  \"E%\""
                             << "kID" << QStringList{"1", "2"};
        QTest::newRow("women") << "select * from tb_kursiyer WHERE cinsiyeti Like  \"K%\""
                               << "kID" << QStringList{"3", "4"};
        QTest::newRow("yes/no true") << "select * from tb_kursiyer WHERE ser_hak = true"
                                     << "kID" << QStringList{"1", "3"};
        QTest::newRow("paid payments") << "select * from tb_odeme where (Odendi)=-1"
                                       << "miktar" << QStringList{"100", "70"};
        QTest::newRow("report: no status, no date") << "select * from Query_Odemeler  order by kID"
                                                    << "kID" << QStringList{"1", "1", "2", "3"};
        QTest::newRow("report: unpaid by name")
            << "select * from Query_Odemeler Where ((Odendi)=0) order by AdiSoyadi"
            << "miktar" << QStringList{"200", "50"};
        QTest::newRow("report: paid in March by date")
            << "select * from Query_Odemeler Where ((Odendi)=-1) and (((tarih)>=#01/03/2024# And "
               "(tarih)<=#31/03/2024#)) order by tarih"
            << "miktar" << QStringList{"100"};
        QTest::newRow("report: March, both ends included")
            << "select * from Query_Odemeler Where (((tarih)>=#01/03/2024# And (tarih)<=#31/03/2024#)) order "
               "by kID"
            << "miktar" << QStringList{"100", "200"};
        QTest::newRow("report: name joined") << "select * from Query_Odemeler where kID = 2"
                                             << "AdiSoyadi" << QStringList{"ismet Çelik"};
    }
    void matchedRows() {
        QFETCH(QString, jet);
        QFETCH(QString, field);
        QFETCH(QStringList, expected);
        QCOMPARE(column(jet, field), expected);
    }

    void sums_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("unpaid of 1")
            << "select sum(miktar) as TMiktar from tb_odeme WHERE (((Odendi)=0)) and (kID=1)"
            << QVariant(200.0);
        QTest::newRow("paid of 1")
            << "select sum(miktar) as TMiktar from tb_odeme WHERE (((Odendi)=-1)) and (kID=1)"
            << QVariant(100.0);
        QTest::newRow("none is null")
            << "select sum(miktar) as TMiktar from tb_odeme WHERE (((Odendi)=0)) and (kID=5)" << QVariant();
        QTest::newRow("count all") << "select count(*) as kaysay from tb_kursiyer " << QVariant(5);
        QTest::newRow("count men")
            << "select count(*) as kaysay from tb_kursiyer WHERE cinsiyeti Like  \"E%\"" << QVariant(2);
        QTest::newRow("count lapsed")
            << "select count(*) as kaysay from tb_kursiyer WHERE ser_yakti = true" << QVariant(1);
    }
    void sums() {
        QFETCH(QString, jet);
        QFETCH(QVariant, expected);
        Dataset d(m_connection, "sql_hes");
        d.setSql(jet);
        d.open();
        const QVariant value = d.value(0);
        QCOMPARE(value.isNull(), expected.isNull());
        if (!expected.isNull())
            QCOMPARE(value.toDouble(), expected.toDouble());
    }

    // A value that tries to leave its literal stays inside it.
    void quoteInjection_data() {
        QTest::addColumn<QString>("jet");
        QTest::newRow("single quotes doubled") << "select count(*) as kaysay from tb_kursiyer where adayno = "
                                                  "'x'' or ''1''=''1'";
        QTest::newRow("double quotes doubled")
            << "select count(*) as kaysay from tb_kursiyer where (adi = \"x\"\" or \"\"1\"\"=\"\"1\")";
        QTest::newRow("mixed quotes")
            << "select count(*) as kaysay from tb_kursiyer where (adi = \"x' or '1'='1\")";
    }
    void quoteInjection() {
        QFETCH(QString, jet);
        QCOMPARE(column(jet, "kaysay"), QStringList{"0"});
    }

    void secondStatementNeverRuns() {
        Dataset d(m_connection, "sql_2");
        d.setSql("Delete from tb_odeme where kID = 3; drop table tb_kursiyer");
        QVERIFY_THROWS_EXCEPTION(DatabaseError, d.execute());
        QCOMPARE(column("select * from tb_odeme where kID = 3", "miktar"), QStringList{"70"});
    }

    void unescapedDoubleQuoteIsRefused() {
        Dataset d(m_connection, "tkursiyer");
        d.setSql("select * from tb_kursiyer\nWhere (adi = \"a\"b\")\norder by kID");
        QVERIFY_THROWS_EXCEPTION(DatabaseError, d.open());
        QVERIFY(!d.isActive());
    }
};

QTEST_GUILESS_MAIN(TestJetDialect)
#include "tst_jet_dialect.moc"
