#include "app/guard.h"
#include "data/statements.h"
#include "program_fixture.h"
#include "reports/frm_raporlar__.h"
#include "reports/report_statements.h"
#include "sample_school.h"
#include "ui/report_preview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

using Report::Page;

// The report commands of the main window over the sample school: which rows each prints, in
// which order, what the dialogs decide, what stays untouched, and the PDF each writes.
class TestReportCommands : public QObject {
    Q_OBJECT

    // The sample school with a letterhead, a fee of 350 for kID 1 and two more payments: 1.234,50
    // paid for kID 5 and -5,00 unpaid for kID 4.
    static void fill(Connection& c) {
        fillSampleSchool(c);
        c.execute("UPDATE tb_firma SET ad = 'Güneş Sürücü Kursu', adres = 'Çankaya, Ankara', tel = '0312', "
                  "fax = '0313'");
        c.execute("UPDATE tb_kursiyer SET odeme_tutari = 350 WHERE kID = 1");
        c.execute(
            "INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES "
            "(-1, 1234.5, '2024-03-05 00:00:00', 'şubat', 5), (0, -5, '2024-01-10 00:00:00', 'iade', 4)");
    }

    // The texts of one column of the detail lines of a page.
    static QStringList column(const Page& page, double left, double detailTop, bool rightEdge = false) {
        QStringList texts;
        for (const Report::PlacedText& t : page.texts)
            if (qAbs((rightEdge ? t.box.right() : t.box.left()) - left) < 0.01 &&
                t.box.top() >= detailTop - 0.01)
                texts << t.text;
        return texts;
    }
    static void trigger(ProgramFixture& p, const QString& entry) {
        p.main().findChild<QAction*>(entry)->trigger();
    }

    // Looks at the preview when it shows, keeps its first page and closes it.
    static void keepFirstPage(ProgramFixture& p, Page& page, QString* title = nullptr,
                              const std::function<void()>& whileShown = {}) {
        p.boxes().onDialog([&page, title, whileShown](QWidget* w) {
            auto* preview = qobject_cast<Report::Preview*>(w);
            QVERIFY(preview);
            page = preview->run().page(0);
            if (title)
                *title = preview->windowTitle();
            if (whileShown)
                whileShown();
            preview->reject();
        });
    }
    static QString pdfText(const QString& path) {
        QProcess reader;
        reader.start("pdftotext", {"-layout", path, "-"});
        reader.waitForFinished();
        return QString::fromUtf8(reader.readAllStandardOutput());
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    void statements_data() {
        QTest::addColumn<QString>("built");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all") << ReportSql::payments(0, false, "01/03/2024", "31/03/2024", 0)
                             << "select * from Query_Odemeler  order by kID";
        QTest::newRow("unpaid by name")
            << ReportSql::payments(1, false, "01/03/2024", "31/03/2024", 1)
            << "select * from Query_Odemeler Where ((Odendi)=0) order by AdiSoyadi";
        QTest::newRow("paid in March by date")
            << ReportSql::payments(2, true, "01/03/2024", "31/03/2024", 2)
            << "select * from Query_Odemeler Where ((Odendi)=-1) and (((tarih)>=#01/03/2024# And "
               "(tarih)<=#31/03/2024#)) order by tarih";
        QTest::newRow("March by kID") << ReportSql::payments(0, true, "01/03/2024", "31/03/2024", 0)
                                      << "select * from Query_Odemeler Where (((tarih)>=#01/03/2024# And "
                                         "(tarih)<=#31/03/2024#)) order by kID";
        QTest::newRow("class B by surname")
            << ReportSql::licenceClass("B", 2)
            << "select * from tb_kursiyer Where ehliyetsinifi = \"B\" order by soyadi";
        QTest::newRow("day first") << Sql::dateText(QDate(2024, 3, 5)) << "05/03/2024";
    }
    void statements() {
        QFETCH(QString, built);
        QTEST(built, "expected");
    }

    // Which trainees each command prints, in which order; the list itself stays as it was.
    void traineeReports_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("licenceClass");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("candidates");
        QTest::newRow("Kursiyerler after a search")
            << "Button5"
            << "" << 0 << QStringList{"A-1", "a-2", "O'Neil", "X\"Y", "B-5"};
        QTest::newRow("Raporla after a search") << "Raporla1"
                                                << "" << 0 << QStringList{"a-2", "A-1"};
        QTest::newRow("class B by surname") << "Button6"
                                            << "B" << 2 << QStringList{"a-2", "A-1"};
        // Both have class B: the order says nothing about which comes first.
        QTest::newRow("class B by class") << "Button6"
                                          << "B" << 3 << QStringList{"A-1", "a-2"};
        QTest::newRow("class nobody has") << "Button6"
                                          << "D" << 0 << QStringList{""};
    }
    void traineeReports() {
        QFETCH(QString, command);
        QFETCH(QString, licenceClass);
        QFETCH(int, order);
        QFETCH(QStringList, candidates);
        ProgramFixture p(fill);
        Dataset& list = p.data().tkursiyer;
        list.setSqlLine(1, "Where ehliyetsinifi = \"B\"");
        p.main().kaygridTitleButtonClick("soyadi");
        list.moveTo(1);
        const QString listSql = list.sql();
        if (command == "Button6")
            p.boxes().onDialog([=](QWidget* dialog) {
                dialog->findChild<QComboBox*>("cb1")->setCurrentText(licenceClass);
                dialog->findChild<QComboBox*>("cb2")->setCurrentIndex(order);
                dialog->findChild<QPushButton*>("Button1")->click();
            });
        Page page;
        QString title;
        bool openWhileShown = false;
        keepFirstPage(p, page, &title, [&] { openWhileShown = p.data().sql_ral1.isActive(); });
        trigger(p, command);
        QTRY_VERIFY(page.number == 1);
        QCOMPARE(title, QString("Kursiyerler"));
        QStringList shown = column(page, 12.1, 42.8);
        if (order == 3)
            shown.sort(Qt::CaseInsensitive);
        QCOMPARE(shown, candidates);
        const int count = candidates.first().isEmpty() ? 0 : int(candidates.size());
        QCOMPARE(page.texts.back().text, QString("Kayıt Sayısı : %1").arg(count));
        QCOMPARE(page.texts.front().text, QString("Güneş Sürücü Kursu"));
        QVERIFY(openWhileShown);
        QVERIFY(!p.data().sql_ral1.isActive());
        QCOMPARE(list.sql(), listSql);
        QCOMPARE(list.recordCount(), 2);
        QCOMPARE(list.currentRow(), 1);
        QVERIFY(p.boxes().seen.isEmpty());
    }

