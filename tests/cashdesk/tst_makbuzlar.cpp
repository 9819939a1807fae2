#include "cashdesk/receipts.h"
#include "data/connection.h"
#include "program_fixture.h"
#include "sample_school.h"
#include "ui/report_preview.h"

#include <QAction>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSysInfo>
#include <QTableView>

#include <optional>

// The receipts window: the list of a period, a cancellation through its dialog, and "Kaydı Sil" of a
// trainee who holds receipts.
class TestMakbuzlar : public QObject {
    Q_OBJECT

    // İSMAİL IŞIK (kID 1) owes "son" 200 due 31.03.2024 and two installments of 1500; ismet Çelik
    // (kID 2) owes 50.
    static void owing(Connection& c) {
        fillSampleSchool(c);
        c.execute("INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES "
                  "(0, 1500, '2024-04-30 00:00:00', '2. taksit', 1)");
        c.execute("INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES "
                  "(0, 1500, '2024-05-31 00:00:00', '3. taksit', 1)");
    }
    static PaymentRequest payment(qint64 kID, double amount, const QDate& date, int kind = 0) {
        return {kID, amount, date, PaymentKinds[kind], {}};
    }
    // Receipts around March 2024, numbered out of their dates' order: 2024-000001 (kID 1, 31.03),
    // -000002 (kID 2, 01.03, card), -000003 (kID 1, 29.02), -000004 (kID 1, 01.04), -000005 (kID 2,
    // 15.03, cancelled).
    static void aroundMarch(Connection& c) {
        owing(c);
        takePayment(c, payment(1, 1234.5, {2024, 3, 31}));
        takePayment(c, payment(2, 20, {2024, 3, 1}, 1));
        takePayment(c, payment(1, 10, {2024, 2, 29}));
        takePayment(c, payment(1, 30, {2024, 4, 1}));
        cancelReceipt(c, takePayment(c, payment(2, 30, {2024, 3, 15})).makbuzID, "Yanlış tutar");
    }
    // The receipts around March, then trainee 1 renamed and trainee 2 deleted: each receipt still
    // names its payer as it was written.
    static void aroundMarchPayersGone(Connection& c) {
        aroundMarch(c);
        c.execute("UPDATE tb_kursiyer SET adi = 'Başka', adayno = 'Z-9' WHERE kID = 1");
        c.execute("DELETE FROM tb_odeme WHERE kID = 2");
        c.execute("DELETE FROM tb_kursiyer WHERE kID = 2");
    }
    // One receipt today of kID 1: "son" paid and "2. taksit" split, 1034,50 of it paid.
    static void paidToday(Connection& c) {
        owing(c);
        takePayment(c, payment(1, 1234.5, QDate::currentDate()));
    }

