#include "cashdesk_figures.h"

#include "app/program_folder.h"
#include "cashdesk/cashdesk_statements.h"
#include "cashdesk/receipts.h"
#include "data/connection.h"
#include "data/database_error.h"
#include "data/dataset.h"
#include "data/jet_dialect.h"

#include <QSet>
#include <QThread>

#include <cstdio>
#include <memory>
#include <mutex>

namespace Bench {

namespace {

// The server run starts from the file's rows, receipts of the file's run included: each backend
// takes its receipts in years of its own.
int yearOf(const Connection& connection, int year) {
    return connection.isServer() ? year + 10 : year;
}

// A trainee of the benchmark's own, with `installments` unpaid installments of 100, monthly from
// the year 2000: what a payment of the desk meets.
qint64 traineeWithInstallments(Connection& connection, int installments) {
    connection.execute("INSERT INTO tb_kursiyer (adi, soyadi, adayno) VALUES ('Kasa', 'Deneme', 'KASA')");
    const qint64 kID = connection.lastInsertId();
    for (int i = 0; i < installments; ++i) {
        Statement add(connection,
                      "INSERT INTO tb_odeme (kID, miktar, tarih, Odendi, aciklama) VALUES (?, 100, ?, 0, ?)");
        add.bind(1, kID);
        add.bind(2, QDate(2000, 1, 1).addMonths(i).toString("yyyy-MM-dd 00:00:00"));
        add.bind(3, QString("%1. taksit").arg(i + 1));
        add.execute();
    }
    return kID;
}

void paymentFigure(Connection& connection) {
    std::vector<double> times;
    for (int run = 0; run <= Runs; ++run) {
        const qint64 kID = traineeWithInstallments(connection, 13);
        // Eleven installments whole and the twelfth in part, split in two.
        const double ms = timed([&] {
            takePayment(connection, {kID, 1150.0, QDate::currentDate(), "Nakit", {}});
        });
        if (run > 0)
            times.push_back(ms);
    }
    print({"cash desk: payment over 12 installments, one split", percentile(times, 0.5), std::nullopt, "ms",
           Target::Below, 50});
}

void overdueFigure(Connection& connection, Floor& floor) {
    Dataset overdue(connection, "geciken");
    overdue.setSql(CashDeskSql::overdueInstallments(QDate::currentDate(), connection.dialect()));
    const QString floorSql = translateJet(overdue.sql(), floor.dialect());
    const Medians m = alternate([&] { overdue.open(); }, [&] { g_sink = g_sink + floor.readAll(floorSql); },
                                [&] { overdue.close(); });
    const QByteArray name =
        QString("cash desk: overdue installments today (%1 trainees)").arg(overdue.recordCount()).toUtf8();
    print({name.constData(), m.ours, m.floor, "ms", Target::WithinRatioOfFloor, 1.5});
    print(
        {"cash desk: overdue installments today, absolute", m.ours, std::nullopt, "ms", Target::Below, 1000});
}

// 500 receipts of one day, then the day's closing read over them.
void dayClosingFigure(Connection& connection) {
    const QDate day(yearOf(connection, 2001), 6, 15);
    const qint64 kID = traineeWithInstallments(connection, 0);
    for (int i = 0; i < 500; ++i)
        takePayment(connection, {kID, 10.0 + i, day, PaymentKinds[i % 3], {}});
    std::vector<double> times;
    for (int run = 0; run <= Runs; ++run) {
        const double ms = timed([&] { g_sink = g_sink + readDayClosing(connection, day).all.count; });
        if (run > 0)
            times.push_back(ms);
    }
    print({"cash desk: the day's closing over 500 receipts", percentile(times, 0.5), std::nullopt, "ms",
           Target::Below, 200});
}

// Two desks, each on its own connection, take 500 payments at the same time in a year of their own:
// every one of the 1,000 numbers must be there once.
void twoDesksFigure(Connection& connection) {
    constexpr int PerDesk = 500;
    const int year = yearOf(connection, 2002);
    const QDate day(year, 3, 1);
    const qint64 kIDs[] = {traineeWithInstallments(connection, 0), traineeWithInstallments(connection, 0)};
    std::vector<std::unique_ptr<QThread>> desks;
    QStringList failures;
    std::mutex failing;
    const double ms = timed([&] {
        for (qint64 kID : kIDs)
            desks.emplace_back(QThread::create([kID, day, &failures, &failing] {
                try {
                    Connection desk;
                    desk.useProgramFolder(ProgramFolder);
                    desk.open();
                    for (int i = 0; i < PerDesk; ++i)
                        takePayment(desk, {kID, 1.0, day, "Nakit", {}});
                } catch (const std::exception& e) {
                    const std::lock_guard<std::mutex> lock(failing);
                    failures << QString::fromUtf8(e.what());
                }
            }));
        for (const auto& desk : desks)
            desk->start();
        for (const auto& desk : desks)
            desk->wait();
    });
    Statement numbers(connection, "SELECT makbuzno FROM tb_makbuz WHERE makbuzno LIKE ?");
    numbers.bind(1, QString("%1-%").arg(year));
    QSet<QString> seen;
    int rows = 0;
    while (numbers.step()) {
        seen.insert(numbers.text(0));
        ++rows;
    }
    bool whole = failures.isEmpty() && rows == 2 * PerDesk && seen.size() == rows;
    for (int n = 1; n <= 2 * PerDesk; ++n)
        whole = whole && seen.contains(receiptNumber(year, n));
    print({"cash desk: 1,000 payments by two desks at once", ms, std::nullopt, "ms", Target::Below, 60000});
    std::printf("  (%d receipts, %lld distinct numbers, %s%s)\n", rows, qint64(seen.size()),
                whole ? "every number of the year from 000001 to 001000 once: met"
                      : "numbers missing or doubled: MISSED",
                failures.isEmpty() ? "" : qPrintable(" - " + failures.first()));
}

} // namespace

void cashDeskFigures(Floor& floor) {
    Connection connection;
    connection.useProgramFolder(ProgramFolder);
    connection.open();
    paymentFigure(connection);
    overdueFigure(connection, floor);
    dayClosingFigure(connection);
    twoDesksFigure(connection);
}

} // namespace Bench
