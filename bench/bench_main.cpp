#include "generator.h"

#include "bench_figures.h"
#include "cashdesk_figures.h"
#include "import_figures.h"
#include "lesson_figures.h"
#include "server_school.h"

#include "app/forms.h"
#include "app/program.h"
#include "app/program_folder.h"
#include "data/backup.h"
#include "data/connection.h"
#include "data/database_error.h"
#include "data/frm_DataMod.h"
#include "data/jet_dialect.h"
#include "data/statements.h"
#include "data/transaction.h"
#include "data/turkish_text.h"
#include "export/export_run.h"
#include "records/frm_main_form.h"
#include "reports/report_statements.h"
#include "search/frm_istetistik_formu.h"
#include "search/record_search.h"
#include "search/statistics.h"
#include "ui/report_preview.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <malloc.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <vector>

// ---------------------------------------------------------------------------------------------
// The floor: the same statements run through bare SQLite, with nothing kept. The program's
// figures are judged against what the engine alone needs for the same rows.
namespace bare {

class Database {
public:
    explicit Database(const QString& path) {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK)
            throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(m_db)));
        TurkishText::registerOn(m_db);
    }
    ~Database() { sqlite3_close(m_db); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

class Statement {
public:
    Statement(sqlite3* db, const QString& sql) {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK)
            throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* handle() const { return m_statement; }

private:
    sqlite3_stmt* m_statement = nullptr;
};

// Prepares, steps every row and reads every column the way its type asks. The sum of what was
// read comes back so that no read can be left out by the compiler.
qint64 readAll(sqlite3* db, const QString& sql) {
    const Statement prepared(db, sql);
    sqlite3_stmt* statement = prepared.handle();
    qint64 sum = 0;
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(statement, i)) {
            case SQLITE_INTEGER:
                sum += sqlite3_column_int64(statement, i);
                break;
            case SQLITE_FLOAT:
                sum += qint64(sqlite3_column_double(statement, i));
                break;
            case SQLITE_TEXT:
                sum += *sqlite3_column_text(statement, i) + sqlite3_column_bytes(statement, i);
                break;
            case SQLITE_BLOB:
                sum +=
                    qint64(sqlite3_column_blob(statement, i) != nullptr) + sqlite3_column_bytes(statement, i);
                break;
            default:
                break;
            }
        }
    }
    return sum;
}

qint64 count(sqlite3* db, const char* table) {
    return readAll(db, QString("SELECT count(*) FROM %1").arg(table));
}

// What moving to a trainee asks of the engine: the trainee's payments and the paid and unpaid totals.
qint64 readPaymentsAndTotals(sqlite3* db, qint64 kID) {
    const QString id = QString::number(kID);
    return readAll(db, "SELECT * FROM tb_odeme WHERE kID = " + id) +
           readAll(db, "SELECT sum(miktar) FROM tb_odeme WHERE Odendi = -1 AND kID = " + id) +
           readAll(db, "SELECT sum(miktar) FROM tb_odeme WHERE Odendi = 0 AND kID = " + id);
}

// The list written by the library alone, or by plain formatted writes, straight from the
// statement's rows: the floor of the export figures.
void writeCsv(sqlite3* db, const QString& sql, const QString& path) {
    Statement rows(db, sql);
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    const int columns = sqlite3_column_count(rows.handle());
    QByteArray line;
    while (sqlite3_step(rows.handle()) == SQLITE_ROW) {
        line.clear();
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                line += ';';
            const QByteArray text(reinterpret_cast<const char*>(sqlite3_column_text(rows.handle(), c)),
                                  sqlite3_column_bytes(rows.handle(), c));
            line += text.contains(';') || text.contains('"') || text.contains('\n')
                        ? '"' + QByteArray(text).replace("\"", "\"\"") + '"'
                        : text;
        }
        out.write(line + "\r\n");
    }
}

void writeXlsx(sqlite3* db, const QString& sql, const QString& path, const QString& tmpdir) {
    Statement rows(db, sql);
    const QByteArray tmp = QFile::encodeName(tmpdir);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(tmp.constData());
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    const int columns = sqlite3_column_count(rows.handle());
    lxw_row_t row = 0;
    while (sqlite3_step(rows.handle()) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(rows.handle(), c)) {
            case SQLITE_INTEGER:
            case SQLITE_FLOAT:
                worksheet_write_number(sheet, row, lxw_col_t(c), sqlite3_column_double(rows.handle(), c),
                                       nullptr);
                break;
            case SQLITE_TEXT:
                worksheet_write_string(sheet, row, lxw_col_t(c),
                                       reinterpret_cast<const char*>(sqlite3_column_text(rows.handle(), c)),
                                       nullptr);
                break;
            default:
                break;
            }
        }
        ++row;
    }
    workbook_close(book);
}

} // namespace bare
// ---------------------------------------------------------------------------------------------

