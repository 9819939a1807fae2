#include "data/backup.h"
#include "data/connection.h"
#include "lessons/lesson_store.h"

#include "test_support.h"

#include <QThread>
#include <QtTest>

#include <memory>

#include <time.h>

using namespace Lessons;

namespace {

const QDate Monday(2026, 12, 7);

// Trainees 1 (2024-0012 Ayşe Kaya, B) and 2 (2024-0013 Can Öz, B); instructors 1 (Ahmet Yılmaz)
// and 2 (Elif Demir); vehicles 1 (34 ABC 123) and 2 (06 XY 42).
void fillSchool(Connection& c) {
    c.execute("INSERT INTO tb_kursiyer (adi, soyadi, adayno, ehliyetsinifi) VALUES "
              "('Ayşe', 'Kaya', '2024-0012', 'B'), ('Can', 'Öz', '2024-0013', 'B')");
    c.execute("INSERT INTO tb_egitmen (adi, soyadi, siniflar, aktif) VALUES "
              "('Ahmet', 'Yılmaz', 'B', -1), ('Elif', 'Demir', 'B,A2', -1)");
    c.execute("INSERT INTO tb_arac (aracAD, aracPLAKA) VALUES ('Egea', '34 ABC 123'), ('Clio', '06 XY 42')");
}

Booking booking(qint64 kID, qint64 egitmenID, qint64 aracID, const char* clock, int minutes = 60,
                const QDate& day = Monday) {
    return {kID, egitmenID, aracID, day, clock, minutes, aracID ? Driving : Simulator};
}

qint64 count(Connection& c, const QString& where) {
    Statement s(c, "SELECT count(*) FROM tb_ders WHERE " + where);
    s.step();
    return s.integer(0);
}

} // namespace

Q_DECLARE_METATYPE(Lessons::Booking)

