#include "data/candidate_numbers.h"
#include "data/connection.h"
#include "data/database_error.h"
#include "data/jet_dialect.h"
#include "data/transaction.h"
#include "import/import_write.h"

#include "test_support.h"

#include <QSemaphore>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr int FileRows = 1500;

// The number the first desk saves, and the first row of the import file; the other desks save it
// in the other letter case.
const QString FirstNo = QStringLiteral("İS-0001");
const QString OtherCaseNo = QStringLiteral("is-0001");
const QString AllAdded = QStringLiteral("1.500 kursiyer eklendi, 0 güncellendi, 0 satır atlandı.");

int countOf(Connection& connection, const QString& jetWhere) {
    Statement count(connection,
                    translateJet("select count(*) from tb_kursiyer where " + jetWhere, connection.dialect()));
    count.step();
    return int(count.integer(0));
}

// Where the first desk stands once it has checked and before it writes, until it is let go (a test
// that fails first leaves it there a minute at most).
class Gate {
public:
    void standHere() {
        m_reached.release();
        m_open.tryAcquire(1, 60000);
    }
    bool reached() { return m_reached.tryAcquire(1, 30000); }
    void open() { m_open.release(100); }

private:
    QSemaphore m_reached;
    QSemaphore m_open;
};

// A desk of its own: a thread with a connection of its own, its outcome a text.
class Desk {
public:
    explicit Desk(std::function<QString()> work)
        : m_thread(QThread::create([this, work = std::move(work)] {
              try {
                  m_outcome = work();
              } catch (const DatabaseError& e) {
                  m_outcome = e.message();
              } catch (const ImportError& e) {
                  m_outcome = e.message();
              }
          })) {
        m_thread->start();
    }
    ~Desk() { m_thread->wait(); }
    QString outcome() {
        m_thread->wait(60000);
        return m_outcome;
    }

private:
    QString m_outcome = "still at work";
    std::unique_ptr<QThread> m_thread;
};

} // namespace

// Two or three desks giving the same candidate number at once, on either backend: a desk saving a
// new trainee, or an import. Each desk counts the number (or reads the stored ones) in the write
// transaction that stores it; the first stops between its check and its write while the others
// start, and they must wait for it and then find its rows.
class TestCandidateNumbers : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::optional<TempDatabase> m_database;
    QString m_file;
    ImportSetup m_setup;
    std::vector<AmountStyle> m_styles;
    std::optional<Gate> m_gate;

    // A save of a new trainee as the main window stores it: the count, then the row.
    QString save(Connection& c, const QString& number, bool first) {
        Transaction save(c);
        const bool taken = countHeldCandidateNo(c, number) > 0;
        if (first)
            m_gate->standHere();
        if (taken)
            return "alınmış";
        Statement insert(c, "INSERT INTO tb_kursiyer (adi, soyadi, adayno) VALUES ('Yeni', 'Kursiyer', ?)");
        insert.bind(1, number);
        insert.execute();
        save.commit();
        return "kaydedildi";
    }

    QString import(Connection& c, bool first) {
        bool paused = false;
        const std::optional<ImportResult> result = writeImport(c, m_file, {}, m_setup, m_styles, [&](double) {
            if (first && !std::exchange(paused, true))
                m_gate->standHere();
            return true;
        });
        return result ? result->text(ImportKind::Trainees) : "durdu";
    }

    // `desk` is "save" or "import"; the first desk stops at the gate.
    QString work(const QString& desk, bool first) {
        Connection c;
        m_database->open(c);
        return desk == "save" ? save(c, first ? FirstNo : OtherCaseNo, first) : import(c, first);
    }

    std::unique_ptr<Desk> startFirst(const QString& desk) {
        return std::make_unique<Desk>([this, desk] { return work(desk, true); });
    }

    int count(const QString& jetWhere) {
        Connection c;
        m_database->open(c);
        return countOf(c, jetWhere);
    }