namespace {

using namespace Bench;

// The floor on the file: bare SQLite, reading with one connection and writing with another, as
// a second copy of the program would.
class SqliteFloor : public Floor {
public:
    explicit SqliteFloor(const QString& databasePath) : m_path(databasePath), m_reader(databasePath) {}
    ~SqliteFloor() override { sqlite3_close(m_writer); }
    SqliteFloor(const SqliteFloor&) = delete;
    SqliteFloor& operator=(const SqliteFloor&) = delete;

    SqlDialect dialect() const override { return SqlDialect::Sqlite; }
    qint64 readAll(const QString& sql) override { return bare::readAll(m_reader.handle(), sql); }
    qint64 readPaymentsAndTotals(qint64 kID) override {
        return bare::readPaymentsAndTotals(m_reader.handle(), kID);
    }
    qint64 lastPaymentKey() override { return bare::readAll(writer(), "SELECT max(odemeID) FROM tb_odeme"); }
    void writeInstallments(qint64 kID, const QDate& first, int count) override;
    void removePaymentsAfter(qint64 key) override {
        sqlite3_exec(writer(), qPrintable(QString("DELETE FROM tb_odeme WHERE odemeID > %1").arg(key)),
                     nullptr, nullptr, nullptr);
    }

private:
    sqlite3* writer() {
        if (!m_writer) {
            sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_writer, SQLITE_OPEN_READWRITE, nullptr);
            sqlite3_busy_timeout(m_writer, 5000);
        }
        return m_writer;
    }

    QString m_path;
    bare::Database m_reader;
    sqlite3* m_writer = nullptr;
};

void SqliteFloor::writeInstallments(qint64 kID, const QDate& first, int count) {
    sqlite3* db = writer();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO tb_odeme (kID, tarih, miktar) VALUES (?, ?, ?)", -1, &insert,
                       nullptr);
    for (int i = 0; i < count; ++i) {
        const QByteArray date = toStoredDate(QDateTime(first.addMonths(i), QTime(0, 0))).toUtf8();
        sqlite3_bind_int64(insert, 1, kID);
        sqlite3_bind_text(insert, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 3, 12.5);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

// What each backend is asked to reach where the two differ.
struct Targets {
    double moveMedian;
    double move95th;
    double plan;
    double search;
};
constexpr Targets FileTargets{2, 3, 250, 2.0};
constexpr Targets ServerTargets{5, 10, 1000, 1.5};

// A box during the benchmark would wait for a click forever; its text is shown and the run ends.
void stopAtAnyBox() {
    auto* watch = new QTimer(qApp);
    QObject::connect(watch, &QTimer::timeout, [] {
        QWidget* box = QApplication::activeModalWidget();
        // The report figures open the preview and its progress on purpose.
        if (qobject_cast<Report::Preview*>(box) || qobject_cast<QProgressDialog*>(box))
            return;
        if (box) {
            const auto* message = qobject_cast<QMessageBox*>(box);
            std::fprintf(stderr, "kalvista_bench: the program showed a box: %s\n",
                         qPrintable(message ? message->text() : box->windowTitle()));
            std::exit(1);
        }
    });
    watch->start(100);
}

void processEventsUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
}

std::vector<int> randomRows(int count, quint32 seed) {
    std::mt19937 engine(seed);
    std::vector<int> rows;
    int previous = 0; // the list opens on its first row
    while (int(rows.size()) < Moves) {
        const int row = int(engine() % quint32(count));
        if (row != previous)
            rows.push_back(previous = row);
    }
    return rows;
}

