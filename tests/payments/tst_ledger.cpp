#include "data/connection.h"
#include "payments/frmtaksitlendir.h"
#include "program_fixture.h"
#include "sample_school.h"
#include "ui/data_grid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

// The payments tab: adding, deleting, marking paid, the totals from the database, and the
// installment plan written through its dialog.
class TestLedger : public QObject {
    Q_OBJECT

    static QString paid(ProgramFixture& p) { return p.find<QLineEdit>("mx1")->text(); }
    static QString unpaid(ProgramFixture& p) { return p.find<QLineEdit>("mx2")->text(); }
    // A trainee with no payments and the given fee, being worked on in the payments tab.
    static void openLedgerOf(ProgramFixture& p, int row) {
        p.data().tkursiyer.moveTo(row);
        p.press("Button9");
    }
    static QStringList rowsOf(ProgramFixture& p) {
        Dataset& d = p.data().todemeler;
        QStringList rows;
        for (int r = 0; r < d.recordCount(); ++r)
            rows << QString("%1 %2 %3")
                        .arg(d.valueAt(r, d.fieldIndex("tarih")).toDate().toString("dd.MM.yyyy"))
                        .arg(d.valueAt(r, d.fieldIndex("miktar")).toDouble(), 0, 'f', 2)
                        .arg(d.valueAt(r, d.fieldIndex("aciklama")).toString())
                        .trimmed();
        return rows;
    }
    // Fills the installment dialog when it shows, then confirms it with F8.
    static void planWith(ProgramFixture& p, int count, QDate first, int kind, int days, const QString& down,
                         bool fractions) {
        p.boxes().onDialog([=](QWidget* dialog) {
            dialog->findChild<QSpinBox*>("SpinEdit1")->setValue(count);
            dialog->findChild<QDateEdit*>("tarih2")->setDate(first);
            dialog->findChild<QDateEdit*>("tarih")->setDate(first);
            dialog->findChild<QComboBox*>("TaksitlemeTipi")->setCurrentIndex(kind);
            dialog->findChild<QSpinBox*>("lx3")->setValue(days);
            auto* downPayment = dialog->findChild<QLineEdit*>("Edit1");
            downPayment->setFocus();
            downPayment->setText(down);
            dialog->findChild<QSpinBox*>("SpinEdit1")->setFocus();
            dialog->findChild<QCheckBox*>("kusuryok")->setChecked(fractions);
            QTest::keyClick(dialog, Qt::Key_F8);
        });
    }
    static void setFee(ProgramFixture& p, double fee) {
        p.data().tkursiyer.setValue("odeme_tutari", fee);
        p.data().tkursiyer.post();
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    void paymentsCommandOpensTheTab() {
        ProgramFixture p(fillSampleSchool);
        openLedgerOf(p, 1);
        QCOMPARE(p.find<QTabWidget>("PageControl1")->currentIndex(), 7);
        QCOMPARE(p.main().RememberedAdayNo, QString("a-2"));
        QCOMPARE(p.find<QToolButton>("Button1")->text(), QString("Kaydet"));
        QCOMPARE(p.find<QToolButton>("Button2")->text(), QString("İptal"));
        QVERIFY(!p.find("Button9")->isEnabled());
        QCOMPARE(unpaid(p), QString("50,00"));
    }

    void totalsFollowTheCommands() {
        ProgramFixture p(fillSampleSchool);
        openLedgerOf(p, 4); // no payments
        QCOMPARE(paid(p), QString("0,00"));
        QCOMPARE(unpaid(p), QString("0,00"));
        p.addPayment("1234,5");
        QCOMPARE(unpaid(p), QString("1.234,50"));
        QCOMPARE(p.find<QLineEdit>("odenenx")->text(), QString("0,00"));
        QCOMPARE(p.paymentsOf(5), QStringList{"1234.5/0"});
        p.press("Button13");
        QCOMPARE(paid(p), QString("1.234,50"));
        QCOMPARE(unpaid(p), QString("0,00"));
        p.press("Button13");
        QCOMPARE(paid(p), QString("0,00"));
        QCOMPARE(unpaid(p), QString("1.234,50"));
        p.boxes().answer(QMessageBox::No);
        p.press("Button11");
        QCOMPARE(p.boxes().seen[0].text, QString("\nAktif ödeme silinecek."));
        QCOMPARE(p.boxes().seen[0].defaultButton, QMessageBox::Yes);
        QCOMPARE(p.paymentsOf(5).size(), 1);
        p.boxes().answer(QMessageBox::Yes);
        p.press("Button11");
        QCOMPARE(p.paymentsOf(5).size(), 0);
        QCOMPARE(unpaid(p), QString("0,00"));
    }

    void nothingToAddOrMark() {
        ProgramFixture p(fillSampleSchool);
        openLedgerOf(p, 4);
        p.addPayment("-5");
        p.addPayment("0");
        QCOMPARE(p.paymentsOf(5).size(), 0);
        p.press("Button13");
        p.press("Button11");
        QVERIFY(p.boxes().seen.isEmpty());
    }

    void emptyPaidFlagBecomesPaid() {
        ProgramFixture p([](Connection& c) {
            fillSampleSchool(c);
            c.execute("INSERT INTO tb_odeme (Odendi, miktar, kID) VALUES (NULL, 30, 5)");
        });
        openLedgerOf(p, 4);
        p.press("Button13");
        QCOMPARE(p.paymentsOf(5), QStringList{"30.0/-1"});
    }

    void planWithoutFeeIsRefused() {
        ProgramFixture p(fillSampleSchool);
        openLedgerOf(p, 4);
        setFee(p, 0.5);
        p.press("Button14");
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].text, QString("\nÖdeme tutarı 0 dan büyük olmalı."));
        QCOMPARE(p.paymentsOf(5).size(), 0);
    }

    void monthlyPlanWithDownPayment() {
        ProgramFixture p(fillSampleSchool);
        openLedgerOf(p, 4);
        setFee(p, 1250);
        planWith(p, 12, QDate(2024, 1, 31), 0, 2, "250", false);
        p.press("Button14");
        QStringList expected{"31.01.2024 250.00 PEŞİN ÖDEME"};
        const QStringList dates = {"31.01.2024", "29.02.2024", "29.03.2024", "29.04.2024",
                                   "29.05.2024", "29.06.2024", "29.07.2024", "29.08.2024",
                                   "29.09.2024", "29.10.2024", "29.11.2024", "29.12.2024"};
        for (int i = 0; i < 12; ++i)
            expected << dates[i] + (i < 11 ? " 83.33" : " 83.37");
        QCOMPARE(rowsOf(p), expected);
        QCOMPARE(unpaid(p), QString("1.250,00"));
        QCOMPARE(p.data().todemeler.currentRow(), 0);
    }

    void everyNDaysWithFractions() {
        ProgramFixture p(fillSampleSchool);
        openLedgerOf(p, 4);
        setFee(p, 200);
        planWith(p, 3, QDate(2024, 3, 1), 1, 15, "0", true);
        p.press("Button14");
        QCOMPARE(rowsOf(p), (QStringList{"01.03.2024 66.00", "16.03.2024 66.00", "31.03.2024 68.00"}));
    }

    void downPaymentNotBelowFeeIsRefused() {
        ProgramFixture p(fillSampleSchool);
        openLedgerOf(p, 4);
        setFee(p, 1000);
        planWith(p, 3, QDate(2024, 3, 1), 0, 2, "1000", false);
        p.press("Button14");
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].icon, QMessageBox::Critical);
        QCOMPARE(p.boxes().seen[0].text,
                 QString("\nPEŞİN ÖDENEN TUTAR\nTAKSİT YAPILACAK TUTARDAN BÜYÜK YADA EŞİT OLAMAZ..."));
        QCOMPARE(p.paymentsOf(5).size(), 0);
    }

    void cancelledPlanWritesNothing() {
        ProgramFixture p(fillSampleSchool);
        openLedgerOf(p, 4);
        setFee(p, 1000);
        p.boxes().onDialog([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_F12); });
        p.press("Button14");
        QCOMPARE(p.paymentsOf(5).size(), 0);
    }

    void dialogRefusesAnInstallmentBeforeTheDownPayment() {
        ProgramFixture p(fillSampleSchool);
        auto& dialog = *p.forms().taksitlendir;
        p.boxes().onDialog([&](QWidget*) {
            dialog.findChild<QDateEdit*>("tarih2")->setDate(QDate(2024, 5, 2));
            dialog.findChild<QDateEdit*>("tarih")->setDate(QDate(2024, 5, 1));
            dialog.findChild<QPushButton*>("Button1")->click();
        });
        p.boxes().onDialog([&](QWidget*) { dialog.findChild<QPushButton*>("Button2")->click(); });
        dialog.exec();
        QVERIFY(!dialog.confirmed());
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].text, QString("\nİlk taksit tarihi Peşin ödeme tarihinden küçük olamaz."));
    }

    void dialogRemembersItsChoices() {
        ProgramFixture p(fillSampleSchool);
        auto& dialog = *p.forms().taksitlendir;
        QCOMPARE(dialog.findChild<QSpinBox*>("SpinEdit1")->value(), 2);
        QVERIFY(!dialog.findChild<QSpinBox*>("lx3")->isEnabled());
        p.boxes().onDialog([&](QWidget*) {
            dialog.findChild<QSpinBox*>("SpinEdit1")->setValue(7);
            dialog.findChild<QComboBox*>("TaksitlemeTipi")->setCurrentIndex(1);
            dialog.findChild<QLineEdit*>("Edit1")->setFocus();
            dialog.findChild<QLineEdit*>("Edit1")->setText("5");
            QTest::keyClick(&dialog, Qt::Key_F8);
        });
        dialog.exec();
        QVERIFY(dialog.confirmed());
        p.boxes().onDialog([&](QWidget*) { dialog.reject(); });
        dialog.exec();
        QVERIFY(!dialog.confirmed());
        QCOMPARE(dialog.findChild<QSpinBox*>("SpinEdit1")->value(), 7);
        QCOMPARE(dialog.findChild<QComboBox*>("TaksitlemeTipi")->currentIndex(), 1);
        QVERIFY(dialog.findChild<QSpinBox*>("lx3")->isEnabled());
        QCOMPARE(dialog.findChild<QLineEdit*>("Edit1")->text(), QString("0,00"));
        QCOMPARE(dialog.findChild<QDateEdit*>("tarih")->date(), QDate::currentDate());
    }
};

QTEST_MAIN(TestLedger)
#include "tst_ledger.moc"