private slots:
    void initTestCase() {
        useProgramLocale();
        QStringList lines{"Adı;Soyadı;Aday No;Cinsiyeti;Ehliyet Sınıfı"};
        for (int i = 1; i <= FileRows; ++i)
            lines << QString("Ali;Kaya;İS-%1;Erkek;B").arg(i, 4, 10, QChar('0'));
        m_file = m_dir.filePath("kursiyerler.csv");
        QFile out(m_file);
        if (!out.open(QIODevice::WriteOnly) || out.write(lines.join("\r\n").toUtf8() + "\r\n") < 0)
            qFatal("cannot write %s", qPrintable(m_file));
        out.close();
        m_setup = {
            ImportKind::Trainees,
            matchAutomatically(openImportFile(m_file)->captions(), ImportKind::Trainees, ImportFormat::Text),
            false, ExistingRows::Skip};
    }
    void init() {
        m_database.emplace();
        m_gate.emplace();
        Connection c;
        m_database->open(c);
        m_styles = checkFile(m_file, {}, m_setup, KnownRecords::read(c, ImportKind::Trainees), 10, {}, {})
                       ->amountStyles;
    }
    void cleanup() { m_database.reset(); }

    // `desks` in the order they start; each desk's outcome; the trainees stored in the end.
    void race_data() {
        QTest::addColumn<QStringList>("desks");
        QTest::addColumn<QStringList>("outcomes");
        QTest::addColumn<int>("trainees");
        const QString none = "0 kursiyer eklendi, 0 güncellendi, 1.500 satır atlandı.";
        QTest::newRow("two saves") << QStringList{"save", "save"} << QStringList{"kaydedildi", "alınmış"}
                                   << 1;
        QTest::newRow("a third save joins")
            << QStringList{"save", "save", "save"} << QStringList{"kaydedildi", "alınmış", "alınmış"} << 1;
        QTest::newRow("an import joins a save")
            << QStringList{"save", "import"}
            << QStringList{"kaydedildi", "1.499 kursiyer eklendi, 0 güncellendi, 1 satır atlandı."}
            << FileRows;
        QTest::newRow("two imports") << QStringList{"import", "import"} << QStringList{AllAdded, none}
                                     << FileRows;
        QTest::newRow("a third import joins")
            << QStringList{"import", "import", "import"} << QStringList{AllAdded, none, none} << FileRows;
        QTest::newRow("a save joins two imports")
            << QStringList{"import", "import", "save"} << QStringList{AllAdded, none, "alınmış"} << FileRows;
    }
    void race() {
        QFETCH(QStringList, desks);
        QFETCH(QStringList, outcomes);
        QFETCH(int, trainees);
        std::vector<std::unique_ptr<Desk>> started;
        started.push_back(startFirst(desks[0]));
        QVERIFY(m_gate->reached());
        for (qsizetype d = 1; d < desks.size(); ++d)
            started.push_back(std::make_unique<Desk>([this, desk = desks[d]] { return work(desk, false); }));
        QVERIFY(waitForLockWaiters(*m_database, int(desks.size()) - 1));
        m_gate->open();
        QStringList seen;
        for (const auto& desk : started)
            seen << desk->outcome();
        QCOMPARE(seen, outcomes);
        QCOMPARE(count("1 = 1"), trainees);
        QCOMPARE(count("adayno = '" + OtherCaseNo + "'"), 1);
    }

    // The desk waiting gives up after the lock wait with the busy message and writes nothing, while
    // another program holds the database, or a desk stands between its check and its write.
    void waiterGivesUp_data() {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<QString>("waiter");
        QTest::addColumn<int>("trainees"); // what the holder stores
        for (const char* waiter : {"save", "import"}) {
            QTest::addRow("%s waits for another program", waiter) << "program" << waiter << 0;
            QTest::addRow("%s waits for a save", waiter) << "save" << waiter << 1;
            QTest::addRow("%s waits for an import", waiter) << "import" << waiter << FileRows;
        }
    }
    void waiterGivesUp() {
        QFETCH(QString, holder);
        QFETCH(QString, waiter);
        QFETCH(int, trainees);
        Connection c;
        m_database->open(c);
        waitBriefly(c);
        std::optional<DatabaseLock> lock;
        std::unique_ptr<Desk> holding;
        if (holder == "program") {
            lock.emplace(*m_database);
        } else {
            holding = startFirst(holder);
            QVERIFY(m_gate->reached());
        }
        try {
            const QString outcome = waiter == "save" ? save(c, OtherCaseNo, false) : import(c, false);
            QFAIL(qPrintable("not refused: " + outcome));
        } catch (const DatabaseError& e) {
            QVERIFY2(e.message().contains("Biraz sonra yeniden deneyin."), qPrintable(e.message()));
        }
        lock.reset();
        m_gate->open();
        if (holding)
            QCOMPARE(holding->outcome(), holder == "save" ? "kaydedildi" : AllAdded);
        QCOMPARE(count("1 = 1"), trainees);
    }

    // The server is lost to the desk waiting: it says so, and nothing of it is written.
    void serverLostWhileWaiting_data() {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<QString>("waiter");
        QTest::addColumn<int>("trainees"); // what the holder stores
        QTest::newRow("a save waits for a save") << "save"
                                                 << "save" << 1;
        QTest::newRow("an import waits for an import") << "import"
                                                       << "import" << FileRows;
        QTest::newRow("a save waits for an import") << "import"
                                                    << "save" << FileRows;
    }
    void serverLostWhileWaiting() {
        QFETCH(QString, holder);
        QFETCH(QString, waiter);
        QFETCH(int, trainees);
        Connection observer;
        m_database->open(observer);
        if (!observer.isServer())
            QSKIP("only a server can be lost while a desk waits for it");
        const std::unique_ptr<Desk> holding = startFirst(holder);
        QVERIFY(m_gate->reached());
        Desk waiting([this, waiter] { return work(waiter, false); });
        QVERIFY(waitForLockWaiters(*m_database, 1));
        observer.execute("SELECT pg_terminate_backend(pid) FROM pg_locks WHERE NOT granted AND database = "
                         "(SELECT oid FROM pg_database WHERE datname = current_database())");
        QVERIFY2(waiting.outcome().contains("bağlantı koptu"), qPrintable(waiting.outcome()));
        m_gate->open();
        QCOMPARE(holding->outcome(), holder == "save" ? "kaydedildi" : AllAdded);
        QCOMPARE(countOf(observer, "1 = 1"), trainees);
    }
};

QTEST_GUILESS_MAIN(TestCandidateNumbers)
#include "tst_candidate_numbers.moc"
