#include <QTest>

#include "payments/installment_plan.h"

#include <cmath>
#include <numeric>

using Amounts = QList<double>;
using Dates = QList<QDate>;

namespace {

const QDate Today(2024, 5, 10);

InstallmentPlanInput monthlyPlan(double fee, double downPayment, int count, bool fractionsToLast = false) {
    InstallmentPlanInput input;
    input.fee = fee;
    input.downPayment = downPayment;
    input.count = count;
    input.downPaymentDate = Today;
    input.firstDueDate = Today;
    input.fractionsToLast = fractionsToLast;
    return input;
}

bool isClose(double a, double b) {
    return std::abs(a - b) < 1e-9;
}

Amounts amountsOf(const InstallmentPlan& plan) {
    Amounts amounts;
    for (const InstallmentRow& row : plan.rows)
        amounts << row.amount;
    return amounts;
}

Dates datesOf(const InstallmentPlan& plan) {
    Dates dates;
    for (const InstallmentRow& row : plan.rows)
        dates << row.date;
    return dates;
}

Amounts repeated(double amount, int times) {
    return Amounts(times, amount);
}

QByteArray describe(const Amounts& amounts) {
    QStringList texts;
    for (double amount : amounts)
        texts << QString::number(amount, 'g', 17);
    return texts.join(u", ").toUtf8();
}

} // namespace

class TestInstallmentPlan : public QObject {
    Q_OBJECT

private slots:
    void splitsTheRest_data();
    void splitsTheRest();
    void writesTheWorkedPlans_data();
    void writesTheWorkedPlans();
    void chainsDueDates_data();
    void chainsDueDates();
    void refuses_data();
    void refuses();
    void splitsTheWholeFeeAfterANegativeDownPayment();
    void givesASingleInstallmentTheWholeRest();
    void keepsCountAndIntervalWithinLimits_data();
    void keepsCountAndIntervalWithinLimits();
    void readsCountText_data();
    void readsCountText();
};

void TestInstallmentPlan::splitsTheRest_data() {
    QTest::addColumn<double>("rest");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("fractionsToLast");
    QTest::addColumn<double>("installment");
    QTest::addColumn<double>("remainder");
    QTest::addColumn<double>("fractions");

    QTest::newRow("1000 / 3") << 1000.0 << 3 << false << 333.33 << 0.01 << 0.0;
    QTest::newRow("1000 / 3, fractions to last") << 1000.0 << 3 << true << 333.0 << 0.01 << 0.99;
    QTest::newRow("200 / 3") << 200.0 << 3 << false << 66.67 << -0.01 << 0.0;
    QTest::newRow("200 / 3, fractions to last") << 200.0 << 3 << true << 66.0 << -0.01 << 2.01;
    QTest::newRow("100 / 7") << 100.0 << 7 << false << 14.29 << -0.03 << 0.0;
    QTest::newRow("1000 / 12") << 1000.0 << 12 << false << 83.33 << 0.04 << 0.0;
    QTest::newRow("1000 / 12, fractions to last") << 1000.0 << 12 << true << 83.0 << 0.04 << 3.96;
}

void TestInstallmentPlan::splitsTheRest() {
    QFETCH(double, rest);
    QFETCH(int, count);
    QFETCH(bool, fractionsToLast);
    QFETCH(double, installment);
    QFETCH(double, remainder);
    QFETCH(double, fractions);

    const InstallmentAmounts amounts = splitInstallments(rest, count, fractionsToLast);
    QCOMPARE(amounts.installment, installment);
    QVERIFY(isClose(amounts.remainder, remainder));
    QVERIFY(isClose(amounts.fractions, fractions));
    QVERIFY(isClose(amounts.installment * (count - 1) + amounts.last(), rest));
}

