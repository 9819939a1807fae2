#include "lessons/lesson_rules.h"

#include <QtTest>

using namespace Lessons;

namespace {

Span at(const QDate& day, const char* from, const char* to) {
    return {wallClock(day, QTime::fromString(from, "HH:mm")), wallClock(day, QTime::fromString(to, "HH:mm"))};
}

const QDate Monday(2026, 12, 7);

} // namespace

Q_DECLARE_METATYPE(Lessons::Booking)
Q_DECLARE_METATYPE(Lessons::Span)

// The lesson plan's rules without a database: typed hours, clashes, free gaps, the hours summary.
class TestLessonRules : public QObject {
    Q_OBJECT

private slots:
    void typedHours_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("read");
        QTest::newRow("HH:mm") << "09:30"
                               << "09:30";
        QTest::newRow("H:mm") << "9:05"
                              << "09:05";
        QTest::newRow("blanks around") << " 14:00 "
                                       << "14:00";
        QTest::newRow("last minute") << "23:59"
                                     << "23:59";
        QTest::newRow("25:00") << "25:00"
                               << "";
        QTest::newRow("24:00") << "24:00"
                               << "";
        QTest::newRow("9.5") << "9.5"
                             << "";
        QTest::newRow("hour alone") << "9"
                                    << "";
        QTest::newRow("minutes 60") << "10:60"
                                    << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void typedHours() {
        QFETCH(QString, typed);
        QFETCH(QString, read);
        const std::optional<QTime> time = readClock(typed);
        QCOMPARE(time ? time->toString("HH:mm") : QString(), read);
    }

    void bookingProblems_data() {
        QTest::addColumn<Booking>("booking");
        QTest::addColumn<QString>("problem");
        const Booking sound{1, 2, 3, Monday, "10:00", 45, Driving};
        QTest::newRow("sound") << sound << "";
        Booking b = sound;
        b.kID = 0;
        QTest::newRow("no trainee") << b << "\nDers için bir kursiyer seçilmelidir.";
        b = sound;
        b.egitmenID = 0;
        QTest::newRow("no instructor") << b << "\nDers için bir eğitmen seçilmelidir.";
        b = sound;
        b.clock = "25:00";
        QTest::newRow("25:00") << b << "\nSaat SS:DD biçiminde yazılmalıdır (örneğin 09:30).";
        for (int minutes : {0, 14, 241, 600}) {
            b = sound;
            b.minutes = minutes;
            QTest::addRow("%d minutes", minutes)
                << b << "\nDersin süresi 15 ile 240 dakika arasında olmalıdır.";
        }
        b = sound;
        b.clock = "23:30";
        QTest::newRow("past midnight") << b << "\nDers gece yarısından sonra bitemez.";
        b.minutes = 30;
        QTest::newRow("ends at midnight") << b << "";
        b = sound;
        b.aracID = 0;
        QTest::newRow("driving without vehicle") << b << "\nDireksiyon dersi için bir araç seçilmelidir.";
        b.kind = Simulator;
        QTest::newRow("simulator without vehicle") << b << "";
    }
    void bookingProblems() {
        QFETCH(Booking, booking);
        QFETCH(QString, problem);
        QCOMPARE(bookingProblem(booking), problem);
    }

    void overlapRule_data() {
        QTest::addColumn<Span>("other");
        QTest::addColumn<bool>("clashes");
        QTest::newRow("touching before") << at(Monday, "09:00", "10:00") << false;
        QTest::newRow("touching after") << at(Monday, "10:45", "11:30") << false;
        QTest::newRow("one minute over") << at(Monday, "09:00", "10:01") << true;
        QTest::newRow("inside") << at(Monday, "10:15", "10:30") << true;
        QTest::newRow("around") << at(Monday, "08:00", "12:00") << true;
        QTest::newRow("same hour next day") << at(Monday.addDays(1), "10:00", "10:45") << false;
    }
    void overlapRule() {
        QFETCH(Span, other);
        QFETCH(bool, clashes);
        const Span lesson = at(Monday, "10:00", "10:45");
        QCOMPARE(overlaps(lesson, other), clashes);
        QCOMPARE(overlaps(other, lesson), clashes);
    }

