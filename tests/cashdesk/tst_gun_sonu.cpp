#include "cashdesk/frm_gun_sonu.h"
#include "cashdesk/receipts.h"
#include "data/connection.h"
#include "program_fixture.h"
#include "sample_school.h"
#include "ui/report_preview.h"

#include <QAction>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>

#include <map>

namespace {

QStringList rowsOf(QTableWidget* table) {
    QStringList rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->item(r, c)->text();
        rows << cells.join('|');
    }
    return rows;
}

// The PDF the preview saves, as pdftotext lays it out.
QString pdfText(Report::Preview* preview) {
    QTemporaryDir folder;
    const QString path = folder.filePath("rapor.pdf");
    if (!preview->savePdf(path))
        return {};
    QProcess reader;
    reader.start("pdftotext", {"-layout", path, "-"});
    reader.waitForFinished();
    return QString::fromUtf8(reader.readAllStandardOutput());
}

// Patterns with #1.. for the receipts' numbers and #T, #Y for today and yesterday, each to be
// matched within one line of the text.
QStringList missingLines(const QString& text, const QStringList& patterns,
                         const std::map<QString, QString>& names) {
    QStringList missing;
    for (const QString& pattern : patterns) {
        QString filled = pattern;
        for (const auto& [name, value] : names)
            filled.replace(name, QRegularExpression::escape(value));
        if (!QRegularExpression(filled, QRegularExpression::MultilineOption).match(text).hasMatch())
            missing << pattern;
    }
    return missing;
}

QString shortDate(const QDate& day) {
    return QLocale().toString(day, QLocale::ShortFormat);
}

} // namespace

// The day's closing window and its printout, and the trainee's statement, over receipts taken
// through the cash desk's own functions.
class TestGunSonu : public QObject {
    Q_OBJECT

