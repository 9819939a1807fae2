#include "data/connection.h"
#include "data/dataset.h"
#include "data/statements.h"
#include "sample_school.h"

#include <QTest>

// The statements built from values do what they say on the sample school, and no value, however
// it is quoted, widens them to other rows.
class TestStatements : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDatabase> m_database;
    std::unique_ptr<Connection> m_connection;

    QVariant firstValue(const QString& jet) {
        Dataset d(*m_connection, "sql_1");
        d.setSql(jet);
        d.open();
        return d.value(0);
    }
    int remaining(const QString& table) { return firstValue("select count(*) from " + table).toInt(); }
    void run(const QString& jet) {
        Dataset d(*m_connection, "sql_2");
        d.setSql(jet);
        d.execute();
    }

private slots:
    void init() {
        m_database = std::make_unique<TempDatabase>();
        m_connection = std::make_unique<Connection>();
        m_database->open(*m_connection);
        fillSampleSchool(*m_connection);
        m_connection->execute(
            "INSERT INTO tb_odeme (miktar, kID, giris) VALUES (7, 0, 'bu'), (9, 0, 'öteki')");
    }
    void cleanup() {
        m_connection.reset();
        m_database.reset();
    }

    // The list's filter leaves out no trainee but the placeholder row 0, and its order sorts
    // texts the Turkish way.
    void traineeList_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QList<int>>("keys");
        QTest::newRow("by key") << "kID" << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("by surname") << "soyadi" << QList<int>{3, 2, 1, 4, 5};
        QTest::newRow("by first name") << "adi" << QList<int>{5, 4, 1, 2, 3};
    }
    void traineeList() {
        QFETCH(QString, field);
        QFETCH(QList<int>, keys);
        m_connection->execute("INSERT INTO tb_kursiyer (kID, adi, soyadi) VALUES (0, 'A', 'A')");
        Dataset list(*m_connection, "tkursiyer");
        list.setSql("select kID from tb_kursiyer\n" + Sql::allTrainees() + "\n" + Sql::orderBy(field));
        list.open();
        QList<int> found;
        for (int row = 0; row < list.recordCount(); ++row)
            found << list.valueAt(row, 0).toInt();
        QCOMPARE(found, keys);
    }

    void countCandidateNo_data() {
        QTest::addColumn<QString>("candidateNo");
        QTest::addColumn<int>("count");
        QTest::newRow("single quote") << "O'Neil" << 1;
        QTest::newRow("double quote") << "X\"Y" << 1;
        QTest::newRow("letter case, the Turkish way") << "A-2" << 1;
        QTest::newRow("an attempt to widen") << "x' or '1'='1" << 0;
    }
    void countCandidateNo() {
        QFETCH(QString, candidateNo);
        QFETCH(int, count);
        QCOMPARE(firstValue(Sql::countCandidateNo(candidateNo)).toInt(), count);
    }

    // Pending payments are scoped to their entry, and a token cannot widen a deletion.
    void pendingPaymentsBelongToTheirEntry() {
        QCOMPARE(firstValue(Sql::paymentTotal(false, 0, "bu")).toDouble(), 7.0);
        run(Sql::deletePendingPayments("x' or '1'='1"));
        QCOMPARE(remaining("tb_odeme"), 6);
        run(Sql::attachPendingPayments(5, "bu"));
        QCOMPARE(firstValue("select count(*) from tb_odeme where kID = 5 and giris is null").toInt(), 1);
    }
};

QTEST_GUILESS_MAIN(TestStatements)
#include "tst_statements.moc"
