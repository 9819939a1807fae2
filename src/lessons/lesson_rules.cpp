#include "lessons/lesson_rules.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace Lessons {

namespace {

QString clockText(const QDateTime& moment) {
    return moment.time().toString("HH:mm");
}

// The part of `span` that falls on `day`, as times of that day; none when it misses the day.
std::optional<std::pair<QTime, QTime>> partOnDay(const Span& span, const QDate& day) {
    const QDateTime dayStart = wallClock(day, QTime(0, 0));
    const QDateTime dayEnd = wallClock(day.addDays(1), QTime(0, 0));
    if (!(span.start < dayEnd && dayStart < span.end))
        return std::nullopt;
    const QTime start = span.start < dayStart ? QTime(0, 0) : span.start.time();
    const QTime end = span.end >= dayEnd ? QTime(23, 59, 59, 999) : span.end.time();
    return std::make_pair(start, end);
}

void addGapIfLongEnough(std::vector<Gap>& gaps, const QDate& day, QTime start, QTime end, int minutes) {
    if (start.secsTo(end) >= minutes * 60)
        gaps.push_back({day, start, end});
}

} // namespace

QDateTime wallClock(const QDate& day, const QTime& time) {
    return QDateTime(day, time, Qt::UTC);
}

std::optional<QTime> readClock(const QString& typed) {
    static const QRegularExpression clock("^([01]?[0-9]|2[0-3]):([0-5][0-9])$");
    const QRegularExpressionMatch match = clock.match(typed.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return QTime(match.captured(1).toInt(), match.captured(2).toInt());
}

bool overlaps(const Span& a, const Span& b) {
    return a.start < b.end && b.start < a.end;
}

QString bookingProblem(const Booking& booking) {
    if (booking.kID <= 0)
        return "\nDers için bir kursiyer seçilmelidir.";
    if (booking.egitmenID <= 0)
        return "\nDers için bir eğitmen seçilmelidir.";
    if (!booking.day.isValid())
        return "\nDersin tarihi geçerli bir tarih olmalıdır.";
    const std::optional<QTime> start = readClock(booking.clock);
    if (!start)
        return "\nSaat SS:DD biçiminde yazılmalıdır (örneğin 09:30).";
    if (booking.minutes < ShortestMinutes || booking.minutes > LongestMinutes)
        return QString("\nDersin süresi %1 ile %2 dakika arasında olmalıdır.")
            .arg(ShortestMinutes)
            .arg(LongestMinutes);
    if (QTime(0, 0).secsTo(*start) + booking.minutes * 60 > 24 * 60 * 60)
        return "\nDers gece yarısından sonra bitemez.";
    if (booking.kind == Driving && booking.aracID <= 0)
        return "\nDireksiyon dersi için bir araç seçilmelidir.";
    return {};
}

Span spanOf(const Booking& booking) {
    const QDateTime start = wallClock(booking.day, *readClock(booking.clock));
    return {start, start.addSecs(booking.minutes * 60)};
}

QString clashText(const Clash& clash) {
    const QString hours = clockText(clash.span.start) + '-' + clockText(clash.span.end);
    switch (clash.with) {
    case Clash::With::Instructor:
        return QString("\nBu saatte eğitmenin başka dersi var: %1 - %2, %3.")
            .arg(clash.instructor, clash.trainee, hours);
    case Clash::With::Vehicle:
        return QString("\nBu saatte aracın başka dersi var: %1 - %2, %3.")
            .arg(clash.plate, clash.trainee, hours);
    case Clash::With::Trainee:
        break;
    }
    return QString("\nBu saatte kursiyerin başka dersi var: %1 - %2, %3.")
        .arg(clash.trainee, clash.instructor, hours);
}

std::vector<Gap> freeGaps(const QDate& monday, std::vector<Span> busy, int minutes, QTime from, QTime to) {
    std::sort(busy.begin(), busy.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    std::vector<Gap> gaps;
    for (int d = 0; d < 7; ++d) {
        const QDate day = monday.addDays(d);
        QTime freeFrom = from;
        for (const Span& span : busy) {
            const auto part = partOnDay(span, day);
            if (!part || part->second <= freeFrom)
                continue;
            if (part->first >= to)
                break;
            addGapIfLongEnough(gaps, day, freeFrom, std::min(part->first, to), minutes);
            freeFrom = part->second;
            if (freeFrom >= to)
                break;
        }
        if (freeFrom < to)
            addGapIfLongEnough(gaps, day, freeFrom, to, minutes);
    }
    return gaps;
}

void Hours::count(const QString& state, int minutes) {
    if (state == Cancelled)
        return;
    ++lessons;
    if (state == Planned)
        plannedMinutes += minutes;
    else
        usedMinutes += minutes;
    if (state == Missed)
        ++missedLessons;
}

QString hoursFigure(int minutes) {
    const double tenths = std::round(minutes / 6.0);
    if (std::fmod(tenths, 10.0) == 0.0)
        return QString::number(qint64(tenths / 10));
    return QString::number(tenths / 10.0, 'f', 1).replace('.', ',');
}

QString hoursText(int minutes) {
    return hoursFigure(minutes) + " saat";
}

QString hoursSummary(const Hours& hours) {
    const int left = std::max(0, hours.entitledHours * 60 - hours.usedMinutes - hours.plannedMinutes);
    QString text = QString("Hak: %1 - Yapılan: %2 - Planlanan: %3 - Kalan: %4")
                       .arg(hoursText(hours.entitledHours * 60), hoursText(hours.usedMinutes),
                            hoursText(hours.plannedMinutes), hoursText(left));
    if (hours.missedLessons > 0)
        text += QString(" - Gelmedi: %1 ders").arg(hours.missedLessons);
    return text;
}

} // namespace Lessons