    // "Vazgeç", the close box and Esc: no report, nothing touched; the next opening starts afresh.
    void licenceDialogWithoutReport() {
        ProgramFixture p(fill);
        Report::Item& block = p.forms().raporlar__->rap_1.item("QRMemo1");
        block.lines = QStringList{"önceki"};
        const QString statement = p.data().sql_ral1.sql();
        bool resetOnShow = false;
        bool stayedOnEsc = false;
        p.boxes().onDialog([&](QWidget* dialog) {
            dialog->findChild<QComboBox*>("cb1")->setCurrentIndex(4);
            QTest::keyClick(dialog, Qt::Key_Escape);
            stayedOnEsc = dialog->isVisible();
            dialog->findChild<QPushButton*>("Button2")->click();
        });
        p.boxes().onDialog([&](QWidget* dialog) {
            resetOnShow = dialog->findChild<QComboBox*>("cb1")->currentText() == "A1" &&
                          dialog->findChild<QComboBox*>("cb2")->currentIndex() == 0;
            dialog->close();
        });
        trigger(p, "Button6");
        trigger(p, "Button6");
        QVERIFY(stayedOnEsc);
        QVERIFY(resetOnShow);
        QCOMPARE(block.lines, QStringList{"önceki"});
        QCOMPARE(p.data().sql_ral1.sql(), statement);
        QVERIFY(!p.data().sql_ral1.isActive());
    }

    void refusedStatement() {
        ProgramFixture p(fill);
        Guard::run([&] { p.main().PreviewTraineeReport("select * from tb_yok order by kID"); });
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Oltravi"));
        QCOMPARE(p.boxes().seen[0].icon, QMessageBox::Critical);
        QVERIFY(!p.data().sql_ral1.isActive());
        QCOMPARE(p.forms().raporlar__->rap_1.item("QRMemo1").lines.value(1), QString("Çankaya, Ankara"));
    }

