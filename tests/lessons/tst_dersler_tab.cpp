#include "data/connection.h"
#include "lessons/frm_ders_plani.h"
#include "lessons/lesson_store.h"
#include "program_fixture.h"
#include "ui/report_preview.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

using namespace Lessons;

namespace {

const QDate Monday(2026, 12, 7);
constexpr int LessonsTab = 8;

// Trainees 1 (2024-0012 Ayşe Kaya, B), 2 (Can Öz, B) and 3 (Ece Ak, A2, whose course gives 4
// simulator hours); instructors 1 Ahmet Yılmaz, 2 Elif Demir; vehicles 1 34 ABC 123, 2 06 XY 42.
// Ayşe's lessons, booked out of time order: done 1,5 and 1 hours, missed 1, planned 1, cancelled
// 1, and half an hour on the simulator.
void fillSchool(Connection& c) {
    c.execute("INSERT INTO tb_kursiyer (adi, soyadi, adayno, ehliyetsinifi, n_tckimlik) VALUES ('Ayşe', "
              "'Kaya', '2024-0012', 'B', '12345678901'), ('Can', 'Öz', '2', 'B', ''), ('Ece', 'Ak', '3', "
              "'A2', '')");
    c.execute(
        "INSERT INTO tb_egitmen (adi, soyadi, aktif) VALUES ('Ahmet', 'Yılmaz', -1), ('Elif', 'Demir', -1)");
    c.execute("INSERT INTO tb_arac (aracAD, aracPLAKA) VALUES ('Egea', '34 ABC 123'), ('Clio', '06 XY 42')");
    c.execute("UPDATE tb_ders_hakki SET simulator_saat = 4 WHERE sinif = 'A2'");
    for (const auto& [day, clock, minutes, egitmenID, aracID, state] :
         {std::tuple{1, "09:00", 60, 2, 2, Missed},
          {0, "10:00", 90, 1, 1, Done},
          {2, "14:00", 60, 1, 1, Done},
          {3, "09:00", 60, 1, 1, Planned},
          {3, "11:00", 60, 1, 1, Cancelled},
          {4, "08:00", 30, 2, 0, Done}})
        saveLesson(c,
                   {1, egitmenID, aracID, Monday.addDays(day), clock, minutes, aracID ? Driving : Simulator},
                   state, {});
}

// Ayşe's tab as fillSchool books her lessons.
const QStringList AyseLessons = {"07.12.2026|10:00-11:30|90 dk|Ahmet Yılmaz|34 ABC 123|Direksiyon|Yapıldı",
                                 "08.12.2026|09:00-10:00|60 dk|Elif Demir|06 XY 42|Direksiyon|Gelmedi",
                                 "09.12.2026|14:00-15:00|60 dk|Ahmet Yılmaz|34 ABC 123|Direksiyon|Yapıldı",
                                 "10.12.2026|09:00-10:00|60 dk|Ahmet Yılmaz|34 ABC 123|Direksiyon|Planlandı",
                                 "10.12.2026|11:00-12:00|60 dk|Ahmet Yılmaz|34 ABC 123|Direksiyon|İptal",
                                 "11.12.2026|08:00-08:30|30 dk|Elif Demir||Simülatör|Yapıldı"};
// Beyond a course without simulator hours nothing is left, not less.
const QString AyseSimulator = "Hak: 0 saat - Yapılan: 0,5 saat - Planlanan: 0 saat - Kalan: 0 saat";

// The tab's rows, then its driving and simulator summaries (the latter empty when it is not shown).
QStringList tabOf(ProgramFixture& p) {
    QStringList shown;
    const auto* table = p.find<QTableWidget>("DersTablosu");
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->item(r, c)->text();
        shown << cells.join('|');
    }
    const auto* simulator = p.find<QLabel>("SimulatorOzeti");
    return shown << p.find<QLabel>("DersOzeti")->text()
                 << (simulator->isVisibleTo(&p.main()) ? simulator->text() : QString());
}

QString pdfText(Report::Preview* preview) {
    QTemporaryDir folder;
    if (!preview->savePdf(folder.filePath("takip.pdf")))
        return {};
    QProcess reader;
    reader.start("pdftotext", {"-layout", folder.filePath("takip.pdf"), "-"});
    reader.waitForFinished();
    return QString::fromUtf8(reader.readAllStandardOutput());
}

} // namespace

