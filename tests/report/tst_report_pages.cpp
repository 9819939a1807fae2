#include "data/connection.h"
#include "data/dataset.h"
#include "report/layout_items.h"
#include "reports/report_layouts.h"
#include "sample_school.h"
#include "test_support.h"

#include <QTest>

using Report::Page;
using Report::PlacedText;

// The pages of the three layouts as plain data: where each text stands, in which font, and
// what the detail lines, footers and totals print over real rows.
class TestReportPages : public QObject {
    Q_OBJECT

    TempDatabase m_db;
    Connection m_connection;

    static const PlacedText* at(const Page& page, const QString& text) {
        for (const PlacedText& t : page.texts)
            if (t.text == text)
                return &t;
        return nullptr;
    }
    static QStringList textsAt(const Page& page, double top) {
        QStringList texts;
        for (const PlacedText& t : page.texts)
            if (qAbs(t.box.top() - top) < 0.01)
                texts << t.text;
        return texts;
    }
    static Layouts::StatusText statusOf(const Dataset& d) {
        return [&d](int row) { return Layouts::paymentStatus(d.valueAt(row, d.fieldIndex("Odendi"))); };
    }
    void openOn(Dataset& d, const QString& sql) {
        d.close();
        d.setSql(sql);
        d.open();
    }
    Report::Definition layout(const QString& name, const Dataset& d) {
        if (name == "rap_1")
            return Layouts::rap_1();
        return name == "rap_2" ? Layouts::rap_2(statusOf(d)) : Layouts::qr3(statusOf(d));
    }
    static QString sqlOf(const QString& name) {
        if (name == "rap_1")
            return "select * from tb_kursiyer order by kID";
        return name == "rap_2" ? "select * from tb_odeme where kID = 1"
                               : "select * from Query_Odemeler  order by kID";
    }

private slots:
    void initTestCase() {
        useProgramLocale();
        m_db.open(m_connection);
        fillSampleSchool(m_connection);
        m_connection.execute("INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES "
                             "(NULL, NULL, '2024-05-06 14:30:00', 'boş', 4), (-1, -5, NULL, NULL, 4),"
                             "(0, 1234.5, '2024-05-07 00:00:00', 'büyük', 5)");
    }