void TestInstallmentPlan::writesTheWorkedPlans_data() {
    QTest::addColumn<double>("fee");
    QTest::addColumn<double>("downPayment");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("fractionsToLast");
    QTest::addColumn<Amounts>("expected");

    QTest::newRow("1000 in 3") << 1000.0 << 0.0 << 3 << false << Amounts{333.33, 333.33, 333.34};
    QTest::newRow("1000 in 3, fractions to last") << 1000.0 << 0.0 << 3 << true << Amounts{333, 333, 334};
    QTest::newRow("200 in 3") << 200.0 << 0.0 << 3 << false << Amounts{66.67, 66.67, 66.66};
    QTest::newRow("200 in 3, fractions to last") << 200.0 << 0.0 << 3 << true << Amounts{66, 66, 68};
    QTest::newRow("100 in 7") << 100.0 << 0.0 << 7 << false << repeated(14.29, 6) + Amounts{14.26};
    QTest::newRow("1250 with 250 down in 12")
        << 1250.0 << 250.0 << 12 << false << Amounts{250} + repeated(83.33, 11) + Amounts{83.37};
    QTest::newRow("1250 with 250 down in 12, fractions to last")
        << 1250.0 << 250.0 << 12 << true << Amounts{250} + repeated(83, 11) + Amounts{87};
    QTest::newRow("1000 in 1") << 1000.0 << 0.0 << 1 << false << Amounts{1000};
    QTest::newRow("10 in 9") << 10.0 << 0.0 << 9 << false << repeated(1.11, 8) + Amounts{1.12};
    QTest::newRow("fee of exactly 1 in 1: count not below the rest") << 1.0 << 0.0 << 1 << false << Amounts{};
    QTest::newRow("10 in 10: count equal to the rest") << 10.0 << 0.0 << 10 << false << Amounts{};
    QTest::newRow("10 in 11: count above the rest") << 10.0 << 0.0 << 11 << false << Amounts{};
    QTest::newRow("0.01 left after 999.99 down, count 1")
        << 1000.0 << 999.99 << 1 << false << Amounts{999.99};
    QTest::newRow("0.01 left after 999.99 down, count 12")
        << 1000.0 << 999.99 << 12 << false << Amounts{999.99};
}

void TestInstallmentPlan::writesTheWorkedPlans() {
    QFETCH(double, fee);
    QFETCH(double, downPayment);
    QFETCH(int, count);
    QFETCH(bool, fractionsToLast);
    QFETCH(Amounts, expected);

    const InstallmentPlan plan = planInstallments(monthlyPlan(fee, downPayment, count, fractionsToLast));
    QCOMPARE(plan.refusal, InstallmentRefusal::None);
    const Amounts amounts = amountsOf(plan);
    QCOMPARE(amounts.size(), expected.size());
    for (qsizetype i = 0; i < amounts.size(); ++i)
        QVERIFY2(isClose(amounts[i], expected[i]), describe(amounts).constData());

    const std::size_t firstInstallment = downPayment > 0.0 ? 1 : 0;
    if (firstInstallment == 1)
        QCOMPARE(plan.rows.front().description, QStringLiteral("PEŞİN ÖDEME"));
    for (std::size_t i = firstInstallment; i < plan.rows.size(); ++i)
        QVERIFY(plan.rows[i].description.isEmpty());
    if (plan.rows.size() > firstInstallment)
        QVERIFY(isClose(std::accumulate(amounts.cbegin(), amounts.cend(), 0.0), fee));
}

void TestInstallmentPlan::chainsDueDates_data() {
    QTest::addColumn<InstallmentInterval>("interval");
    QTest::addColumn<int>("intervalDays");
    QTest::addColumn<Dates>("expected");
    QTest::addColumn<QDate>("nextDueDate");

    QTest::newRow("monthly from 31 January 2023")
        << InstallmentInterval::Monthly << 2
        << Dates{{2023, 1, 31}, {2023, 2, 28}, {2023, 3, 28}, {2023, 4, 28}} << QDate(2023, 5, 28);
    QTest::newRow("monthly from 31 January 2024, a leap year")
        << InstallmentInterval::Monthly << 2
        << Dates{{2024, 1, 31}, {2024, 2, 29}, {2024, 3, 29}, {2024, 4, 29}} << QDate(2024, 5, 29);
    QTest::newRow("every 15 days from 1 March")
        << InstallmentInterval::EveryNDays << 15
        << Dates{{2023, 3, 1}, {2023, 3, 16}, {2023, 3, 31}, {2023, 4, 15}} << QDate(2023, 4, 30);
    QTest::newRow("every 15 days across a leap day")
        << InstallmentInterval::EveryNDays << 15
        << Dates{{2024, 2, 20}, {2024, 3, 6}, {2024, 3, 21}, {2024, 4, 5}} << QDate(2024, 4, 20);
    QTest::newRow("monthly across the year end")
        << InstallmentInterval::Monthly << 2
        << Dates{{2023, 11, 30}, {2023, 12, 30}, {2024, 1, 30}, {2024, 2, 29}} << QDate(2024, 3, 29);
}

