#include "data/connection.h"
#include "data/program_session.h"
#include "program_fixture.h"
#include "sample_school.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLockFile>
#include <QSysInfo>

#include "server_database.h"

// Payments typed for a trainee not yet saved belong to the copy of the program that typed them:
// two copies on one database never take or delete each other's, and leftovers of a copy that is
// gone are cleared only once no running copy can own them.
class TestPendingEntries : public QObject {
    Q_OBJECT

    struct Entry {
        ProgramFixture& copy;
        QString candidateNo;
        QStringList amounts;
    };

    static void begin(const Entry& e) {
        e.copy.press("Button1");
        e.copy.fillRequired(e.candidateNo);
        for (const QString& amount : e.amounts)
            e.copy.addPayment(amount);
    }
    static void end(const Entry& e, bool save) {
        e.copy.press(save ? "Button1" : "Button2");
        QVERIFY(!e.copy.inRecordMode());
    }
    // The amounts now stored for the entry's trainee, or "none" when it was not saved.
    static QStringList storedFor(ProgramFixture& p, const Entry& e) {
        Connection connection;
        p.database().open(connection);
        Statement s(connection,
                    "SELECT o.miktar FROM tb_odeme o JOIN tb_kursiyer k ON o.kID = k.kID WHERE k.adayno = '" +
                        e.candidateNo + "' ORDER BY o.odemeID");
        QStringList amounts;
        while (s.step())
            amounts << QString::number(s.integer(0));
        return p.count("adayno = '" + e.candidateNo + "'") == 0 ? QStringList{"none"} : amounts;
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    void twoCopiesKeepTheirOwnPayments_data() {
        QTest::addColumn<bool>("firstSaves");
        QTest::addColumn<bool>("secondSaves");
        QTest::addColumn<bool>("secondEndsFirst");
        for (bool firstSaves : {true, false})
            for (bool secondSaves : {true, false})
                for (bool secondEndsFirst : {true, false})
                    QTest::addRow("first %s, second %s, %s ends first", firstSaves ? "saves" : "cancels",
                                  secondSaves ? "saves" : "cancels", secondEndsFirst ? "second" : "first")
                        << firstSaves << secondSaves << secondEndsFirst;
    }
    void twoCopiesKeepTheirOwnPayments() {
        QFETCH(bool, firstSaves);
        QFETCH(bool, secondSaves);
        QFETCH(bool, secondEndsFirst);
        ProgramFixture first(fillSampleSchool);
        const Entry a{first, "Y-A", {"11", "12"}};
        begin(a);
        ProgramFixture second(first.database().folder());
        const Entry b{second, "Y-B", {"21"}};
        begin(b);
        QCOMPARE(second.find<QLineEdit>("mx2")->text(), QString("21,00"));
        if (secondEndsFirst)
            end(b, secondSaves);
        end(a, firstSaves);
        if (!secondEndsFirst)
            end(b, secondSaves);
        QCOMPARE(storedFor(first, a), firstSaves ? a.amounts : QStringList{"none"});
        QCOMPARE(storedFor(first, b), secondSaves ? b.amounts : QStringList{"none"});
        QCOMPARE(first.count("kID = 0", "tb_odeme"), 0);
    }

    // An entry belongs to its copy for as long as that copy runs, and is cleared once it is gone.
    void leftoversOfACopyGoWithIt() {
        TempDatabase database;
        auto running = std::make_unique<ProgramFixture>(database.folder());
        const QString token = running->data().entryToken();
        database.execute({"INSERT INTO tb_odeme (miktar, kID, giris) VALUES (1, 0, '" + token + "')",
                          "INSERT INTO tb_odeme (miktar, kID, giris) VALUES (2, 0, 'biten')",
                          "INSERT INTO tb_odeme (miktar, kID) VALUES (3, 0)"});
        ProgramFixture p(database.folder());
        QCOMPARE(p.paymentsOf(0), QStringList{"1.0/0"});
        p.press("Button1");
        QCOMPARE(p.paymentsOf(0), QStringList{"1.0/0"});
        running.reset();
        p.press("Button2");
        p.press("Button1");
        QCOMPARE(p.paymentsOf(0), QStringList{});
    }

    // A desk whose connection the server ended (a crash, a pulled cable) no longer owns its entry.
    void aDeskCutOffFromTheServerOwnsNothing() {
        if (!ServerDatabase::serverRun())
            QSKIP("the server's own rule: its session locks end with the connection");
        TempDatabase database;
        Connection gone;
        database.open(gone);
        ProgramSession goneSession(gone);
        Connection here;
        database.open(here);
        ProgramSession hereSession(here);
        QVERIFY(hereSession.isRunning(goneSession.token()));
        QVERIFY(hereSession.othersRunning());
        {
            Statement pid(gone, "SELECT pg_backend_pid()");
            pid.step();
            here.execute(QString("SELECT pg_terminate_backend(%1)").arg(pid.integer(0)));
        }
        QTRY_VERIFY(!hereSession.isRunning(goneSession.token()));
        QVERIFY(!hereSession.othersRunning());
    }

    // The file's own rule: a copy holds a lock file in "oturumlar", and a killed copy's file is stale.
    void leftoversAreClearedOnlyWhenNoCopyOwnsThem() {
        if (ServerDatabase::serverRun())
            QSKIP("the file's own rule: lock files beside the database");
        TempDatabase database;
        const QString sessions = QDir(database.folder()).filePath("oturumlar");
        QVERIFY(QDir().mkpath(sessions));
        QLockFile running(sessions + "/canli.lock");
        running.setStaleLockTime(0);
        QVERIFY(running.tryLock());
        database.execute({"INSERT INTO tb_odeme (miktar, kID, giris) VALUES (1, 0, 'canli')",
                          "INSERT INTO tb_odeme (miktar, kID, giris) VALUES (2, 0, 'biten')",
                          "INSERT INTO tb_odeme (miktar, kID) VALUES (3, 0)"});
        // What a killed copy leaves: a lock file naming a process that no longer runs.
        QFile dead(sessions + "/biten.lock");
        QVERIFY(dead.open(QIODevice::WriteOnly));
        dead.write("2147483646\nkalvista\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        dead.close();
        ProgramFixture p(database.folder());
        QCOMPARE(p.paymentsOf(0), QStringList{"1.0/0"});
        QVERIFY(!dead.exists());
        QVERIFY(QFile::exists(sessions + "/canli.lock"));
        p.press("Button1");
        QCOMPARE(p.paymentsOf(0), QStringList{"1.0/0"});
        running.unlock();
        p.press("Button2");
        p.press("Button1");
        QCOMPARE(p.paymentsOf(0), QStringList{});
    }

    // A restore's copy left by a killed copy is taken away by the next start, but not while
    // another copy runs, which may be writing it.
    void temporaryFilesGoOnlyWhenNoOtherCopyRuns() {
        if (ServerDatabase::serverRun())
            QSKIP("the file's own rule: temporary files beside the database");
        TempDatabase database;
        const QString leftover = database.path() + ".gelen";
        {
            ProgramFixture first(database.folder());
            QFile file(leftover);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.close();
            ProgramFixture second(database.folder());
            QVERIFY(QFile::exists(leftover));
        }
        ProgramFixture alone(database.folder());
        QVERIFY(!QFile::exists(leftover));
    }
};

QTEST_MAIN(TestPendingEntries)
#include "tst_pending_entries.moc"