    // Position (from the paper's corner), boldness and text of the fixed parts of each layout.
    void fixedTexts_data() {
        QTest::addColumn<QString>("layoutName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("top");
        QTest::addColumn<bool>("bold");
        QTest::newRow("rap_1 Aday No") << "rap_1"
                                       << "Aday No" << 12.1 << 36.7 << true;
        QTest::newRow("rap_1 Cinsiyeti") << "rap_1"
                                         << "Cinsiyeti" << 183.6 << 36.7 << true;
        QTest::newRow("rap_1 footer") << "rap_1"
                                      << "Kayıt Sayısı : 5" << 11.3 << 282.0 << false;
        QTest::newRow("rap_1 detail") << "rap_1"
                                      << "İSMAİL" << 62.9 << 42.8 << false;
        QTest::newRow("rap_1 class") << "rap_1"
                                     << "B" << 160.3 << 42.8 << false;
        QTest::newRow("rap_2 caption") << "rap_2"
                                       << "Kalan Borç" << 101.0 << 49.4 << true;
        QTest::newRow("rap_2 colon") << "rap_2"
                                     << ":" << 31.2 << 36.7 << true;
        QTest::newRow("rap_2 slot") << "rap_2"
                                    << "%" << 33.3 << 36.7 << true;
        QTest::newRow("rap_2 column") << "rap_2"
                                      << "Ödeme Miktarı" << 37.5 << 56.6 << true;
        QTest::newRow("rap_2 status") << "rap_2"
                                      << "Ödendi" << 12.1 << 62.4 << false;
        QTest::newRow("rap_2 amount") << "rap_2"
                                      << "100,00" << 37.5 << 62.4 << false;
        QTest::newRow("rap_2 date") << "rap_2"
                                    << "1.03.2024" << 67.1 << 62.4 << false;
        QTest::newRow("qr3 caption") << "qr3"
                                     << "Açıklama" << 160.3 << 37.0 << true;
        QTest::newRow("qr3 name") << "qr3"
                                  << "İSMAİL IŞIK" << 33.3 << 43.4 << false;
        QTest::newRow("qr3 status") << "qr3"
                                    << "Ödenmedi" << 82.0 << 48.4 << false;
    }
    void fixedTexts() {
        QFETCH(QString, layoutName);
        QFETCH(QString, text);
        Dataset d(m_connection, "d");
        openOn(d, sqlOf(layoutName));
        const Report::Run run(layout(layoutName, d), d);
        const Page page = run.page(0);
        const PlacedText* t = at(page, text);
        QVERIFY2(t, qPrintable(textsAt(page, 0).join('|')));
        QTEST(t->box.left(), "left");
        QTEST(t->box.top(), "top");
        QTEST(t->font.bold, "bold");
        QCOMPARE(t->font.pointSize, 9.0);
        QVERIFY(t->font.family == "Arial" || t->font.family == "Liberation Sans");
    }

    // The right-aligned boxes end where their columns end, whatever the width of their text.
    void rightAlignedBoxes() {
        Dataset d(m_connection, "d");
        openOn(d, sqlOf("qr3"));
        const Report::Run run(layout("qr3", d), d);
        const Page page = run.page(run.pageCount() - 1);
        const PlacedText* total = at(page, "1.649,50");
        QVERIFY(total);
        QCOMPARE(total->box.right(), 129.6);
        QVERIFY(total->font.bold && (total->alignment & Qt::AlignRight));
        const PlacedText* amount = at(page, "1.234,50");
        QVERIFY(amount);
        QCOMPARE(amount->box.right(), 129.5);
        QCOMPARE(at(page, "-5,00")->box.right(), 129.5);
        const PlacedText& date = page.texts.front(); // the firm block is still empty
        QVERIFY(!date.text.isEmpty() && (date.alignment & Qt::AlignRight));
        QCOMPARE(date.box.right(), 198.2);
        QCOMPARE(date.box.top(), 11.3);
        QCOMPARE(page.lines.size(), size_t(1));
        QCOMPARE(page.lines[0].from, QPointF(10, 35.9));
        QCOMPARE(page.lines[0].to, QPointF(199.7, 35.9));
    }

    // Null amounts print as zero and add nothing; a null paid flag is unpaid; dates drop a
    // midnight time and keep any other.
    void detailValues() {
        Dataset d(m_connection, "d");
        openOn(d, "select * from tb_odeme where kID = 4 order by odemeID");
        const Report::Run run(layout("rap_2", d), d);
        const Page page = run.page(0);
        QCOMPARE(textsAt(page, 62.4), QStringList({"Ödenmedi", "0,00", "6.05.2024 14:30:00", "boş"}));
        QCOMPARE(textsAt(page, 67.4), QStringList({"Ödendi", "-5,00", "", ""}));
        QCOMPARE(d.currentRow(), 0);
    }

    void emptyDataset_data() {
        QTest::addColumn<QString>("layoutName");
        QTest::addColumn<QStringList>("detail");
        QTest::addColumn<QString>("closing");
        QTest::newRow("rap_1") << "rap_1" << QStringList({"", "", "", "", ""}) << "Kayıt Sayısı : 0";
        QTest::newRow("qr3") << "qr3" << QStringList({"", "", "Ödenmedi", "0,00", "", ""}) << "0,00";
    }
    void emptyDataset() {
        QFETCH(QString, layoutName);
        QFETCH(QStringList, detail);
        QFETCH(QString, closing);
        Dataset d(m_connection, "d");
        openOn(d, layoutName == "rap_1" ? "select * from tb_kursiyer where kID < 0"
                                        : "select * from Query_Odemeler where kID < 0");
        const Report::Run run(layout(layoutName, d), d);
        QCOMPARE(run.pageCount(), 1);
        const Page page = run.page(0);
        const double detailTop = layoutName == "rap_1" ? 42.8 : 43.4;
        QCOMPARE(textsAt(page, detailTop), detail);
        QVERIFY(textsAt(page, detailTop + 5.6).isEmpty() && textsAt(page, detailTop + 5.0).isEmpty());
        QCOMPARE(page.texts.back().text, closing);
    }

    // Several pages: each repeats the header and shows the same count; the total comes once, at the
    // end, over every line of the run.
    void severalPages() {
        TempDatabase db;
        Connection c;
        db.open(c);
        c.execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
                  "INSERT INTO tb_kursiyer (adi, soyadi, adayno) SELECT 'Ad' || i, 'Soyad', i FROM n");
        c.execute("INSERT INTO tb_odeme (Odendi, miktar, kID) SELECT -1, 10.25, kID FROM tb_kursiyer");
        Dataset trainees(c, "t");
        openOn(trainees, "select * from tb_kursiyer order by kID");
        const Report::Run list(Layouts::rap_1(), trainees);
        QCOMPARE(list.pageCount(), 3); // 42 lines a page
        for (int p = 0; p < 3; ++p) {
            const Page page = list.page(p);
            QCOMPARE(page.number, p + 1);
            QVERIFY(at(page, "Aday No") && at(page, "Kayıt Sayısı : 100"));
            QCOMPARE(page.lines.size(), size_t(1));
        }
        QCOMPARE(textsAt(list.page(1), 42.8).value(1), QString("Ad43"));
        QCOMPARE(textsAt(list.page(2), 42.8 + 15 * 5.6).value(1), QString("Ad100"));

        Dataset payments(c, "p");
        openOn(payments, "select * from Query_Odemeler  order by kID");
        const Report::Run report(layout("qr3", payments), payments);
        QCOMPARE(report.linesPerPage(), 48);
        QCOMPARE(report.pageCount(), 3);
        QVERIFY(!at(report.page(0), "1.025,00") && !at(report.page(1), "1.025,00"));
        QVERIFY(at(report.page(2), "1.025,00"));
        QCOMPARE(payments.currentRow(), 0);
    }