    // The payment report's rows for the dialog's choices, run against the database.
    void paymentReport_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("amounts");
        QTest::addColumn<QString>("total");
        const QDate none;
        QTest::newRow("all by kID") << 0 << none << none << 0
                                    << QStringList{"100,00", "200,00", "50,00", "70,00", "-5,00", "1.234,50"}
                                    << "1.649,50";
        QTest::newRow("unpaid by name")
            << 1 << none << none << 1 << QStringList{"-5,00", "200,00", "50,00"} << "245,00";
        QTest::newRow("March, both ends") << 0 << QDate(2024, 3, 1) << QDate(2024, 3, 31) << 2
                                          << QStringList{"100,00", "1.234,50", "200,00"} << "1.534,50";
        QTest::newRow("paid, day first") << 2 << QDate(2024, 3, 5) << QDate(2024, 4, 1) << 0
                                         << QStringList{"70,00", "1.234,50"} << "1.304,50";
        QTest::newRow("one day") << 0 << QDate(2024, 2, 15) << QDate(2024, 2, 15) << 0 << QStringList{"50,00"}
                                 << "50,00";
        QTest::newRow("nothing") << 2 << QDate(2023, 1, 1) << QDate(2023, 1, 2) << 0 << QStringList{"0,00"}
                                 << "0,00";
    }
    void paymentReport() {
        QFETCH(int, status);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, order);
        QFETCH(QStringList, amounts);
        QFETCH(QString, total);
        ProgramFixture p(fill);
        p.boxes().onDialog([=](QWidget* dialog) {
            if (from.isValid()) {
                dialog->findChild<QDateEdit*>("baslangic")->setDate(from);
                dialog->findChild<QDateEdit*>("bitis")->setDate(to);
                dialog->findChild<QCheckBox*>("chk1")->setChecked(true);
            }
            dialog->findChild<QComboBox*>("odttur")->setCurrentIndex(status);
            dialog->findChild<QComboBox*>("cmbsirala")->setCurrentIndex(order);
            dialog->findChild<QPushButton*>("Button1")->click();
        });
        Page page;
        keepFirstPage(p, page);
        trigger(p, "Button7");
        QTRY_VERIFY(page.number == 1);
        QStringList shown = column(page, 129.5, 43.4, true);
        QCOMPARE(shown, amounts);
        QCOMPARE(column(page, 129.6, 43.4, true), QStringList{total});
        if (amounts == QStringList{"0,00"})
            QCOMPARE(column(page, 82.0, 43.4).first(), QString("Ödenmedi"));
        QVERIFY(!p.data().sql_odemeler_rap.isActive());
    }

    void paymentReportRefused_data() {
        QTest::addColumn<bool>("emptyList");
        QTest::newRow("empty list") << true;
        QTest::newRow("end before start") << false;
    }
    void paymentReportRefused() {
        QFETCH(bool, emptyList);
        ProgramFixture p(fill);
        if (emptyList) {
            p.data().tkursiyer.setSqlLine(1, "Where adi = \"yok\"");
            p.data().tkursiyer.close();
            p.data().tkursiyer.open();
        }
        bool stayedOpen = false;
        p.boxes().onDialog([&](QWidget* dialog) {
            dialog->findChild<QDateEdit*>("bitis")->setDate(QDate::currentDate().addDays(-1));
            dialog->findChild<QPushButton*>("Button1")->click();
            stayedOpen = dialog->isVisible();
            dialog->findChild<QPushButton*>("Button2")->click();
        });
        trigger(p, "Button7");
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].text, emptyList
                                             ? QString("\nYeterli Kayıt Yok.")
                                             : QString("\nBaşlangıç tarihi bitiş tarihinden büyük olamaz."));
        QCOMPARE(p.boxes().seen[0].icon, QMessageBox::Warning);
        QCOMPARE(stayedOpen, !emptyList);
        QVERIFY(!p.data().sql_odemeler_rap.isActive());
        QCOMPARE(p.data().sql_odemeler_rap.sql(), QString("select * from Query_Odemeler"));
    }

    // The trainee block shows what the window shows; the payments list ends on its last row.
    void personalPayments() {
        ProgramFixture p(fill);
        Page page;
        QString title;
        keepFirstPage(p, page, &title);
        trigger(p, "Button8");
        QTRY_VERIFY(page.number == 1);
        QCOMPARE(title, QString("Ödeme Raporu"));
        QStringList block;
        for (const Report::PlacedText& t : page.texts)
            if (t.font.bold && (qAbs(t.box.left() - 33.3) < 0.01 || qAbs(t.box.right() - 144.1) < 0.01))
                block << t.text;
        QCOMPARE(block, QStringList({"A-1", "350", "İSMAİL", "100,00", "IŞIK", "200,00"}));
        QCOMPARE(column(page, 12.1, 62.4), QStringList({"Ödendi", "Ödenmedi"}));
        QCOMPARE(column(page, 37.5, 62.4), QStringList({"100,00", "200,00"}));
        QCOMPARE(p.data().todemeler.currentRow(), 1);
        QCOMPARE(p.data().tkursiyer.currentRow(), 0);
    }

    // Each layout written through the preview's own save path and read back by poppler.
    void pdf_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("printed");
        QTest::newRow("rap_1") << "Button5"
                               << QStringList{"Güneş Sürücü Kursu", "Şule", "IŞIK", "Kayıt Sayısı : 5"};
        QTest::newRow("rap_2") << "Button8" << QStringList{"Çankaya, Ankara", "İSMAİL", "Ödenmedi", "200,00"};
        QTest::newRow("qr3") << "Button7"
                             << QStringList{"0312 (Tel)", "ismet Çelik", "1.234,50", "-5,00", "1.649,50"};
    }
    void pdf() {
        QFETCH(QString, command);
        QFETCH(QStringList, printed);
        ProgramFixture p(fill);
        if (command == "Button7")
            p.boxes().onDialog([](QWidget* dialog) { dialog->findChild<QPushButton*>("Button1")->click(); });
        const QString path = p.database().folder() + "rapor.pdf";
        bool saved = false;
        p.boxes().onDialog([&](QWidget* w) {
            saved = qobject_cast<Report::Preview*>(w)->savePdf(path);
            w->close();
        });
        trigger(p, command);
        QTRY_VERIFY(saved);
        const QString text = pdfText(path);
        QCOMPARE(text.count('\f'), 1);
        for (const QString& t : printed)
            QVERIFY2(text.contains(t), qPrintable(t + " not in\n" + text));
    }
};

QTEST_MAIN(TestReportCommands)
#include "tst_report_commands.moc"