void moveFigures(Dataset& list, Floor& floor, const Targets& targets) {
    const std::vector<int> rows = randomRows(list.recordCount(), DefaultSchoolSeed);
    const int key = list.fieldIndex("kID");
    std::vector<double> ours;
    std::vector<double> floors;
    for (int row : rows) {
        ours.push_back(timed([&] { list.moveTo(row); }));
        // Painting is left to the event loop between moves, as it is between a user's clicks.
        QCoreApplication::processEvents();
        const qint64 kID = list.valueAt(row, key).toLongLong();
        floors.push_back(timed([&] { g_sink = g_sink + floor.readPaymentsAndTotals(kID); }));
    }
    print({"move to another trainee (payments + totals), median", percentile(ours, 0.5),
           percentile(floors, 0.5), "ms", Target::Below, targets.moveMedian});
    print({"move to another trainee (payments + totals), 95th pct", percentile(ours, 0.95),
           percentile(floors, 0.95), "ms", Target::Below, targets.move95th});
}

// A monthly plan of 999 installments written as the program writes it, in one transaction with
// the whole list open, against the same inserts in bare SQLite. Each run's rows are removed again.
void planFigure(frm_DataMod& data, Floor& floor, const Targets& targets) {
    constexpr int Installments = 999;
    const qint64 kID = data.currentTraineeKey();
    const QDate first(2025, 1, 31);
    std::vector<double> ours;
    std::vector<double> floors;
    for (int run = 0; run <= Runs; ++run) {
        data.reloadPayments(Sql::paymentsOf(kID, {}));
        const qint64 lastKey = floor.lastPaymentKey();
        const double oursNow = timed([&] {
            Transaction plan(data.ado_conn);
            for (int i = 0; i < Installments; ++i) {
                data.todemeler.append();
                data.todemeler.setValue("kID", kID);
                data.todemeler.setValue("tarih", first.addMonths(i));
                data.todemeler.setValue("miktar", 12.5);
                data.todemeler.post();
            }
            plan.commit();
        });
        floor.removePaymentsAfter(lastKey);
        const double floorNow = timed([&] { floor.writeInstallments(kID, first, Installments); });
        floor.removePaymentsAfter(lastKey);
        if (run > 0) {
            ours.push_back(oursNow);
            floors.push_back(floorNow);
        }
    }
    data.reloadPayments(Sql::paymentsOf(kID, {}));
    // Each row is read back and shown in the payments grid as it is written, which the bare engine does not
    // do.
    print({"write a 999-installment plan, one transaction", percentile(ours, 0.5), percentile(floors, 0.5),
           "ms", Target::Below, targets.plan});
}

// "Kursiyerler" over every trainee, as the menu runs it: the command until page 1 is on the screen
// against the bare statement; then paging about the preview, and the whole report as a PDF.
void reportFigures(frm_main_form& window, Floor& bare) {
    constexpr int PageMoves = 200;
    const double floor =
        timed([&] { g_sink = g_sink + bare.readAll(translateJet(ReportSql::AllTrainees, bare.dialect())); });
    resetPeakMemory();
    const QString pdfPath = ProgramFolder + "kursiyerler.pdf";
    double opened = 0;
    int pages = 0;
    std::vector<double> moves;
    double pdf = 0;
    bool written = false;
    const Clock::time_point start = Clock::now();
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* preview = qobject_cast<Report::Preview*>(QApplication::activeModalWidget());
        if (!preview || !preview->windowHandle() || !preview->windowHandle()->isExposed())
            return;
        watch.stop();
        QWidget* page = preview->findChild<QScrollArea*>()->widget();
        page->repaint();
        opened = millisecondsSince(start);
        pages = preview->run().pageCount();
        std::mt19937 engine(DefaultSchoolSeed);
        for (int i = 0; i < PageMoves; ++i) {
            const int target = i % 10 == 0 ? pages - 1 : int(engine() % quint32(pages));
            moves.push_back(timed([&] {
                preview->showPage(target);
                page->repaint();
            }));
        }
        pdf = timed([&] { written = preview->savePdf(pdfPath); });
        preview->reject();
    });
    watch.start();
    window.Button5Click();
    const double memory = peakMemorySinceReset();
    print({"Kursiyerler report: command to page 1 shown", opened, floor, "ms", Target::WithinFloorPlus, 500});
    print({"Kursiyerler report: move to a page (last included), median", percentile(moves, 0.5), std::nullopt,
           "ms", Target::Below, 30});
    std::printf("  (%d pages; a PDF of %.1f MB %s)\n", pages, double(QFileInfo(pdfPath).size()) / 1e6,
                written ? "written" : "NOT WRITTEN");
    print({"Kursiyerler report: whole PDF written", pdf, std::nullopt, "ms", Target::Below, 12000});
    print({"peak memory during report preview and PDF", memory, std::nullopt, "MB", Target::Below, 300});
    QFile::remove(pdfPath);
}

