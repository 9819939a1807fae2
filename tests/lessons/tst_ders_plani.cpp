#include "data/connection.h"
#include "lessons/frm_ders_plani.h"
#include "lessons/lesson_store.h"
#include "program_fixture.h"
#include "ui/report_preview.h"

#include <QColor>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace Lessons;

namespace {

const QDate Monday(2026, 12, 7);

// Trainees 1 (2024-0012 Ayşe Kaya, 0532 111 22 33) and 2 (2024-0013 Can Öz); instructors 1 (Ahmet
// Yılmaz) and 2 (Elif Demir), both active; vehicles 1 (34 ABC 123 - Egea) and 2 (06 XY 42 - Clio).
// Instructor 1's week of 7 December 2026: lesson 1 Monday 10:00-10:45 Ayşe in 34 ABC 123, lesson 2
// cancelled under it (Can, 06 XY 42), lesson 3 Tuesday 07:00-08:30 Can on the simulator, done,
// lesson 4 Sunday 20:30-21:30 Ayşe in 06 XY 42, past the grid's last hour. Instructor 2: lesson 5
// Monday 12:00-13:00 Can in 34 ABC 123, missed.
void fillWeek(Connection& c) {
    c.execute("INSERT INTO tb_kursiyer (adi, soyadi, adayno, ehliyetsinifi, ceptelefonu) VALUES "
              "('Ayşe', 'Kaya', '2024-0012', 'B', '0532 111 22 33'), ('Can', 'Öz', '2024-0013', 'B', '')");
    c.execute("INSERT INTO tb_egitmen (adi, soyadi, siniflar, aktif) VALUES "
              "('Ahmet', 'Yılmaz', 'B', -1), ('Elif', 'Demir', 'B', -1)");
    c.execute("INSERT INTO tb_arac (aracAD, aracPLAKA) VALUES ('Egea', '34 ABC 123'), ('Clio', '06 XY 42')");
    const auto book = [&](qint64 kID, qint64 egitmenID, qint64 aracID, int day, const char* at, int minutes,
                          const QString& state) {
        saveLesson(c,
                   {kID, egitmenID, aracID, Monday.addDays(day), at, minutes, aracID ? Driving : Simulator},
                   state, {});
    };
    book(1, 1, 1, 0, "10:00", 45, Planned);
    book(2, 1, 2, 0, "10:00", 60, Cancelled);
    book(2, 1, 0, 1, "07:00", 90, Done);
    book(1, 1, 2, 6, "20:30", 60, Planned);
    book(2, 2, 1, 0, "12:00", 60, Missed);
}

QStringList rowsOf(const QTableWidget* table) {
    QStringList rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->item(r, c)->text();
        rows << cells.join('|');
    }
    return rows;
}

} // namespace

// The plan window over a real database: the week's grid and list, moving between weeks, the state
// buttons, the free hours, the vehicle's view, inactive instructors and the day sheet.
class TestDersPlani : public QObject {
    Q_OBJECT

    template <typename T = QWidget> static T* find(frm_ders_plani* plan, const char* name) {
        T* found = plan->findChild<T*>(name);
        if (!found)
            qFatal("no control named %s", name);
        return found;
    }