    // The firm block is fixed: a long address wraps inside its width, lines past its height are cut.
    void firmBlock_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty firm") << Report::firmHeaderLines({}, {}, {}, {});
        QTest::newRow("long address") << Report::firmHeaderLines(
            "Kalvista Sürücü Kursu", QString("Atatürk Bulvarı Çiçekçi Sokağı No 12 ").repeated(12), "0312",
            "0313");
    }
    void firmBlock() {
        QFETCH(QStringList, lines);
        Dataset d(m_connection, "d");
        Report::Definition layout = Layouts::rap_1();
        layout.item("QRMemo1").lines = lines;
        const Page page = Report::Run(layout, d).page(0);
        QStringList memo;
        double bottom = 0;
        for (const PlacedText& t : page.texts)
            if (t.box.left() == 11.3 && t.box.top() < 40) {
                memo << t.text;
                bottom = t.box.bottom();
            }
        if (lines[1].isEmpty()) {
            QCOMPARE(memo, QStringList({"", "", " (Tel)", " (Fax)"}));
            return;
        }
        QVERIFY(memo.size() >= 5);
        QVERIFY(bottom <= 11.6 + 23.5);
        QCOMPARE(memo.first(), lines.first());
        QVERIFY(!memo.contains("0312 (Tel)"));
        QVERIFY(lines[1].startsWith(memo.mid(1).join(' ')));
    }

    void amounts_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("grouped") << QVariant(1234.5) << "1.234,50";
        QTest::newRow("negative") << QVariant(-5.0) << "-5,00";
        QTest::newRow("null") << QVariant() << "0,00";
        QTest::newRow("rounded") << QVariant(1.006) << "1,01";
        QTest::newRow("millions") << QVariant(1234567.891) << "1.234.567,89";
        QTest::newRow("no minus zero") << QVariant(-0.001) << "0,00";
    }
    void amounts() {
        QFETCH(QVariant, value);
        QTEST(Report::fieldText(value, "#,###0.00"), "text");
    }
};

QTEST_MAIN(TestReportPages)
#include "tst_report_pages.moc"
