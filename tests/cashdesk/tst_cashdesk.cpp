#include "cashdesk/cashdesk_statements.h"
#include "cashdesk/receipts.h"
#include "data/connection.h"
#include "data/jet_dialect.h"
#include "data/schema.h"
#include "data/transaction.h"

#include "test_support.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

QString cellText(const Statement& s, int column) {
    const Cell c = s.cell(column);
    if (c.kind == Cell::Kind::Null)
        return "-";
    if (c.kind == Cell::Kind::Real)
        return QString::number(c.real);
    return s.text(column);
}

// Each row of `sql` as its values joined by "|", a null as "-".
QStringList rowsOf(Connection& connection, const QString& sql) {
    Statement s(connection, sql);
    QStringList rows;
    while (s.step()) {
        QStringList cells;
        for (int c = 0; c < s.columnCount(); ++c)
            cells << cellText(s, c);
        rows << cells.join('|');
    }
    return rows;
}

// Trainees 1 and 2 (B-2); trainee 1 owes "Taksit 1" 100 due 01.02.2024 (odemeID 1),
// "Taksit 2" 100 due 01.01.2024 (2) and "Taksit 3" 33.33 due 01.01.2024 (3), and has paid 50 (4).
void fillLedger(Connection& c) {
    c.execute("INSERT INTO tb_kursiyer (adi, soyadi, adayno, ceptelefonu, eposta) VALUES "
              "('Ayşe', 'Işık', 'A-1', '05321112233', 'ayse@example.com')");
    c.execute("INSERT INTO tb_kursiyer (adi, soyadi, adayno) VALUES ('Can', 'Öz', 'B-2')");
    c.execute(
        "INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES "
        "(0, 100, '2024-02-01 00:00:00', 'Taksit 1', 1), (0, 100, '2024-01-01 00:00:00', 'Taksit 2', 1), "
        "(0, 33.33, '2024-01-01 00:00:00', 'Taksit 3', 1), (-1, 50, '2023-12-01 00:00:00', 'Peşin', 1)");
}

PaymentRequest request(qint64 kID, double amount, const QDate& date = QDate(2024, 3, 1)) {
    PaymentRequest r;
    r.kID = kID;
    r.amount = amount;
    r.date = date;
    return r;
}

const QString PaymentRows =
    "SELECT odemeID, Odendi, miktar, aciklama, makbuzID FROM tb_odeme ORDER BY odemeID";

} // namespace

