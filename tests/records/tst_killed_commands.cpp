#include "data/connection.h"
#include "program_fixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <map>

// A program killed in the middle of a command leaves the whole command in the database or none
// of it: never a trainee without the payments typed for it, a plan that no longer adds up to the
// fee, or payments of a deleted trainee.
class TestKilledCommands : public QObject {
    Q_OBJECT

    static int number(Connection& c, const QString& sql) {
        Statement s(c.handle(), sql);
        s.step();
        return sqlite3_column_int(s.handle(), 0);
    }

    // Every trainee holds its 50 and either no plan or the whole 999-installment plan of its fee.
    static void verifyWholeCommands(TempDatabase& database) {
        Connection c;
        database.open(c);
        QCOMPARE(number(c, "SELECT count(*) FROM pragma_integrity_check WHERE integrity_check <> 'ok'"), 0);
        QCOMPARE(
            number(c, "SELECT count(*) FROM tb_kursiyer k WHERE "
                      "(SELECT count(*) FROM tb_odeme o WHERE o.kID = k.kID) NOT IN (1, 1000) OR "
                      "(SELECT round(sum(miktar), 2) FROM tb_odeme o WHERE o.kID = k.kID) NOT IN (50, 1050)"),
            0);
        QCOMPARE(
            number(
                c,
                "SELECT count(*) FROM tb_odeme WHERE kID <> 0 AND kID NOT IN (SELECT kID FROM tb_kursiyer)"),
            0);
        QVERIFY(number(c, "SELECT count(*) FROM tb_odeme WHERE kID = 0 AND miktar <> 50") == 0);
    }

private slots:
    void initTestCase() { useProgramLocale(); }

    void killedCommandsAreWholeOrAbsent() {
        TempDatabase database;
        std::map<QString, int> killsByPhase;
        QRandomGenerator random(20261209);
        const int kills = 60;
        for (int k = 0; k < kills; ++k) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(KILL_CHILD, {database.folder()});
            QVERIFY(child.waitForStarted());
            QString phase;
            bool ready = false;
            const auto readPhase = [&] {
                while (child.canReadLine()) {
                    phase = QString::fromUtf8(child.readLine()).trimmed();
                    ready = ready || phase == "hazir";
                }
            };
            while (!ready && child.waitForReadyRead(10000))
                readPhase();
            QVERIFY(ready);
            // Spread over about two rounds of the commands.
            QElapsedTimer running;
            running.start();
            for (const qint64 delay = random.bounded(0, 1000); running.elapsed() < delay;) {
                child.waitForReadyRead(int(delay - running.elapsed()));
                readPhase();
            }
            child.kill();
            QVERIFY(child.waitForFinished());
            readPhase();
            ++killsByPhase[phase];
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