// The whole list with every field, as "Export" writes it with the program's own settings, against
// the library alone (xlsx) or plain writes (csv) over the bare statement; and the memory the
// export takes on top of the program's.
void exportFigures(frm_DataMod& data, const QString& databasePath) {
    const QString folder = QFileInfo(databasePath).absolutePath();
    bare::Database db(databasePath);
    const QString sql = translateJet(data.tkursiyer.sql());
    const DatasetExportSource source(data.tkursiyer);
    const std::tuple<ExportFormat, const char*, const char*, double> formats[] = {
        {ExportFormat::Excel, "export the list to xlsx", "peak memory above the program, xlsx export", 20000},
        {ExportFormat::Csv, "export the list to csv", "peak memory above the program, csv export", 3000}};
    for (const auto& [format, name, memoryName, limit] : formats) {
        ExportSettings settings = data.EXPORTX.settings();
        settings.format = format;
        settings.fileName = folder + "/liste." + exportFormatInfo(format).extension;
        const QString floorPath = folder + "/taban." + exportFormatInfo(format).extension;
        const double floor = timed([&] {
            if (settings.format == ExportFormat::Excel)
                bare::writeXlsx(db.handle(), sql, floorPath, folder);
            else
                bare::writeCsv(db.handle(), sql, floorPath);
        });
        // What the program holds, without the heap that earlier figures freed and the allocator kept.
        malloc_trim(0);
        const double before = residentMegabytes();
        resetPeakMemory();
        std::optional<int> rows;
        const double ours = timed([&] { rows = runExport(source, settings); });
        const double memory = peakMemorySinceReset() - before;
        print({name, ours, floor, "ms", Target::Below, limit});
        std::printf("  (%d rows, %d fields; %.1f MB written, the floor's file %.1f MB)\n", rows.value_or(-1),
                    data.tkursiyer.fieldCount(), double(QFileInfo(settings.fileName).size()) / 1e6,
                    double(QFileInfo(floorPath).size()) / 1e6);
        print({memoryName, memory, std::nullopt, "MB", Target::Below, 100});
        QFile::remove(settings.fileName);
        QFile::remove(floorPath);
    }
}

// The real program over its database: start-up, memory, then moving about the list, and what the
// backend's section adds with the program running (the exports, measured on the file only, since
// they read the same rows on both backends; the import into a new, empty database).
void programFigures(Floor& floor, const Targets& targets,
                    const std::function<void(frm_DataMod&)>& withProgram) {
    const Clock::time_point start = Clock::now();
    Program program;
    frm_main_form& window = program.mainWindow();
    window.show();
    Dataset& list = program.forms().DataMod->tkursiyer;
    processEventsUntil([&] { return list.isActive(); });
    const double startUp = millisecondsSince(start);
    print({"start-up to filled shown window (in-process, from Program)", startUp, std::nullopt, "ms",
           Target::Below, 1500});
    print({"peak memory with the list open", peakMemorySinceReset(), std::nullopt, "MB", Target::Below, 250});
    moveFigures(list, floor, targets);
    planFigure(*program.forms().DataMod, floor, targets);
    reportFigures(window, floor);
    withProgram(*program.forms().DataMod);
}

void listFigure(const char* name, Dataset& list, Floor& floor) {
    const QString floorSql = translateJet(list.sql(), floor.dialect());
    const Medians m = alternate([&] { list.open(); }, [&] { g_sink = g_sink + floor.readAll(floorSql); },
                                [&] { list.close(); });
    print({name, m.ours, m.floor, "ms", Target::WithinRatioOfFloor, 1.5});
}

// The list's dataset alone, with no window attached, against the same statement on the bare engine.
void listFigures(frm_DataMod& data, Floor& floor) {
    Dataset& list = data.tkursiyer;
    const QString order = list.sqlLines().value(2);
    listFigure("open trainee list", list, floor);
    const char* sorts[][2] = {{"sort list by adi", "ORDER BY adi"},
                              {"sort list by dogumtarihi", "ORDER BY dogumtarihi"},
                              {"sort list by soyadi", "ORDER BY soyadi"}};
    for (const auto& [name, line] : sorts) {
        list.setSqlLine(2, line);
        listFigure(name, list, floor);
    }
    list.setSqlLine(2, order);
}