    // Can Zeybek (kID 5, no installments) pays: yesterday #1 Nakit 20 at Masa 1 and #2 Havale/EFT 70,
    // today #3 Nakit 100 at Masa 1, #4 Nakit 50,25 at Masa 2, #5 Kredi Kartı 1.200 at Masa 1 and
    // #6 Nakit 30; #2 and #6 are cancelled today. Then he is deleted: his receipts name him all the same.
    static void takeTheDay(Connection& c, std::map<QString, QString>& names) {
        fillSampleSchool(c);
        const QDate today = QDate::currentDate();
        const struct {
            int daysBack;
            double amount;
            const char* kind;
            const char* desk;
            const char* cancelledFor;
        } receipts[] = {
            {1, 20, "Nakit", "Masa 1", nullptr},         {1, 70, "Havale/EFT", "Masa 2", "Yanlış kişi"},
            {0, 100, "Nakit", "Masa 1", nullptr},        {0, 50.25, "Nakit", "Masa 2", nullptr},
            {0, 1200, "Kredi Kartı", "Masa 1", nullptr}, {0, 30, "Nakit", "Masa 1", "Tekrar"}};
        int n = 0;
        for (const auto& r : receipts) {
            const TakenPayment taken =
                takePayment(c, {5, r.amount, today.addDays(-r.daysBack), QString::fromUtf8(r.kind), {}});
            c.execute(QString("UPDATE tb_makbuz SET masa = '%1' WHERE makbuzID = %2")
                          .arg(r.desk)
                          .arg(taken.makbuzID));
            if (r.cancelledFor)
                cancelReceipt(c, taken.makbuzID, QString::fromUtf8(r.cancelledFor));
            names["#" + QString::number(++n)] = taken.number;
        }
        c.execute("DELETE FROM tb_odeme WHERE kID = 5");
        c.execute("DELETE FROM tb_kursiyer WHERE kID = 5");
        names["#T"] = shortDate(today);
        names["#Y"] = shortDate(today.addDays(-1));
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    // What the window shows for a day, and what its printout counts.
    void dayClosing_data() {
        QTest::addColumn<int>("daysBack");
        QTest::addColumn<QStringList>("byKind");
        QTest::addColumn<QStringList>("byDesk");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QStringList>("cancelled");
        QTest::addColumn<QStringList>("printed");
        QTest::addColumn<QStringList>("notPrinted");
        QTest::newRow("today, with two cancellations")
            << 0 << QStringList{"Kredi Kartı|1|1.200,00", "Nakit|2|150,25"}
            << QStringList{"Masa 1|2|1.300,00", "Masa 2|1|50,25"} << "Toplam: 1.350,25 TL (3 makbuz)"
            << QStringList{"#2|#Y|Can Zeybek|70,00|Yanlış kişi", "#6|#T|Can Zeybek|30,00|Tekrar"}
            << QStringList{"GÜN SONU RAPORU",
                           "Tarih: #T",
                           "#3\\s+B-5\\s+Can Zeybek\\s+Nakit\\s+Masa 1\\s+100,00",
                           "#4\\s+B-5\\s+Can Zeybek\\s+Nakit\\s+Masa 2\\s+50,25",
                           "#5\\s+B-5\\s+Can Zeybek\\s+Kredi Kartı\\s+Masa 1\\s+1.200,00",
                           "Geçerli Makbuz: 3\\s+Genel Toplam: 1.350,25 TL",
                           "Kredi Kartı\\s+1\\s+1.200,00\\s+Masa 1\\s+2\\s+1.300,00",
                           "Nakit\\s+2\\s+150,25\\s+Masa 2\\s+1\\s+50,25",
                           "#2\\s+#Y\\s+Can Zeybek\\s+70,00\\s+Yanlış kişi",
                           "#6\\s+#T\\s+Can Zeybek\\s+30,00\\s+Tekrar"}
            // A cancelled receipt is never counted among the day's receipts.
            << QStringList{"#6\\s+B-5", "#2\\s+B-5"};
        QTest::newRow("yesterday, its cancellation counted today")
            << 1 << QStringList{"Nakit|1|20,00"} << QStringList{"Masa 1|1|20,00"}
            << "Toplam: 20,00 TL (1 makbuz)" << QStringList{}
            << QStringList{"#1\\s+B-5\\s+Can Zeybek\\s+Nakit\\s+Masa 1\\s+20,00", "Geçerli Makbuz: 1",
                           "Bu tarihte iptal edilen makbuz yok."}
            << QStringList{"#2"};
        QTest::newRow("a day without receipts")
            << 400 << QStringList{} << QStringList{} << "Toplam: 0,00 TL (0 makbuz)" << QStringList{}
            << QStringList{"GÜN SONU RAPORU", "Geçerli Makbuz: 0\\s+Genel Toplam: 0,00 TL",
                           "Bu tarihte iptal edilen makbuz yok."} // No amount on the receipts' empty line.
            << QStringList{"^\\s*0,00\\s*$"};
    }
    void dayClosing() {
        QFETCH(int, daysBack);
        QFETCH(QStringList, byKind);
        QFETCH(QStringList, byDesk);
        QFETCH(QString, total);
        QFETCH(QStringList, cancelled);
        QFETCH(QStringList, printed);
        QFETCH(QStringList, notPrinted);
        std::map<QString, QString> names;
        ProgramFixture p([&](Connection& c) { takeTheDay(c, names); });
        for (QString& row : cancelled)
            for (const auto& [name, value] : names)
                row.replace(name, value);
        QStringList shownKinds, shownDesks, shownCancelled;
        QString shownTotal, printout;
        p.boxes().onDialog([&](QWidget* window) {
            QCOMPARE(window->windowTitle(), QString("Gün Sonu"));
            window->findChild<QDateEdit*>("GunTarihi")->setDate(QDate::currentDate().addDays(-daysBack));
            shownKinds = rowsOf(window->findChild<QTableWidget*>("OzetTablosu"));
            shownDesks = rowsOf(window->findChild<QTableWidget*>("MasaTablosu"));
            shownTotal = window->findChild<QLabel*>("ToplamLabel")->text();
            shownCancelled = rowsOf(window->findChild<QTableWidget*>("IptalListesi"));
            window->findChild<QPushButton*>("YazdirButton")->click();
            window->findChild<QPushButton*>("KapatButton")->click();
        });
        p.boxes().onDialog([&](QWidget* w) {
            auto* preview = qobject_cast<Report::Preview*>(w);
            QVERIFY(preview);
            printout = pdfText(preview);
            preview->reject();
        });
        p.forms().gun_sonu->start();
        QCOMPARE(shownKinds, byKind);
        QCOMPARE(shownDesks, byDesk);
        QCOMPARE(shownTotal, total);
        QCOMPARE(shownCancelled, cancelled);
        QCOMPARE(missingLines(printout, printed, names), QStringList{});
        QCOMPARE(missingLines(printout, notPrinted, names), notPrinted);
    }

    // The statement of the trainee the list stands on: every row with its receipt, and the totals the
    // payments tab shows.
    void statement() {
        std::map<QString, QString> names;
        ProgramFixture p([&](Connection& c) {
            fillSampleSchool(c);
            c.execute(
                "UPDATE tb_kursiyer SET n_tckimlik = '12345678901', kayitTarihi = '2024-02-20 00:00:00', "
                "odeme_tutari = 300 WHERE kID = 1");
            names["#1"] = takePayment(c, {1, 80, QDate::currentDate(), "Nakit", {}}).number;
        });
        Dataset& list = p.data().tkursiyer;
        for (list.first(); list.value("kID").toInt() != 1; list.next()) {
        }
        QString printout;
        p.boxes().onDialog([&](QWidget* w) {
            auto* preview = qobject_cast<Report::Preview*>(w);
            QVERIFY(preview);
            printout = pdfText(preview);
            preview->reject();
        });
        p.find<QAction>("Ekstre1")->trigger();
        QVERIFY(p.boxes().seen.isEmpty());
        names["#P"] = p.find<QLineEdit>("mx1")->text();
        names["#K"] = p.find<QLineEdit>("mx2")->text();
        QCOMPARE(names["#K"], QString("120,00"));
        QCOMPARE(missingLines(printout,
                              {"HESAP EKSTRESİ", "Adı Soyadı:\\s+İSMAİL IŞIK\\s+Ehliyet Sınıfı:\\s+B",
                               "T.C. Kimlik No:\\s+12345678901\\s+Kayıt Tarihi:\\s+20.02.2024",
                               "Aday No:\\s+A-1\\s+Ödeme Tutarı:\\s+300,00 TL",
                               "\\b1.03.2024\\s+ilk\\s+100,00\\s+Ödendi\\s*$",
                               "31.03.2024\\s+son\\s+80,00\\s+Ödendi\\s+#1",
                               "31.03.2024\\s+son \\(kalan\\)\\s+120,00\\s+Ödenmedi\\s*$",
                               "Ödenen Tutar:\\s+#P TL", "Kalan Borç:\\s+#K TL"},
                              names),
                 QStringList{});
    }

    void statementOfAnEmptyList() {
        ProgramFixture p;
        p.find<QAction>("Ekstre1")->trigger();
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen.front().text, QString("\nYeterli Kayıt Yok."));
    }
};

QTEST_MAIN(TestGunSonu)
#include "tst_gun_sonu.moc"