void TestInstallmentPlan::chainsDueDates() {
    QFETCH(InstallmentInterval, interval);
    QFETCH(int, intervalDays);
    QFETCH(Dates, expected);
    QFETCH(QDate, nextDueDate);

    InstallmentPlanInput input = monthlyPlan(1000, 100, 4);
    input.downPaymentDate = expected.front().addDays(-3);
    input.firstDueDate = expected.front();
    input.interval = interval;
    input.intervalDays = intervalDays;

    const InstallmentPlan plan = planInstallments(input);
    QCOMPARE(datesOf(plan), Dates{input.downPaymentDate} + expected);
    QCOMPARE(plan.nextDueDate, nextDueDate);
}

void TestInstallmentPlan::refuses_data() {
    QTest::addColumn<double>("fee");
    QTest::addColumn<double>("downPayment");
    QTest::addColumn<InstallmentRefusal>("refusal");

    QTest::newRow("fee of 0.5") << 0.5 << 0.0 << InstallmentRefusal::FeeBelowOne;
    QTest::newRow("fee of 0") << 0.0 << 0.0 << InstallmentRefusal::FeeBelowOne;
    QTest::newRow("negative fee") << -100.0 << -200.0 << InstallmentRefusal::FeeBelowOne;
    QTest::newRow("fee just below 1") << 0.99 << 0.0 << InstallmentRefusal::FeeBelowOne;
    QTest::newRow("down payment equal to the fee")
        << 1000.0 << 1000.0 << InstallmentRefusal::DownPaymentNotBelowFee;
    QTest::newRow("down payment above the fee")
        << 1000.0 << 1000.01 << InstallmentRefusal::DownPaymentNotBelowFee;
}

void TestInstallmentPlan::refuses() {
    QFETCH(double, fee);
    QFETCH(double, downPayment);
    QFETCH(InstallmentRefusal, refusal);

    const InstallmentPlan plan = planInstallments(monthlyPlan(fee, downPayment, 3));
    QCOMPARE(plan.refusal, refusal);
    QVERIFY(plan.rows.empty());
}

void TestInstallmentPlan::splitsTheWholeFeeAfterANegativeDownPayment() {
    const InstallmentPlan plan = planInstallments(monthlyPlan(1000, -50, 4));
    QCOMPARE(plan.refusal, InstallmentRefusal::None);
    QCOMPARE(amountsOf(plan), repeated(250, 4));
}

void TestInstallmentPlan::givesASingleInstallmentTheWholeRest() {
    const InstallmentPlan plan = planInstallments(monthlyPlan(1234.56, 0.5, 1));
    QCOMPARE(plan.rows.size(), std::size_t(2));
    QVERIFY(isClose(plan.rows[1].amount, 1234.06));
    QCOMPARE(plan.rows[1].date, Today);
    QCOMPARE(plan.nextDueDate, QDate(2024, 6, 10));
}

void TestInstallmentPlan::keepsCountAndIntervalWithinLimits_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("intervalDays");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QDate>("lastDueDate");

    QTest::newRow("count 0 is 1") << 0 << 10 << 1 << Today;
    QTest::newRow("negative count is 1") << -5 << 10 << 1 << Today;
    QTest::newRow("count 1000 is 999") << 1000 << 1 << 999 << Today.addDays(998);
    QTest::newRow("interval 0 is 1 day") << 3 << 0 << 3 << Today.addDays(2);
    QTest::newRow("interval 5000 is 999 days") << 2 << 5000 << 2 << Today.addDays(999);
}

void TestInstallmentPlan::keepsCountAndIntervalWithinLimits() {
    QFETCH(int, count);
    QFETCH(int, intervalDays);
    QFETCH(int, rows);
    QFETCH(QDate, lastDueDate);

    InstallmentPlanInput input = monthlyPlan(100000, 0, count);
    input.interval = InstallmentInterval::EveryNDays;
    input.intervalDays = intervalDays;
    const InstallmentPlan plan = planInstallments(input);
    QCOMPARE(plan.rows.size(), std::size_t(rows));
    QCOMPARE(plan.rows.back().date, lastDueDate);
}

void TestInstallmentPlan::readsCountText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");

    QTest::newRow("empty") << QString() << 1;
    QTest::newRow("unreadable") << QStringLiteral("on iki") << 1;
    QTest::newRow("twelve") << QStringLiteral("12") << 12;
    QTest::newRow("blanks around") << QStringLiteral(" 7 ") << 7;
    QTest::newRow("zero") << QStringLiteral("0") << 1;
    QTest::newRow("negative") << QStringLiteral("-4") << 1;
    QTest::newRow("above the limit") << QStringLiteral("1500") << 999;
}

void TestInstallmentPlan::readsCountText() {
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(planNumberFromText(text), number);
}

QTEST_GUILESS_MAIN(TestInstallmentPlan)
#include "tst_installment_plan.moc"
