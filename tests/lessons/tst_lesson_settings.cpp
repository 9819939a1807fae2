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

const QStringList Boxes = {"EgitmenAdi", "EgitmenSoyadi", "EgitmenTc", "EgitmenTelefon"};
// The instructor boxes ready for a new one.
const QString Blank = "   aktif";

template <typename T = QWidget> T* in(QWidget* dialog, const QString& name) {
    T* found = dialog->findChild<T*>(name);
    if (!found)
        qFatal("no control named %s", qPrintable(name));
    return found;
}

void inSettings(ProgramFixture& p, std::function<void(QWidget*)> work) {
    p.boxes().onDialog(std::move(work));
    p.press("Btn2");
}

// Instructors in the grid's order: 1 Ahmet Yılmaz (B) with a lesson done last week and one
// planned next week, 3 Can Ok (C) with only a cancelled lesson, 2 Elif Demir (A2,B) with none.
void fillSchool(Connection& c) {
    c.execute("INSERT INTO tb_kursiyer (adi, soyadi, adayno, ehliyetsinifi) VALUES ('Ayşe', 'Kaya', "
              "'2024-0012', 'B')");
    c.execute("INSERT INTO tb_egitmen (adi, soyadi, siniflar, aktif) VALUES ('Ahmet', 'Yılmaz', 'B', -1), "
              "('Elif', 'Demir', 'A2,B', -1), ('Can', 'Ok', 'C', -1)");
    const QDate today = QDate::currentDate();
    saveLesson(c, {1, 1, 0, today.addDays(-7), "10:00", 60, Simulator}, Done, {});
    saveLesson(c, {1, 1, 0, today.addDays(7), "10:00", 60, Simulator}, Planned, {});
    saveLesson(c, {1, 3, 0, today.addDays(8), "10:00", 60, Simulator}, Cancelled, {});
}

QStringList seenBoxes(ProgramFixture& p) {
    QStringList seen;
    for (const auto& box : p.boxes().seen)
        seen << box.caption + "|" + box.text;
    return seen;
}

QStringList rowsOf(ProgramFixture& p, const QString& table) {
    return p.database().rows().filter(QRegularExpression("^" + table + "\\|"));
}

void selectRow(QWidget* dialog, int row) {
    in<QTabWidget>(dialog, "PageControl1")->setCurrentIndex(4);
    auto* grid = in<DataGrid>(dialog, "EgitmenTablosu");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(row, 0)).center());
}

// What the instructor boxes show: "Adı Soyadı classes" and whether "Aktif" is checked.
QString shown(QWidget* dialog) {
    QStringList classes;
    for (auto* box : dialog->findChildren<QCheckBox*>(QRegularExpression("^Sinif_")))
        if (box->isChecked())
            classes << box->text();
    return QString("%1 %2 %3 %4")
        .arg(in<QLineEdit>(dialog, "EgitmenAdi")->text(), in<QLineEdit>(dialog, "EgitmenSoyadi")->text(),
             classesText(classes), in<QCheckBox>(dialog, "EgitmenAktif")->isChecked() ? "aktif" : "pasif");
}

void type(QWidget* dialog, const QStringList& texts, const QStringList& classes, bool active) {
    for (int i = 0; i < texts.size(); ++i)
        in<QLineEdit>(dialog, Boxes[i])->setText(texts[i]);
    for (const QString& licenceClass : ValueLists::licenceClasses())
        in<QCheckBox>(dialog, "Sinif_" + licenceClass)->setChecked(classes.contains(licenceClass));
    in<QCheckBox>(dialog, "EgitmenAktif")->setChecked(active);
}

// The hours shown as "class driving/simulator" for the classes edited.
QStringList storedHours(ProgramFixture& p) {
    QStringList hours;
    for (const QString& row : rowsOf(p, "tb_ders_hakki"))
        hours << row.section('|', 2, 2) + ' ' + row.section('|', 3, 3) + '/' + row.section('|', 4, 4);
    return hours.filter(QRegularExpression("^(B|C) "));
}

