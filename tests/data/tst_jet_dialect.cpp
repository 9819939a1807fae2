#include "data/connection.h"
#include "data/database_error.h"
#include "data/dataset.h"
#include "data/jet_dialect.h"
#include "sample_school.h"
#include "server_database.h"

#include <QTest>

#include <memory>
#include <stdexcept>

// Every statement form the program writes, translated and run against a real database: the test
// is the rows it matches, in their order. A run is on the file, or with KALVISTA_SERVER_TESTS set
// (as ctest runs it under pg_virtualenv) on a PostgreSQL server: the same cases on both.
class TestJetDialect : public QObject {
    Q_OBJECT

    TempDatabase m_database;
    Connection m_connection;
    std::unique_ptr<ServerDatabase> m_server;

    SqlDialect dialect() const { return m_server ? SqlDialect::Postgres : SqlDialect::Sqlite; }

    QStringList column(const QString& jet, const QString& field) {
        QStringList values;
        if (m_server) {
            for (const QStringList& row : m_server->rows(translateJet(jet, dialect()), {field}))
                values << row.first();
            return values;
        }
        Dataset d(m_connection, "probe");
        d.setSql(jet);
        d.open();
        for (int row = 0; row < d.recordCount(); ++row)
            values << d.valueAt(row, d.fieldIndex(field)).toString();
        return values;
    }
    // Runs a statement without rows; false when the database refused it.
    bool execute(const QString& jet) {
        try {
            if (m_server) {
                m_server->execute(translateJet(jet, dialect()));
            } else {
                Dataset d(m_connection, "sql_2");
                d.setSql(jet);
                d.execute();
            }
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsSet("KALVISTA_SERVER_TESTS")) {
            m_server = std::make_unique<ServerDatabase>();
            for (const QString& sql :
                 Schema::creationStatements(SqlDialect::Postgres) + sampleSchoolStatements())
                m_server->execute(sql);
            return;
        }
        m_database.open(m_connection);
        fillSampleSchool(m_connection);
    }

