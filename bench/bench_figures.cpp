#include "bench_figures.h"

#include <QFile>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Bench {

volatile qint64 g_sink = 0;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double timed(const std::function<void()>& work) {
    const Clock::time_point start = Clock::now();
    work();
    return millisecondsSince(start);
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t rank = size_t(std::ceil(fraction * double(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

Medians alternate(const std::function<void()>& ours, const std::function<void()>& floor,
                  const std::function<void()>& prepare) {
    std::vector<double> oursTimes;
    std::vector<double> floorTimes;
    for (int run = 0; run <= Runs; ++run) {
        prepare();
        const double oursNow = timed(ours);
        const double floorNow = timed(floor);
        if (run > 0) {
            oursTimes.push_back(oursNow);
            floorTimes.push_back(floorNow);
        }
    }
    return {percentile(oursTimes, 0.5), percentile(floorTimes, 0.5)};
}

void printSection(const QString& backend) {
    std::printf("\n== %s ==\n", qPrintable(backend));
    std::fflush(stdout);
}

void printHeading() {
    std::printf("%-58s %12s %12s %7s  %-12s %s\n", "figure", "ours", "floor", "ratio", "target", "");
}

void print(const Figure& f) {
    const double ratio = f.floor ? f.ours / *f.floor : 0;
    const bool ratioTarget = f.kind == Target::WithinRatioOfFloor;
    const bool plusTarget = f.kind == Target::WithinFloorPlus;
    const bool met = ratioTarget  ? ratio <= f.limit
                     : plusTarget ? f.ours <= f.floor.value_or(0) + f.limit
                                  : f.ours < f.limit;
    const QString floor = f.floor ? QString::asprintf("%.2f %s", *f.floor, f.unit) : QString("-");
    const QString shownRatio = f.floor ? QString::asprintf("%.2fx", ratio) : QString("-");
    const QString target = ratioTarget  ? QString::asprintf("<= %.1fx", f.limit)
                           : plusTarget ? QString::asprintf("<= floor+%g", f.limit)
                                        : QString::asprintf("< %g %s", f.limit, f.unit);
    std::printf("%-58s %9.2f %-2s %12s %7s  %-12s %s\n", f.name, f.ours, f.unit, qPrintable(floor),
                qPrintable(shownRatio), qPrintable(target), met ? "met" : "MISSED");
    std::fflush(stdout);
}

double peakMemoryMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // Linux gives kilobytes
}

// The peak resident memory from here on; Linux resets it on request.
void resetPeakMemory() {
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double peakMemorySinceReset() {
    QFile status("/proc/self/status");
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return peakMemoryMegabytes();
}

double residentMegabytes() {
    QFile status("/proc/self/status");
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

} // namespace Bench