// Receipts on a real database, on either backend: the rows a payment writes, numbering, two desks
// at once, cancelling, faults, and the lists of late payers and the day's closing.
class TestCashDesk : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    // The ledger after one payment: `rows` lists every payment row, `lines` the receipt's lines.
    void payment_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("split") << 150.0
                               << QStringList{"1|-1|16.67|Taksit 1|1", "2|-1|100|Taksit 2|1",
                                              "3|-1|33.33|Taksit 3|1", "4|-1|50|Peşin|-",
                                              "5|0|83.33|Taksit 1 (kalan)|-"}
                               << QStringList{"2|Taksit 2|2024-01-01 00:00:00|100|-",
                                              "3|Taksit 3|2024-01-01 00:00:00|33.33|-",
                                              "1|Taksit 1|2024-02-01 00:00:00|16.67|5"};
        QTest::newRow("many decimals") << 100.0044
                                       << QStringList{"1|0|100|Taksit 1|-", "2|-1|100|Taksit 2|1",
                                                      "3|0|33.33|Taksit 3|-", "4|-1|50|Peşin|-"}
                                       << QStringList{"2|Taksit 2|2024-01-01 00:00:00|100|-"};
    }
    void payment() {
        QFETCH(double, amount);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, lines);
        TempDatabase db;
        Connection c;
        db.open(c);
        fillLedger(c);
        const TakenPayment taken = takePayment(c, request(1, amount));
        QCOMPARE(taken.number, "2024-000001");
        QCOMPARE(rowsOf(c, PaymentRows), rows);
        QCOMPARE(
            rowsOf(c, "SELECT odemeID, aciklama, vade, tutar, kalanID FROM tb_makbuz_satir ORDER BY satirID"),
            lines);
        QCOMPARE(rowsOf(c, "SELECT makbuzno, tarih, kID, tutar, odemesekli, iptal, adisoyadi, adayno FROM "
                           "tb_makbuz"),
                 QStringList{QString("2024-000001|2024-03-01 00:00:00|1|%1|Nakit|0|Ayşe Işık|A-1")
                                 .arg(QString::number(std::round(amount * 100) / 100))});
        QCOMPARE(rowsOf(c, "SELECT masa FROM tb_makbuz"), QStringList{QSysInfo::machineHostName().left(50)});
    }

    // What the desk refuses leaves the database as it was.
    void refusals_data() {
        QTest::addColumn<qint64>("kID");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("message");
        const QDate day(2024, 3, 1);
        QTest::newRow("over the debt")
            << qint64(1) << 233.34 << day << "\nTahsil edilecek tutar kalan borçtan (233,33) büyük olamaz.";
        QTest::newRow("zero") << qint64(1) << 0.0 << day
                              << "\nTahsil edilecek tutar sıfırdan büyük olmalıdır.";
        QTest::newRow("trainee being entered")
            << qint64(0) << 10.0 << day << "\nTahsilat için önce kursiyeri kaydedin.";
        QTest::newRow("a future day") << qint64(1) << 10.0 << QDate::currentDate().addDays(1)
                                      << "\nMakbuz tarihi bugünden sonra olamaz.";
        QTest::newRow("trainee deleted by another desk")
            << qint64(7) << 10.0 << day << RowChangedElsewhereText;
    }
    void refusals() {
        QFETCH(qint64, kID);
        QFETCH(double, amount);
        QFETCH(QDate, date);
        QFETCH(QString, message);
        TempDatabase db;
        Connection c;
        db.open(c);
        fillLedger(c);
        const QStringList before = db.rows();
        try {
            takePayment(c, request(kID, amount, date));
            QFAIL("taken");
        } catch (const DatabaseError& e) {
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(db.rows(), before);
    }

    void paymentWithoutInstallments() {
        TempDatabase db;
        Connection c;
        db.open(c);
        fillLedger(c);
        PaymentRequest r = request(2, 500);
        r.kind = "Havale/EFT";
        takePayment(c, r);
        QCOMPARE(rowsOf(c, "SELECT Odendi, miktar, tarih, aciklama, makbuzID FROM tb_odeme WHERE kID = 2"),
                 QStringList{"-1|500|2024-03-01 00:00:00|Tahsilat|1"});
        cancelReceipt(c, 1, "Yanlış kişi");
        // Cancelling leaves no debt that never was.
        QCOMPARE(rowsOf(c, "SELECT count(*) FROM tb_odeme WHERE kID = 2"), QStringList{"0"});
    }

    // Numbers follow the year of the receipt's date and the largest stored, restored ones included.
    void numbering() {
        TempDatabase db;
        Connection c;
        db.open(c);
        fillLedger(c);
        c.execute("INSERT INTO tb_makbuz (makbuzno, tarih, kID, tutar, iptal) VALUES "
                  "('2024-000041', '2024-06-01 00:00:00', 2, 1, -1), ('2023-000007', '2023-01-01 00:00:00', "
                  "2, 1, 0)");
        QStringList numbers;
        for (const QDate& day :
             {QDate(2024, 12, 31), QDate(2025, 1, 1), QDate(2024, 12, 30), QDate(2025, 1, 2)})
            numbers << takePayment(c, request(2, 5, day)).number;
        QCOMPARE(numbers, (QStringList{"2024-000042", "2025-000001", "2024-000043", "2025-000002"}));
    }

    // Two desks at the same moment: every number once, none missing.
    void twoDesksAtOnce() {
        TempDatabase db;
        {
            Connection c;
            db.open(c);
            fillLedger(c);
        }
        constexpr int PerDesk = 25;
        QStringList numbers[2];
        QString failures[2];
        std::unique_ptr<QThread> desks[2];
        for (int d = 0; d < 2; ++d) {
            desks[d].reset(QThread::create([&, d] {
                try {
                    Connection c;
                    db.open(c);
                    for (int i = 0; i < PerDesk; ++i)
                        numbers[d] << takePayment(c, request(2, 1 + d)).number;
                } catch (const DatabaseError& e) {
                    failures[d] = e.message();
                }
            }));
            desks[d]->start();
        }
        for (auto& desk : desks)
            QVERIFY(desk->wait(120000));
        QCOMPARE(failures[0], QString());
        QCOMPARE(failures[1], QString());
        QStringList all = numbers[0] + numbers[1];
        std::sort(all.begin(), all.end());
        QStringList expected;
        for (int n = 1; n <= 2 * PerDesk; ++n)
            expected << QString("2024-%1").arg(n, 6, 10, QChar('0'));
        QCOMPARE(all, expected);
    }

    // Another desk changes an installment while the payment is being written. The file lets one
    // writer in at a time, so the payment waits and pays the row as changed; the server lets both
    // read, so the payment finds the row's version gone and writes nothing.
    void installmentChangedByAnotherDesk() {
        TempDatabase db;
        Connection other;
        db.open(other);
        fillLedger(other);
        other.execute("BEGIN");
        other.execute("UPDATE tb_odeme SET miktar = 90, surum = surum + 1 WHERE odemeID = 2");
        QString number;
        QString failure;
        std::unique_ptr<QThread> desk(QThread::create([&] {
            try {
                Connection c;
                db.open(c);
                number = takePayment(c, request(1, 150)).number;
            } catch (const DatabaseError& e) {
                failure = e.message();
            }
        }));
        desk->start();
        if (other.isServer()) {
            // Until the payment waits for the changed row.
            QTRY_COMPARE_WITH_TIMEOUT(rowsOf(other, "SELECT count(*) FROM pg_locks WHERE NOT granted"),
                                      QStringList{"1"}, 10000);
        } else {
            QThread::msleep(300);
        }
        other.execute("COMMIT");
        QVERIFY(desk->wait(30000));
        if (other.isServer()) {
            QCOMPARE(failure, RowChangedElsewhereText);
            QCOMPARE(rowsOf(other, "SELECT count(*) FROM tb_makbuz"), QStringList{"0"});
            QCOMPARE(rowsOf(other, "SELECT count(*) FROM tb_odeme WHERE Odendi = -1"), QStringList{"1"});
        } else {
            QCOMPARE(failure, QString());
            QCOMPARE(number, "2024-000001");
            QCOMPARE(
                rowsOf(other, "SELECT odemeID, miktar FROM tb_odeme WHERE makbuzID = 1 ORDER BY odemeID"),
                (QStringList{"1|26.67", "2|90", "3|33.33"}));
        }
    }

    // A fault in the middle of a payment or a cancellation leaves nothing behind, and a payment
    // that failed used no number. Receipt 2024-000001 (150, splitting "Taksit 1") is there before.
    void faults_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>(
            "fault"); // a refusing trigger, or "lock": another program holds the database
        QTest::newRow("payment: receipt refused") << "pay"
                                                  << "BEFORE INSERT ON tb_makbuz";
        QTest::newRow("payment: its lines refused") << "pay"
                                                    << "BEFORE INSERT ON tb_makbuz_satir";
        QTest::newRow("payment: a split's rest refused") << "pay"
                                                         << "BEFORE INSERT ON tb_odeme";
        QTest::newRow("payment: database locked") << "pay"
                                                  << "lock";
        QTest::newRow("cancel: joining the split refused") << "cancel"
                                                           << "BEFORE DELETE ON tb_odeme";
        QTest::newRow("cancel: database locked") << "cancel"
                                                 << "lock";
    }
    void faults() {
        QFETCH(QString, command);
        QFETCH(QString, fault);
        TempDatabase db;
        Connection c;
        db.open(c);
        fillLedger(c);
        waitBriefly(c);
        takePayment(c, request(1, 150));
        const QStringList before = db.rows();
        {
            std::optional<DatabaseLock> lock;
            if (fault == "lock")
                lock.emplace(db);
            else
                db.refuse(fault);
            if (command == "pay")
                QVERIFY_THROWS_EXCEPTION(DatabaseError, takePayment(c, request(1, 20)));
            else
                QVERIFY_THROWS_EXCEPTION(DatabaseError, cancelReceipt(c, 1, "Hata"));
        }
        if (fault != "lock")
            db.stopRefusing();
        QCOMPARE(db.rows(), before);
        QCOMPARE(takePayment(c, request(1, 20)).number, "2024-000002");
    }

    // A receipt of 150 split "Taksit 1" (odemeID 1) into 16.67 paid and 83.33 "Taksit 1 (kalan)"
    // (odemeID 5); `meanwhile` happens before the receipt is cancelled.
    void cancelling_data() {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QStringList>("rows");
        const QStringList asBefore{"1|0|100|Taksit 1|-", "2|0|100|Taksit 2|-", "3|0|33.33|Taksit 3|-",
                                   "4|-1|50|Peşin|-"};
        QTest::newRow("split joined again") << "" << asBefore;
        QTest::newRow("rest paid by another receipt")
            << "pay 83.33"
            << QStringList{"1|0|16.67|Taksit 1|-", "2|0|100|Taksit 2|-", "3|0|33.33|Taksit 3|-",
                           "4|-1|50|Peşin|-", "5|-1|83.33|Taksit 1 (kalan)|2"};
        QTest::newRow("rest changed by hand")
            << "UPDATE tb_odeme SET miktar = 80, surum = surum + 1 WHERE odemeID = 5"
            << QStringList{"1|0|16.67|Taksit 1|-", "2|0|100|Taksit 2|-", "3|0|33.33|Taksit 3|-",
                           "4|-1|50|Peşin|-", "5|0|80|Taksit 1 (kalan)|-"};
        QTest::newRow("rest renamed")
            << "UPDATE tb_odeme SET aciklama = 'Son taksit', surum = surum + 1 WHERE odemeID = 5"
            << QStringList{"1|0|16.67|Taksit 1|-", "2|0|100|Taksit 2|-", "3|0|33.33|Taksit 3|-",
                           "4|-1|50|Peşin|-", "5|0|83.33|Son taksit|-"};
    }
    void cancelling() {
        QFETCH(QString, meanwhile);
        QFETCH(QStringList, rows);
        TempDatabase db;
        Connection c;
        db.open(c);
        fillLedger(c);
        const qint64 receipt = takePayment(c, request(1, 150)).makbuzID;
        if (meanwhile.startsWith("pay "))
            takePayment(c, request(1, meanwhile.mid(4).toDouble()));
        else if (!meanwhile.isEmpty())
            c.execute(meanwhile);

        const QStringList before = db.rows();
        for (const QString& reason : {QString(), QString("   ")}) {
            try {
                cancelReceipt(c, receipt, reason);
                QFAIL("cancelled without a reason");
            } catch (const PaymentRefused& e) {
                QCOMPARE(e.message(), "\nİptal nedeni yazılmalıdır.");
            }
        }
        QCOMPARE(db.rows(), before);

        cancelReceipt(c, receipt, " Yanlış tutar ");
        QCOMPARE(rowsOf(c, PaymentRows), rows);
        QCOMPARE(
            rowsOf(c, QString("SELECT makbuzno, tutar, iptal, iptalnedeni FROM tb_makbuz WHERE makbuzID = %1")
                          .arg(receipt)),
            QStringList{"2024-000001|150|-1|Yanlış tutar"});
        QCOMPARE(
            rowsOf(c, QString("SELECT count(*) FROM tb_makbuz WHERE iptalzamani IS NULL AND makbuzID = %1")
                          .arg(receipt)),
            QStringList{"0"});
        // The lines stay as printed.
        QCOMPARE(rowsOf(c, QString("SELECT count(*) FROM tb_makbuz_satir WHERE makbuzID = %1").arg(receipt)),
                 QStringList{"3"});

        const QStringList cancelled = db.rows();
        try {
            cancelReceipt(c, receipt, "Bir daha");
            QFAIL("cancelled twice");
        } catch (const PaymentRefused& e) {
            QCOMPARE(e.message(), "\nBu makbuz daha önce iptal edilmiş.");
        }
        QCOMPARE(db.rows(), cancelled);
        // The cancelled number is never given again.
        const QString next = meanwhile.startsWith("pay ") ? "2024-000003" : "2024-000002";
        QCOMPARE(takePayment(c, request(1, 10)).number, next);
    }

    // Two desks cancel one receipt, the second reading it before the first has committed: the second
    // is refused as when it comes after, and the receipt keeps the first one's cancellation.
    void cancelledByAnotherDeskMeanwhile() {
        TempDatabase db;
        Connection first;
        db.open(first);
        fillLedger(first);
        const qint64 receipt = takePayment(first, request(1, 150)).makbuzID;
        std::optional<Transaction> firstDesk(std::in_place, first);
        cancelReceipt(first, receipt, "Birinci masa");
        QString refusal;
        std::unique_ptr<QThread> secondDesk(QThread::create([&] {
            try {
                Connection second;
                db.open(second);
                cancelReceipt(second, receipt, "İkinci masa");
            } catch (const ReceiptAlreadyCancelled& e) {
                refusal = e.message();
            } catch (const DatabaseError& e) {
                refusal = "other: " + e.message();
            }
        }));
        secondDesk->start();
        if (first.isServer()) {
            // Until the second has read the receipt and waits to write it.
            QTRY_COMPARE_WITH_TIMEOUT(rowsOf(first, "SELECT count(*) FROM pg_locks WHERE NOT granted"),
                                      QStringList{"1"}, 10000);
        } else {
            QThread::msleep(300);
        }
        firstDesk->commit();
        firstDesk.reset();
        QVERIFY(secondDesk->wait(30000));
        QCOMPARE(refusal, "\nBu makbuz daha önce iptal edilmiş.");
        QCOMPARE(rowsOf(first, "SELECT iptal, iptalnedeni, surum FROM tb_makbuz"),
                 QStringList{"-1|Birinci masa|1"});
        QCOMPARE(rowsOf(first, PaymentRows), (QStringList{"1|0|100|Taksit 1|-", "2|0|100|Taksit 2|-",
                                                          "3|0|33.33|Taksit 3|-", "4|-1|50|Peşin|-"}));
    }

    // An installment is late when unpaid and due before the day; kID 0 rows belong to nobody yet.
    void overdueList() {
        TempDatabase db;
        Connection c;
        db.open(c);
        fillLedger(c);
        c.execute("INSERT INTO tb_kursiyer (adi, soyadi, adayno) VALUES ('Deniz', 'Ak', 'C-3'), ('Ece', "
                  "'Su', 'D-4'), "
                  "('Ilgın', 'Ay', 'E-5')");
        c.execute(
            "INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID, giris) VALUES "
            // 3: paid early, one due in the future
            "(-1, 100, '2024-04-01 00:00:00', '', 3, NULL), (0, 75, '2024-05-01 00:00:00', '', 3, NULL), "
            // 4: due on the day itself, not late yet
            "(0, 60, '2024-03-01 00:00:00', '', 4, NULL), "
            // 5: one day late
            "(0, 20.5, '2024-02-29 00:00:00', '', 5, NULL), (0, 10, '2024-06-01 00:00:00', '', 5, NULL), "
            // a trainee being entered
            "(0, 999, '2020-01-01 00:00:00', '', 0, 'giris')");
        c.execute("INSERT INTO tb_hatirlatma (kID, zaman, tur, adres, sonuc) VALUES "
                  "(1, '2024-02-10 10:00:00', 'E-posta', 'ayse@example.com', 'Gönderildi'), "
                  "(1, '2024-02-20 09:30:00', 'SMS listesi', '05321112233', 'Gönderildi')");
        const QString sql =
            translateJet(CashDeskSql::overdueInstallments(QDate(2024, 3, 1), c.dialect()), c.dialect());
        QCOMPARE(rowsOf(c, sql),
                 (QStringList{
                     "1|A-1|Ayşe|Işık|05321112233|ayse@example.com|2024-01-01 00:00:00|60|3|233.33|233.33|"
                     "2024-02-20 09:30:00",
                     "5|E-5|Ilgın|Ay|-|-|2024-02-29 00:00:00|1|1|20.5|30.5|-"}));
    }

    // The day's closing: valid receipts of the day by kind and by desk, cancellations by their own day.
    void dayClosing() {
        TempDatabase db;
        Connection c;
        db.open(c);
        fillLedger(c);
        const QDate day(2024, 3, 1);
        const auto take = [&](double amount, const QDate& date, const char* kind) {
            PaymentRequest r = request(2, amount, date);
            r.kind = QString::fromUtf8(kind);
            return takePayment(c, r).makbuzID;
        };
        take(100, day, "Nakit");
        take(50.25, day, "Kredi Kartı");
        const qint64 cancelledToday = take(30, day, "Nakit");
        take(70, day.addDays(-1), "Nakit");
        take(10, day.addDays(1), "Nakit");
        const qint64 earlier = take(40, day.addDays(-3), "Havale/EFT");
        cancelReceipt(c, cancelledToday, "Hata");
        cancelReceipt(c, earlier, "Hata");
        // Cancelled today, but on another day as far as the closing of 1 March is concerned.
        c.execute("UPDATE tb_makbuz SET iptalzamani = '2024-03-01 17:45:00' WHERE makbuzID = " +
                  QString::number(earlier));
        c.execute("UPDATE tb_makbuz SET iptalzamani = '2024-03-02 08:00:00' WHERE makbuzID = " +
                  QString::number(cancelledToday));
        c.execute("UPDATE tb_makbuz SET masa = 'Masa 2' WHERE tutar = 50.25");

        const DayClosing closing = readDayClosing(c, day);
        const auto text = [](const std::vector<DayClosing::Sum>& sums) {
            QStringList t;
            for (const DayClosing::Sum& s : sums)
                t << QString("%1 %2 %3").arg(s.name).arg(s.count).arg(s.total);
            t.sort();
            return t;
        };
        QStringList desks{QString("%1 1 100").arg(QSysInfo::machineHostName().left(50)), "Masa 2 1 50.25"};
        desks.sort();
        QCOMPARE(text(closing.byKind), (QStringList{"Kredi Kartı 1 50.25", "Nakit 1 100"}));
        QCOMPARE(text(closing.byDesk), desks);
        QCOMPARE(closing.all.count, 1 + 1);
        QCOMPARE(closing.all.total, 150.25);
        QCOMPARE(closing.cancelled.size(), 1u);
        QCOMPARE(closing.cancelled.front().number, QString("2024-000006"));
        QCOMPARE(rowsOf(c, translateJet(CashDeskSql::dayReceipts(day), c.dialect())).size(), 2);
    }
    // Receipts written before they kept their payer learn the name and candidate number of the
    // trainees still there when the database is upgraded, on either backend; a deleted trainee's
    // stay without. The upgraded table is the one a new database gets, with the index by trainee.
    void upgradeNamesThePayers() {
        TempDatabase db;
        const auto receiptColumns = [](Connection& c) {
            return rowsOf(c, c.isServer() ? "SELECT column_name || ' ' || data_type || ' ' || "
                                            "coalesce(character_maximum_length, 0) FROM "
                                            "information_schema.columns WHERE table_name = 'tb_makbuz' "
                                            "ORDER BY ordinal_position"
                                          : "SELECT name || ' ' || type FROM pragma_table_info('tb_makbuz') "
                                            "ORDER BY cid");
        };
        QStringList newColumns;
        {
            Connection c;
            db.open(c);
            newColumns = receiptColumns(c);
            fillLedger(c);
            takePayment(c, request(1, 100));
            takePayment(c, request(2, 10));
            c.execute("DELETE FROM tb_kursiyer WHERE kID = 2");
            setBackToVersion(c, 7);
            for (const char* sql : {"DROP INDEX ix_makbuz_kid", "ALTER TABLE tb_makbuz DROP COLUMN adisoyadi",
                                    "ALTER TABLE tb_makbuz DROP COLUMN adayno"})
                c.execute(sql);
        }
        Connection c;
        db.open(c);
        QCOMPARE(rowsOf(c, "SELECT makbuzno, adisoyadi, adayno FROM tb_makbuz ORDER BY makbuzno"),
                 (QStringList{"2024-000001|Ayşe Işık|A-1", "2024-000002|-|-"}));
        QCOMPARE(receiptColumns(c), newColumns);
        QCOMPARE(rowsOf(c, c.isServer() ? "SELECT count(*) FROM pg_indexes WHERE indexname = 'ix_makbuz_kid'"
                                        : "SELECT count(*) FROM sqlite_master WHERE name = 'ix_makbuz_kid'"),
                 QStringList{"1"});
    }

    // A school's database of the version before the cash desk is upgraded when it is opened, on
    // either backend, and takes payments at once.
    void upgradeFromTheVersionBefore() {
        TempDatabase db;
        {
            Connection c;
            db.open(c);
            fillLedger(c);
            setBackToVersion(c, 4);
            for (const char* sql : {"DROP INDEX ix_odeme_makbuzid", "DROP INDEX ix_odeme_odendi_kid",
                                    "ALTER TABLE tb_odeme DROP COLUMN makbuzID"})
                c.execute(sql);
        }
        Connection c;
        db.open(c);
        QCOMPARE(takePayment(c, request(1, 150)).number, "2024-000001");
        QCOMPARE(rowsOf(c, "SELECT count(*) FROM tb_odeme WHERE makbuzID = 1"), QStringList{"3"});
        QCOMPARE(rowsOf(c, c.isServer() ? "SELECT surum FROM kalvista_surum" : "PRAGMA user_version"),
                 QStringList{QString::number(Schema::Version)});
    }
};

QTEST_MAIN(TestCashDesk)
#include "tst_cashdesk.moc"
