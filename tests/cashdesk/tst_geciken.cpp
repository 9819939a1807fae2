#include "cashdesk/overdue_list.h"
#include "cashdesk/sms_list.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "export/export_settings.h"
#include "program_fixture.h"
#include "ui/data_grid.h"
#include "ui/report_preview.h"

#include <QAction>
#include <QDateEdit>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <optional>

namespace {

const QDate Day(2024, 3, 1);

// On 1 March 2024: A-1 (kID 1) two late installments, the oldest 60 days late, and one not due
// yet; B-2 (2) one late 2 days, no mobile; C-3 (3) no installments; D-4 (4) paid early and one not
// due; E-5 (5) due on the day itself; F-6 (6) ten late of 1,00, 10 days; an entry not saved (kID 0).
void fillLatePayers(Connection& c) {
    c.execute(
        "INSERT INTO tb_kursiyer (adi, soyadi, adayno, ceptelefonu, eposta) VALUES "
        "('Ayşe', 'Işık', 'A-1', '0532 111 22 33', 'ayse@example.com'), ('Can', 'Öz', 'B-2', NULL, NULL), "
        "('Deniz', 'Ak', 'C-3', '0533', NULL), ('Ece', 'Su', 'D-4', '0534', NULL), "
        "('Ilgın', 'Ay', 'E-5', '0535', NULL), ('Oğuz', 'Kaya', 'F-6', '0536', NULL)");
    c.execute("INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID, giris) VALUES "
              "(0, 100, '2024-01-01 00:00:00', '', 1, NULL), (0, 900, '2024-02-10 00:00:00', '', 1, NULL), "
              "(0, 50, '2024-05-01 00:00:00', '', 1, NULL), (0, 9.5, '2024-02-28 00:00:00', '', 2, NULL), "
              "(-1, 100, '2024-04-01 00:00:00', '', 4, NULL), (0, 75, '2024-05-01 00:00:00', '', 4, NULL), "
              "(0, 60, '2024-03-01 00:00:00', '', 5, NULL), (0, 999, '2020-01-01 00:00:00', '', 0, 'giris')");
    for (int i = 0; i < 10; ++i)
        c.execute("INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES "
                  "(0, 1, '2024-02-20 00:00:00', '', 6)");
}

QStringList candidateNumbers(const Dataset& list) {
    QStringList numbers;
    for (int row = 0; row < list.recordCount(); ++row)
        numbers << list.valueAt(row, list.fieldIndex("adayno")).toString();
    return numbers;
}

ReminderTarget target(qint64 kID, const QString& mobile) {
    ReminderTarget t;
    t.kID = kID;
    t.adi = "Ayşe";
    t.ceptelefonu = mobile;
    return t;
}

QStringList reminders(Connection& c) {
    Statement s(c, "SELECT kID, zaman, tur, adres, sonuc FROM tb_hatirlatma ORDER BY hatirlatmaID");
    QStringList rows;
    while (s.step())
        rows << QStringList{s.text(0), s.text(1), s.text(2), s.text(3), s.text(4)}.join('|');
    return rows;
}

} // namespace