// The copy taken at closing, through the engine's online backup, against copying the file's bytes.
void closingBackupFigure(const QString& databasePath) {
    Connection connection;
    connection.setConnectionString(Connection::connectionText(ProgramFolder));
    connection.open();
    const QString plain = ProgramFolder + "duz-kopya.db";
    const Medians m =
        alternate([&] { Backup::takeDailyCopy(connection.handle(), databasePath, QDate::currentDate()); },
                  [&] { QFile::copy(databasePath, plain); }, [&] { QFile::remove(plain); });
    QFile::remove(plain);
    print({"closing backup (online backup, temporary name, rename)", m.ours, m.floor, "ms", Target::Below,
           1000});
}

// The closing backup on the server is a new SQLite file of the server's rows. The floor writes them
// through bare libpq and SQLite.
void closingBackupOnServerFigure(ServerFloor& floor) {
    Connection connection;
    connection.useProgramFolder(ProgramFolder);
    connection.open();
    const QString copy = ProgramFolder + "sunucu-kopya.db";
    const Medians m = alternate([&] { Backup::takeDailyCopy(connection, QDate::currentDate()); },
                                [&] { floor.copyToFile(copy); }, [&] { QFile::remove(copy); });
    QFile::remove(copy);
    print({"closing backup (server to a SQLite file)", m.ours, m.floor, "ms", Target::Below, 10000});
}

// Every check a restore makes on a file before it replaces anything, against the integrity check alone.
void restoreVerifyFigure(const QString& databasePath) {
    const QString copy =
        Backup::takeDailyCopy(bare::Database(databasePath).handle(), databasePath, QDate::currentDate());
    const Medians m = alternate([&] { g_sink = g_sink + Backup::verify(copy).trainees; },
                                [&] {
                                    bare::Database db(copy);
                                    g_sink = g_sink + bare::readAll(db.handle(), "PRAGMA integrity_check");
                                });
    print({"verify a backup for a restore", m.ours, m.floor, "ms", Target::Below, 2000});
}

// An "içerir" search over the whole school, the filter line written as the search dialog writes
// it, against the same statement on the bare engine (with the Turkish like() registered on the file).
void searchFigure(Dataset& list, Floor& floor, const Targets& targets) {
    using namespace RecordSearch;
    list.setSqlLine(1, filterLine({condition("adi", "ar", MatchKind::Contains)}));
    const QString floorSql = translateJet(list.sql(), floor.dialect());
    const Medians m = alternate([&] { list.open(); }, [&] { g_sink = g_sink + floor.readAll(floorSql); },
                                [&] { list.close(); });
    const QByteArray name = QString("search: adi içerir \"ar\" (%1 found)").arg(list.recordCount()).toUtf8();
    print({name.constData(), m.ours, m.floor, "ms", Target::WithinRatioOfFloor, targets.search});
    list.setSqlLine(1, Sql::allTrainees());
}

// The six counts of the statistics window, taken as the window takes them while the whole list is
// open, against the same six statements on the bare engine.
void statisticsFigure(frm_DataMod& data, Floor& floor) {
    Forms forms;
    forms.DataMod = &data;
    frm_istetistik_formu window(forms);
    data.tkursiyer.open();
    QStringList floorSql;
    for (const Statistics::Row& row : Statistics::rows())
        floorSql << translateJet(Statistics::countStatement(row.condition), floor.dialect());
    const Medians m = alternate([&] { g_sink = g_sink + window.countAll()[0]; },
                                [&] {
                                    for (const QString& sql : floorSql)
                                        g_sink = g_sink + floor.readAll(sql);
                                });
    print({"statistics: the six counts together", m.ours, m.floor, "ms", Target::Below, 300});
}

// A data module of the program in ProgramFolder, not shown by a window: scrolling leaves the
// payments alone.
struct ListData {
    ListData() {
        data.ado_conn.useProgramFolder(ProgramFolder);
        data.ado_conn.open();
    }
    frm_DataMod data;
};

void searchAndStatisticsFigures(Floor& floor, const Targets& targets) {
    ListData list;
    searchFigure(list.data.tkursiyer, floor, targets);
    statisticsFigure(list.data, floor);
}

struct Arguments {
    int trainees = 100000;
    bool file = true;
    bool server = false;
};