// Lessons on a real database, on either backend: the clash rule as the program checks it and as
// the database holds it, two desks at once, the week, free hours, the trainee's hours, faults.
class TestLessons : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    // Lesson 1 stands: trainee 1 with instructor 1 in vehicle 1, 10:00-11:00; lesson 2 was
    // cancelled: trainee 2 with instructor 2 in vehicle 2, 12:00-13:00.
    void clashRule_data() {
        QTest::addColumn<Booking>("next");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("touching before") << booking(2, 1, 1, "09:00") << "";
        QTest::newRow("touching after") << booking(2, 1, 1, "11:00") << "";
        QTest::newRow("instructor one minute over")
            << booking(2, 1, 2, "09:00", 61)
            << "\nBu saatte eğitmenin başka dersi var: Ahmet Yılmaz - 2024-0012 Ayşe Kaya, 10:00-11:00.";
        QTest::newRow("vehicle")
            << booking(2, 2, 1, "10:30")
            << "\nBu saatte aracın başka dersi var: 34 ABC 123 - 2024-0012 Ayşe Kaya, 10:00-11:00.";
        QTest::newRow("same trainee, another instructor")
            << booking(1, 2, 2, "10:15", 30)
            << "\nBu saatte kursiyerin başka dersi var: 2024-0012 Ayşe Kaya - Ahmet Yılmaz, 10:00-11:00.";
        QTest::newRow("instructor named before vehicle")
            << booking(2, 1, 1, "10:00")
            << "\nBu saatte eğitmenin başka dersi var: Ahmet Yılmaz - 2024-0012 Ayşe Kaya, 10:00-11:00.";
        QTest::newRow("simulator, no vehicle") << booking(2, 2, 0, "10:00") << "";
        QTest::newRow("over a cancelled lesson") << booking(2, 2, 2, "12:00") << "";
    }
    void clashRule() {
        QFETCH(Booking, next);
        QFETCH(QString, refusal);
        TempDatabase db;
        Connection c;
        db.open(c);
        fillSchool(c);
        saveLesson(c, booking(1, 1, 1, "10:00"), Planned, {});
        saveLesson(c, booking(2, 2, 2, "12:00"), Cancelled, {});
        QString refused;
        try {
            saveLesson(c, next, Planned, "ikinci");
        } catch (const LessonRefused& e) {
            refused = e.message();
        }
        QCOMPARE(refused, refusal);
        QCOMPARE(count(c, "aciklama = 'ikinci'"), refusal.isEmpty() ? 1 : 0);
        if (refusal.isEmpty())
            return;
        // The database holds the rule itself: the same lesson written around the program fails.
        Statement direct(c, "INSERT INTO tb_ders (kID, egitmenID, aracID, baslangic, bitis, tur, durum) "
                            "VALUES (?, ?, ?, ?, ?, ?, 'Planlandı')");
        const Span span = spanOf(next);
        direct.bind(1, next.kID);
        direct.bind(2, next.egitmenID);
        direct.bind(3, next.aracID ? QVariant(next.aracID) : QVariant());
        direct.bind(4, span.start.toString("yyyy-MM-dd HH:mm:ss"));
        direct.bind(5, span.end.toString("yyyy-MM-dd HH:mm:ss"));
        direct.bind(6, next.kind);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, direct.execute());
        QCOMPARE(count(c, "1 = 1"), 2);
    }

    // A lesson moved or given a state is checked against the others, never against itself; a
    // cancelled one taken back is checked like a new one.
    void changesAreChecked() {
        TempDatabase db;
        Connection c;
        db.open(c);
        fillSchool(c);
        const qint64 first = saveLesson(c, booking(1, 1, 1, "10:00"), Planned, {});
        saveLesson(c, booking(1, 1, 1, "10:30"), Cancelled, {});
        setLessonState(c, first, Done);
        saveLesson(c, booking(1, 1, 1, "10:15", 45), Done, "kaydırıldı", first, 1);
        QCOMPARE(count(c, "aciklama = 'kaydırıldı' AND baslangic = '2026-12-07 10:15:00'"), 1);
        QVERIFY_THROWS_EXCEPTION(LessonRefused, setLessonState(c, first + 1, Planned));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, saveLesson(c, booking(1, 1, 1, "08:00"), Done, {}, first, 1));
    }

    // Two desks book the same hour at once: one lesson is written, the other desk is told whose.
    void twoDesksBookTheSameHour() {
        TempDatabase db;
        {
            Connection c;
            db.open(c);
            fillSchool(c);
        }
        QString refusals[2];
        std::unique_ptr<QThread> desks[2];
        for (int d = 0; d < 2; ++d) {
            desks[d].reset(QThread::create([&, d] {
                Connection c;
                db.open(c);
                try {
                    saveLesson(c, booking(1 + d, 1, 1 + d, "10:00"), Planned, {});
                } catch (const DatabaseError& e) {
                    refusals[d] = e.message();
                }
            }));
            desks[d]->start();
        }
        for (auto& desk : desks)
            QVERIFY(desk->wait(60000));
        Connection c;
        db.open(c);
        QCOMPARE(count(c, "1 = 1"), 1);
        QCOMPARE(int(refusals[0].isEmpty()) + int(refusals[1].isEmpty()), 1);
        QVERIFY2(
            (refusals[0] + refusals[1]).startsWith("\nBu saatte eğitmenin başka dersi var: Ahmet Yılmaz"),
            qPrintable(refusals[0] + refusals[1]));
    }

    // The week across a change of month and year, its free hours, and the trainee's hours.
    void weekFreeHoursAndTotals() {
        TempDatabase db;
        Connection c;
        db.open(c);
        fillSchool(c);
        const QDate monday(2026, 12, 28);
        saveLesson(c, booking(1, 1, 1, "08:00", 120, monday.addDays(-1)), Done, {});
        saveLesson(c, booking(1, 1, 1, "08:00", 90, monday), Done, {});
        saveLesson(c, booking(1, 1, 1, "12:00", 60, monday), Missed, {});
        saveLesson(c, booking(1, 1, 1, "14:00", 60, monday), Cancelled, {});
        saveLesson(c, booking(1, 1, 1, "09:00", 240, QDate(2027, 1, 3)), Planned, {});
        saveLesson(c, booking(1, 1, 0, "10:00", 45, QDate(2027, 1, 4)), Planned, {});
        QStringList week;
        for (const Lesson& l : weekOf(c, Resource::Instructor, 1, monday))
            week << l.span.start.toString("dd.MM.yyyy HH:mm") + ' ' + l.state + ' ' + l.plate;
        QCOMPARE(week,
                 (QStringList{"28.12.2026 08:00 Yapıldı 34 ABC 123", "28.12.2026 12:00 Gelmedi 34 ABC 123",
                              "28.12.2026 14:00 İptal 34 ABC 123", "03.01.2027 09:00 Planlandı 34 ABC 123"}));
        QCOMPARE(weekOf(c, Resource::Vehicle, 2, monday).size(), size_t(0));
        const std::vector<Gap> gaps = freeGapsOf(c, Resource::Instructor, 1, monday, 60);
        QCOMPARE(gaps.front().start, QTime(9, 30));
        QCOMPARE(gaps.front().end, QTime(12, 0));
        QCOMPARE(gaps[1].start, QTime(13, 0)); // the cancelled lesson leaves its hour free
        QCOMPARE(gaps.back().day, QDate(2027, 1, 3));
        QCOMPARE(gaps.back().start, QTime(13, 0));
        c.execute("UPDATE tb_ders_hakki SET direksiyon_saat = 16 WHERE sinif = 'B'");
        const TraineeHours hours = hoursOf(c, 1, lessonsOf(c, 1));
        QCOMPARE(hoursSummary(hours.driving),
                 "Hak: 16 saat - Yapılan: 4,5 saat - Planlanan: 4 saat - Kalan: 7,5 saat - Gelmedi: 1 ders");
        QCOMPARE(hours.simulator.lessons, 1);
        QCOMPARE(lessonCountOf(c, 1), 5);
        QCOMPARE(lessonCountOf(c, 1, wallClock(QDate(2027, 1, 1), QTime(0, 0))), 2);
    }

    // A copy of the database, from either backend, is a file that holds the rule as the file does.
    void copyKeepsTheRule() {
        TempDatabase db;
        Connection c;
        db.open(c);
        fillSchool(c);
        saveLesson(c, booking(1, 1, 1, "10:00"), Planned, {});
        Connection copy;
        copy.setConnectionString("Data Source=" + Backup::takeCopy(c, QDateTime::currentDateTime()));
        copy.open();
        QCOMPARE(count(copy, "1 = 1"), 1);
        QVERIFY_THROWS_EXCEPTION(
            DatabaseError,
            copy.execute("INSERT INTO tb_ders (kID, egitmenID, baslangic, bitis, tur, durum) VALUES "
                         "(2, 1, '2026-12-07 10:30:00', '2026-12-07 11:00:00', 'Simülatör', 'Planlandı')"));
    }

    // Lessons keep the hour typed on the nights a machine's zone moves its clock (Turkey keeps no
    // daylight saving, a machine set elsewhere may): 02:30 that the zone skips or repeats.
    void wallClockAcrossDaylightSaving() {
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");
        tzset();
        const auto restoreZone = qScopeGuard([&] {
            zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
            tzset();
        });
        TempDatabase db;
        Connection c;
        db.open(c);
        fillSchool(c);
        for (const QDate& night : {QDate(2026, 3, 29), QDate(2026, 10, 25)}) {
            saveLesson(c, booking(1, 1, 1, "02:30", 60, night), Planned, {});
            QVERIFY_THROWS_EXCEPTION(LessonRefused,
                                     saveLesson(c, booking(2, 1, 2, "03:15", 30, night), Planned, {}));
            const std::vector<Lesson> day = dayOf(c, 1, night);
            QCOMPARE(day.size(), size_t(1));
            QCOMPARE(day[0].span.start.toString("dd.MM.yyyy HH:mm"), night.toString("dd.MM.yyyy") + " 02:30");
            QCOMPARE(day[0].minutes(), 60);
        }
    }

    // A trainee deleted by another desk, or a database another program holds: nothing written.
    void faultsWriteNothing() {
        TempDatabase db;
        Connection c;
        db.open(c);
        fillSchool(c);
        c.execute("DELETE FROM tb_kursiyer WHERE kID = 2");
        QVERIFY_THROWS_EXCEPTION(DatabaseError, saveLesson(c, booking(2, 1, 1, "10:00"), Planned, {}));
        {
            const DatabaseLock lock(db);
            waitBriefly(c);
            QVERIFY_THROWS_EXCEPTION(DatabaseError, saveLesson(c, booking(1, 1, 1, "10:00"), Planned, {}));
        }
        QCOMPARE(count(c, "1 = 1"), 0);
    }
};

QTEST_GUILESS_MAIN(TestLessons)
#include "tst_lessons.moc"
