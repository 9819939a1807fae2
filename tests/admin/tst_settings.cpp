#include "admin/plates.h"
#include "data/connection.h"
#include "program_fixture.h"
#include "ui/data_grid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

// The settings dialog, opened from "Ayarlar": letterhead, vehicles with unique plates, routes, and
// the course tab's lists that follow them.
namespace {

template <typename T = QWidget> T* in(QWidget* dialog, const QString& name) {
    T* found = dialog->findChild<T*>(name);
    if (!found)
        qFatal("no control named %s", qPrintable(name));
    return found;
}

// Runs `work` on the dialog while it is shown; the dialog is closed after it.
void inSettings(ProgramFixture& p, std::function<void(QWidget*)> work) {
    p.boxes().onDialog(std::move(work));
    p.press("Btn2");
}

// Types a vehicle (Button3) or a route (Button6) into its tab and presses the button.
void add(QWidget* dialog, const QString& button, const QString& first, const QString& second) {
    const bool vehicle = button == "Button3";
    in<QLineEdit>(dialog, vehicle ? "Edit1" : "Edit3")->setText(first);
    if (vehicle)
        in<QLineEdit>(dialog, "Edit2")->setText(second);
    else
        in<QComboBox>(dialog, "Edit4")->setCurrentText(second);
    in<QPushButton>(dialog, button)->click();
}

QStringList rowsOf(ProgramFixture& p, const QString& table) {
    return p.database().rows().filter(QRegularExpression("^" + table + "\\|"));
}

QStringList items(ProgramFixture& p, const char* list) {
    auto* box = p.find<QComboBox>(list);
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    // Letters that only look alike to a case folding that is not Turkish stay different plates.
    void platesOfOtherLetters_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("same");
        QTest::newRow("plain case") << "34 abc 1"
                                    << "34 ABC 1" << true;
        QTest::newRow("i is not I") << "35 iz 1"
                                    << "35 IZ 1" << false;
        QTest::newRow("Ç is not C") << "07 ÇA 1"
                                    << "07 CA 1" << false;
    }
    void platesOfOtherLetters() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(bool, same);
        QCOMPARE(Plates::same(typed, stored), same);
    }

    // A refused entry stores nothing, leaves no row in the list and stays in its edits; a stored
    // plate moves the list to its row.
    void addingVehiclesAndRoutes_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("refusal"); // caption, a line break, the message's start
        QTest::addColumn<int>("currentRow");
        const QString stored = "Warning|\nGirmeye çalıştığınız plaka tanımlı.";
        QTest::newRow("i for İ") << "Button3"
                                 << "Yeni"
                                 << "34 iz 01" << stored << 1;
        QTest::newRow("ı for I") << "Button3"
                                 << "Yeni"
                                 << "35 ılk 3" << stored << 2;
        QTest::newRow("trailing blank") << "Button3"
                                        << "Yeni"
                                        << "34 İZ 01 "
                                        << "" << 3;
        QTest::newRow("route") << "Button6"
                               << "Ring"
                               << "OP"
                               << "" << 0;
        QTest::newRow("no class") << "Button6"
                                  << "Ring"
                                  << ""
                                  << "Warning|\nSınıfı girmeniz gerekiyor." << -1;
        QTest::newRow("long vehicle") << "Button3" << QString(31, 'A') << "34 AB 1"
                                      << "Oltravi|\"Araç Adı\" alanına en çok 30 karakter" << 0;
        QTest::newRow("long route") << "Button6" << QString(51, 'y') << "B"
                                    << "Oltravi|\"Güzergah\" alanına en çok 50 karakter" << -1;
    }
    void addingVehiclesAndRoutes() {
        QFETCH(QString, button);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, refusal);
        QFETCH(int, currentRow);
        ProgramFixture p([](Connection& c) {
            c.execute(
                "INSERT INTO tb_arac (aracAD, aracPLAKA) VALUES ('Doblo', '06 CD 2'), ('Egea', '34 İZ 01'), "
                "('Fiat', '35 ILK 3')");
        });
        const bool vehicle = button == "Button3";
        const int before = vehicle ? 3 : 0;
        const int after = refusal.isEmpty() ? before + 1 : before;
        inSettings(p, [&](QWidget* dialog) {
            add(dialog, button, first, second);
            QStringList seen;
            for (const auto& box : p.boxes().seen)
                seen << box.caption + "|" + box.text;
            QCOMPARE(seen.size(), refusal.isEmpty() ? 0 : 1);
            QVERIFY2(refusal.isEmpty() || seen[0].startsWith(refusal), qPrintable(seen.join(' ')));
            Dataset& table = vehicle ? p.data().tarac : p.data().tguzergah;
            QCOMPARE(table.state(), Dataset::State::Browse);
            QCOMPARE(table.currentRow(), currentRow);
            auto* grid = in<DataGrid>(dialog, vehicle ? "DBGrid1" : "DBGrid2");
            QCOMPARE(grid->model()->rowCount(), after);
            QCOMPARE(grid->currentIndex().row(), currentRow);
            QCOMPARE(in<QLineEdit>(dialog, vehicle ? "Edit1" : "Edit3")->text(),
                     refusal.isEmpty() ? QString() : first);
            if (!vehicle && refusal.isEmpty())
                QCOMPARE(in<QComboBox>(dialog, "Edit4")->currentIndex(), 0);
        });
        QCOMPARE(p.count("1 = 1", vehicle ? "tb_arac" : "tb_guz"), after);
    }

    void deleteOnAnEmptyListAsksNothing() {
        ProgramFixture p;
        inSettings(p, [&](QWidget* dialog) { in<QPushButton>(dialog, "Button4")->click(); });
        QVERIFY(p.boxes().seen.isEmpty());
    }

    void letterhead_data() {
        QTest::addColumn<bool>("emptyTable");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("stored");
        // The table had its first row once, so a new one takes the next key.
        QTest::newRow("Kaydet, empty table")
            << true << "Button1" << QStringList{"tb_firma|2|Kalvista Surucu Kursu||0212 555 00 00||0"};
        QTest::newRow("İptal, stored row") << false << "Button2" << QStringList{"tb_firma|1|||||0"};
    }
    void letterhead() {
        QFETCH(bool, emptyTable);
        QFETCH(QString, button);
        QFETCH(QStringList, stored);
        ProgramFixture p([&](Connection& c) { c.execute(emptyTable ? "DELETE FROM tb_firma" : "SELECT 1"); });
        inSettings(p, [&](QWidget* dialog) {
            QTest::keyClicks(in(dialog, "DBEdit1"), "Kalvista Surucu Kursu");
            QTest::keyClicks(in(dialog, "DBEdit2"), "0212 555 00 00");
            in<QPushButton>(dialog, button)->click();
            QCOMPARE(in<QLineEdit>(dialog, "DBEdit1")->text(), stored[0].section('|', 2, 2));
        });
        QVERIFY(p.boxes().seen.isEmpty());
        QCOMPARE(rowsOf(p, "tb_firma"), stored);
    }

    void enterInTheAddressMovesOn() {
        ProgramFixture p;
        inSettings(p, [&](QWidget* dialog) {
            auto* address = in<QPlainTextEdit>(dialog, "DBMemo1");
            address->setFocus();
            QTest::keyClicks(address, "Ataturk Cad. 5");
            QTest::keyClick(address, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), in(dialog, "DBEdit2"));
            QCOMPARE(p.data().tfirma.value("adres").toString(), QString("Ataturk Cad. 5"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), address);
        });
    }

    // The course tab offers what the dialog left; the dialog opens again on its last tab, where
    // "Satır Sil" takes the current route after asking.
    void courseListsFollowTheDialog() {
        ProgramFixture p;
        inSettings(p, [&](QWidget* dialog) {
            add(dialog, "Button3", "Doblo", "34 AB 1");
            add(dialog, "Button6", "Ring", "B");
            add(dialog, "Button6", "Ring", "OP");
            in<QTabWidget>(dialog, "PageControl1")->setCurrentIndex(2);
            in<QComboBox>(dialog, "Edit4")->setCurrentText("C");
            p.data().tguzergah.moveTo(0);
        });
        QCOMPARE(items(p, "DBComboBox11"), QStringList{"Doblo"});
        QCOMPARE(items(p, "DBComboBox12"), QStringList{"34 AB 1"});
        QCOMPARE(items(p, "DBComboBox13"), (QStringList{"Ring", "Ring"}));
        QVERIFY(!p.data().tfirma.isActive() && !p.data().tarac.isActive() && !p.data().tguzergah.isActive());
        p.boxes().answer(QMessageBox::Yes);
        inSettings(p, [&](QWidget* dialog) {
            QCOMPARE(in<QTabWidget>(dialog, "PageControl1")->currentIndex(), 2);
            QCOMPARE(in<QComboBox>(dialog, "Edit4")->currentIndex(), 0);
            in<QPushButton>(dialog, "Button5")->click();
        });
        QCOMPARE(p.boxes().seen[0].caption, QString("Dikkat:"));
        QCOMPARE(p.boxes().seen[0].text, QString("\nAktif satır silinecek.\n\nişleme devam edilsin mi?"));
        QCOMPARE(p.boxes().seen[0].defaultButton, QMessageBox::No);
        QCOMPARE(rowsOf(p, "tb_guz"), QStringList{"tb_guz|2|Ring|OP|0"});
        QCOMPARE(items(p, "DBComboBox13"), QStringList{"Ring"});
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