    static QStringList rowsOf(QTableView* list) {
        QStringList rows;
        for (int r = 0; r < list->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < list->model()->columnCount(); ++c)
                cells << list->model()->index(r, c).data().toString();
            rows << cells.join('|');
        }
        return rows;
    }
    static void moveToTrainee(ProgramFixture& p, qint64 kID) {
        Dataset& trainees = p.data().tkursiyer;
        for (int row = 0; row < trainees.recordCount(); ++row)
            if (trainees.valueAt(row, trainees.fieldIndex("kID")).toLongLong() == kID)
                trainees.moveTo(row);
        QCOMPARE(p.data().currentTraineeKey(), kID);
    }
    static void openReceipts(ProgramFixture& p) { p.find<QAction>("Makbuzlar1")->trigger(); }
    template <typename T> static T* in(QWidget* dialog, const char* name) {
        T* found = dialog->findChild<T*>(name);
        if (!found)
            qFatal("no control named %s", name);
        return found;
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    // The window opens on this month; then a period's receipts, both ends included, in number order.
    void period_data() {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QStringList>("rows"); // "@" stands for this computer's name
        const QString first = "2024-000001|31.03.2024|A-1|İSMAİL IŞIK|1.234,50|Nakit|@|Geçerli";
        const QString second = "2024-000002|01.03.2024|a-2|ismet Çelik|20,00|Kredi Kartı|@|Geçerli";
        const QString third = "2024-000003|29.02.2024|A-1|İSMAİL IŞIK|10,00|Nakit|@|Geçerli";
        const QString fourth = "2024-000004|01.04.2024|A-1|İSMAİL IŞIK|30,00|Nakit|@|Geçerli";
        const QString fifth = "2024-000005|15.03.2024|a-2|ismet Çelik|30,00|Nakit|@|İptal";
        QTest::newRow("March") << QDate(2024, 3, 1) << QDate(2024, 3, 31)
                               << QStringList{first, second, fifth};
        QTest::newRow("its last day alone") << QDate(2024, 3, 31) << QDate(2024, 3, 31) << QStringList{first};
        QTest::newRow("leap day to April")
            << QDate(2024, 2, 29) << QDate(2024, 4, 1) << QStringList{first, second, third, fourth, fifth};
        QTest::newRow("end before start") << QDate(2024, 3, 31) << QDate(2024, 3, 1) << QStringList{};
    }
    void period() {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QStringList, rows);
        ProgramFixture p(aroundMarchPayersGone);
        QDate shownFrom, shownTo;
        QStringList thisMonth, listed;
        p.boxes().onDialog([&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QString("Makbuzlar"));
            auto* start = in<QDateEdit>(dialog, "BaslangicTarihi");
            auto* end = in<QDateEdit>(dialog, "BitisTarihi");
            auto* list = in<QTableView>(dialog, "MakbuzListesi");
            shownFrom = start->date();
            shownTo = end->date();
            thisMonth = rowsOf(list);
            start->setDate(from);
            end->setDate(to);
            listed = rowsOf(list);
            list->selectRow(list->model()->rowCount() - 1);
            in<QPushButton>(dialog, "YazdirButton")->click();
            in<QPushButton>(dialog, "KapatButton")->click();
        });
        // "Yeniden Yazdır" shows the receipt selected, the last listed.
        QString reprinted;
        if (!rows.isEmpty())
            p.boxes().onDialog([&](QWidget* w) {
                auto* preview = qobject_cast<Report::Preview*>(w);
                QVERIFY(preview);
                for (const Report::PlacedText& t : preview->run().page(0).texts)
                    reprinted += t.text + '|';
                preview->reject();
            });
        openReceipts(p);
        QTRY_VERIFY(!shownTo.isNull());
        const QDate today = QDate::currentDate();
        QCOMPARE(shownFrom, QDate(today.year(), today.month(), 1));
        QCOMPARE(shownTo, today);
        QVERIFY(thisMonth.isEmpty());
        QCOMPARE(listed, rows.replaceInStrings("@", QSysInfo::machineHostName().left(50)));
        if (!rows.isEmpty()) {
            const QStringList last = rows.last().split('|');
            QVERIFY2(reprinted.contains("|Makbuz No: " + last[0] + '|'), qPrintable(reprinted));
            QVERIFY2(reprinted.contains('|' + last[2] + '|') && reprinted.contains('|' + last[3] + '|'),
                     qPrintable(reprinted));
        }
        QVERIFY(p.boxes().seen.isEmpty());
    }

    // A blank reason is refused with the dialog kept; a reason cancels the receipt: its row says
    // "İptal" and offers no second cancel, its installments are unpaid again, and the main window's
    // ledger of the trainee shows them so once the window is closed.
    void cancelThroughTheDialog() {
        ProgramFixture p(paidToday);
        moveToTrainee(p, 1);
        QCOMPARE(p.data().todemeler.recordCount(), 5);
        QCOMPARE(p.find<QLineEdit>("mx2")->text(), QString("1.965,50"));
        QString number, amount, payer, candidateNo, durum;
        bool offeredBefore = false, offeredAfter = true, stayed = false;
        p.boxes().onDialog([&](QWidget* dialog) {
            auto* list = in<QTableView>(dialog, "MakbuzListesi");
            auto* cancel = in<QPushButton>(dialog, "IptalButton");
            list->selectRow(0);
            offeredBefore = cancel->isEnabled();
            cancel->click();
            durum = list->model()->index(0, 7).data().toString();
            offeredAfter = cancel->isEnabled();
            in<QPushButton>(dialog, "KapatButton")->click();
        });
        p.boxes().onDialog([&](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QString("makbuz_iptal"));
            QCOMPARE(dialog->windowTitle(), QString("Makbuz İptali"));
            number = in<QLabel>(dialog, "MakbuzNoLabel")->text();
            amount = in<QLabel>(dialog, "TutarLabel")->text();
            payer = in<QLabel>(dialog, "AdiSoyadiLabel")->text();
            candidateNo = in<QLabel>(dialog, "AdayNoLabel")->text();
            auto* reason = in<QLineEdit>(dialog, "NedenEdit");
            reason->setText("   ");
            in<QPushButton>(dialog, "IptalEtButton")->click();
            stayed = dialog->isVisible();
            reason->setText("Yanlış kişi");
            in<QPushButton>(dialog, "IptalEtButton")->click();
        });
        openReceipts(p);
        QTRY_COMPARE(durum, QString("İptal"));
        QVERIFY(offeredBefore);
        QVERIFY(!offeredAfter);
        QVERIFY(stayed);
        QCOMPARE(number, QString("%1-000001").arg(QDate::currentDate().year()));
        QCOMPARE(amount, QString("1.234,50 TL"));
        QCOMPARE(payer, QString("İSMAİL IŞIK"));
        QCOMPARE(candidateNo, QString("A-1"));
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Uyarı"));
        QCOMPARE(p.boxes().seen[0].text, QString("\nİptal nedeni yazılmalıdır."));
        const QStringList owingLedger{"100.0/-1", "200.0/0", "1500.0/0", "1500.0/0"};
        QCOMPARE(p.paymentsOf(1), owingLedger);
        QCOMPARE(p.count("iptal = -1 and iptalnedeni = \"Yanlış kişi\"", "tb_makbuz"), 1);
        QCOMPARE(p.data().todemeler.recordCount(), owingLedger.size());
        QCOMPARE(p.find<QLineEdit>("mx2")->text(), QString("3.200,00"));
    }

    // Another desk cancels the receipt while the list shows it valid: "İptal Et" says it was cancelled
    // already, the dialog closes, the list shows it cancelled, and the ledger is read again.
    void cancelledByAnotherDesk() {
        ProgramFixture p(paidToday);
        moveToTrainee(p, 1);
        QString durum;
        bool offeredAfter = true, closed = false;
        p.boxes().onDialog([&](QWidget* dialog) {
            auto* list = in<QTableView>(dialog, "MakbuzListesi");
            list->selectRow(0);
            in<QPushButton>(dialog, "IptalButton")->click();
            durum = list->model()->index(0, 7).data().toString();
            offeredAfter = in<QPushButton>(dialog, "IptalButton")->isEnabled();
            in<QPushButton>(dialog, "KapatButton")->click();
        });
        p.boxes().onDialog([&](QWidget* dialog) {
            {
                Connection otherDesk;
                p.database().open(otherDesk);
                cancelReceipt(otherDesk, 1, "Öteki masa");
            }
            in<QLineEdit>(dialog, "NedenEdit")->setText("Yanlış kişi");
            in<QPushButton>(dialog, "IptalEtButton")->click();
            closed = !dialog->isVisible();
        });
        openReceipts(p);
        QTRY_COMPARE(durum, QString("İptal"));
        QVERIFY(closed);
        QVERIFY(!offeredAfter);
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Uyarı"));
        QCOMPARE(p.boxes().seen[0].text, QString("\nBu makbuz daha önce iptal edilmiş."));
        QCOMPARE(p.count("iptal = -1 and iptalnedeni = \"Öteki masa\"", "tb_makbuz"), 1);
        QCOMPARE(p.find<QLineEdit>("mx2")->text(), QString("3.200,00"));
    }

    // A lock or a refusing database during "İptal Et": the Turkish message, the dialog kept with the
    // reason typed, nothing written, the receipt still valid.
    void failedCancel_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("locked") << "lock"
                                << "kullanılıyor";
        QTest::newRow("giving back refused") << "BEFORE UPDATE ON tb_odeme"
                                             << "Veritabanı";
    }
    void failedCancel() {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        ProgramFixture p(paidToday);
        waitBriefly(p.data().ado_conn);
        const QStringList before = p.database().rows();
        QString durum, kept;
        bool stayed = false;
        p.boxes().onDialog([&](QWidget* dialog) {
            auto* list = in<QTableView>(dialog, "MakbuzListesi");
            list->selectRow(0);
            in<QPushButton>(dialog, "IptalButton")->click();
            durum = list->model()->index(0, 7).data().toString();
            in<QPushButton>(dialog, "KapatButton")->click();
        });
        p.boxes().onDialog([&](QWidget* dialog) {
            auto* reason = in<QLineEdit>(dialog, "NedenEdit");
            reason->setText("Yanlış kişi");
            {
                std::optional<DatabaseLock> lock;
                if (fault == "lock")
                    lock.emplace(p.database());
                else
                    p.database().refuse(fault);
                in<QPushButton>(dialog, "IptalEtButton")->click();
            }
            if (fault != "lock")
                p.database().stopRefusing();
            stayed = dialog->isVisible();
            kept = reason->text();
            in<QPushButton>(dialog, "VazgecButton")->click();
        });
        openReceipts(p);
        QTRY_COMPARE(durum, QString("Geçerli"));
        QVERIFY(stayed);
        QCOMPARE(kept, QString("Yanlış kişi"));
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Oltravi"));
        QVERIFY2(p.boxes().seen[0].text.contains(message), qPrintable(p.boxes().seen[0].text));
        QCOMPARE(p.database().rows(), before);
    }

    // "Kaydı Sil" of a trainee with valid receipts asks once more, naming their count; on "Evet" the
    // trainee and its payments go, and its receipts stay, cancelled. Another trainee's are untouched,
    // a receipt cancelled before keeps its own reason.
    void deleteTraineeWithReceipts_data() {
        QTest::addColumn<int>("kID");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QStringList>("receipts"); // number|iptal|reason, every receipt
        const QString first =
            "\nAktif kursiyet Ödemeleri ile birlikte silinecek.\n\nişleme devam edilsin mi?";
        const QString three = "\nBu kursiyerin 3 geçerli makbuzu var. Kayıt silinirse makbuzlar \"Kursiyer "
                              "silindi\" nedeniyle iptal edilir.\n\nDevam edilsin mi?";
        const QStringList untouched{"2024-000001|0|-", "2024-000002|0|-", "2024-000003|0|-",
                                    "2024-000004|0|-", "2024-000005|-1|Yanlış tutar"};
        QTest::newRow("receipts, no") << 1 << false << QStringList{first, three} << untouched;
        QTest::newRow("receipts, yes")
            << 1 << true << QStringList{first, three}
            << QStringList{"2024-000001|-1|Kursiyer silindi", "2024-000002|0|-",
                           "2024-000003|-1|Kursiyer silindi", "2024-000004|-1|Kursiyer silindi",
                           "2024-000005|-1|Yanlış tutar"};
        QTest::newRow("no receipts") << 3 << true << QStringList{first} << untouched;
    }
    void deleteTraineeWithReceipts() {
        QFETCH(int, kID);
        QFETCH(bool, confirmed);
        QFETCH(QStringList, questions);
        QFETCH(QStringList, receipts);
        ProgramFixture p(aroundMarch);
        moveToTrainee(p, kID);
        const QStringList before = p.database().rows();
        p.boxes().answer(QMessageBox::Yes);
        if (questions.size() > 1)
            p.boxes().answer(confirmed ? QMessageBox::Yes : QMessageBox::No);
        p.press("Button3");
        QStringList asked;
        for (const ModalWatcher::Seen& box : p.boxes().seen)
            if (box.buttons.testFlag(QMessageBox::No)) {
                asked << box.text;
                QCOMPARE(box.defaultButton, QMessageBox::No);
            }
        QCOMPARE(asked, questions);
        QCOMPARE(p.boxes().seen.size(), questions.size() + (confirmed ? 1 : 0));
        if (!confirmed) {
            QCOMPARE(p.database().rows(), before);
            return;
        }
        QCOMPARE(p.count(QString("kID = %1").arg(kID)), 0);
        QCOMPARE(p.count(QString("kID = %1").arg(kID), "tb_odeme"), 0);
        Connection c;
        p.database().open(c);
        Statement s(c, "SELECT makbuzno, iptal, iptalnedeni FROM tb_makbuz ORDER BY makbuzno");
        QStringList stored;
        while (s.step())
            stored << QString("%1|%2|%3")
                          .arg(s.text(0))
                          .arg(s.integer(1))
                          .arg(s.text(2).isEmpty() ? "-" : s.text(2));
        QCOMPARE(stored, receipts);
    }
};

QTEST_MAIN(TestMakbuzlar)
#include "tst_makbuzlar.moc"
