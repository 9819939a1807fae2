#include "data/connection.h"
#include "data/value_lists.h"
#include "lessons/instructors.h"
#include "lessons/lesson_store.h"
#include "program_fixture.h"
#include "ui/data_grid.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

using namespace Lessons;

// The instructors and the course hours in "Ayarlar", on either backend: entries through the tabs'
// controls, their refusals, and faults that must leave nothing written.
namespace {

// The instructor boxes ready for a new one.
const QString Blank = "   aktif";

// Instructors in the grid's order: 1 Ahmet Yılmaz (B) with a lesson done last week and one
// planned next week, 3 Can Ok (C) with only a cancelled lesson, 2 Elif Demir (A2,B) with none.
void fillSchool(Connection& c) {
    c.execute("INSERT INTO tb_kursiyer (adi, soyadi, adayno) VALUES ('Ayşe', 'Kaya', '2024-0012')");
    c.execute("INSERT INTO tb_egitmen (adi, soyadi, siniflar, aktif) VALUES ('Ahmet', 'Yılmaz', 'B', -1), "
              "('Elif', 'Demir', 'A2,B', -1), ('Can', 'Ok', 'C', -1)");
    const QDate today = QDate::currentDate();
    saveLesson(c, {1, 1, 0, today.addDays(-7), "10:00", 60, Simulator}, Done, {});
    saveLesson(c, {1, 1, 0, today.addDays(7), "10:00", 60, Simulator}, Planned, {});
    saveLesson(c, {1, 3, 0, today.addDays(8), "10:00", 60, Simulator}, Cancelled, {});
}

QStringList rowsOf(ProgramFixture& p, const QString& table) {
    return p.database().rows().filter(QRegularExpression("^" + table + "\\|"));
}

// What the instructor boxes show: "Adı Soyadı classes aktif|pasif".
QString shown(ProgramFixture& p) {
    QStringList classes;
    for (auto* box : p.main().findChildren<QCheckBox*>(QRegularExpression("^Sinif_")))
        if (box->isChecked())
            classes << box->text();
    return QString("%1 %2 %3 %4")
        .arg(p.find<QLineEdit>("EgitmenAdi")->text(), p.find<QLineEdit>("EgitmenSoyadi")->text(),
             classesText(classes), p.find<QCheckBox>("EgitmenAktif")->isChecked() ? "aktif" : "pasif");
}

// A fault while the dialog is open: "lock" (another program holds the database) or a refusal as
// TempDatabase::refuse takes it.
std::unique_ptr<DatabaseLock> fault(ProgramFixture& p, const QString& fault) {
    if (fault.startsWith("BEFORE"))
        p.database().refuse(fault);
    if (fault != "lock")
        return {};
    waitBriefly(p.data().ado_conn);
    return std::make_unique<DatabaseLock>(p.database());
}

// Runs `work` in the dialog while it is shown, then compares the boxes seen, each by its start.
void inSettings(ProgramFixture& p, const QString& faultMade, const QStringList& seen,
                std::function<void()> work) {
    p.boxes().onDialog([&](QWidget*) {
        auto lock = fault(p, faultMade);
        work();
    });
    p.press("Btn2");
    if (faultMade.startsWith("BEFORE"))
        p.database().stopRefusing();
    QCOMPARE(p.boxes().seen.size(), seen.size());
    for (int i = 0; i < seen.size(); ++i) {
        const QString box = p.boxes().seen[i].caption + "|" + p.boxes().seen[i].text;
        QVERIFY2(box.startsWith(seen[i]), qPrintable(box));
    }
}

struct Entry {
    QString button;
    int row; // selected first; -1: none, the boxes as the dialog opened
    QString shownBefore;
    QStringList texts; // typed into Adı, Soyadı, T.C. Kimlik No, Telefon, as many as given
    QStringList classes;
    bool active;
    QString fault;
    QStringList seen;
    QStringList written; // tb_egitmen rows
    int gone;            // rows of the fill no longer as they were
};

Entry entry(const QString& button, int row, const QString& shownBefore, const QStringList& texts,
            const QStringList& classes, bool active, const QString& fault, const QStringList& seen,
            const QStringList& written, int gone) {
    return {button, row, shownBefore, texts, classes, active, fault, seen, written, gone};
}

} // namespace