Arguments readArguments(const QStringList& arguments) {
    Arguments read;
    bool ok = true;
    for (const QString& argument : arguments.mid(1)) {
        if (argument == "--server")
            read.server = true;
        else if (argument == "--server-only")
            read = {read.trainees, false, true};
        else
            read.trainees = argument.toInt(&ok);
        if (!ok || read.trainees < 1) {
            std::fprintf(stderr, "usage: kalvista_bench [trainees=100000] [--server | --server-only]\n");
            std::exit(2);
        }
    }
    return read;
}

void generate(const QString& databasePath, int trainees) {
    const double seconds = timed([&] { generateSchool(databasePath, trainees, DefaultSchoolSeed); }) / 1000;
    bare::Database db(databasePath);
    std::printf("Kalvista benchmark: %lld trainees, %lld payments (seed %u, generated in %.1f s)\n",
                bare::count(db.handle(), "tb_kursiyer"), bare::count(db.handle(), "tb_odeme"),
                DefaultSchoolSeed, seconds);
    std::printf("times are medians of %d runs after one warm-up unless said otherwise\n", Runs);
}

void fileFigures(const QString& databasePath) {
    printSection("SQLite file veriler.db; the floor is bare SQLite");
    printHeading();
    SqliteFloor floor(databasePath);
    // The program comes first, so that its peak memory is not the benchmark's own.
    programFigures(floor, FileTargets, [&](frm_DataMod& data) {
        exportFigures(data, databasePath);
        const QString folder = QFileInfo(databasePath).absolutePath();
        const QString importFolder = folder + "/aktarim/";
        QDir().mkpath(importFolder);
        createDatabase(Connection::dataSource(Connection::connectionText(importFolder)));
        Connection target;
        target.useProgramFolder(importFolder);
        target.open();
        importFigures(data, folder, target);
    });
    {
        ListData list;
        listFigures(list.data, floor);
    }
    closingBackupFigure(databasePath);
    restoreVerifyFigure(databasePath);
    searchAndStatisticsFigures(floor, FileTargets);
    cashDeskFigures(floor);
    lessonFigures(floor);
}

// The same figures on a server database loaded with the file's rows, the program started in a
// folder whose veriler.baglanti names it.
void serverFigures(const QString& databasePath) {
    printSection("PostgreSQL server of libpq's environment; the floor is bare libpq");
    ServerSchool school;
    const double seconds = timed([&] { school.load(databasePath); }) / 1000;
    std::printf("(the file's rows loaded into a new server database in %.1f s)\n", seconds);
    const QString fileFolder = ProgramFolder;
    ProgramFolder = fileFolder + "sunucu/";
    QDir().mkpath(ProgramFolder);
    QFile setting(Connection::serverSettingFile(ProgramFolder));
    if (!setting.open(QIODevice::WriteOnly) || setting.write(school.connectionString().toUtf8()) < 0)
        throw DatabaseError("veriler.baglanti: " + setting.errorString());
    setting.close();
    printHeading();
    ServerFloor floor(school.connectionString());
    // The memory the file's figures took is not the server's.
    malloc_trim(0);
    resetPeakMemory();
    programFigures(floor, ServerTargets, [&](frm_DataMod& data) {
        const ServerSchool empty("_aktarim");
        Connection target;
        target.setServer(empty.connectionString());
        target.fillServer();
        importFigures(data, QFileInfo(databasePath).absolutePath(), target);
    });
    {
        ListData list;
        listFigures(list.data, floor);
    }
    closingBackupOnServerFigure(floor);
    searchAndStatisticsFigures(floor, ServerTargets);
    cashDeskFigures(floor);
    lessonFigures(floor);
    ProgramFolder = fileFolder;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KalvistaApplication app(argc, argv);
    const Arguments arguments = readArguments(QCoreApplication::arguments());
    initialiseProcess();
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "kalvista_bench: no temporary folder: %s\n", qPrintable(folder.errorString()));
        return 1;
    }
    ProgramFolder = QDir(folder.path()).absolutePath() + '/';
    const QString databasePath = Connection::dataSource(Connection::connectionText(ProgramFolder));
    try {
        generate(databasePath, arguments.trainees);
        stopAtAnyBox();
        if (arguments.file)
            fileFigures(databasePath);
        if (arguments.server)
            serverFigures(databasePath);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kalvista_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