void typeHours(QWidget* dialog, const QStringList& cells) {
    auto* table = in<QTableWidget>(dialog, "DersHakkiTablosu");
    for (const QString& cell : cells) {
        const QStringList at = cell.split(':');
        const int row = int(ValueLists::licenceClasses().indexOf(at[0]));
        table->item(row, at[1] == "d" ? 1 : 2)->setText(at[2]);
    }
}

} // namespace

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

    void hoursTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("hours"); // -1: refused
        QTest::newRow("whole") << " 14 " << 14;
        QTest::newRow("bounds") << "999" << 999;
        QTest::newRow("over") << "1000" << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("fraction") << "3,5" << -1;
        QTest::newRow("word") << "on dört" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void hoursTyped() {
        QFETCH(QString, typed);
        QFETCH(int, hours);
        QCOMPARE(readCourseHours(typed).value_or(-1), hours);
    }

    // Selecting a row shows it in the boxes; "Değiştir" writes over it with what they then hold.
    void instructorEntries_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("row"); // -1: none selected, the boxes as the dialog opened
        QTest::addColumn<QString>("shownBefore");
        QTest::addColumn<QStringList>("texts"); // typed into the boxes, as many as given
        QTest::addColumn<QStringList>("classes");
        QTest::addColumn<bool>("active");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QStringList>("changed"); // tb_egitmen rows written
        QTest::addColumn<int>("gone");            // rows of the fill no longer as they were
        const QString hasLessons = "Uyarı|" + InstructorHasLessonsText;
        QTest::newRow("add") << "EgitmenEkle" << -1 << Blank
                             << QStringList{"Zeynep", "Ak", "12345678901", "0532 111 22 33"}
                             << QStringList{"B", "A2"} << true << QStringList{}
                             << QStringList{"tb_egitmen|4|Zeynep|Ak|12345678901|0532 111 22 33|A2,B|-1|0"}
                             << 0;
        QTest::newRow("add, texts cut by the boxes")
            << "EgitmenEkle" << -1 << Blank
            << QStringList{QString(31, u'Ş'), QString(32, 'K'), QString(21, '1'), QString(16, '5')}
            << QStringList{} << false << QStringList{}
            << QStringList{QString("tb_egitmen|4|%1|%2|%3|%4||0|0")
                               .arg(QString(30, u'Ş'), QString(30, 'K'), QString(20, '1'), QString(15, '5'))}
            << 0;
        QTest::newRow("add, no first name")
            << "EgitmenEkle" << -1 << Blank << QStringList{"", "Ak"} << QStringList{"B"} << true
            << QStringList{"Uyarı|\nEğitmenin adını girmeniz gerekiyor."} << QStringList{} << 0;
        QTest::newRow("change, no last name")
            << "EgitmenDegistir" << 2 << "Elif Demir A2,B aktif" << QStringList{"Elif", " "}
            << QStringList{"B"} << true << QStringList{"Uyarı|\nEğitmenin soyadını girmeniz gerekiyor."}
            << QStringList{} << 0;
        QTest::newRow("change classes")
            << "EgitmenDegistir" << 2 << "Elif Demir A2,B aktif" << QStringList{} << QStringList{"C", "OP"}
            << true << QStringList{} << QStringList{"tb_egitmen|2|Elif|Demir|||C,OP|-1|1"} << 1;
        QTest::newRow("inactive, a lesson to come")
            << "EgitmenDegistir" << 0 << "Ahmet Yılmaz B aktif" << QStringList{} << QStringList{"B"} << false
            << QStringList{"Bilgi|\nEğitmen pasif yapıldı; ileri tarihli 1 dersi planda kalıyor."}
            << QStringList{"tb_egitmen|1|Ahmet|Yılmaz|||B|0|1"} << 1;
        QTest::newRow("delete, lessons")
            << "EgitmenSil" << 0 << "Ahmet Yılmaz B aktif" << QStringList{} << QStringList{"B"} << true
            << QStringList{hasLessons} << QStringList{} << 0;
        QTest::newRow("delete, a cancelled lesson")
            << "EgitmenSil" << 1 << "Can Ok C aktif" << QStringList{} << QStringList{"C"} << true
            << QStringList{hasLessons} << QStringList{} << 0;
        QTest::newRow("delete")
            << "EgitmenSil" << 2 << "Elif Demir A2,B aktif" << QStringList{} << QStringList{"A2", "B"} << true
            << QStringList{"Dikkat:|\nEğitmen Elif Demir silinecek.\n\nişleme devam edilsin mi?"}
            << QStringList{} << 1;
    }
    void instructorEntries() {
        QFETCH(QString, button);
        QFETCH(int, row);
        QFETCH(QString, shownBefore);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, classes);
        QFETCH(bool, active);
        QFETCH(QStringList, seen);
        QFETCH(QStringList, changed);
        QFETCH(int, gone);
        ProgramFixture p(fillSchool);
        const QStringList before = rowsOf(p, "tb_egitmen");
        const bool asked = seen.value(0).startsWith("Dikkat:");
        if (asked)
            p.boxes().answer(QMessageBox::Yes);
        inSettings(p, [&](QWidget* dialog) {
            if (row >= 0)
                selectRow(dialog, row);
            QCOMPARE(shown(dialog), shownBefore);
            type(dialog, texts, classes, active);
            const QString typed = shown(dialog);
            in<QPushButton>(dialog, button)->click();
            // A refused entry stays to be put right; a new or deleted one leaves the boxes ready for the
            // next.
            const bool emptied = (!changed.isEmpty() && button == "EgitmenEkle") || asked;
            QCOMPARE(shown(dialog), emptied ? Blank : typed);
            QCOMPARE(in<DataGrid>(dialog, "EgitmenTablosu")->model()->rowCount(),
                     int(3 + changed.size() - gone));
        });
        QCOMPARE(seenBoxes(p), seen);
        const QStringList after = rowsOf(p, "tb_egitmen");
        QStringList written = after;
        for (const QString& stored : before)
            written.removeOne(stored);
        QCOMPARE(written, changed);
        QCOMPARE(after.size(), before.size() + changed.size() - gone);
        QVERIFY(!p.data().tegitmen.isActive());
    }

    void courseHoursSaved_data() {
        QTest::addColumn<QStringList>("cells"); // "class:d|s:text"
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QStringList>("stored");
        const QStringList unchanged = {"B 14/0", "C 14/0"};
        QTest::newRow("both kinds") << QStringList{"B:d:20", "B:s:4", "C:d:14"} << QStringList{}
                                    << QStringList{"B 20/4", "C 14/0"};
        QTest::newRow("not a number")
            << QStringList{"B:d:20", "C:s:iki"}
            << QStringList{"Uyarı|\nC sınıfının ders saatleri 0 ile 999 arasında tam sayı olmalıdır."}
            << unchanged;
        QTest::newRow("too many")
            << QStringList{"B:d:1000"}
            << QStringList{"Uyarı|\nB sınıfının ders saatleri 0 ile 999 arasında tam sayı "
                           "olmalıdır."}
            << unchanged;
    }
    void courseHoursSaved() {
        QFETCH(QStringList, cells);
        QFETCH(QStringList, seen);
        QFETCH(QStringList, stored);
        ProgramFixture p;
        inSettings(p, [&](QWidget* dialog) {
            auto* table = in<QTableWidget>(dialog, "DersHakkiTablosu");
            QCOMPARE(table->rowCount(), ValueLists::licenceClasses().size());
            QVERIFY(!(table->item(0, 0)->flags() & Qt::ItemIsEditable));
            typeHours(dialog, cells);
            in<QPushButton>(dialog, "DersHakkiKaydet")->click();
        });
        QCOMPARE(seenBoxes(p), seen);
        QCOMPARE(storedHours(p), stored);
    }

    // A database that refuses a write part of the way, or is locked by another program: the
    // message comes through the guard, nothing is written and the entry stays on screen.
    void failuresWriteNothing_data() {
        QTest::addColumn<QString>("refusal"); // empty: the database locked
        QTest::addColumn<QString>("button");
        QTest::newRow("hours, refused on the second class")
            << "BEFORE UPDATE ON tb_ders_hakki WHEN (NEW.sinif = 'C')"
            << "DersHakkiKaydet";
        QTest::newRow("hours, locked") << ""
                                       << "DersHakkiKaydet";
        QTest::newRow("instructor added, locked") << ""
                                                  << "EgitmenEkle";
        QTest::newRow("instructor deleted, refused") << "BEFORE DELETE ON tb_egitmen"
                                                     << "EgitmenSil";
    }
    void failuresWriteNothing() {
        QFETCH(QString, refusal);
        QFETCH(QString, button);
        ProgramFixture p([](Connection& c) {
            c.execute(
                "INSERT INTO tb_egitmen (adi, soyadi, siniflar, aktif) VALUES ('Elif', 'Demir', 'B', -1)");
        });
        const QStringList before = p.database().rows();
        if (!refusal.isEmpty())
            p.database().refuse(refusal);
        if (button == "EgitmenSil")
            p.boxes().answer(QMessageBox::Yes);
        std::unique_ptr<DatabaseLock> lock;
        inSettings(p, [&](QWidget* dialog) {
            if (button == "EgitmenSil")
                selectRow(dialog, 0);
            typeHours(dialog, {"B:d:20", "C:d:30"});
            type(dialog, {"Zeynep", "Ak"}, {"B"}, true);
            if (refusal.isEmpty()) {
                lock = std::make_unique<DatabaseLock>(p.database());
                waitBriefly(p.data().ado_conn);
            }
            in<QPushButton>(dialog, button)->click();
            QCOMPARE(in<QTableWidget>(dialog, "DersHakkiTablosu")->item(3, 1)->text(), QString("30"));
            QCOMPARE(in<QLineEdit>(dialog, "EgitmenAdi")->text(), QString("Zeynep"));
            lock.reset();
        });
        const QStringList seen = seenBoxes(p);
        QCOMPARE(seen.filter(QRegularExpression("^Oltravi\\|")).size(), 1);
        if (!refusal.isEmpty())
            p.database().stopRefusing();
        QCOMPARE(p.database().rows(), before);
    }
};

QTEST_MAIN(TestLessonSettings)
#include "tst_lesson_settings.moc"
