#include "data/database_error.h"
#include "data/dataset.h"
#include "program_fixture.h"
#include "sample_school.h"

#include <QLineEdit>

enum class Command { Save, Delete, Paid };
Q_DECLARE_METATYPE(Command)

// Two copies of the program on one database file: a row that the other copy changed or deleted
// is never overwritten. The command fails whole with the message, and what the user entered
// stays on the screen.
class TestRowVersions : public QObject {
    Q_OBJECT

    // The other desk writes through a connection and a dataset of its own, as its copy would.
    static void otherDeskWrites(ProgramFixture& p, const QString& sql, bool deletes, const QString& field,
                                const QVariant& value) {
        Connection connection;
        p.database().open(connection);
        Dataset row(connection, "baska");
        row.setSql(sql);
        row.open();
        if (deletes) {
            row.deleteRow();
        } else {
            row.setValue(field, value);
            row.post();
        }
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    void rowOfTheOtherCopyIsNeverOverwritten_data() {
        QTest::addColumn<Command>("command");
        QTest::addColumn<bool>("otherDeletes");
        for (auto [command, name] : {std::pair{Command::Save, "save"}, std::pair{Command::Delete, "delete"},
                                     std::pair{Command::Paid, "Ödendi"}})
            for (bool otherDeletes : {false, true})
                QTest::addRow("%s of a row the other %s", name, otherDeletes ? "deleted" : "changed")
                    << command << otherDeletes;
    }
    void rowOfTheOtherCopyIsNeverOverwritten() {
        QFETCH(Command, command);
        QFETCH(bool, otherDeletes);
        ProgramFixture p(fillSampleSchool);
        if (command == Command::Save) {
            p.press("Button2");
            p.enter("adi", "Yeni");
        } else if (command == Command::Paid) {
            p.press("Button9");
        }
        if (command == Command::Paid)
            otherDeskWrites(p, "select * from tb_odeme where odemeID = 1", otherDeletes, "Odendi", false);
        else
            otherDeskWrites(p, "select * from tb_kursiyer where kID = 1", otherDeletes, "soyadi", "Başka");
        const QStringList stored = p.database().rows();
        const qsizetype boxes = p.boxes().seen.size();

        if (command == Command::Delete)
            p.boxes().answer(QMessageBox::Yes);
        p.press(command == Command::Save ? "Button1" : command == Command::Delete ? "Button3" : "Button13");

        QCOMPARE(p.boxes().seen.size(), boxes + (command == Command::Delete ? 2 : 1));
        QCOMPARE(p.boxes().seen.last().text, RowChangedElsewhereText);
        QCOMPARE(p.database().rows(), stored);
        frm_DataMod& d = p.data();
        QCOMPARE(d.tkursiyer.recordCount(), 5);
        QCOMPARE(d.tkursiyer.value("kID").toInt(), 1);
        if (command == Command::Paid) {
            QCOMPARE(d.todemeler.state(), Dataset::State::Browse);
            QCOMPARE(d.todemeler.value("Odendi").toBool(), true);
        }
        if (command != Command::Save)
            return;
        QVERIFY(p.inRecordMode());
        QCOMPARE(p.find<QLineEdit>("adi")->text(), QString("Yeni"));
        // Cancelling shows the trainee as the database now holds it, or no longer lists it.
        p.press("Button2");
        QCOMPARE(d.tkursiyer.recordCount(), otherDeletes ? 4 : 5);
        QCOMPARE(d.tkursiyer.value("soyadi").toString(), QString(otherDeletes ? "Çelik" : "Başka"));
    }
};

QTEST_MAIN(TestRowVersions)
#include "tst_row_versions.moc"
