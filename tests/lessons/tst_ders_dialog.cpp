#include "app/guard.h"
#include "data/connection.h"
#include "lessons/frm_ders.h"
#include "program_fixture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

using namespace Lessons;

namespace {

const QDate Monday(2026, 12, 7);
const LessonStart MondayWithAhmet{Monday, QTime(10, 30), Resource::Instructor, 1, 0};

// Trainees 1 2024-0012 Ayşe Kaya (B), 2 2024-0013 Can Öz (B), 3 A-1 İSMAİL IŞIK (A2), 4 A-3 ISMAIL
// Ölmez (B), 5 B-7 Ali Işıkçı (B), then D-1 to D-25 Deneme Kişi; instructors 1 Ahmet Yılmaz (B),
// 2 Elif Demir (B,A2), 3 Zeki Ak (A2), 4 Burak Pasif (B, inactive); vehicles 1 34 ABC 123 and
// 2 06 XY 42. Ayşe has a lesson with Ahmet in 34 ABC 123 on Monday 10:00-11:00.
void fill(Connection& c) {
    c.execute(
        "INSERT INTO tb_kursiyer (adi, soyadi, adayno, ehliyetsinifi) VALUES "
        "('Ayşe', 'Kaya', '2024-0012', 'B'), ('Can', 'Öz', '2024-0013', 'B'), "
        "('İSMAİL', 'IŞIK', 'A-1', 'A2'), ('ISMAIL', 'Ölmez', 'A-3', 'B'), ('Ali', 'Işıkçı', 'B-7', 'B')");
    for (int i = 1; i <= 25; ++i)
        c.execute(QString("INSERT INTO tb_kursiyer (adi, soyadi, adayno, ehliyetsinifi) VALUES "
                          "('Deneme', 'Kişi', 'D-%1', 'B')")
                      .arg(i));
    c.execute("INSERT INTO tb_egitmen (adi, soyadi, siniflar, aktif) VALUES ('Ahmet', 'Yılmaz', 'B', -1), "
              "('Elif', 'Demir', 'B,A2', -1), ('Zeki', 'Ak', 'A2', -1), ('Burak', 'Pasif', 'B', 0)");
    c.execute("INSERT INTO tb_arac (aracAD, aracPLAKA) VALUES ('Egea', '34 ABC 123'), ('Clio', '06 XY 42')");
    saveLesson(c, {1, 1, 1, Monday, "10:00", 60, Driving}, Planned, {});
}

template <typename T = QWidget> T* child(QWidget* dialog, const char* name) {
    T* found = dialog->findChild<T*>(name);
    if (!found)
        qFatal("no control named %s", name);
    return found;
}

QStringList rows(const QAbstractItemModel* model) {
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}

// One key at a time, as typed: keyClicks takes no letter beyond Latin-1.
void typeTrainee(QWidget* dialog, const QString& typed) {
    auto* edit = child<QLineEdit>(dialog, "KursiyerSecimi");
    for (const QChar letter : typed)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(letter), Qt::NoModifier);
}

// The trainees are looked up once typing pauses.
bool searchWaits(QWidget* dialog) {
    return child<QTimer>(dialog, "AramaGecikmesi")->isActive();
}

void click(QWidget* dialog, const char* button) {
    child<QPushButton>(dialog, button)->click();
}

} // namespace