Q_DECLARE_METATYPE(Entry)

class TestLessonSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    void classesRoundTrip_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("classes");
        QTest::newRow("list order") << "B,A2" << QStringList{"A2", "B"};
        QTest::newRow("blanks, unknown left out") << " OP , X,A1" << QStringList{"A1", "OP"};
        QTest::newRow("none") << "" << QStringList{};
    }
    void classesRoundTrip() {
        QFETCH(QString, stored);
        QFETCH(QStringList, classes);
        QCOMPARE(classesOf(stored), classes);
        QCOMPARE(classesOf(classesText(classes)), classes);
    }

    // Selecting a row shows it in the boxes; "Değiştir" writes over it with what they then hold. A
    // refused entry stays in the boxes; a new or deleted one leaves them ready for the next.
    void instructorEntries_data() {
        QTest::addColumn<Entry>("entry");
        const QString elif = "Elif Demir A2,B aktif";
        const QStringList zeynep = {QString(31, u'Ş'), "Ak", QString(21, '1'), "0532 111 22 33 4"};
        const QString asked = "Dikkat:|\nEğitmen Elif Demir silinecek.\n\nişleme devam edilsin mi?";
        QTest::newRow("add, texts cut by the boxes")
            << entry("EgitmenEkle", -1, Blank, zeynep, {"B", "A2"}, true, "", {},
                     {QString("tb_egitmen|4|%1|Ak|%2|0532 111 22 33|A2,B|-1|0")
                          .arg(QString(30, u'Ş'), QString(20, '1'))},
                     0);
        QTest::newRow("add, no first name") << entry("EgitmenEkle", -1, Blank, {"", "Ak"}, {}, false, "",
                                                     {"Uyarı|\nEğitmenin adını girmeniz gerekiyor."}, {}, 0);
        QTest::newRow("add, locked") << entry("EgitmenEkle", -1, Blank, zeynep, {}, true, "lock",
                                              {"Oltravi|"}, {}, 0);
        QTest::newRow("change, no last name")
            << entry("EgitmenDegistir", 2, elif, {"Elif", " "}, {"B"}, true, "",
                     {"Uyarı|\nEğitmenin soyadını girmeniz gerekiyor."}, {}, 0);
        QTest::newRow("change classes") << entry("EgitmenDegistir", 2, elif, {}, {"C", "OP"}, true, "", {},
                                                 {"tb_egitmen|2|Elif|Demir|||C,OP|-1|1"}, 1);
        QTest::newRow("inactive, a lesson to come")
            << entry("EgitmenDegistir", 0, "Ahmet Yılmaz B aktif", {}, {"B"}, false, "",
                     {"Bilgi|\nEğitmen pasif yapıldı; ileri tarihli 1 dersi planda kalıyor."},
                     {"tb_egitmen|1|Ahmet|Yılmaz|||B|0|1"}, 1);
        QTest::newRow("delete, a cancelled lesson")
            << entry("EgitmenSil", 1, "Can Ok C aktif", {}, {"C"}, true, "",
                     {"Uyarı|" + InstructorHasLessonsText}, {}, 0);
        QTest::newRow("delete") << entry("EgitmenSil", 2, elif, {}, {}, true, "", {asked}, {}, 1);
        QTest::newRow("delete, refused") << entry("EgitmenSil", 2, elif, {}, {}, true,
                                                  "BEFORE DELETE ON tb_egitmen", {asked, "Oltravi|"}, {}, 0);
    }
    void instructorEntries() {
        QFETCH(Entry, entry);
        ProgramFixture p(fillSchool);
        const QStringList before = rowsOf(p, "tb_egitmen");
        const bool asked = entry.seen.value(0).startsWith("Dikkat:");
        if (asked)
            p.boxes().answer(QMessageBox::Yes);
        inSettings(p, entry.fault, entry.seen, [&] {
            p.find("ayar_formu")->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(4);
            auto* grid = p.find<DataGrid>("EgitmenTablosu");
            if (entry.row >= 0)
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                                  grid->visualRect(grid->model()->index(entry.row, 0)).center());
            QCOMPARE(shown(p), entry.shownBefore);
            const QStringList boxes = {"EgitmenAdi", "EgitmenSoyadi", "EgitmenTc", "EgitmenTelefon"};
            for (int i = 0; i < entry.texts.size(); ++i)
                p.find<QLineEdit>(boxes[i])->setText(entry.texts[i]);
            for (const QString& licenceClass : ValueLists::licenceClasses())
                p.find<QCheckBox>("Sinif_" + licenceClass)->setChecked(entry.classes.contains(licenceClass));
            p.find<QCheckBox>("EgitmenAktif")->setChecked(entry.active);
            const QString typed = shown(p);
            p.find<QPushButton>(entry.button)->click();
            const bool added = !entry.written.isEmpty() && entry.button == "EgitmenEkle";
            QCOMPARE(shown(p), added || (asked && entry.gone > 0) ? Blank : typed);
            QCOMPARE(grid->model()->rowCount(), int(3 + entry.written.size() - entry.gone));
        });
        QStringList after = rowsOf(p, "tb_egitmen");
        QCOMPARE(after.size(), before.size() + entry.written.size() - entry.gone);
        for (const QString& stored : before)
            after.removeOne(stored);
        QCOMPARE(after, entry.written);
        QVERIFY(!p.data().tegitmen.isActive());
    }

    // Only the hours changed are written, all or none; what was typed stays in the table.
    void courseHours_data() {
        QTest::addColumn<QStringList>("cells"); // "class:d|s:text"
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QStringList>("stored"); // B and C: "driving/simulator version"
        const QStringList unchanged = {"14/0 0", "14/0 0"};
        const QStringList typed = {"B:d:20", "B:s:4", "C:d:30"};
        const QString refused = "Uyarı|\n%1 sınıfının ders saatleri 0 ile 999 arasında tam sayı olmalıdır.";
        QTest::newRow("both kinds") << QStringList{"B:d:20", "B:s:4", "C:d:14"} << "" << QStringList{}
                                    << QStringList{"20/4 1", "14/0 0"};
        QTest::newRow("not a number")
            << QStringList{"B:d:20", "B:s:iki"} << "" << QStringList{refused.arg("B")} << unchanged;
        QTest::newRow("too many") << QStringList{"B:d:20", "C:d:1000"} << "" << QStringList{refused.arg("C")}
                                  << unchanged;
        QTest::newRow("refused on the second class")
            << typed << "BEFORE UPDATE ON tb_ders_hakki WHEN (NEW.sinif = 'C')" << QStringList{"Oltravi|"}
            << unchanged;
        QTest::newRow("locked") << typed << "lock" << QStringList{"Oltravi|"} << unchanged;
    }
    void courseHours() {
        QFETCH(QStringList, cells);
        QFETCH(QString, fault);
        QFETCH(QStringList, seen);
        QFETCH(QStringList, stored);
        ProgramFixture p;
        inSettings(p, fault, seen, [&] {
            auto* table = p.find<QTableWidget>("DersHakkiTablosu");
            QCOMPARE(table->rowCount(), ValueLists::licenceClasses().size());
            QVERIFY(!(table->item(0, 0)->flags() & Qt::ItemIsEditable));
            for (const QString& cell : cells) {
                const QStringList at = cell.split(':');
                table->item(int(ValueLists::licenceClasses().indexOf(at[0])), at[1] == "d" ? 1 : 2)
                    ->setText(at[2]);
            }
            p.find<QPushButton>("DersHakkiKaydet")->click();
            QCOMPARE(table->item(2, 1)->text(), QString("20"));
        });
        QStringList hours;
        for (const QString& row :
             rowsOf(p, "tb_ders_hakki").filter(QRegularExpression("^tb_ders_hakki\\|\\d+\\|[BC]\\|")))
            hours << row.section('|', 3, 3) + '/' + row.section('|', 4, 4) + ' ' + row.section('|', 5, 5);
        QCOMPARE(hours, stored);
    }
};

QTEST_MAIN(TestLessonSettings)
#include "tst_lesson_settings.moc"
