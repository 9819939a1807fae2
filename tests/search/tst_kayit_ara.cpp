#include "data/connection.h"
#include "program_fixture.h"
#include "sample_school.h"
#include "search/record_search.h"

#include <QComboBox>
#include <QLineEdit>
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

// The record search: the filter line it writes, what that finds the Turkish way, and how the list,
// its sort and its record count follow.
class TestKayitAra : public QObject {
    Q_OBJECT

    // The sample school and a sixth trainee with Ü and a blank in the surname.
    static void fillSchool(Connection& c) {
        fillSampleSchool(c);
        c.execute("INSERT INTO tb_kursiyer (adi, soyadi, adayno, cinsiyeti, ehliyetsinifi) VALUES "
                  "('Ümit', 'Güneş Kaya', 'Ü-6', 'Erkek', 'B')");
    }
    static QStringList listed(Dataset& d) {
        QStringList out;
        for (int row = 0; row < d.recordCount(); ++row)
            out << d.valueAt(row, d.fieldIndex("kID")).toString();
        return out;
    }
    static QStringList listed(ProgramFixture& p) { return listed(p.data().tkursiyer); }
    static void press(QWidget* dialog, const char* button) {
        dialog->findChild<QPushButton*>(button)->click();
    }
    // Types the entries and presses "Sorgula".
    static void query(QWidget* dialog, const Entries& e) {
        dialog->findChild<QLineEdit*>("Edit1")->setText(e.adi);
        dialog->findChild<QLineEdit*>("Edit2")->setText(e.soyadi);
        dialog->findChild<QLineEdit*>("Edit4")->setText(e.adayno);
        auto* classes = dialog->findChild<QComboBox*>("cb1");
        classes->setCurrentIndex(classes->findText(e.sinif));
        dialog->findChild<QComboBox*>("cb2")->setCurrentIndex(int(e.kind));
        press(dialog, "Button1");
    }
    // "Kayıt Sorgula" with the dialog worked on by `work`.
    static void openSearch(ProgramFixture& p, const std::function<void(QWidget*)>& work) {
        p.boxes().onDialog(work);
        p.press("Btn4");
    }
    static void search(ProgramFixture& p, const Entries& e) {
        openSearch(p, [=](QWidget* dialog) { query(dialog, e); });
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    void filterFinds_data() {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QString>("filter"); // not compared when empty
        QTest::addColumn<QStringList>("found");
        QTest::newRow("class OP") << Entries{"", "", "", "OP"} << "Where (ehliyetsinifi = \"OP\")"
                                  << QStringList{"4"};
        QTest::newRow("one blank") << Entries{"", " ", "", "", MatchKind::Contains}
                                   << "Where (soyadi like \"% %\")" << QStringList{"6"};
        QTest::newRow("double quote")
            << Entries{"", "", "X\"Y"} << "Where (adayno = \"X\"\"Y\")" << QStringList{"4"};
        QTest::newRow("single quote") << Entries{"", "", "o'neil"} << "" << QStringList{"3"};
        QTest::newRow("an attempt to widen") << Entries{"", "", "x\" or \"1\"=\"1"} << "" << QStringList{};
        QTest::newRow("eşittir: İ is i") << Entries{"ismail"} << "" << QStringList{"1"};
        QTest::newRow("ile başlar: i is not ı")
            << Entries{"i", "", "", "", MatchKind::BeginsWith} << "" << QStringList{"1", "2"};
        QTest::newRow("ile başlar: ı finds I")
            << Entries{"ı", "", "", "", MatchKind::BeginsWith} << "" << QStringList{"4"};
        QTest::newRow("ile başlar: ş")
            << Entries{"ş", "", "", "", MatchKind::BeginsWith} << "" << QStringList{"3"};
        QTest::newRow("ile biter: Ü")
            << Entries{"ÜMİT", "", "", "", MatchKind::EndsWith} << "" << QStringList{"6"};
        QTest::newRow("içerir: ı finds Işık")
            << Entries{"", "ışı", "", "", MatchKind::Contains} << "" << QStringList{"1"};
    }
    // The filter line alone, on a list with no window.
    void filterFinds() {
        QFETCH(Entries, entries);
        QFETCH(QString, filter);
        QFETCH(QStringList, found);
        QStringList conditions;
        for (const auto& [field, value] :
             RecordSearch::filledCriteria({entries.adi, entries.soyadi, entries.adayno, entries.sinif}))
            conditions << RecordSearch::condition(field, value, entries.kind);
        const QString line = RecordSearch::filterLine(conditions);
        if (!filter.isEmpty())
            QCOMPARE(line, filter);
        TempDatabase database;
        Connection connection;
        database.open(connection);
        fillSchool(connection);
        Dataset list(connection, "tkursiyer");
        list.setSql("select * from tb_kursiyer\n" + line + "\norder by kID");
        list.open();
        QCOMPARE(listed(list), found);
    }

    // Typed in screen order, the class before the candidate number, the conditions keep field order.
    void searchThroughTheDialog() {
        ProgramFixture p(fillSchool);
        search(p, {"İs", "ış", "a-", "B", MatchKind::BeginsWith});
        QVERIFY(!p.find("kayit_ara")->isVisible());
        QCOMPARE(p.data().tkursiyer.sqlLines(),
                 (QStringList{"select * from tb_kursiyer",
                              "Where (adi like \"İs%\") and (soyadi like \"ış%\") and (adayno like \"a-%\") "
                              "and (ehliyetsinifi like \"B%\")",
                              "order by kID"}));
        QCOMPARE(listed(p), QStringList{"1"});
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 1"));
        QVERIFY(p.boxes().seen.isEmpty());
    }

    // Each opening starts empty; with nothing filled "Sorgula" lists everyone and the dialog stays.
    void nothingFilledListsEveryone() {
        ProgramFixture p(fillSchool);
        search(p, {"can"});
        QStringList shown;
        QStringList during;
        openSearch(p, [&](QWidget* dialog) {
            for (const char* name : {"Edit1", "Edit2", "Edit4"})
                shown << dialog->findChild<QLineEdit*>(name)->text();
            for (const char* name : {"cb1", "cb2"})
                shown << dialog->findChild<QComboBox*>(name)->currentText();
            press(dialog, "Button1");
            during = dialog->isVisible() ? listed(p) : QStringList{};
            query(dialog, {"can"});
        });
        QCOMPARE(shown, (QStringList{"", "", "", "", "eşittir"}));
        QCOMPARE(during, (QStringList{"1", "2", "3", "4", "5", "6"}));
        QCOMPARE(listed(p), QStringList{"5"});
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 1"));
    }

    void sortAndSearchKeepEachOther() {
        ProgramFixture p(fillSchool);
        p.main().kaygridTitleButtonClick("soyadi");
        search(p, {"i", "", "", "", MatchKind::BeginsWith});
        QCOMPARE(listed(p), (QStringList{"2", "1"})); // Çelik before Işık
        p.main().kaygridTitleButtonClick("adayno");
        QCOMPARE(listed(p), (QStringList{"1", "2"}));
        p.main().kaygridIButtonClick();
        QCOMPARE(listed(p), (QStringList{"1", "2", "3", "4", "5", "6"}));
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 6"));
    }

    // The default error box ends "Sorgula"; the list stays as it was, and "Tüm Kayıtları Göster"
    // brings everyone back and closes the dialog.
    void refusedSearchLeavesTheList() {
        ProgramFixture p(fillSchool);
        search(p, {"can"});
        Connection other; // opened while the file is still the program's, to give the table back
        p.database().open(other);
        other.execute("DROP VIEW Query_Odemeler");
        other.execute("ALTER TABLE tb_kursiyer RENAME TO eski");
        QStringList during;
        openSearch(p, [&](QWidget* dialog) {
            query(dialog, {"ismet"});
            during = dialog->isVisible() ? listed(p) << p.data().tkursiyer.sqlLines()[1] : QStringList{};
            other.execute("ALTER TABLE eski RENAME TO tb_kursiyer");
            press(dialog, "Button2");
        });
        QCOMPARE(p.boxes().seen.size(), 1);
        QCOMPARE(p.boxes().seen[0].caption, QString("Oltravi"));
        QVERIFY(p.boxes().seen[0].text.contains("tb_kursiyer"));
        QCOMPARE(during, (QStringList{"5", "Where (adi = \"can\")"}));
        QVERIFY(!p.find("kayit_ara")->isVisible());
        QCOMPARE(p.data().tkursiyer.sqlLines()[1], QString("where kID > 0"));
        QCOMPARE(p.statusCount(), QString(" Kayıt Sayısı : 6"));
    }
};

QTEST_MAIN(TestKayitAra)
#include "tst_kayit_ara.moc"