// The booking dialog driven as the planner uses it, on either backend.
class TestDersDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    // A candidate number typed whole chooses at once; anything else offers the trainees holding each
    // word, letter case the Turkish way, newest first, at most 20, and the first is taken from the
    // list. The instructors of the chosen trainee's class come first.
    void choosingTheTrainee_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("instructors");
        const QStringList forB{"Ahmet Yılmaz", "Elif Demir", "Zeki Ak"};
        const QStringList forA2{"Elif Demir", "Zeki Ak", "Ahmet Yılmaz"};
        QTest::newRow("number") << "2024-0012" << QStringList{} << 0 << "Ayşe Kaya - B" << forB;
        QTest::newRow("number, other case") << "a-1" << QStringList{} << 0 << "İSMAİL IŞIK - A2" << forA2;
        QTest::newRow("part of a number")
            << "2024-001" << QStringList{"2024-0013 Can Öz", "2024-0012 Ayşe Kaya"} << 2 << "Can Öz - B"
            << forB;
        QTest::newRow("ı and I") << "ışık" << QStringList{"B-7 Ali Işıkçı", "A-1 İSMAİL IŞIK"} << 2
                                 << "Ali Işıkçı - B" << forB;
        QTest::newRow("i and İ, not I")
            << "ismail" << QStringList{"A-1 İSMAİL IŞIK"} << 1 << "İSMAİL IŞIK - A2" << forA2;
        QTest::newRow("two words") << "ayşe KAY" << QStringList{"2024-0012 Ayşe Kaya"} << 1 << "Ayşe Kaya - B"
                                   << forB;
        QTest::newRow("many") << "deneme" << QStringList{"D-25 Deneme Kişi", "D-24 Deneme Kişi"} << 20
                              << "Deneme Kişi - B" << forB;
        QTest::newRow("none") << "zzz" << QStringList{} << 0 << "Kursiyer seçilmedi" << forB;
    }
    void choosingTheTrainee() {
        QFETCH(QString, typed);
        QFETCH(QStringList, offered);
        QFETCH(int, count);
        QFETCH(QString, label);
        QFETCH(QStringList, instructors);
        ProgramFixture p(fill);
        QStringList list, listedInstructors;
        QString shown;
        p.boxes().onDialog([&](QWidget* dialog) {
            child<QComboBox>(dialog, "EgitmenSecimi")->setCurrentIndex(2);
            typeTrainee(dialog, typed);
            QTRY_VERIFY(!searchWaits(dialog));
            QCompleter* completer = child<QLineEdit>(dialog, "KursiyerSecimi")->completer();
            list = rows(completer->completionModel());
            if (!list.isEmpty()) {
                completer->popup()->setCurrentIndex(completer->completionModel()->index(0, 0));
                QTest::keyClick(completer->popup(), Qt::Key_Return);
            }
            shown = child<QLabel>(dialog, "KursiyerLabel")->text();
            listedInstructors = rows(child<QComboBox>(dialog, "EgitmenSecimi")->model());
            QCOMPARE(child<QComboBox>(dialog, "EgitmenSecimi")->currentText(), QString("Zeki Ak"));
            click(dialog, "VazgecButton");
        });
        QCOMPARE(p.forms().ders->newLesson(MondayWithAhmet), std::nullopt);
        QCOMPARE(list.size(), count);
        QCOMPARE(list.mid(0, offered.size()), offered);
        QCOMPARE(shown, label);
        QCOMPARE(listedInstructors, instructors);
    }

    // Keys typed in a row search once, after the pause; Enter before it ends looks the number up at
    // once. A search for a text the box no longer holds (an entry of the list shown in it meanwhile)
    // is dropped, and one still waiting when a trainee is taken from the list does not undo the choice.
    void searchesAfterAPause() {
        ProgramFixture p(fill);
        QStringList offered, chosen;
        p.boxes().onDialog([&](QWidget* dialog) {
            auto* edit = child<QLineEdit>(dialog, "KursiyerSecimi");
            QCompleter* completer = edit->completer();
            const auto offer = [&] { offered << QString::number(completer->completionModel()->rowCount()); };
            const auto choice = [&] {
                chosen << child<QLabel>(dialog, "KursiyerLabel")->text() + " / " +
                              QApplication::focusWidget()->objectName();
            };
            typeTrainee(dialog, "2024-0013");
            QTest::keyClick(edit, Qt::Key_Return);
            choice();
            edit->setFocus();
            edit->clear();
            typeTrainee(dialog, "deneme");
            offer();
            QTRY_VERIFY(!searchWaits(dialog));
            offer();
            typeTrainee(dialog, " 3"); // D-3, D-13 and D-23, once searched
            completer->popup()->setCurrentIndex(completer->completionModel()->index(0, 0));
            QTRY_VERIFY(!searchWaits(dialog));
            offer();
            edit->clear();
            typeTrainee(dialog, "D-3 Deneme Kiş");
            QTRY_VERIFY(!searchWaits(dialog));
            offer();
            typeTrainee(dialog, "i");
            QAbstractItemView* list = completer->popup();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(0, 0)).center());
            QTRY_VERIFY(!searchWaits(dialog));
            choice();
            typeTrainee(dialog, "x");
            click(dialog, "VazgecButton");
            QVERIFY(!searchWaits(dialog));
        });
        QCOMPARE(p.forms().ders->newLesson(MondayWithAhmet), std::nullopt);
        QCOMPARE(offered, (QStringList{"0", "20", "20", "1"}));
        QCOMPARE(chosen, (QStringList{"Can Öz - B / EgitmenSecimi", "Deneme Kişi - B / KursiyerSecimi"}));
    }

    // A refusal is the warning "Uyarı" with its reason, any other failure the program's error box;
    // either way the dialog stays with what was typed and nothing is written.
    void refusalsKeepTheDialog_data() {
        QTest::addColumn<QString>("trainee");
        QTest::addColumn<QString>("hour");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("vehicle");
        QTest::addColumn<bool>("traineeDeleted");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("refusal");
        const QString badHour = "\nSaat SS:DD biçiminde yazılmalıdır (örneğin 09:30).";
        const QString badLength = "\nDersin süresi 15 ile 240 dakika arasında olmalıdır.";
        QTest::newRow("instructor's clash")
            << "2024-0013"
            << "10:30" << 45 << 1 << false << "Uyarı"
            << "\nBu saatte eğitmenin başka dersi var: Ahmet Yılmaz - 2024-0012 Ayşe Kaya, 10:00-11:00.";
        QTest::newRow("25:00") << "2024-0013"
                               << "25:00" << 45 << 1 << false << "Uyarı" << badHour;
        QTest::newRow("9.5") << "2024-0013"
                             << "9.5" << 45 << 1 << false << "Uyarı" << badHour;
        QTest::newRow("0 minutes") << "2024-0013"
                                   << "12:00" << 0 << 1 << false << "Uyarı" << badLength;
        QTest::newRow("600 minutes") << "2024-0013"
                                     << "12:00" << 600 << 1 << false << "Uyarı" << badLength;
        QTest::newRow("past midnight") << "2024-0013"
                                       << "23:30" << 45 << 1 << false << "Uyarı"
                                       << "\nDers gece yarısından sonra bitemez.";
        QTest::newRow("no trainee") << ""
                                    << "12:00" << 45 << 1 << false << "Uyarı"
                                    << "\nDers için bir kursiyer seçilmelidir.";
        QTest::newRow("driving, no vehicle") << "2024-0013"
                                             << "12:00" << 45 << 0 << false << "Uyarı"
                                             << "\nDireksiyon dersi için bir araç seçilmelidir.";
        QTest::newRow("trainee deleted meanwhile")
            << "2024-0013"
            << "12:00" << 45 << 1 << true << "Oltravi" << Guard::defaultErrorText(RowChangedElsewhereText);
    }
    void refusalsKeepTheDialog() {
        QFETCH(QString, trainee);
        QFETCH(QString, hour);
        QFETCH(int, minutes);
        QFETCH(int, vehicle);
        QFETCH(bool, traineeDeleted);
        QFETCH(QString, caption);
        QFETCH(QString, refusal);
        ProgramFixture p(fill);
        bool stayed = false;
        QString kept;
        p.boxes().onDialog([&](QWidget* dialog) {
            typeTrainee(dialog, trainee);
            child<QComboBox>(dialog, "AracSecimi")->setCurrentIndex(vehicle);
            child<QLineEdit>(dialog, "SaatEdit")->setText(hour);
            child<QSpinBox>(dialog, "SureEdit")->setValue(minutes);
            if (traineeDeleted) {
                QTRY_VERIFY(!searchWaits(dialog)); // chosen before it goes
                Connection other;
                p.database().open(other);
                other.execute("DELETE FROM tb_kursiyer WHERE kID = 2");
            }
            click(dialog, "KaydetButton");
            stayed = dialog->isVisible();
            kept = child<QLineEdit>(dialog, "SaatEdit")->text();
            click(dialog, "VazgecButton");
        });
        QCOMPARE(p.forms().ders->newLesson(MondayWithAhmet), std::nullopt);
        QVERIFY(stayed);
        QCOMPARE(kept, hour);
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, caption);
        QCOMPARE(p.boxes().seen[0].text, refusal);
        QCOMPARE(p.count("1 = 1", "tb_ders"), 1);
    }

    // Booked from a vehicle's week, no vehicle meaning a simulator lesson; opened again with its
    // instructor made inactive meanwhile (still offered), moved and marked done; deleted after "Yes".
    void writtenChangedDeleted() {
        ProgramFixture p(fill);
        QStringList kinds;
        p.boxes().onDialog([&](QWidget* dialog) {
            typeTrainee(dialog, "2024-0013");
            auto* vehicles = child<QComboBox>(dialog, "AracSecimi");
            kinds << vehicles->currentText();
            for (const int index : {0, 1}) {
                vehicles->setCurrentIndex(index);
                emit vehicles->activated(index);
                kinds << child<QComboBox>(dialog, "TurSecimi")->currentText();
            }
            child<QComboBox>(dialog, "EgitmenSecimi")->setCurrentText("Elif Demir");
            child<QSpinBox>(dialog, "SureEdit")->setValue(90);
            child<QLineEdit>(dialog, "AciklamaEdit")->setText("ilk ders");
            QVERIFY(!child(dialog, "SilButton")->isVisible());
            click(dialog, "KaydetButton");
        });
        const std::optional<qint64> written =
            p.forms().ders->newLesson({Monday, QTime(14, 0), Resource::Vehicle, 2});
        QVERIFY(written);
        QCOMPARE(kinds, (QStringList{"06 XY 42 - Clio", Simulator, Driving}));
        QCOMPARE(
            p.count(QString("dersID = %1 AND kID = 2 AND egitmenID = 2 AND aracID = 2 AND baslangic = "
                            "#07/12/2026 14:00# AND bitis = #07/12/2026 15:30# AND tur = 'Direksiyon' AND "
                            "durum = 'Planlandı' AND aciklama = 'ilk ders'")
                        .arg(*written),
                    "tb_ders"),
            1);

        {
            Connection other;
            p.database().open(other);
            other.execute("UPDATE tb_egitmen SET aktif = 0 WHERE egitmenID = 2");
        }
        QStringList shown;
        p.boxes().onDialog([&](QWidget* dialog) {
            for (const char* edit : {"KursiyerSecimi", "SaatEdit", "AciklamaEdit"})
                shown << child<QLineEdit>(dialog, edit)->text();
            for (const char* box : {"EgitmenSecimi", "AracSecimi", "TurSecimi", "DurumSecimi"})
                shown << child<QComboBox>(dialog, box)->currentText();
            shown << child<QLabel>(dialog, "KursiyerLabel")->text()
                  << child<QSpinBox>(dialog, "SureEdit")->text()
                  << child<QDateEdit>(dialog, "TarihEdit")->text();
            QVERIFY(child(dialog, "SilButton")->isVisible());
            child<QLineEdit>(dialog, "SaatEdit")->setText("15:00");
            child<QComboBox>(dialog, "DurumSecimi")->setCurrentText(Done);
            click(dialog, "KaydetButton");
        });
        QVERIFY(p.forms().ders->editLesson(*written));
        QCOMPARE(shown, (QStringList{"2024-0013", "14:00", "ilk ders", "Elif Demir", "06 XY 42 - Clio",
                                     Driving, Planned, "Can Öz - B", "90", "07.12.2026"}));
        QCOMPARE(p.count("baslangic = #07/12/2026 15:00# AND durum = 'Yapıldı' AND egitmenID = 2", "tb_ders"),
                 1);

        p.boxes().answer(QMessageBox::Yes);
        p.boxes().onDialog([&](QWidget* dialog) { click(dialog, "SilButton"); });
        QVERIFY(p.forms().ders->editLesson(*written));
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].text, QString("\nBu ders silinsin mi?"));
        QCOMPARE(p.count("1 = 1", "tb_ders"), 1);
    }
};

QTEST_MAIN(TestDersDialog)
#include "tst_ders_dialog.moc"