    void translation_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("sqlite");
        QTest::addColumn<QString>("postgres");
        QTest::newRow("date literal, day first")
            << "select * from Query_Odemeler Where (((tarih)>=#01/03/2024# And (tarih)<=#31/03/2024#)) order "
               "by kID"
            << "select * from Query_Odemeler Where (((tarih)>='2024-03-01 00:00:00' And "
               "(tarih)<='2024-03-31 00:00:00')) order by kID"
            << "select * from Query_Odemeler Where (((tarih)>=timestamp '2024-03-01 00:00:00' And "
               "(tarih)<=timestamp '2024-03-31 00:00:00')) order by kID NULLS FIRST";
        QTest::newRow("true and false") << "WHERE ser_hak = true or ser_aldi = FALSE"
                                        << "WHERE ser_hak = -1 or ser_aldi = 0"
                                        << "WHERE ser_hak = -1 or ser_aldi = 0";
        QTest::newRow("double-quoted literal") << "(adi = \"Ali\")"
                                               << "(adi = 'Ali' COLLATE TURKCE)"
                                               << "(adi = 'Ali' COLLATE tr_ci)";
        QTest::newRow("doubled double quote") << "(adi = \"a\"\"b\")"
                                              << "(adi = 'a\"b' COLLATE TURKCE)"
                                              << "(adi = 'a\"b' COLLATE tr_ci)";
        QTest::newRow("single quote inside double quotes") << "(adi = \"O'Neil\")"
                                                           << "(adi = 'O''Neil' COLLATE TURKCE)"
                                                           << "(adi = 'O''Neil' COLLATE tr_ci)";
        QTest::newRow("backslash stays one character") << "(adi = \"a\\b\")"
                                                       << "(adi = 'a\\b' COLLATE TURKCE)"
                                                       << "(adi = 'a\\b' COLLATE tr_ci)";
        QTest::newRow("doubled single quote") << "adayno = 'O''Neil'"
                                              << "adayno = 'O''Neil' COLLATE TURKCE"
                                              << "adayno = 'O''Neil' COLLATE tr_ci";
        QTest::newRow("true inside a literal stays") << "adi = 'true'"
                                                     << "adi = 'true' COLLATE TURKCE"
                                                     << "adi = 'true' COLLATE tr_ci";
        QTest::newRow("order by a text column")
            << "select * from tb_kursiyer\nwhere kID > 0\nORDER BY adi"
            << "select * from tb_kursiyer\nwhere kID > 0\nORDER BY adi COLLATE TURKCE"
            << "select * from tb_kursiyer\nwhere kID > 0\nORDER BY adi COLLATE \"tr-x-icu\" NULLS FIRST";
        QTest::newRow("order by a number") << "select * from tb_kursiyer order by kID"
                                           << "select * from tb_kursiyer order by kID"
                                           << "select * from tb_kursiyer order by kID NULLS FIRST";
        QTest::newRow("order by a date") << "ORDER BY dogumtarihi"
                                         << "ORDER BY dogumtarihi"
                                         << "ORDER BY dogumtarihi NULLS FIRST";
        QTest::newRow("several terms with directions")
            << "order by soyadi desc, kID, adi"
            << "order by soyadi COLLATE TURKCE desc, kID, adi COLLATE TURKCE"
            << "order by soyadi COLLATE \"tr-x-icu\" desc NULLS LAST, kID NULLS FIRST, adi COLLATE "
               "\"tr-x-icu\" "
               "NULLS FIRST";
        QTest::newRow("like with two blanks")
            << "WHERE cinsiyeti Like  \"E%\""
            << "WHERE cinsiyeti Like  'E%' COLLATE TURKCE"
            << "WHERE lower(cinsiyeti COLLATE \"tr-x-icu\") Like  lower('E%' "
               "COLLATE \"tr-x-icu\")";
        QTest::newRow("like on a column of a table")
            << "where (k.adi like \"i%\") and (adayno = \"A\")"
            << "where (k.adi like 'i%' COLLATE TURKCE) and (adayno = 'A' COLLATE TURKCE)"
            << "where (lower(k.adi COLLATE \"tr-x-icu\") like lower('i%' COLLATE \"tr-x-icu\")) and (adayno "
               "= "
               "'A' COLLATE tr_ci)";
    }
    void translation() {
        QFETCH(QString, jet);
        QFETCH(QString, sqlite);
        QFETCH(QString, postgres);
        QCOMPARE(translateJet(jet, SqlDialect::Sqlite), sqlite);
        QCOMPARE(translateJet(jet, SqlDialect::Postgres), postgres);
    }

    void badDateLiteral() {
        QVERIFY_THROWS_EXCEPTION(DatabaseError, translateJet("tarih = #31/02/2024#", dialect()));
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
        QTest::newRow("equal: IŞIK is ışık") << "select * from tb_kursiyer where (soyadi = \"ışık\")"
                                             << "kID" << QStringList{"1"};
        QTest::newRow("equal: IŞIK is not isik") << "select * from tb_kursiyer where (soyadi = \"isik\")"
                                                 << "kID" << QStringList{};
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
        const QString value = column(jet, jet.contains("count") ? "kaysay" : "TMiktar").value(0);
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
        QVERIFY(!execute("Delete from tb_odeme where kID = 3; drop table tb_kursiyer"));
        QCOMPARE(column("select * from tb_odeme where kID = 3", "miktar"), QStringList{"70"});
    }

    void unescapedDoubleQuoteIsRefused() {
        QVERIFY(!execute("select * from tb_kursiyer\nWhere (adi = \"a\"b\")\norder by kID"));
        if (m_server)
            return;
        Dataset d(m_connection, "tkursiyer");
        d.setSql("select * from tb_kursiyer\nWhere (adi = \"a\"b\")\norder by kID");
        QVERIFY_THROWS_EXCEPTION(DatabaseError, d.open());
        QVERIFY(!d.isActive());
    }
};

QTEST_GUILESS_MAIN(TestJetDialect)
#include "tst_jet_dialect.moc"
