#include "data/connection.h"
#include "data/dataset.h"
#include "report/layout_items.h"
#include "reports/report_layouts.h"
#include "test_support.h"
#include "ui/report_preview.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTest>
#include <QToolButton>

// The preview window over a three-page trainee list: paging, keys, and what it writes to a PDF
// or a printer, and how it fails.
class TestReportPreview : public QObject {
    Q_OBJECT

    TempDatabase m_db;
    Connection m_connection;
    std::unique_ptr<Dataset> m_trainees;
    std::unique_ptr<Report::Run> m_run;
    QTemporaryDir m_out;

    QString label(Report::Preview& p) { return p.findChild<QLabel*>("PageLabel")->text(); }
    void click(Report::Preview& p, const char* name) { p.findChild<QToolButton*>(name)->click(); }

private slots:
    void initTestCase() {
        useProgramLocale();
        m_db.open(m_connection);
        m_connection.execute(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
            "INSERT INTO tb_kursiyer (adi, soyadi, adayno) SELECT 'Şükrü' || i, 'Güneş', i FROM n");
        m_trainees = std::make_unique<Dataset>(m_connection, "t");
        m_trainees->setSql("select * from tb_kursiyer order by kID");
        m_trainees->open();
        Report::Definition layout = Layouts::rap_1();
        layout.item("QRMemo1").lines = Report::firmHeaderLines("Öğretmen Sürücü Kursu", "İzmir", "1", "2");
        m_run = std::make_unique<Report::Run>(layout, *m_trainees);
    }

    void paging() {
        Report::Preview p(*m_run);
        p.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        QCOMPARE(p.windowTitle(), QString("Kursiyerler"));
        QVERIFY(p.windowState() & Qt::WindowMaximized);
        QCOMPARE(label(p), QString("Sayfa 1 / 3"));
        QVERIFY(!p.findChild<QToolButton*>("PriorPageButton")->isEnabled());
        QTest::keyClick(&p, Qt::Key_PageDown);
        QCOMPARE(label(p), QString("Sayfa 2 / 3"));
        QTest::keyClick(&p, Qt::Key_End);
        QCOMPARE(label(p), QString("Sayfa 3 / 3"));
        QVERIFY(!p.findChild<QToolButton*>("NextPageButton")->isEnabled());
        click(p, "NextPageButton");
        QCOMPARE(p.currentPage(), 2);
        QTest::keyClick(&p, Qt::Key_PageUp);
        QTest::keyClick(&p, Qt::Key_Home);
        QCOMPARE(label(p), QString("Sayfa 1 / 3"));
        const double fitted = p.zoom();
        click(p, "ZoomInButton");
        QVERIFY(p.zoom() > fitted);
        click(p, "FitWidthButton");
        QCOMPARE(p.zoom(), fitted);
        QTest::keyClick(&p, Qt::Key_Escape);
        QVERIFY(!p.isVisible());
    }

    void pdf() {
        Report::Preview p(*m_run);
        const QString path = m_out.filePath("kursiyerler.pdf");
        QVERIFY(p.savePdf(path));
        QProcess reader;
        reader.start("pdftotext", {"-layout", path, "-"});
        QVERIFY(reader.waitForFinished());
        const QString text = QString::fromUtf8(reader.readAllStandardOutput());
        QCOMPARE(text.count('\f'), 3);
        QVERIFY(text.contains("Öğretmen Sürücü Kursu"));
        QCOMPARE(text.count("Kayıt Sayısı : 100"), 3);
        QVERIFY(text.contains("Şükrü100"));
        QCOMPARE(QDir(m_out.path()).entryList(QDir::Files), QStringList{"kursiyerler.pdf"});
    }

    // A destination that cannot be written says why, names the path, and leaves no file.
    void pdfFailures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why");
        QTest::newRow("folder of that name") << "klasor.pdf"
                                             << "Bu adda bir klasör var";
        QTest::newRow("missing folder") << "yok/rapor.pdf"
                                        << "Bu klasör bulunamadı";
    }
    void pdfFailures() {
        QFETCH(QString, name);
        QFETCH(QString, why);
        QTemporaryDir out;
        QDir(out.path()).mkdir("klasor.pdf");
        ModalWatcher boxes;
        Report::Preview p(*m_run);
        QVERIFY(!p.savePdf(out.filePath(name)));
        QCOMPARE(boxes.seen.size(), 1);
        QVERIFY(boxes.seen[0].text.contains(QDir::toNativeSeparators(out.filePath(name))));
        QVERIFY(boxes.seen[0].text.contains(why));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
    }

    // Ctrl+P offers one portrait copy of every page; a cancelled dialog leaves the preview as it was.
    void printDialog() {
        ModalWatcher boxes;
        QString offered;
        boxes.onDialog([&](QWidget* w) {
            auto* dialog = qobject_cast<QPrintDialog*>(w);
            QVERIFY(dialog);
            const QPrinter& printer = *dialog->printer();
            offered = QString("%1 %2 %3-%4")
                          .arg(printer.copyCount())
                          .arg(printer.pageLayout().orientation() == QPageLayout::Portrait ? "portrait"
                                                                                           : "landscape")
                          .arg(dialog->minPage())
                          .arg(dialog->maxPage());
            dialog->reject();
        });
        Report::Preview p(*m_run);
        p.show();
        QVERIFY(QTest::qWaitForWindowActive(&p));
        QTest::keyClick(&p, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(offered, QString("1 portrait 1-3"));
        QVERIFY(p.isVisible());
        QVERIFY(boxes.seen.isEmpty());
    }

    void failingPrinter() {
        QTemporaryDir out;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.path()); // a folder: the printer cannot start
        ModalWatcher boxes;
        Report::Preview p(*m_run);
        p.show();
        QVERIFY(!p.printTo(printer));
        QCOMPARE(boxes.seen.size(), 1);
        QVERIFY(boxes.seen[0].text.contains("Rapor yazıcıya gönderilemedi"));
        QVERIFY(p.isVisible());
    }
};

QTEST_MAIN(TestReportPreview)
#include "tst_report_preview.moc"