    static frm_ders_plani* openPlan(ProgramFixture& p, const QDate& day = Monday) {
        frm_ders_plani* plan = p.forms().ders_plani;
        plan->showPlan();
        plan->showWeek(day);
        return plan;
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    void weekNavigation_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("press");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("firstColumn");
        QTest::newRow("a Sunday") << QDate(2026, 12, 13) << ""
                                  << "07.12.2026 - 13.12.2026"
                                  << "Pazartesi\n07.12.2026";
        QTest::newRow("back across a month") << QDate(2026, 12, 2) << "OncekiHafta"
                                             << "23.11.2026 - 29.11.2026"
                                             << "Pazartesi\n23.11.2026";
        QTest::newRow("the week across the year") << QDate(2026, 12, 24) << "SonrakiHafta"
                                                  << "28.12.2026 - 03.01.2027"
                                                  << "Pazartesi\n28.12.2026";
        QTest::newRow("into the new year") << QDate(2026, 12, 31) << "SonrakiHafta"
                                           << "04.01.2027 - 10.01.2027"
                                           << "Pazartesi\n04.01.2027";
        const QDate monday = QDate::currentDate().addDays(1 - QDate::currentDate().dayOfWeek());
        QTest::newRow("back to this week")
            << QDate(2020, 1, 1) << "BuHafta"
            << monday.toString("dd.MM.yyyy") + " - " + monday.addDays(6).toString("dd.MM.yyyy")
            << "Pazartesi\n" + monday.toString("dd.MM.yyyy");
    }
    void weekNavigation() {
        QFETCH(QDate, day);
        QFETCH(QString, press);
        QFETCH(QString, label);
        QFETCH(QString, firstColumn);
        ProgramFixture p;
        frm_ders_plani* plan = openPlan(p, day);
        if (!press.isEmpty())
            find<QPushButton>(plan, qPrintable(press))->click();
        QCOMPARE(find<QLabel>(plan, "HaftaLabel")->text(), label);
        const auto* grid = find<QTableWidget>(plan, "HaftaTablosu");
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), firstColumn);
        QCOMPARE(grid->horizontalHeaderItem(6)->text().section('\n', 0, 0), QString("Pazar"));
        QCOMPARE(grid->rowCount(), 56);
    }

    // The blocks of the week, each over its quarters and coloured by its state, and the list of the
    // same lessons; the instructor's view and the vehicle's.
    void weekShown_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("resource");
        QTest::addColumn<QStringList>("blocks"); // "row,column,span|text", row by row
        QTest::addColumn<QStringList>("list");
        QTest::newRow("instructor")
            << 0 << 0
            << QStringList{"0,1,6|07:00-08:30\nCan Öz\nSimülatör",
                           "12,0,3|10:00-10:45\nAyşe Kaya\n34 ABC 123",
                           "54,6,2|20:30-21:30\nAyşe Kaya\n06 XY 42"}
            << QStringList{"07.12.2026|10:00|10:45|2024-0012 Ayşe Kaya|34 ABC 123|Direksiyon|Planlandı",
                           "07.12.2026|10:00|11:00|2024-0013 Can Öz|06 XY 42|Direksiyon|İptal",
                           "08.12.2026|07:00|08:30|2024-0013 Can Öz||Simülatör|Yapıldı",
                           "13.12.2026|20:30|21:30|2024-0012 Ayşe Kaya|06 XY 42|Direksiyon|Planlandı"};
        QTest::newRow("vehicle")
            << 1 << 0
            << QStringList{"12,0,3|10:00-10:45\nAyşe Kaya\nAhmet Yılmaz",
                           "20,0,4|12:00-13:00\nCan Öz\nElif Demir"}
            << QStringList{"07.12.2026|10:00|10:45|2024-0012 Ayşe Kaya|Ahmet Yılmaz|Direksiyon|Planlandı",
                           "07.12.2026|12:00|13:00|2024-0013 Can Öz|Elif Demir|Direksiyon|Gelmedi"};
        QTest::newRow("the cancelled lesson alone is greyed")
            << 1 << 1
            << QStringList{"12,0,4|10:00-11:00\nCan Öz\nAhmet Yılmaz",
                           "54,6,2|20:30-21:30\nAyşe Kaya\nAhmet Yılmaz"}
            << QStringList{"07.12.2026|10:00|11:00|2024-0013 Can Öz|Ahmet Yılmaz|Direksiyon|İptal",
                           "13.12.2026|20:30|21:30|2024-0012 Ayşe Kaya|Ahmet Yılmaz|Direksiyon|Planlandı"};
    }
    void weekShown() {
        QFETCH(int, view);
        QFETCH(int, resource);
        QFETCH(QStringList, blocks);
        QFETCH(QStringList, list);
        ProgramFixture p(fillWeek);
        frm_ders_plani* plan = openPlan(p);
        find<QComboBox>(plan, "GorunumSecimi")->setCurrentIndex(view);
        find<QComboBox>(plan, "KaynakSecimi")->setCurrentIndex(resource);
        const auto* grid = find<QTableWidget>(plan, "HaftaTablosu");
        QStringList shown;
        QSet<QString> states;
        QSet<QRgb> colours;
        for (int row = 0; row < grid->rowCount(); ++row)
            for (int column = 0; column < grid->columnCount(); ++column)
                if (const QTableWidgetItem* block = grid->item(row, column)) {
                    shown << QString("%1,%2,%3|%4")
                                 .arg(row)
                                 .arg(column)
                                 .arg(grid->rowSpan(row, column))
                                 .arg(block->text());
                    states << block->toolTip().section('\n', -1);
                    colours << block->background().color().rgb();
                }
        QCOMPARE(shown, blocks);
        QCOMPARE(colours.size(), states.size()); // each state its own colour
        const auto* lessons = find<QTableWidget>(plan, "DersListesi");
        QCOMPARE(rowsOf(lessons), list);
        QCOMPARE(lessons->horizontalHeaderItem(4)->text(), QString(view == 0 ? "Araç" : "Eğitmen"));
    }

    // A row of the list chosen chooses its block, and a block its row; a state button then acts at
    // once, and a state the clash rule refuses is told as a warning.
    void statesFromTheSelection_data() {
        QTest::addColumn<int>("listRow");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("dersID");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("warning");
        QTest::newRow("done") << 0 << "YapildiButton" << 1 << "Yapıldı"
                              << "";
        QTest::newRow("missed") << 3 << "GelmediButton" << 4 << "Gelmedi"
                                << "";
        QTest::newRow("cancelled") << 2 << "IptalButton" << 3 << "İptal"
                                   << "";
        QTest::newRow("a cancelled lesson over a booked hour")
            << 1 << "YapildiButton" << 2 << "İptal"
            << "\nBu saatte eğitmenin başka dersi var: Ahmet Yılmaz - 2024-0012 Ayşe Kaya, 10:00-10:45.";
    }
    void statesFromTheSelection() {
        QFETCH(int, listRow);
        QFETCH(QString, button);
        QFETCH(int, dersID);
        QFETCH(QString, state);
        QFETCH(QString, warning);
        ProgramFixture p(fillWeek);
        frm_ders_plani* plan = openPlan(p);
        auto* grid = find<QTableWidget>(plan, "HaftaTablosu");
        auto* lessons = find<QTableWidget>(plan, "DersListesi");
        lessons->selectRow(listRow);
        const QList<QTableWidgetItem*> block = grid->selectedItems();
        if (dersID != 2) { // the cancelled lesson under a live one has no block of its own
            QCOMPARE(block.size(), 1);
            QCOMPARE(block.front()->data(Qt::UserRole).toInt(), dersID);
            lessons->clearSelection();
            grid->setCurrentItem(block.front());
            QCOMPARE(lessons->selectionModel()->selectedRows(),
                     QModelIndexList{lessons->model()->index(listRow, 0)});
        }
        find<QPushButton>(plan, qPrintable(button))->click();
        QCOMPARE(p.count(QString("dersID = %1 AND durum = '%2'").arg(dersID).arg(state), "tb_ders"), 1);
        QCOMPARE(lessons->item(listRow, 6)->text(), state);
        QCOMPARE(lessons->selectionModel()->selectedRows(),
                 QModelIndexList{lessons->model()->index(listRow, 0)});
        QCOMPARE(p.boxes().seen.size(), warning.isEmpty() ? 0 : 1);
        if (!warning.isEmpty()) {
            QCOMPARE(p.boxes().seen.front().caption, QString("Uyarı"));
            QCOMPARE(p.boxes().seen.front().text, warning);
        }
    }

    void freeHours() {
        ProgramFixture p(fillWeek);
        frm_ders_plani* plan = openPlan(p);
        find<QSpinBox>(plan, "SureSecimi")->setValue(120);
        find<QPushButton>(plan, "BosSaatler")->click();
        const QStringList gaps = rowsOf(find<QTableWidget>(plan, "BosSaatListesi"));
        QCOMPARE(gaps.mid(0, 3),
                 (QStringList{"Pazartesi 07.12.2026|08:00|10:00", "Pazartesi 07.12.2026|10:45|20:00",
                              "Salı 08.12.2026|08:30|20:00"}));
        QCOMPARE(gaps.size(), 8);
        // The list follows the week shown.
        find<QPushButton>(plan, "SonrakiHafta")->click();
        QCOMPARE(find<QTableWidget>(plan, "BosSaatListesi")->rowCount(), 0);
    }

    // The booking dialog opens from an empty cell, from a block and from a free hour.
    void bookingDialogOpens() {
        ProgramFixture p(fillWeek);
        frm_ders_plani* plan = openPlan(p);
        QStringList opened;
        for (int i = 0; i < 3; ++i)
            p.boxes().onDialog([&](QWidget* dialog) {
                opened << dialog->objectName();
                qobject_cast<QDialog*>(dialog)->reject();
            });
        auto* grid = find<QTableWidget>(plan, "HaftaTablosu");
        emit grid->cellDoubleClicked(30, 2);
        emit grid->cellDoubleClicked(12, 0);
        find<QPushButton>(plan, "BosSaatler")->click();
        emit find<QTableWidget>(plan, "BosSaatListesi")->cellDoubleClicked(0, 0);
        QCOMPARE(opened, (QStringList{"ders", "ders", "ders"}));
    }

    // An instructor made inactive stays in the list while lessons of theirs are still to come,
    // greyed, and the plan says how many; one with none is left out.
    void inactiveInstructors() {
        ProgramFixture p([](Connection& c) {
            fillWeek(c);
            c.execute("INSERT INTO tb_egitmen (adi, soyadi, siniflar, aktif) VALUES "
                      "('Zeki', 'Pasif', 'B', 0), ('Nur', 'Eski', 'B', 0)");
            const QDate tomorrow = QDate::currentDate().addDays(1);
            saveLesson(c, {1, 3, 1, tomorrow, "09:00", 45, Driving}, Planned, {});
            saveLesson(c, {2, 3, 2, tomorrow.addDays(1), "09:00", 45, Driving}, Planned, {});
            saveLesson(c, {2, 4, 2, QDate(2020, 1, 6), "09:00", 45, Driving}, Done, {});
        });
        frm_ders_plani* plan = openPlan(p);
        auto* instructors = find<QComboBox>(plan, "KaynakSecimi");
        QStringList names;
        for (int i = 0; i < instructors->count(); ++i)
            names << instructors->itemText(i);
        QCOMPARE(names, (QStringList{"Ahmet Yılmaz", "Elif Demir", "Zeki Pasif"}));
        QCOMPARE(find<QLabel>(plan, "PasifLabel")->text(), QString());
        instructors->setCurrentIndex(2);
        QCOMPARE(instructors->itemData(2, Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray));
        QCOMPARE(find<QLabel>(plan, "PasifLabel")->text(), QString("Bu eğitmen pasif; 2 planlı dersi var."));
    }

    void daySheet() {
        ProgramFixture p(fillWeek);
        frm_ders_plani* plan = openPlan(p);
        QCOMPARE(find<QDateEdit>(plan, "GunTarihi")->date(), QDate::currentDate());
        find<QDateEdit>(plan, "GunTarihi")->setDate(Monday);
        QString printout;
        p.boxes().onDialog([&](QWidget* w) {
            auto* preview = qobject_cast<Report::Preview*>(w);
            QVERIFY(preview);
            QTemporaryDir folder;
            const QString path = folder.filePath("program.pdf");
            QVERIFY(preview->savePdf(path));
            QProcess reader;
            reader.start("pdftotext", {"-layout", path, "-"});
            reader.waitForFinished();
            printout = QString::fromUtf8(reader.readAllStandardOutput());
            preview->reject();
        });
        find<QPushButton>(plan, "GunlukProgram")->click();
        for (const char* expected :
             {"GÜNLÜK DERS PROGRAMI", "Eğitmen: Ahmet Yılmaz", "Tarih: 07.12.2026 Pazartesi",
              "10:00-10:45\\s+2024-0012\\s+Ayşe Kaya\\s+0532 111 22 33\\s+34 ABC 123", "Kursiyer İmza",
              "Eğitmen İmza", "Ders Sayısı: 1 - Toplam: "})
            QVERIFY2(QRegularExpression(QString::fromUtf8(expected)).match(printout).hasMatch(), expected);
        QVERIFY(!printout.contains("Can Öz")); // cancelled
        // The vehicle's view has no day sheet.
        find<QComboBox>(plan, "GorunumSecimi")->setCurrentIndex(1);
        QVERIFY(!find<QPushButton>(plan, "GunlukProgram")->isEnabled());
    }
};

QTEST_MAIN(TestDersPlani)
#include "tst_ders_plani.moc"
