#include "cashdesk/receipt_preview.h"
#include "cashdesk/receipts.h"
#include "data/connection.h"
#include "program_fixture.h"
#include "sample_school.h"
#include "ui/report_preview.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

// Taking a payment at the desk from the payments tab: the dialog, what it writes, and the receipt
// it shows afterwards.
class TestTahsilat : public QObject {
    Q_OBJECT

    // İSMAİL IŞIK (kID 1) owes three installments, 500,00 in all, the oldest "son" of 200,00.
    static void fill(Connection& c) {
        fillSampleSchool(c);
        c.execute("INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES "
                  "(0, 150, '2024-04-30 00:00:00', '2. taksit', 1)");
        c.execute("INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES "
                  "(0, 150, '2024-05-31 00:00:00', '3. taksit', 1)");
        c.execute("UPDATE tb_kursiyer SET n_tckimlik = '12345678901' WHERE kID = 1");
        c.execute("UPDATE tb_firma SET ad = 'Güneş Sürücü Kursu'");
    }
    static void openLedgerOfFirst(ProgramFixture& p) {
        p.data().tkursiyer.first();
        p.press("Button9");
    }
    static QStringList column(QTableWidget* table, int c) {
        QStringList texts;
        for (int r = 0; r < table->rowCount(); ++r)
            texts << table->item(r, c)->text();
        return texts;
    }
    static QStringList pageTexts(const Report::Page& page) {
        QStringList texts;
        for (const Report::PlacedText& t : page.texts)
            texts << t.text;
        return texts;
    }
    static const QStringList& ledgerBefore() {
        static const QStringList rows{"100.0/-1", "200.0/0", "150.0/0", "150.0/0"};
        return rows;
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    // "Ödendi" and "Ödeme Sil" leave a row a valid receipt paid alone, before asking anything;
    // once the receipt is cancelled, the row is the ledger's again.
    void aRowAReceiptPaidIsTheReceipts_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("Ödendi") << "Button13";
        QTest::newRow("Ödeme Sil") << "Button11";
    }
    void aRowAReceiptPaidIsTheReceipts() {
        QFETCH(QString, button);
        TakenPayment taken;
        ProgramFixture p([&](Connection& c) {
            fill(c);
            taken = takePayment(c, {1, 200.0, QDate::currentDate(), PaymentKinds[0], {}});
        });
        openLedgerOfFirst(p);
        Dataset& ledger = p.data().todemeler;
        const auto moveToRow = [&](const char* field, const QVariant& value) {
            for (int row = 0; row < ledger.recordCount(); ++row)
                if (ledger.valueAt(row, ledger.fieldIndex(field)) == value)
                    ledger.moveTo(row);
        };
        moveToRow("makbuzID", taken.makbuzID);
        const QVariant paidRow = ledger.value("odemeID");
        const QStringList rowsBefore = p.paymentsOf(1);
        p.press(button);
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Uyarı"));
        QCOMPARE(p.boxes().seen[0].text,
                 QString("\nBu ödeme %1 numaralı makbuza bağlı. Değiştirmek için önce "
                         "makbuzu iptal edin.")
                     .arg(taken.number));
        QCOMPARE(p.paymentsOf(1), rowsBefore);
        {
            Connection c;
            p.database().open(c);
            cancelReceipt(c, taken.makbuzID, "Yanlış kişi");
        }
        // Another desk's cancel shows after the list is read again.
        p.press("Button2");
        p.press("Button4");
        p.press("Button9");
        moveToRow("odemeID", paidRow);
        const QStringList rowsCancelled = p.paymentsOf(1);
        p.boxes().answer(QMessageBox::Yes);
        p.press(button);
        QCOMPARE(p.boxes().seen.size(), button == "Button11" ? 2 : 1);
        QVERIFY(p.paymentsOf(1) != rowsCancelled);
    }

    void traineeBeingEnteredIsAskedToBeSaved() {
        ProgramFixture p(fill);
        p.press("Button1");
        p.fillRequired("Y-1");
        p.press("TahsilatButton");
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Uyarı"));
        QCOMPARE(p.boxes().seen[0].text, QString("\nTahsilat için önce kursiyeri kaydedin."));
        QCOMPARE(p.count("1 = 1", "tb_makbuz"), 0);
    }