    void clashTexts() {
        Clash clash{Clash::With::Instructor, "Ahmet Yılmaz", "34 ABC 123", "2024-0012 Ayşe Kaya",
                    at(Monday, "10:00", "11:00")};
        QCOMPARE(clashText(clash),
                 "\nBu saatte eğitmenin başka dersi var: Ahmet Yılmaz - 2024-0012 Ayşe Kaya, 10:00-11:00.");
        clash.with = Clash::With::Vehicle;
        QCOMPARE(clashText(clash),
                 "\nBu saatte aracın başka dersi var: 34 ABC 123 - 2024-0012 Ayşe Kaya, 10:00-11:00.");
        clash.with = Clash::With::Trainee;
        QCOMPARE(clashText(clash),
                 "\nBu saatte kursiyerin başka dersi var: 2024-0012 Ayşe Kaya - Ahmet Yılmaz, 10:00-11:00.");
    }

    void freeGapsOfAWeek() {
        const QDate tuesday = Monday.addDays(1);
        const std::vector<Span> busy = {
            at(Monday, "07:00", "08:30"), // starts before the day's window
            at(Monday, "10:00", "10:45"),
            at(Monday, "10:45", "11:30"), // touching: one busy stretch
            at(Monday, "12:00", "12:30"), // leaves 30 minutes before it: too short for 45
            at(Monday, "19:30", "21:00"), // runs past the window
            {wallClock(tuesday, QTime(22, 0)), wallClock(tuesday.addDays(1), QTime(9, 0))}, // over midnight
        };
        const std::vector<Gap> gaps = freeGaps(Monday, busy, 45);
        QStringList seen;
        for (const Gap& gap : gaps)
            seen << gap.day.toString("ddd") + ' ' + gap.start.toString("HH:mm") + '-' +
                        gap.end.toString("HH:mm");
        QStringList expected = {"Mon 08:30-10:00", "Mon 12:30-19:30", "Tue 08:00-20:00", "Wed 09:00-20:00"};
        for (int d = 3; d < 7; ++d)
            expected << Monday.addDays(d).toString("ddd") + " 08:00-20:00";
        QCOMPARE(seen, expected);
        QVERIFY(freeGaps(Monday, busy, 13 * 60).empty());
    }

    void hoursSummaries_data() {
        QTest::addColumn<QStringList>("states");
        QTest::addColumn<QList<int>>("minutes");
        QTest::addColumn<QString>("summary");
        QTest::newRow("none") << QStringList() << QList<int>()
                              << "Hak: 14 saat - Yapılan: 0 saat - Planlanan: 0 saat - Kalan: 14 saat";
        QTest::newRow("done and planned")
            << QStringList{Done, Done, Planned} << QList<int>{180, 180, 240}
            << "Hak: 14 saat - Yapılan: 6 saat - Planlanan: 4 saat - Kalan: 4 saat";
        QTest::newRow("half hours and a missed lesson")
            << QStringList{Done, Missed, Cancelled} << QList<int>{90, 120, 600}
            << "Hak: 14 saat - Yapılan: 3,5 saat - Planlanan: 0 saat - Kalan: 10,5 saat - Gelmedi: 1 ders";
        QTest::newRow("more than the course gives")
            << QStringList{Done, Done, Done, Done, Planned} << QList<int>{240, 240, 240, 240, 45}
            << "Hak: 14 saat - Yapılan: 16 saat - Planlanan: 0,8 saat - Kalan: 0 saat";
    }
    void hoursSummaries() {
        QFETCH(QStringList, states);
        QFETCH(QList<int>, minutes);
        QFETCH(QString, summary);
        Hours hours;
        hours.entitledHours = 14;
        for (int i = 0; i < states.size(); ++i)
            hours.count(states[i], minutes[i]);
        QCOMPARE(hoursSummary(hours), summary);
    }
};

QTEST_GUILESS_MAIN(TestLessonRules)
#include "tst_lesson_rules.moc"