// The overdue list on a real database, on either backend: who is late, by how much, in which
// order; the SMS list written and recorded; the window handing the chosen trainee to the main list.
class TestGeciken : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        useProgramLocale();
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }

    // Numbers and dates sort by value, not as the texts they print as.
    void listSorted_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("most days late first") << "gecikme" << true << QStringList{"A-1", "F-6", "B-2"};
        QTest::newRow("installments") << "taksitsayisi" << false << QStringList{"B-2", "A-1", "F-6"};
        QTest::newRow("late amount") << "gecikentutar" << false << QStringList{"B-2", "F-6", "A-1"};
        QTest::newRow("oldest due, latest first") << "eneskivade" << true << QStringList{"B-2", "F-6", "A-1"};
        QTest::newRow("surname") << "soyadi" << false << QStringList{"A-1", "F-6", "B-2"};
    }
    void listSorted() {
        QFETCH(QString, field);
        QFETCH(bool, descending);
        QFETCH(QStringList, order);
        TempDatabase db;
        Connection c;
        db.open(c);
        fillLatePayers(c);
        Dataset list(c, "sql_geciken");
        OverdueList::typeComputedColumns(list);
        list.setSql(OverdueList::statement(Day, c.dialect(), {field, descending}));
        list.open();
        QCOMPARE(candidateNumbers(list), order);

        const OverdueList::Totals totals = OverdueList::totals(list);
        QCOMPARE(
            OverdueList::totalsText(totals),
            QString(
                "Toplam: 3 kursiyer, 13 geciken taksit, geciken tutar 1.019,50 TL, kalan borç 1.069,50 TL"));
        const int first = order.indexOf("A-1");
        const ReminderTarget a1 = OverdueList::target(list, first);
        QCOMPARE(a1.kID, 1);
        QCOMPARE(a1.oldestDue, QDate(2024, 1, 1));
        QCOMPARE(a1.lateAmount, 1000.0);
        QCOMPARE(a1.remainingDebt, 1050.0);
        QCOMPARE(list.valueAt(first, list.fieldIndex("gecikme")).toInt(), 60);
        QCOMPARE(list.valueAt(first, list.fieldIndex("taksitsayisi")).toInt(), 2);
    }

    // Each message quoted as CSV needs it; trainees without a mobile number get no line and no record.
    void smsListWritten_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain") << "Sayın Ayşe" << QByteArray("Sayın Ayşe");
        QTest::newRow("semicolon") << "Ödeme; bugün" << QByteArray("\"Ödeme; bugün\"");
        QTest::newRow("quote") << "\"Acil\" dedi" << QByteArray("\"\"\"Acil\"\" dedi\"");
        QTest::newRow("line break") << "bir\nüç" << QByteArray("\"bir\nüç\"");
    }
    void smsListWritten() {
        QFETCH(QString, message);
        QFETCH(QByteArray, line);
        TempDatabase db;
        Connection c;
        db.open(c);
        fillLatePayers(c);
        const SmsList list = smsList({target(1, "0532 111"), target(2, "  "), target(6, "0536")},
                                     [&](const ReminderTarget&) { return message; });
        QCOMPARE(list.withoutMobile, 1);
        QTemporaryDir dir;
        const QString path = dir.filePath("sms.csv");
        saveSmsList(c, path, list, QDateTime(Day, QTime(9, 30)));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "0532 111;" + line + "\r\n0536;" + line + "\r\n");
        QCOMPARE(reminders(c), (QStringList{"1|2024-03-01 09:30:00|SMS listesi|0532 111|Gönderildi",
                                            "6|2024-03-01 09:30:00|SMS listesi|0536|Gönderildi"}));
    }

    // A list that could not be written leaves no file and records nothing.
    void smsListUnwritable_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing folder") << "yok/sms.csv";
        QTest::newRow("a folder's name") << "klasor";
    }
    void smsListUnwritable() {
        QFETCH(QString, name);
        TempDatabase db;
        Connection c;
        db.open(c);
        fillLatePayers(c);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("klasor"));
        const SmsList list = smsList({target(1, "0532")}, [](const ReminderTarget&) { return QString("x"); });
        try {
            saveSmsList(c, dir.filePath(name), list, QDateTime(Day, QTime(9, 30)));
            QFAIL("an unwritable list was reported written");
        } catch (const SmsListError& e) {
            QVERIFY2(QString::fromUtf8(e.what()).startsWith("SMS listesi yazılamadı:\n"), e.what());
        }
        QVERIFY(reminders(c).isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{"klasor"});
    }

    // From the window: the totals, a title click, the SMS list of two selected rows, then a double
    // click that shows a trainee the main list had filtered out.
    void windowShowsTheChosenTrainee() {
        ProgramFixture p([](Connection& c) {
            fillLatePayers(c);
            // The SMS list writes the reminder text of the mail settings.
            c.execute("UPDATE tb_eposta_ayar SET hatirlatma_metni = 'Sayın {adi} {soyadi}, {vade} vadeli "
                      "{tutar} TL "
                      "ödemeniz gecikmiştir. {firma}'");
        });
        Dataset& trainees = p.data().tkursiyer;
        trainees.setSqlLine(1, "where kID = 2");
        trainees.open();
        QTemporaryDir dir;
        const QString smsFile = dir.filePath("liste.csv");
        const QString exportFile = dir.filePath("geciken.csv");
        QString totals;
        int selected = 0;
        QStringList sortedByInstallments, printed, reminded;
        p.boxes().onDialog([&](QWidget* window) {
            window->findChild<QDateEdit*>("TarihEdit")->setDate(Day);
            totals = window->findChild<QLabel*>("ToplamLabel")->text();
            auto* grid = window->findChild<DataGrid*>("GecikenListesi");
            Dataset& list = p.data().sql_geciken;
            p.boxes().onDialog([&](QWidget* dialog) {
                dialog->findChild<QListWidget*>("ExportTo")->setCurrentRow(int(ExportFormat::Csv));
                dialog->findChild<QLineEdit*>("FileName")->setText(exportFile);
                dialog->findChild<QPushButton*>("StartButton")->click();
                static_cast<QDialog*>(dialog)->reject();
            });
            window->findChild<QPushButton*>("ExportButton")->click();
            emit grid->horizontalHeader()->sectionClicked(7); // Taksit Sayısı
            sortedByInstallments = candidateNumbers(list);
            p.boxes().onDialog([&](QWidget* dialog) {
                auto* preview = qobject_cast<Report::Preview*>(dialog);
                QVERIFY(preview);
                for (const Report::PlacedText& t : preview->run().page(0).texts)
                    printed << t.text;
                preview->reject();
            });
            window->findChild<QPushButton*>("YazdirButton")->click();
            grid->clearSelection();
            window->findChild<QPushButton*>("HatirlatButton")->click();
            // Rows added to the selection one by one, as a user holding Ctrl does.
            for (int row = 0; row < list.recordCount(); ++row)
                QTest::mouseClick(grid->viewport(), Qt::LeftButton,
                                  row > 0 ? Qt::ControlModifier : Qt::NoModifier,
                                  grid->visualRect(grid->model()->index(row, 1)).center());
            selected = int(grid->selectionModel()->selectedRows().size());
            p.boxes().onDialog([&](QWidget* dialog) {
                dialog->findChild<QLineEdit*>("fileNameEdit")->setText(smsFile);
                static_cast<QDialog*>(dialog)->accept();
            });
            window->findChild<QPushButton*>("SmsListesiButton")->click();
            for (int row = 0; row < list.recordCount(); ++row)
                reminded
                    << list.valueAt(row, list.fieldIndex("sonhatirlatma")).toDateTime().date().toString();
            const QModelIndex f6 = grid->model()->index(candidateNumbers(list).indexOf("F-6"), 1);
            grid->setCurrentIndex(f6);
            emit grid->doubleClicked(f6);
        });
        p.find<QAction>("Geciken1")->trigger();

        QCOMPARE(
            totals,
            QString(
                "Toplam: 3 kursiyer, 13 geciken taksit, geciken tutar 1.019,50 TL, kalan borç 1.069,50 TL"));
        QCOMPARE(sortedByInstallments, (QStringList{"B-2", "A-1", "F-6"}));
        QCOMPARE(selected, 3);
        for (const QString& text : {QString("GECİKEN TAKSİTLER"), QString("Işık"),
                                    QLocale().toString(QDate(2024, 1, 1), QLocale::ShortFormat),
                                    QString("1.000,00"), QString("1.050,00"), QString("60"), totals})
            QVERIFY2(printed.contains(text), qPrintable(text));
        QCOMPARE(p.boxes().seen.size(), 2);
        QCOMPARE(p.boxes().seen[0].caption, QString("Uyarı"));
        QCOMPARE(p.boxes().seen[1].text,
                 QString("\nSMS listesine 2 satır yazıldı, 1 kursiyerin cep telefonu yok."));
        // The export writes the grid's columns under its titles, the due date as a date.
        QFile exported(exportFile);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        const QStringList exportLines =
            QString::fromUtf8(exported.readAll()).remove(QChar(0xfeff)).split("\r\n");
        QCOMPARE(exportLines[0],
                 QString("Aday No;Adı;Soyadı;Cep Telefonu;E-Posta;En Eski Vade;Gecikme (Gün);Taksit "
                         "Sayısı;Geciken Tutar;Kalan Borç;Son Hatırlatma"));
        QVERIFY2(exportLines[1].startsWith("A-1;Ayşe;Işık;0532 111 22 33;ayse@example.com;01.01.2024;60;2;"),
                 qPrintable(exportLines[1]));
        QFile file(smsFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith("0532 111 22 33;Sayın Ayşe Işık, 01.01.2024 vadeli 1.000,00 TL"));
        QCOMPARE(p.count("tur = 'SMS listesi'", "tb_hatirlatma"), 2);
        const QString today = QDate::currentDate().toString();
        QCOMPARE(reminded, (QStringList{QString(), today, today}));

        QVERIFY(!p.data().sql_geciken.isActive());
        QCOMPARE(trainees.value("kID").toInt(), 6);
        QCOMPARE(trainees.recordCount(), 6);
    }
};

QTEST_MAIN(TestGeciken)
#include "tst_geciken.moc"
