#include "data/connection.h"
#include "data/program_session.h"
#include "program_fixture.h"
#include "server_database.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>

#include <map>

// A program killed in the middle of a command leaves the whole command in the database or none
// of it: never a trainee without the payments typed for it, a plan that no longer adds up to the
// fee, or payments of a deleted trainee. On the server the killed desk's session ends with it.
class TestKilledCommands : public QObject {
    Q_OBJECT

    static qint64 number(Connection& c, const QString& sql) {
        Statement s(c, sql);
        s.step();
        return s.integer(0);
    }

    // Every trainee holds its 50 and either no plan or the whole 999-installment plan of its fee.
    static void verifyWholeCommands(TempDatabase& database) {
        Connection c;
        database.open(c);
        if (!c.isServer())
            QCOMPARE(number(c, "SELECT count(*) FROM pragma_integrity_check WHERE integrity_check <> 'ok'"),
                     0);
        QCOMPARE(number(c,
                        "SELECT count(*) FROM tb_kursiyer k WHERE "
                        "(SELECT count(*) FROM tb_odeme o WHERE o.kID = k.kID) NOT IN (1, 1000) OR "
                        "(SELECT round(CAST(sum(miktar) AS numeric), 2) FROM tb_odeme o WHERE o.kID = k.kID) "
                        "NOT IN (50, 1050)"),
                 0);
        QCOMPARE(
            number(
                c,
                "SELECT count(*) FROM tb_odeme WHERE kID <> 0 AND kID NOT IN (SELECT kID FROM tb_kursiyer)"),
            0);
        QCOMPARE(number(c, "SELECT count(*) FROM tb_odeme WHERE kID = 0 AND miktar <> 50"), 0);
    }

    // Once the server has noticed the killed desk's connection gone, nothing of its session is left:
    // no lock of any desk, and a new desk takes its session token's place.
    static void verifySessionEnded(TempDatabase& database, qint64 pid, const QString& token) {
        Connection c;
        database.open(c);
        QTRY_COMPARE_WITH_TIMEOUT(
            number(c, QString("SELECT count(*) FROM pg_stat_activity WHERE pid = %1").arg(pid)), 0, 10000);
        QCOMPARE(number(c, QString("SELECT count(*) FROM pg_locks WHERE pid = %1 OR (pid <> pg_backend_pid() "
                                   "AND pid IN (SELECT pid FROM pg_stat_activity WHERE backend_type = "
                                   "'client backend'))")
                               .arg(pid)),
                 0);
        const ProgramSession newDesk(c);
        QVERIFY(!newDesk.isRunning(token));
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    void killedCommandsAreWholeOrAbsent() {
        TempDatabase database;
        std::map<QString, int> killsByPhase;
        QRandomGenerator random(20261209);
        // A round of the commands takes about twice as long on the server, and each kill there waits
        // for the server to end the session as well: fewer kills, spread as widely over the rounds.
        const int kills = ServerDatabase::serverRun() ? 25 : 60;
        const int spread = ServerDatabase::serverRun() ? 2000 : 1000;
        for (int k = 0; k < kills; ++k) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(KILL_CHILD, {database.folder()});
            QVERIFY(child.waitForStarted());
            QString phase;
            qint64 serverPid = 0;
            QString token;
            bool ready = false;
            const auto readPhase = [&] {
                while (child.canReadLine()) {
                    phase = QString::fromUtf8(child.readLine()).trimmed();
                    if (phase.startsWith("oturum ")) {
                        serverPid = phase.section(' ', 1, 1).toLongLong();
                        token = phase.section(' ', 2, 2);
                    }
                    ready = ready || phase == "hazir";
                }
            };
            while (!ready && child.waitForReadyRead(10000))
                readPhase();
            QVERIFY(ready);
            QCOMPARE(serverPid != 0, ServerDatabase::serverRun());
            // Spread over about two rounds of the commands.
            QElapsedTimer running;
            running.start();
            for (const qint64 delay = random.bounded(0, spread); running.elapsed() < delay;) {
                child.waitForReadyRead(int(delay - running.elapsed()));
                readPhase();
            }
            child.kill();
            QVERIFY(child.waitForFinished());
            readPhase();
            ++killsByPhase[phase];
            if (serverPid)
                verifySessionEnded(database, serverPid, token);
            verifyWholeCommands(database);
            if (QTest::currentTestFailed())
                return;
        }
        QString report;
        for (const auto& [phase, count] : killsByPhase)
            report += QString(" %1=%2").arg(phase).arg(count);
        qInfo("kills by command:%s", qPrintable(report));
        QVERIFY(killsByPhase["kaydet"] + killsByPhase["taksit"] + killsByPhase["sil"] >= kills / 2);
    }
};

QTEST_MAIN(TestKilledCommands)
#include "tst_killed_commands.moc"