    void paymentThroughTheDialog_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("distribution");
        QTest::addColumn<QStringList>("ledger");
        QTest::addColumn<QString>("remaining");
        QTest::addColumn<QString>("words");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("the oldest whole")
            << "200" << QStringList{"200,00", "0,00", "0,00"}
            << QStringList{"100.0/-1", "200.0/-1", "150.0/0", "150.0/0"} << "300,00"
            << "Yalnız iki yüz Türk lirasıdır." << QStringList{"son"};
        QTest::newRow("the second split")
            << "275,5" << QStringList{"200,00", "75,50", "0,00"}
            << QStringList{"100.0/-1", "200.0/-1", "75.5/-1", "150.0/0", "74.5/0"} << "224,50"
            << "Yalnız iki yüz yetmiş beş Türk lirası elli kuruştur." << QStringList{"son", "2. taksit"};
        QTest::newRow("all of it") << "500" << QStringList{"200,00", "150,00", "150,00"}
                                   << QStringList{"100.0/-1", "200.0/-1", "150.0/-1", "150.0/-1"} << "0,00"
                                   << "Yalnız beş yüz Türk lirasıdır."
                                   << QStringList{"son", "2. taksit", "3. taksit"};
    }

    void paymentThroughTheDialog() {
        QFETCH(QString, typed);
        QFETCH(QStringList, distribution);
        QFETCH(QStringList, ledger);
        QFETCH(QString, remaining);
        QFETCH(QString, words);
        QFETCH(QStringList, lines);
        ProgramFixture p(fill);
        openLedgerOfFirst(p);
        QString debt, proposed, kind;
        QStringList shownPaid;
        p.boxes().onDialog([&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QString("Tahsilat"));
            debt = dialog->findChild<QLabel*>("KalanLabel")->text();
            auto* amount = dialog->findChild<QLineEdit*>("TutarEdit");
            proposed = amount->text();
            kind = dialog->findChild<QComboBox*>("OdemeSekli")->currentText();
            amount->setText(typed);
            shownPaid = column(dialog->findChild<QTableWidget*>("DagilimTablosu"), 3);
            dialog->findChild<QPushButton*>("TahsilEtButton")->click();
        });
        Report::Page page;
        p.boxes().onDialog([&](QWidget* w) {
            auto* preview = qobject_cast<Report::Preview*>(w);
            QVERIFY(preview);
            page = preview->run().page(0);
            preview->reject();
        });
        p.press("TahsilatButton");
        QTRY_COMPARE(page.number, 1);
        QCOMPARE(debt, QString("500,00"));
        QCOMPARE(proposed, QString("200,00"));
        QCOMPARE(kind, QString("Nakit"));
        QCOMPARE(shownPaid, distribution);
        QCOMPARE(p.paymentsOf(1), ledger);
        QCOMPARE(p.data().todemeler.recordCount(), ledger.size());
        QCOMPARE(p.find<QLineEdit>("mx2")->text(), remaining);
        QVERIFY(p.boxes().seen.isEmpty());

        const QStringList texts = pageTexts(page);
        const QString number = QString("Makbuz No: %1-000001").arg(QDate::currentDate().year());
        for (const QString& expected :
             QStringList{"Güneş Sürücü Kursu", "TAHSİLAT MAKBUZU", number, "İSMAİL IŞIK", "12345678901",
                         "A-1", words, "Nakit", remaining + " TL"})
            QVERIFY2(texts.contains(expected), qPrintable(expected));
        for (const QString& line : lines)
            QVERIFY2(texts.contains(line), qPrintable(line));
        QVERIFY(!texts.contains("3. taksit") || lines.contains("3. taksit"));
        QVERIFY(!texts.contains("İPTAL EDİLMİŞTİR"));
    }

    // A refused amount keeps the dialog and the amount typed; "Vazgeç" then leaves everything as it was.
    void refusedThenAbandoned() {
        ProgramFixture p(fill);
        openLedgerOfFirst(p);
        bool stayed = false;
        QString kept;
        p.boxes().onDialog([&](QWidget* dialog) {
            auto* amount = dialog->findChild<QLineEdit*>("TutarEdit");
            amount->setText("600");
            dialog->findChild<QPushButton*>("TahsilEtButton")->click();
            stayed = dialog->isVisible();
            kept = amount->text();
            dialog->findChild<QPushButton*>("VazgecButton")->click();
        });
        p.press("TahsilatButton");
        QTRY_VERIFY(!p.forms().main_form->findChild<QDialog*>("tahsilat")->isVisible());
        QVERIFY(stayed);
        QCOMPARE(kept, QString("600,00"));
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Uyarı"));
        QCOMPARE(p.boxes().seen[0].text,
                 QString("\nTahsil edilecek tutar kalan borçtan (500,00) büyük olamaz."));
        QCOMPARE(p.paymentsOf(1), ledgerBefore());
        QCOMPARE(p.count("1 = 1", "tb_makbuz"), 0);
    }

    // Another desk deleted the trainee while the dialog was open: the error box, nothing written, and
    // the dialog stays, showing what is left to pay now.
    void failureKeepsTheDialog() {
        ProgramFixture p(fill);
        openLedgerOfFirst(p);
        bool stayed = false;
        QString debtAfter;
        p.boxes().onDialog([&](QWidget* dialog) {
            Connection other;
            p.database().open(other);
            other.execute("DELETE FROM tb_odeme WHERE kID = 1");
            other.execute("DELETE FROM tb_kursiyer WHERE kID = 1");
            dialog->findChild<QPushButton*>("TahsilEtButton")->click();
            stayed = dialog->isVisible();
            debtAfter = dialog->findChild<QLabel*>("KalanLabel")->text();
            dialog->findChild<QPushButton*>("VazgecButton")->click();
        });
        p.press("TahsilatButton");
        QVERIFY(stayed);
        QCOMPARE(debtAfter, QString("0,00"));
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Oltravi"));
        QVERIFY(p.boxes().seen[0].text.contains(RowChangedElsewhereText.left(40)));
        QCOMPARE(p.count("1 = 1", "tb_makbuz"), 0);
        QCOMPARE(p.count("1 = 1", "tb_odeme"), 2);
    }

    // A reprint shows the lines as written, even after a cancellation gave the installments back, and
    // says across it that the receipt is cancelled; its PDF carries the same texts.
    void cancelledReceiptReprinted() {
        ProgramFixture p(fill);
        PaymentRequest request;
        request.kID = 1;
        request.amount = 250;
        request.date = QDate::currentDate();
        request.kind = PaymentKinds[2];
        const TakenPayment taken = takePayment(p.data().ado_conn, request);
        cancelReceipt(p.data().ado_conn, taken.makbuzID, "Yanlış kişi");
        QString pdf, paper;
        QTemporaryDir folder;
        p.boxes().onDialog([&](QWidget* w) {
            auto* preview = qobject_cast<Report::Preview*>(w);
            QVERIFY(preview);
            QVERIFY(preview->savePdf(folder.filePath("makbuz.pdf")));
            QProcess reader;
            reader.start("pdftotext", {folder.filePath("makbuz.pdf"), "-"});
            reader.waitForFinished();
            pdf = QString::fromUtf8(reader.readAllStandardOutput());
            reader.start("pdfinfo", {folder.filePath("makbuz.pdf")});
            reader.waitForFinished();
            paper = QString::fromUtf8(reader.readAllStandardOutput());
            preview->reject();
        });
        showReceipt(p.data(), taken.makbuzID, &p.main());
        QTRY_VERIFY(!pdf.isEmpty());
        for (const QString& expected : QStringList{"İPTAL EDİLMİŞTİR", "Makbuz No: " + taken.number,
                                                   "Yalnız iki yüz elli Türk lirasıdır.", "son", "2. taksit",
                                                   "Havale/EFT", "Tahsil Eden:"})
            QVERIFY2(pdf.contains(expected), qPrintable(expected));
        QVERIFY(!pdf.contains("3. taksit"));
        QVERIFY2(paper.contains("(A5)"), qPrintable(paper));
        QVERIFY(!p.data().sql_makbuz.isActive());
        QVERIFY(!p.data().sql_makbuz_bilgi.isActive());
    }
};

QTEST_MAIN(TestTahsilat)
#include "tst_tahsilat.moc"