// The record panel's "Dersler" tab and the tracking form printed from it, on a real database.
class TestDerslerTab : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    // Shown on trainee 1, the tab follows the list to the trainee.
    void followsTheTrainee_data() {
        QTest::addColumn<int>("kID");
        QTest::addColumn<QStringList>("shown");
        const QString none = "Hak: 14 saat - Yapılan: 0 saat - Planlanan: 0 saat - Kalan: 14 saat";
        QTest::newRow("every state and the simulator")
            << 1
            << AyseLessons + QStringList{"Hak: 14 saat - Yapılan: 3,5 saat - Planlanan: 1 saat - Kalan: 9,5 "
                                         "saat - Gelmedi: 1 ders",
                                         AyseSimulator};
        QTest::newRow("no lessons, no simulator hours") << 2 << QStringList{none, ""};
        QTest::newRow("simulator hours, no lessons")
            << 3 << QStringList{none, "Hak: 4 saat - Yapılan: 0 saat - Planlanan: 0 saat - Kalan: 4 saat"};
    }
    void followsTheTrainee() {
        QFETCH(int, kID);
        QFETCH(QStringList, shown);
        ProgramFixture p(fillSchool);
        p.find<QTabWidget>("PageControl1")->setCurrentIndex(LessonsTab);
        QCOMPARE(tabOf(p).size(), 8);
        QVERIFY(p.data().tkursiyer.locate("kID", kID));
        QCOMPARE(tabOf(p), shown);
        QVERIFY(p.boxes().seen.isEmpty());
    }

    // The tab comes after the payments, which "Ödemeler" still opens; an entry has no lessons yet.
    void afterThePaymentsAndNotForAnEntry() {
        ProgramFixture p(fillSchool);
        auto* pages = p.find<QTabWidget>("PageControl1");
        QCOMPARE(pages->tabText(LessonsTab), QString("Dersler"));
        p.find<QToolButton>("Button9")->click();
        QCOMPARE(pages->tabText(pages->currentIndex()), QString("Ödemeler"));
        p.find<QToolButton>("Button2")->click(); // "İptal"
        p.find<QToolButton>("Button1")->click();
        pages->setCurrentIndex(LessonsTab);
        QCOMPARE(tabOf(p), (QStringList{"", ""}));
        QVERIFY(p.find<QLabel>("DersUyari")->isVisibleTo(&p.main()));
        QVERIFY(!p.find<QPushButton>("TakipFormu")->isEnabled());
    }

    // The plan on screen beside Ayşe's record: a lesson cancelled there, one booked in its dialog and
    // one given there to another trainee show in the tab at once, the plan keeping the focus.
    void followsThePlan_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("shown");
        const auto tab = [](QStringList rows, const QString& planned, const QString& left) {
            return rows << QString("Hak: 14 saat - Yapılan: 3,5 saat - Planlanan: %1 saat - Kalan: %2 saat - "
                                   "Gelmedi: 1 ders")
                               .arg(planned, left)
                        << AyseSimulator;
        };
        QStringList cancelled = AyseLessons;
        cancelled[3].replace(Planned, Cancelled);
        QStringList booked = AyseLessons;
        booked << "11.12.2026|13:00-14:00|60 dk|Ahmet Yılmaz|34 ABC 123|Direksiyon|Planlandı";
        QStringList given = AyseLessons;
        given.removeAt(3);
        QTest::newRow("cancelled") << "cancel" << tab(cancelled, "0", "10,5");
        QTest::newRow("booked") << "book" << tab(booked, "2", "8,5");
        QTest::newRow("given to Can") << "give" << tab(given, "0", "10,5");
    }
    void followsThePlan() {
        QFETCH(QString, action);
        QFETCH(QStringList, shown);
        ProgramFixture p(fillSchool);
        QVERIFY(p.data().tkursiyer.locate("kID", 1));
        p.find<QTabWidget>("PageControl1")->setCurrentIndex(LessonsTab);
        frm_ders_plani* plan = p.forms().ders_plani;
        plan->showPlan();
        plan->showWeek(Monday);
        // Not qWaitForWindowActive: a window counts as active while its parent is.
        QTRY_COMPARE(QApplication::activeWindow(), plan);
        // Ahmet Yılmaz's week; its third lesson is Ayşe's planned one on Thursday at 09:00.
        auto* list = plan->findChild<QTableWidget*>("DersListesi");
        p.boxes().onDialog([&](QWidget* dialog) {
            auto* trainee = dialog->findChild<QLineEdit*>("KursiyerSecimi");
            trainee->clear();
            QTest::keyClicks(trainee, action == "book" ? "2024-0012" : "2");
            if (action == "book") {
                dialog->findChild<QComboBox*>("AracSecimi")->setCurrentIndex(2);
                dialog->findChild<QSpinBox*>("SureEdit")->setValue(60);
            }
            dialog->findChild<QPushButton*>("KaydetButton")->click();
        });
        if (action == "cancel") {
            list->selectRow(2);
            plan->findChild<QPushButton*>("IptalButton")->click();
        } else if (action == "book") {
            emit plan->findChild<QTableWidget*>("HaftaTablosu")->cellDoubleClicked(24, 4); // Friday 13:00
        } else {
            emit list->cellDoubleClicked(2, 0);
        }
        QCOMPARE(tabOf(p), shown);
        QVERIFY(!p.main().isActiveWindow());
        QVERIFY(p.boxes().seen.isEmpty());
    }

    // A lesson another desk booked: the server tells at once; a file is read again when the window
    // is back.
    void showsLessonsBookedElsewhere() {
        ProgramFixture p(fillSchool);
        QVERIFY(p.data().tkursiyer.locate("kID", 2));
        p.find<QTabWidget>("PageControl1")->setCurrentIndex(LessonsTab);
        Connection c;
        p.database().open(c);
        saveLesson(c, {2, 1, 1, Monday, "16:00", 45, Driving}, Planned, {});
        const QStringList booked{"07.12.2026|16:00-16:45|45 dk|Ahmet Yılmaz|34 ABC 123|Direksiyon|Planlandı",
                                 "Hak: 14 saat - Yapılan: 0 saat - Planlanan: 0,8 saat - Kalan: 13,3 saat",
                                 ""};
        if (c.isServer())
            QTRY_COMPARE(tabOf(p), booked);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        p.main().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.main()));
        QCOMPARE(tabOf(p), booked);
    }

    // A numbered line per lesson given, neither the planned, the cancelled nor the simulator one,
    // then empty lines up to the course's hours; each pattern is matched within one line.
    void trackingForm_data() {
        QTest::addColumn<int>("courseHours");
        QTest::addColumn<QStringList>("printed");
        QTest::addColumn<QStringList>("notPrinted");
        const QStringList given = {"DİREKSİYON EĞİTİMİ TAKİP FORMU",
                                   "Adı Soyadı: +Ayşe Kaya +Ehliyet Sınıfı: +B",
                                   "T.C. Kimlik No: +12345678901",
                                   "Aday No: +2024-0012",
                                   "^ *1 +07.12.2026 +1,5 +Yapıldı +Ahmet Yılmaz +34 ABC 123 *$",
                                   "^ *2 +08.12.2026 +1 +Gelmedi +Elif Demir +06 XY 42 *$",
                                   "^ *3 +09.12.2026 +1 +Yapıldı +Ahmet Yılmaz +34 ABC 123 *$"};
        const QStringList never = {"Planlandı", "İptal", "^ *4 +\\S+ +\\S"};
        QTest::newRow("14 hours, 14 lines")
            << 14
            << given + QStringList{"^ *4 *$", "^ *14 *$",
                                   "Toplam: +Hak: 14 saat - Yapılan: 3,5 saat - Planlanan: 1 saat - "
                                   "Kalan: 9,5 saat - Gelmedi: 1 ders"}
            << never + QStringList{"^ *15 *$"};
        QTest::newRow("more lessons than hours, no empty line")
            << 2 << given + QStringList{"Toplam: +Hak: 2 saat - Yapılan: 3,5 saat .* Kalan: 0 saat"} << never;
    }
    void trackingForm() {
        QFETCH(int, courseHours);
        QFETCH(QStringList, printed);
        QFETCH(QStringList, notPrinted);
        ProgramFixture p([&](Connection& c) {
            fillSchool(c);
            c.execute(
                QString("UPDATE tb_ders_hakki SET direksiyon_saat = %1 WHERE sinif = 'B'").arg(courseHours));
        });
        p.find<QToolButton>("Button2")->click();
        p.find<QTabWidget>("PageControl1")->setCurrentIndex(LessonsTab);
        QString text;
        p.boxes().onDialog([&](QWidget* w) {
            text = pdfText(qobject_cast<Report::Preview*>(w));
            static_cast<QDialog*>(w)->reject();
        });
        p.find<QPushButton>("TakipFormu")->click();
        for (const QString& pattern : printed + notPrinted)
            QVERIFY2(
                QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text).hasMatch() ==
                    printed.contains(pattern),
                qPrintable(pattern));
    }
};

QTEST_MAIN(TestDerslerTab)
#include "tst_dersler_tab.moc"
