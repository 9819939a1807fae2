#include "cashdesk/allocation.h"
#include "cashdesk/amount_in_words.h"

#include "test_support.h"

#include <QtTest>

// The cash desk's arithmetic without a database: the amount in words and where a payment goes.
class TestCashDeskLogic : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    void amountInWords_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("words");
        const auto row = [](const char* name, double amount, const char* words) {
            QTest::newRow(name) << amount << QString::fromUtf8(words);
        };
        row("1250", 1250, "Yalnız bin iki yüz elli Türk lirasıdır.");
        row("1001,05", 1001.05, "Yalnız bin bir Türk lirası beş kuruştur.");
        row("100", 100, "Yalnız yüz Türk lirasıdır.");
        row("2000000", 2000000, "Yalnız iki milyon Türk lirasıdır.");
        row("0,50", 0.5, "Yalnız sıfır Türk lirası elli kuruştur.");
        row("0,01", 0.01, "Yalnız sıfır Türk lirası bir kuruştur.");
        row("10", 10, "Yalnız on Türk lirasıdır.");
        row("1000", 1000, "Yalnız bin Türk lirasıdır.");
        row("1100", 1100, "Yalnız bin yüz Türk lirasıdır.");
        row("11000", 11000, "Yalnız on bir bin Türk lirasıdır.");
        row("101000", 101000, "Yalnız yüz bir bin Türk lirasıdır.");
        row("1000000", 1000000, "Yalnız bir milyon Türk lirasıdır.");
        row("1001000", 1001000, "Yalnız bir milyon bin Türk lirasıdır.");
        row("3694,99", 3694.99, "Yalnız üç bin altı yüz doksan dört Türk lirası doksan dokuz kuruştur.");
        row("largest", 999999999.99,
            "Yalnız dokuz yüz doksan dokuz milyon dokuz yüz doksan dokuz bin dokuz yüz doksan dokuz Türk "
            "lirası doksan dokuz kuruştur.");
        // Rounded to the kuruş as the ledger rounds: a third decimal of 5 goes up.
        row("many decimals", 12.345, "Yalnız on iki Türk lirası otuz beş kuruştur.");
        row("rounds to a whole lira", 99.999, "Yalnız yüz Türk lirasıdır.");
    }
    void amountInWords() {
        QFETCH(double, amount);
        QFETCH(QString, words);
        QCOMPARE(::amountInWords(amount), words);
    }

    // Installments: 1 "Taksit 1" 100 due 01.02, 2 "Taksit 2" 100 due 01.01, 3 "Taksit 3" 33.33 due
    // 01.01 (same day as 2, a higher number); paid in the order 2, 3, 1. `paid` lists "id:paid[/rest]".
    void allocation_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("paid");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("exact one") << 100.0 << "2:100"
                                   << "";
        QTest::newRow("partial") << 40.0 << "2:40/60"
                                 << "";
        QTest::newRow("several whole") << 133.33 << "2:100 3:33.33"
                                       << "";
        QTest::newRow("several and a split") << 150.0 << "2:100 3:33.33 1:16.67/83.33"
                                             << "";
        QTest::newRow("the whole debt") << 233.33 << "2:100 3:33.33 1:100"
                                        << "";
        QTest::newRow("kuruş rounding") << 100.005 << "2:100 3:0.01/33.32"
                                        << "";
        QTest::newRow("over the debt") << 233.34 << ""
                                       << "\nTahsil edilecek tutar kalan borçtan (233,33) büyük olamaz.";
        QTest::newRow("zero") << 0.0 << ""
                              << "\nTahsil edilecek tutar sıfırdan büyük olmalıdır.";
        QTest::newRow("negative") << -5.0 << ""
                                  << "\nTahsil edilecek tutar sıfırdan büyük olmalıdır.";
        QTest::newRow("below half a kuruş") << 0.004 << ""
                                            << "\nTahsil edilecek tutar sıfırdan büyük olmalıdır.";
    }
    void allocation() {
        QFETCH(double, amount);
        QFETCH(QString, paid);
        QFETCH(QString, refusal);
        const std::vector<UnpaidInstallment> unpaid = {{1, "Taksit 1", QDate(2026, 2, 1), 100, 0},
                                                       {3, "Taksit 3", QDate(2026, 1, 1), 33.33, 0},
                                                       {2, "Taksit 2", QDate(2026, 1, 1), 100, 0}};
        const Allocation a = allocatePayment(unpaid, amount);
        QCOMPARE(a.refusal, refusal);
        QStringList lines;
        double total = 0;
        for (const AllocatedInstallment& i : a.installments) {
            lines << QString("%1:%2").arg(i.installment.paymentId).arg(i.paid) +
                         (i.split() ? QString("/%1").arg(i.rest) : QString());
            // Every split adds up to the installment, to the kuruş.
            QCOMPARE(qRound64((i.paid + i.rest) * 100), qRound64(i.installment.amount * 100));
            total += i.paid;
        }
        QCOMPARE(lines.join(' '), paid);
        if (refusal.isEmpty())
            QCOMPARE(qRound64(total * 100), qRound64(a.amount * 100));
        QVERIFY(!a.newRow);
    }

    void withoutInstallments_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("description");
        QTest::newRow("nothing typed") << "  "
                                       << "Tahsilat";
        QTest::newRow("typed") << "Kitap parası"
                               << "Kitap parası";
        QTest::newRow("cut to the column") << QString(40, 'x') << QString(30, 'x');
    }
    void withoutInstallments() {
        QFETCH(QString, typed);
        QFETCH(QString, description);
        const Allocation a = allocatePayment({}, 500.004, typed);
        QVERIFY(a.refusal.isEmpty());
        QVERIFY(a.newRow);
        QVERIFY(a.installments.empty());
        QCOMPARE(a.amount, 500.0);
        QCOMPARE(a.newRowDescription, description);
    }

    void restDescription_data() {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("rest");
        QTest::newRow("short") << "Taksit 3"
                               << "Taksit 3 (kalan)";
        QTest::newRow("empty") << ""
                               << " (kalan)";
        QTest::newRow("cut to fit") << "Ehliyet kursu ücreti taksit 11"
                                    << "Ehliyet kursu ücreti t (kalan)";
        QTest::newRow("no space before the suffix") << "Ehliyet kursu ücreti  taksit"
                                                    << "Ehliyet kursu ücreti (kalan)";
        // A letter with a combining accent and a character outside the BMP are never cut in half.
        QTest::newRow("combining mark") << QString(21, 'a') + "e\u0301xyz" << QString(21, 'a') + " (kalan)";
        QTest::newRow("surrogate pair") << QString(21, 'a') + QString::fromUcs4(U"\U0001F600") + "xyz"
                                        << QString(21, 'a') + QString::fromUcs4(U"\U0001F600") + " (kalan)";
        QTest::newRow("a rest split again") << "Taksit 3 (kalan)"
                                            << "Taksit 3 (kalan)";
    }
    void restDescription() {
        QFETCH(QString, description);
        QFETCH(QString, rest);
        QCOMPARE(::restDescription(description), rest);
        QVERIFY(rest.toUcs4().size() <= PaymentDescriptionWidth);
    }
};

QTEST_MAIN(TestCashDeskLogic)
#include "tst_cashdesk_logic.moc"
