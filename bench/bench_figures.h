#pragma once

#include "data/sql_dialect.h"

#include <QDate>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

// What every figure of the benchmark shares: timing, the table it is printed in, and the floor it
// is judged against on either backend.
namespace Bench {

using Clock = std::chrono::steady_clock;
inline constexpr int Runs = 5;
inline constexpr int Moves = 1000;

extern volatile qint64 g_sink; // keeps the floor's reads alive

double millisecondsSince(Clock::time_point start);
double timed(const std::function<void()>& work);
double percentile(std::vector<double> values, double fraction);

// Ours and the floor take turns, so that a busy moment of the machine falls on both alike; the
// first turn only warms the caches. `prepare` runs before each turn, untimed. Gives the medians.
struct Medians {
    double ours;
    double floor;
};
Medians alternate(
    const std::function<void()>& ours, const std::function<void()>& floor,
    const std::function<void()>& prepare = [] {});

enum class Target { WithinRatioOfFloor, Below, WithinFloorPlus };

struct Figure {
    const char* name;
    double ours;
    std::optional<double> floor;
    const char* unit;
    Target kind;
    double limit;
};

// Resident memory in megabytes: the highest since start-up, the highest since the last reset (Linux
// resets it on request), and now.
double peakMemoryMegabytes();
void resetPeakMemory();
double peakMemorySinceReset();
double residentMegabytes();

void printSection(const QString& backend);
void printHeading();
void print(const Figure& f);

// The same work the program asks of its database, done by the bare engine with nothing kept.
class Floor {
public:
    virtual ~Floor() = default;
    virtual SqlDialect dialect() const = 0;
    // Runs `sql`, already in the backend's dialect, and reads every value of every row the way the
    // program must; gives the sum of what was read.
    virtual qint64 readAll(const QString& sql) = 0;
    // What moving to a trainee asks: the trainee's payments and the paid and unpaid totals.
    virtual qint64 readPaymentsAndTotals(qint64 kID) = 0;
    virtual qint64 lastPaymentKey() = 0;
    // `count` monthly installments of 12.5 from `first`, in one transaction.
    virtual void writeInstallments(qint64 kID, const QDate& first, int count) = 0;
    virtual void removePaymentsAfter(qint64 key) = 0;
};

} // namespace Bench
