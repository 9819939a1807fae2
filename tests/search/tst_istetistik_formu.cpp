#include "data/connection.h"
#include "program_fixture.h"
#include "sample_school.h"

#include <QLabel>
#include <QPushButton>

// The six head counts of "İstatistikler", taken from the whole table whatever the list shows.
class TestIstetistikFormu : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    void sixCounts_data() {
        QTest::addColumn<bool>("sample");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("empty table") << false << "" << false << QStringList{"0", "0", "0", "0", "0", "0"};
        // Can Zeybek has no sex; Şule Cengiz has earned the certificate and her file has lapsed.
        QTest::newRow("no sex, several flags")
            << true << "" << false << QStringList{"5", "2", "2", "2", "1", "1"};
        QTest::newRow("a narrowed list")
            << true << "Where (adi = \"can\")" << false << QStringList{"5", "2", "2", "2", "1", "1"};
        QTest::newRow("refused count: no window") << true << "" << true << QStringList{};
    }
    void sixCounts() {
        QFETCH(bool, sample);
        QFETCH(QString, filter);
        QFETCH(bool, refused);
        QFETCH(QStringList, shown);
        ProgramFixture p(sample ? fillSampleSchool : std::function<void(Connection&)>{});
        Dataset& list = p.data().tkursiyer;
        if (!filter.isEmpty()) {
            list.setSqlLine(1, filter);
            list.open();
        }
        if (refused)
            p.database().execute({"DROP VIEW Query_Odemeler", "ALTER TABLE tb_kursiyer RENAME TO eski"});
        const int listedBefore = list.recordCount();
        QStringList seen;
        p.boxes().onDialog([&](QWidget* window) {
            for (int row = 1; row <= 6; ++row)
                seen << window->findChild<QLabel*>(QString("s%1").arg(row))->text();
            window->findChild<QPushButton*>()->click();
        });
        p.press("Btn5");
        QCOMPARE(seen, shown);
        QCOMPARE(p.boxes().seen.size(), refused ? 1 : 0);
        QVERIFY(!p.data().sql_1.isActive());
        QCOMPARE(list.recordCount(), listedBefore);
        if (!refused)
            QCOMPARE(p.data().sql_1.sql(),
                     QString("select count(*) as kaysay from tb_kursiyer WHERE ser_yakti = true"));
    }
};

QTEST_MAIN(TestIstetistikFormu)
#include "tst_istetistik_formu.moc"
