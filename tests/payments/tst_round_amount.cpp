#include <QTest>

#include "payments/round_amount.h"

#include <cmath>

class TestRoundAmount : public QObject {
    Q_OBJECT

private slots:
    void roundsToTwoDecimals_data();
    void roundsToTwoDecimals();
    void keepsTwoDecimalAmountsAsTheyAre_data();
    void keepsTwoDecimalAmountsAsTheyAre();
};

void TestRoundAmount::roundsToTwoDecimals_data() {
    QTest::addColumn<double>("amount");
    QTest::addColumn<double>("expected");

    QTest::newRow("zero") << 0.0 << 0.0;
    QTest::newRow("one decimal stays") << 12.5 << 12.5;
    QTest::newRow("third decimal 5 rounds up") << 12.345 << 12.35;
    QTest::newRow("third decimal 4 rounds down") << 12.344 << 12.34;
    QTest::newRow("1.005 is stored just below its tie") << 1.005 << 1.01;
    QTest::newRow("first taken to three decimals") << 12.3449 << 12.35;
    QTest::newRow("below one, first taken to three decimals") << 0.1249 << 0.13;
    QTest::newRow("exact tie rounds up, not to even") << 12.125 << 12.13;
    QTest::newRow("negative tie rounds toward plus") << -12.125 << -12.12;
    QTest::newRow("100 / 7") << 14.285714 << 14.29;
    QTest::newRow("100 / 3") << 33.333333 << 33.33;
    QTest::newRow("1.125") << 1.125 << 1.13;
    QTest::newRow("third decimal 6 lifts to next hundredth") << 2.006 << 2.01;
    QTest::newRow("200 / 3") << 66.666667 << 66.67;
    QTest::newRow("third decimal 9 carries into the units") << 0.999 << 1.0;
    QTest::newRow("negative third decimal 4") << -12.344 << -12.34;
    QTest::newRow("negative two decimals keep the minus out of the count") << -19.99 << -19.99;
    QTest::newRow("4.0845 is stored just below its tie") << 4.0845 << 4.08;
    QTest::newRow("rounds to zero below half a thousandth") << 0.0004 << 0.0;
    QTest::newRow("whole number") << 1000.0 << 1000.0;
    QTest::newRow("large amount") << 123456.785 << 123456.79;
}

void TestRoundAmount::roundsToTwoDecimals() {
    QFETCH(double, amount);
    QFETCH(double, expected);
    QVERIFY2(std::abs(RoundAmount(amount) - expected) < 1e-9,
             qPrintable(QString::number(RoundAmount(amount), 'g', 17)));
}

void TestRoundAmount::keepsTwoDecimalAmountsAsTheyAre_data() {
    QTest::addColumn<int>("cents");
    for (int cents : {-1999, -1, 1, 10, 99, 101, 1999, 33333, 99999})
        QTest::newRow(qPrintable(QString::number(cents))) << cents;
}

void TestRoundAmount::keepsTwoDecimalAmountsAsTheyAre() {
    QFETCH(int, cents);
    const double amount = cents / 100.0;
    QVERIFY(std::abs(RoundAmount(amount) - amount) < 1e-9);
}

QTEST_GUILESS_MAIN(TestRoundAmount)
#include "tst_round_amount.moc"
