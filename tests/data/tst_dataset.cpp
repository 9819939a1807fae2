#include "data/connection.h"
#include "data/database_error.h"
#include "data/dataset.h"
#include "data/transaction.h"
#include "sample_school.h"

#include <QDate>
#include <QSignalSpy>
#include <QTest>

class TestDataset : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDatabase> m_database;
    std::unique_ptr<Connection> m_connection;

    Dataset& trainees() {
        auto* d = new Dataset(*m_connection, "tkursiyer", this);
        d->setSql("select * from tb_kursiyer\nwhere kID > 0\norder by kID");
        return *d;
    }
    Dataset& payments(int kID) {
        auto* d = new Dataset(*m_connection, "todemeler", this);
        d->setSql("select * from tb_odeme where kID = " + QString::number(kID));
        return *d;
    }
    int countOf(const QString& jet) {
        Dataset d(*m_connection, "sql_1");
        d.setSql(jet);
        d.open();
        return d.value(0).toInt();
    }

private slots:
    void init() {
        m_database = std::make_unique<TempDatabase>();
        m_connection = std::make_unique<Connection>();
        m_database->open(*m_connection);
        fillSampleSchool(*m_connection);
    }
    void cleanup() {
        qDeleteAll(findChildren<Dataset*>());
        m_connection.reset();
        m_database.reset();
    }

    void openReadsTheWholeResult() {
        Dataset& d = trainees();
        QCOMPARE(d.state(), Dataset::State::Inactive);
        d.open();
        QCOMPARE(d.state(), Dataset::State::Browse);
        QCOMPARE(d.recordCount(), 5);
        QCOMPARE(d.currentRow(), 0);
        QCOMPARE(d.value("adi").toString(), QString("İSMAİL"));
        QCOMPARE(d.value("dogumtarihi").toDateTime().date(), QDate(1990, 5, 1));
        QCOMPARE(d.value("ser_hak").toBool(), true);
        QCOMPARE(d.value("ehliyetAldi").toBool(), false);
        QVERIFY(d.value("e_adresi").isNull());
        QCOMPARE(d.fieldCount(), 101);
    }

    void staticSnapshot() {
        Dataset& d = trainees();
        d.open();
        m_connection->execute("DELETE FROM tb_kursiyer WHERE kID = 5");
        QCOMPARE(d.recordCount(), 5);
        d.close();
        d.open();
        QCOMPARE(d.recordCount(), 4);
    }

    void sqlLinesChangeOneAtATime() {
        Dataset& d = trainees();
        d.open();
        d.setSqlLine(2, "ORDER BY adi");
        QVERIFY(!d.isActive());
        QCOMPARE(d.sqlLines(), (QStringList{"select * from tb_kursiyer", "where kID > 0", "ORDER BY adi"}));
        d.open();
        QCOMPARE(d.value("adi").toString(), QString("Can"));
    }

    void afterScrollCases() {
        Dataset& d = trainees();
        QSignalSpy scrolled(&d, &Dataset::afterScroll);
        d.open();
        QCOMPARE(scrolled.count(), 1); // opened on rows
        d.moveTo(0);
        QCOMPARE(scrolled.count(), 1); // no move
        d.moveTo(3);
        QCOMPARE(scrolled.count(), 2);
        d.next();
        d.next(); // past the end: nothing
        QCOMPARE(scrolled.count(), 3);
        d.setValue("adi", "Değişen");
        d.post();
        QCOMPARE(scrolled.count(), 3); // saving is no move
        d.edit();
        d.cancel();
        QCOMPARE(scrolled.count(), 3); // nor is cancelling an edit
        d.append();
        QCOMPARE(scrolled.count(), 4);
        QVERIFY(d.value("kID").isNull());
        d.cancel();
        QCOMPARE(scrolled.count(), 5); // cancelling an insert
        QCOMPARE(d.currentRow(), 4);
        d.append();
        d.setValue("adi", "Yeni");
        d.post();
        QCOMPARE(scrolled.count(), 6);

        Dataset& empty = payments(5);
        QSignalSpy none(&empty, &Dataset::afterScroll);
        empty.open();
        QCOMPARE(none.count(), 0);
        QCOMPARE(empty.currentRow(), -1);
    }

    void postAssignsTheKeyAndDefaults() {
        Dataset& d = payments(4);
        d.open();
        d.append();
        QCOMPARE(d.state(), Dataset::State::Insert);
        d.setValue("miktar", 250.5);
        d.setValue("tarih", QDate(2024, 6, 30));
        d.setValue("kID", 4);
        d.post();
        QCOMPARE(d.state(), Dataset::State::Browse);
        QVERIFY(d.value("odemeID").toInt() > 4);
        QCOMPARE(d.value("Odendi").toBool(), false);
        QCOMPARE(d.value("tarih").toDateTime(), QDateTime(QDate(2024, 6, 30), QTime(0, 0)));
        QCOMPARE(
            countOf("select count(*) from tb_odeme where kID = 4 and Odendi = 0 and tarih = #30/06/2024#"),
            1);
    }

    void editWritesOnlyOnPost() {
        Dataset& d = trainees();
        d.open();
        d.moveTo(2);
        d.setValue("soyadi", "Yıldız");
        QCOMPARE(d.state(), Dataset::State::Edit);
        QVERIFY(d.isModified());
        QCOMPARE(countOf("select count(*) from tb_kursiyer where soyadi = 'yıldız'"), 0);
        d.post();
        QCOMPARE(countOf("select count(*) from tb_kursiyer where soyadi = 'yıldız'"), 1);
        d.setValue("soyadi", "Vazgeçilen");
        d.cancel();
        QCOMPARE(d.value("soyadi").toString(), QString("Yıldız"));
    }

    void emptyTextIsStoredAsNull() {
        Dataset& d = trainees();
        d.open();
        d.setValue("ceptelefonu", "");
        d.post();
        QCOMPARE(countOf("select count(*) from tb_kursiyer where ceptelefonu is null"), 5);
    }

    void tooLongTextIsRefusedAndKept() {
        Dataset& d = trainees();
        d.open();
        d.append();
        d.setValue("adi", QString(31, 'x'));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, d.post());
        QCOMPARE(d.state(), Dataset::State::Insert);
        QCOMPARE(d.value("adi").toString(), QString(31, 'x'));
        QCOMPARE(countOf("select count(*) from tb_kursiyer"), 5);
    }

    void deleteRemovesTheRow() {
        Dataset& d = payments(1);
        d.open();
        QSignalSpy scrolled(&d, &Dataset::afterScroll);
        d.deleteRow();
        QCOMPARE(d.recordCount(), 1);
        QCOMPARE(d.value("miktar").toDouble(), 200.0);
        QCOMPARE(scrolled.count(), 1);
        QCOMPARE(countOf("select count(*) from tb_odeme where kID = 1"), 1);
    }

    void readOnlyQueriesRefuseWrites() {
        Dataset d(*m_connection, "sql_odemeler_rap");
        d.setSql("select * from Query_Odemeler");
        d.open();
        d.setValue("miktar", 1.0);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, d.post());
    }

    void closedDatasetRefusesMoves() {
        Dataset& d = trainees();
        QVERIFY_THROWS_EXCEPTION(DatabaseError, d.moveTo(1));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, d.append());
    }

    void transactionRollsBackUnlessCommitted() {
        {
            Transaction unfinished(*m_connection);
            m_connection->execute("DELETE FROM tb_odeme");
        }
        QCOMPARE(countOf("select count(*) from tb_odeme"), 4);
    }

    // A rolled-back transaction gives every dataset back as it was when the transaction began,
    // whatever happened to it meanwhile; a committed one keeps what was done.
    void rollbackRestoresTheDatasets_data() {
        QTest::addColumn<int>("work");
        QTest::addColumn<bool>("commit");
        QTest::addColumn<QStringList>("expected"); // state, count, current, first amount, database count
        const QStringList before{"Browse", "2", "1", "100", "4"};
        for (int work = 0; work < 4; ++work) {
            QTest::addRow("work %d rolled back", work) << work << false << before;
        }
        QTest::addRow("rows appended, committed") << 0 << true << QStringList{"Browse", "5", "4", "100", "7"};
        QTest::addRow("reopened, committed") << 2 << true << QStringList{"Browse", "3", "0", "100", "5"};
    }
    void rollbackRestoresTheDatasets() {
        QFETCH(int, work);
        QFETCH(bool, commit);
        QFETCH(QStringList, expected);
        Dataset& d = payments(1);
        d.open();
        d.moveTo(1);
        {
            Transaction command(*m_connection);
            switch (work) {
            case 0: // a plan's rows
                for (double amount : {10.0, 20.0, 30.0}) {
                    d.append();
                    d.setValue("kID", 1);
                    d.setValue("miktar", amount);
                    d.post();
                }
                break;
            case 1: // a changed row and a deleted one
                d.first();
                d.setValue("miktar", 999.0);
                d.post();
                d.last();
                d.deleteRow();
                break;
            case 2: // a new row written elsewhere and the list read again
                m_connection->execute("INSERT INTO tb_odeme (kID, miktar) VALUES (1, 5)");
                d.close();
                d.open();
                break;
            case 3: // closed
                d.close();
                break;
            }
            if (commit)
                command.commit();
        }
        const QStringList states{"Inactive", "Browse", "Edit", "Insert"};
        QCOMPARE((QStringList{states[int(d.state())], QString::number(d.recordCount()),
                              QString::number(d.currentRow()),
                              QString::number(d.valueAt(0, d.fieldIndex("miktar")).toDouble()),
                              QString::number(countOf("select count(*) from tb_odeme"))}),
                 expected);
    }

    // A new row whose save fails is again being inserted, with its entries, in or out of a transaction.
    void failedPostKeepsTheRowBeingInserted() {
        m_database->refuse("BEFORE INSERT ON tb_odeme");
        Dataset& d = payments(1);
        d.open();
        d.append();
        d.setValue("miktar", 42.0);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, d.post());
        QCOMPARE(d.state(), Dataset::State::Insert);
        QCOMPARE(d.value("miktar").toDouble(), 42.0);
        QCOMPARE(d.recordCount(), 3);
        QVERIFY(!m_connection->inTransaction());
        m_database->stopRefusing();
        d.post();
        QCOMPARE(countOf("select count(*) from tb_odeme where miktar = 42"), 1);
    }

    // A joined guard that is not committed ends the whole transaction.
    void unfinishedInnerGuardRollsBackTheOuter() {
        Transaction outer(*m_connection);
        m_connection->execute("DELETE FROM tb_odeme WHERE kID = 1");
        { Transaction inner(*m_connection); }
        QVERIFY(!m_connection->inTransaction());
        QCOMPARE(countOf("select count(*) from tb_odeme"), 4);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, outer.commit());
    }
};

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_dataset.moc"
