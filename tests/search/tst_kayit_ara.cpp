#include "data/connection.h"
#include "program_fixture.h"
#include "sample_school.h"
#include "search/frm_kayit_ara.h"
#include "search/record_search.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using RecordSearch::MatchKind;
Q_DECLARE_METATYPE(MatchKind)

// What the user types into the dialog.
struct Entries {
    QString adi = {};
    QString soyadi = {};
    QString adayno = {};
    QString sinif = {};
    MatchKind kind = MatchKind::Equals;
};
Q_DECLARE_METATYPE(Entries)

// The record search: the filter line it writes, what that line finds the Turkish way, and how the
// list, its sort and its record count follow.
class TestKayitAra : public QObject {
    Q_OBJECT

    // The sample school and a sixth trainee with Ü and a blank in the surname.
    static void fillSchool(Connection& c) {
        fillSampleSchool(c);
        c.execute("INSERT INTO tb_kursiyer (adi, soyadi, adayno, cinsiyeti, ehliyetsinifi) VALUES "
                  "('Ümit', 'Güneş Kaya', 'Ü-6', 'Erkek', 'B')");
    }
    static QStringList listed(Dataset& d, const char* field = "kID") {
        QStringList out;
        for (int row = 0; row < d.recordCount(); ++row)
            out << d.valueAt(row, d.fieldIndex(field)).toString();
        return out;
    }
    static QStringList listed(ProgramFixture& p) { return listed(p.data().tkursiyer); }
    static void fill(QWidget* dialog, const Entries& e) {
        dialog->findChild<QLineEdit*>("Edit1")->setText(e.adi);
        dialog->findChild<QLineEdit*>("Edit2")->setText(e.soyadi);
        dialog->findChild<QLineEdit*>("Edit4")->setText(e.adayno);
        auto* classes = dialog->findChild<QComboBox*>("cb1");
        classes->setCurrentIndex(classes->findText(e.sinif));
        dialog->findChild<QComboBox*>("cb2")->setCurrentIndex(int(e.kind));
    }
    static void press(QWidget* dialog, const char* button) {
        dialog->findChild<QPushButton*>(button)->click();
    }
    // "Kayıt Sorgula", the entries typed and "Sorgula" pressed; `then` runs on the dialog afterwards.
    static void search(ProgramFixture& p, const Entries& e, const std::function<void(QWidget*)>& then = {}) {
        p.boxes().onDialog([=](QWidget* dialog) {
            fill(dialog, e);
            press(dialog, "Button1");
            if (then)
                then(dialog);
        });
        p.press("Btn4");
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    void matchesTheTurkishWay_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<MatchKind>("kind");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("eşittir: İ and i are one letter") << "adi"
                                                         << "ismail" << MatchKind::Equals << QStringList{"1"};
        QTest::newRow("eşittir: the whole value") << "adi"
                                                  << "ism" << MatchKind::Equals << QStringList{};
        QTest::newRow("ile başlar: i is not ı") << "adi"
                                                << "i" << MatchKind::BeginsWith << QStringList{"1", "2"};
        QTest::newRow("ile başlar: ı finds I") << "adi"
                                               << "ı" << MatchKind::BeginsWith << QStringList{"4"};
        QTest::newRow("ile başlar: ş finds Ş") << "adi"
                                               << "ş" << MatchKind::BeginsWith << QStringList{"3"};
        QTest::newRow("ile biter: Ü") << "adi"
                                      << "ÜMİT" << MatchKind::EndsWith << QStringList{"6"};
        QTest::newRow("içerir: ı finds Işık") << "soyadi"
                                              << "ışı" << MatchKind::Contains << QStringList{"1"};
        QTest::newRow("içerir: İ, not I") << "adi"
                                          << "i" << MatchKind::Contains << QStringList{"1", "2", "6"};
        QTest::newRow("içerir: ş") << "soyadi"
                                   << "Ş" << MatchKind::Contains << QStringList{"1", "6"};
        QTest::newRow("içerir: a lone double quote") << "adayno"
                                                     << "\"" << MatchKind::Contains << QStringList{"4"};
        QTest::newRow("an attempt to widen") << "adayno"
                                             << "x\" or \"1\"=\"1" << MatchKind::Equals << QStringList{};
        QTest::newRow("an attempt to end the condition")
            << "adi"
            << "\") or (kID > 0" << MatchKind::EndsWith << QStringList{};
    }
    // The filter line alone, on a list with no window.
    void matchesTheTurkishWay() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(MatchKind, kind);
        QFETCH(QStringList, found);
        TempDatabase database;
        Connection connection;
        database.open(connection);
        fillSchool(connection);
        Dataset list(connection, "tkursiyer");
        list.setSql("select * from tb_kursiyer\n" +
                    RecordSearch::filterLine({RecordSearch::condition(field, value, kind)}) +
                    "\norder by kID");
        list.open();
        QCOMPARE(listed(list), found);
    }

    void searchWritesTheFilterLine_data() {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("all four, in field order")
            << Entries{"İs", "ış", "a-", "B", MatchKind::BeginsWith}
            << "Where (adi like \"İs%\") and (soyadi like \"ış%\") and (adayno like \"a-%\") and "
               "(ehliyetsinifi like \"B%\")"
            << QStringList{"1"};
        QTest::newRow("only the class")
            << Entries{"", "", "", "OP"} << "Where (ehliyetsinifi = \"OP\")" << QStringList{"4"};
        QTest::newRow("one blank") << Entries{"", " ", "", "", MatchKind::Contains}
                                   << "Where (soyadi like \"% %\")" << QStringList{"6"};
        QTest::newRow("blank class, any kind") << Entries{"", "", "-5", "", MatchKind::EndsWith}
                                               << "Where (adayno like \"%-5\")" << QStringList{"5"};
        QTest::newRow("double quote")
            << Entries{"", "", "X\"Y"} << "Where (adayno = \"X\"\"Y\")" << QStringList{"4"};
        QTest::newRow("single quote")
            << Entries{"", "", "o'neil"} << "Where (adayno = \"o'neil\")" << QStringList{"3"};
    }
    void searchWritesTheFilterLine() {
        QFETCH(Entries, entries);
        QFETCH(QString, filter);
        QFETCH(QStringList, found);
        ProgramFixture p(fillSchool);
        bool closed = false;
        search(p, entries, [&](QWidget* dialog) { closed = !dialog->isVisible(); });
        QVERIFY(closed);
        QCOMPARE(p.data().tkursiyer.sqlLines(),
                 (QStringList{"select * from tb_kursiyer", filter, "order by kID"}));
        QCOMPARE(listed(p), found);
        QCOMPARE(p.statusCount(), " Kayıt Sayısı : " + QString::number(found.size()));
        QVERIFY(p.boxes().seen.isEmpty());
    }

    // Each opening starts empty; with nothing filled "Sorgula" lists everyone and the dialog stays.
    void nothingFilledListsEveryone() {
        ProgramFixture p(fillSchool);
        search(p, {"can"});
        QCOMPARE(listed(p), QStringList{"5"});
        QStringList shown;
        bool stayed = false;
        QStringList during;
        p.boxes().onDialog([&](QWidget* dialog) {
            for (const char* name : {"Edit1", "Edit2", "Edit4"})
                shown << dialog->findChild<QLineEdit*>(name)->text();
            for (const char* name : {"cb1", "cb2"})
                shown << dialog->findChild<QComboBox*>(name)->currentText();
            QVERIFY(!dialog->findChild<QListWidget*>("ListBox1")->isVisible());
            press(dialog, "Button1");
            stayed = dialog->isVisible();
            during = listed(p);
            fill(dialog, {"can"});
            press(dialog, "Button2");
        });
        p.press("Btn4");
        QCOMPARE(shown, (QStringList{"", "", "", "", "eşittir"}));
        QVERIFY(stayed);
        QCOMPARE(during, (QStringList{"1", "2", "3", "4", "5", "6"}));
        QCOMPARE(p.data().tkursiyer.sqlLines()[1], QString("where kID > 0"));
        QCOMPARE(listed(p).size(), 6);
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 6"));
    }

    void sortAndSearchKeepEachOther() {
        ProgramFixture p(fillSchool);
        p.main().kaygridTitleButtonClick("soyadi");
        search(p, {"i", "", "", "", MatchKind::BeginsWith});
        QCOMPARE(listed(p), (QStringList{"2", "1"})); // Çelik before Işık
        QCOMPARE(p.data().tkursiyer.sqlLines()[2], QString("ORDER BY soyadi"));
        p.main().kaygridTitleButtonClick("adayno");
        QCOMPARE(listed(p), (QStringList{"1", "2"}));
        p.main().kaygridIButtonClick();
        QCOMPARE(listed(p), (QStringList{"1", "2", "3", "4", "5", "6"}));
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 6"));
    }

    // The default error box ends "Sorgula"; the list stays as it was and can be brought back.
    void refusedSearchLeavesTheList() {
        ProgramFixture p(fillSchool);
        search(p, {"can"});
        // Opened while the file is still the program's, so that it can give the table back.
        Connection other;
        p.database().open(other);
        other.execute("DROP VIEW Query_Odemeler");
        other.execute("ALTER TABLE tb_kursiyer RENAME TO eski");
        bool stayed = false;
        QStringList during;
        QString filter;
        p.boxes().onDialog([&](QWidget* dialog) {
            fill(dialog, {"ismet"});
            press(dialog, "Button1");
            stayed = dialog->isVisible();
            during = listed(p);
            filter = p.data().tkursiyer.sqlLines()[1];
            other.execute("ALTER TABLE eski RENAME TO tb_kursiyer");
            press(dialog, "Button2");
        });
        p.press("Btn4");
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Oltravi"));
        QVERIFY(p.boxes().seen[0].text.contains("no such table: tb_kursiyer"));
        QVERIFY(stayed);
        QCOMPARE(during, QStringList{"5"});
        QCOMPARE(filter, QString("Where (adi = \"can\")"));
        QCOMPARE(listed(p).size(), 6);
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 6"));
    }

    void enterMovesInTabOrder() {
        ProgramFixture p(fillSchool);
        QStringList order;
        p.boxes().onDialog([&](QWidget* dialog) {
            order << QApplication::focusWidget()->objectName();
            for (int i = 0; i < 6; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                order << QApplication::focusWidget()->objectName();
            }
            QKeyEvent back(QEvent::KeyPress, Qt::Key_Return, Qt::ShiftModifier);
            static_cast<frm_kayit_ara*>(dialog)->FormKeyPress(&back);
            order << QApplication::focusWidget()->objectName();
            static_cast<QDialog*>(dialog)->reject();
        });
        p.press("Btn4");
        QCOMPARE(order,
                 (QStringList{"Edit1", "Edit2", "cb1", "Edit4", "cb2", "Button1", "Button2", "Button1"}));
        QCOMPARE(listed(p).size(), 6);
    }
};

QTEST_MAIN(TestKayitAra)
#include "tst_kayit_ara.moc"
