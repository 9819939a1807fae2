#include "data/backup.h"

#include "data/connection.h"
#include "data/database_error.h"
#include "data/migration.h"
#include "data/schema.h"
#include "data/table_copy.h"
#include "data/transaction.h"
#include "data/turkish_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString RestoreSuffix = QStringLiteral("-geri-yukleme-oncesi");
// Temporary names of a restore: the copy beside the database that is checked, and a safety copy
// put back.
const QString IncomingSuffix = QStringLiteral(".gelen");
const QString InstallSuffix = QStringLiteral(".geri-yukleme");

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Handle = std::unique_ptr<sqlite3, Closer>;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString baseName(const QString& databasePath) {
    return QFileInfo(databasePath).completeBaseName();
}

qint64 number(sqlite3* db, const QString& sql) {
    Statement s(db, sql);
    s.step();
    return s.integer(0);
}

qint64 number(Connection& connection, const QString& sql) {
    Statement s(connection, sql);
    s.step();
    return s.integer(0);
}

Handle openReadOnly(const QString& path) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    Handle handle(db);
    if (rc != SQLITE_OK)
        throw DatabaseError(databaseErrorText(rc, QString::fromUtf8(sqlite3_errstr(rc))), rc);
    return handle;
}

void readCounts(sqlite3* db, Backup::Contents& contents) {
    contents.trainees = number(db, "SELECT count(*) FROM tb_kursiyer WHERE kID > 0");
    contents.payments = number(db, "SELECT count(*) FROM tb_odeme");
    contents.version = Migration::fileVersion(db);
}

Backup::Contents describe(const QString& path) {
    const QFileInfo info(path);
    return {path, info.lastModified(), info.size()};
}

// Why a file is no whole database of this program, in words that follow "geri yüklenemez:".
struct Unfit {
    QString reason;
};

[[noreturn]] void refuse(const QString& file, const QString& reason) {
    throw DatabaseError(QString("%1 geri yüklenemez: %2.\nVeritabanında hiçbir değişiklik yapılmadı.")
                            .arg(native(file), reason));
}

QStringList columnsOf(sqlite3* db, const QString& tableOrView) {
    Statement info(db, QString("SELECT name FROM pragma_table_info('%1')").arg(tableOrView));
    QStringList names;
    while (info.step())
        names << info.text(0);
    return names;
}

// The view's columns as this program makes them, so the check cannot drift from the schema.
const QStringList& expectedViewColumns() {
    static const QStringList columns = [] {
        sqlite3* memory = nullptr;
        sqlite3_open(":memory:", &memory);
        Handle db(memory);
        for (const QString& statement : Schema::creationStatements())
            Statement(db.get(), statement).execute();
        return columnsOf(db.get(), Schema::PaymentsView);
    }();
    return columns;
}

bool containsAll(const QStringList& present, const QStringList& wanted, QString* missing) {
    for (const QString& name : wanted)
        if (!present.contains(name, Qt::CaseInsensitive)) {
            *missing = name;
            return false;
        }
    return true;
}

void checkStructure(sqlite3* db, int version) {
    for (const Table& table : Schema::tables()) {
        const QStringList present = columnsOf(db, table.name);
        if (present.isEmpty() && version < table.since)
            continue;
        if (present.isEmpty())
            throw Unfit{QString("dosyada %1 tablosu yok").arg(table.name)};
        QStringList wanted;
        for (const Column& column : table.columns)
            wanted << column.name;
        QString missing;
        // Columns added since the file's version come with the upgrade that opening runs.
        if (version == Schema::Version && !containsAll(present, wanted, &missing))
            throw Unfit{QString("%1 tablosunda %2 sütunu yok").arg(table.name, missing)};
    }
    if (number(db, QString("SELECT count(*) FROM sqlite_master WHERE type = 'view' AND name = '%1' "
                           "COLLATE NOCASE")
                       .arg(Schema::PaymentsView)) == 0)
        throw Unfit{QString("dosyada %1 görünümü yok").arg(Schema::PaymentsView)};
    QString missing;
    if (!containsAll(columnsOf(db, Schema::PaymentsView), expectedViewColumns(), &missing))
        throw Unfit{QString("%1 görünümünde %2 sütunu yok").arg(Schema::PaymentsView, missing)};
}

// Reads `file` through `db`, opened read-only, and throws Unfit unless it is a whole database of
// this program's schema or an older one that opening upgrades.
Backup::Contents examine(const QString& file, Handle& db) {
    Backup::Contents contents = describe(file);
    const QFileInfo info(file);
    if (info.isDir())
        throw Unfit{"bu bir klasör, dosya değil"};
    if (!info.isFile())
        throw Unfit{"dosya bulunamadı"};
    if (contents.size == 0)
        throw Unfit{"dosya boş"};
    try {
        db = openReadOnly(file);
    } catch (const DatabaseError& e) {
        throw Unfit{QString("dosya açılamadı (%1)").arg(e.message())};
    }
    // The engine's own words: the advice of a database error would send the user to a backup.
    const int probe = sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (probe == SQLITE_CORRUPT)
        throw Unfit{QString("dosya bütünlük denetiminden geçmedi (%1)").arg(sqlite3_errmsg(db.get()))};
    if (probe != SQLITE_OK)
        throw Unfit{
            QString("dosya bir SQLite veritabanı olarak açılamadı (%1)").arg(sqlite3_errmsg(db.get()))};
    QString integrity;
    {
        sqlite3_stmt* result = nullptr;
        if (sqlite3_prepare_v2(db.get(), "PRAGMA integrity_check(1)", -1, &result, nullptr) == SQLITE_OK &&
            sqlite3_step(result) == SQLITE_ROW)
            integrity = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(result, 0)));
        else
            integrity = QString::fromUtf8(sqlite3_errmsg(db.get()));
        sqlite3_finalize(result);
    }
    if (integrity != "ok")
        throw Unfit{QString("dosya bütünlük denetiminden geçmedi (%1)").arg(integrity)};
    const int version = Migration::fileVersion(db.get());
    if (version > Schema::Version)
        throw Unfit{QString("dosya programın daha yeni bir sürümüne ait (şema sürümü %1, bu programınki %2)")
                        .arg(version)
                        .arg(Schema::Version)};
    checkStructure(db.get(), version);
    readCounts(db.get(), contents);
    return contents;
}

// The program's own rules, on an open connection or a file opened read-only with our collation.
template <typename Database> void checkRules(Database&& db, const QString& collation, QStringList& faults) {
    if (const qint64 orphans = number(
            db, "SELECT count(*) FROM tb_odeme WHERE kID <> 0 AND kID NOT IN (SELECT kID FROM tb_kursiyer)"))
        faults << QString("Kursiyeri olmayan %1 ödeme kaydı var.").arg(orphans);
    {
        // Numbers told apart only by case are the same number, the Turkish way on both backends.
        Statement doubled(db, QString("SELECT min(adayno), count(*) FROM tb_kursiyer WHERE adayno <> '' "
                                      "GROUP BY adayno COLLATE %1 HAVING count(*) > 1 ORDER BY 1")
                                  .arg(collation));
        while (doubled.step())
            faults << QString("%1 aday numarası %2 kursiyerde kullanılmış.")
                          .arg(doubled.text(0))
                          .arg(doubled.integer(1));
    }
    if (number(db, "SELECT count(*) FROM kullanicilar") == 0)
        faults << "Kullanıcı tablosunda (kullanicilar) hiç satır yok.";
    if (number(db, "SELECT count(*) FROM tb_firma") == 0)
        faults << "Firma tablosunda (tb_firma) hiç satır yok.";
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A copy that is on the disk, not only in the system's cache, when this returns.
void copyToDisk(const QString& from, const QString& to) {
    QFile source(from);
    QFile target(to);
    QFile::remove(to);
    const auto failed = [&](const QFile& file) {
        const QString reason = file.errorString();
        target.close();
        QFile::remove(to);
        throw DatabaseError(
            QString("%1 dosyası kopyalanamadı: %2 (%3)").arg(native(from), native(to), reason));
    };
    if (!source.open(QIODevice::ReadOnly))
        failed(source);
    if (!target.open(QIODevice::WriteOnly))
        failed(target);
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 read = source.read(buffer.data(), buffer.size());
        if (read < 0)
            failed(source);
        if (read == 0)
            break;
        if (target.write(buffer.constData(), read) != read)
            failed(target);
    }
    if (!target.flush() || ::fsync(target.handle()) != 0)
        failed(target);
    target.close();
}

// rename(2) replaces the target in one step: after a power failure the name holds the old file or
// the new one, never a mixture. The folder is flushed so the new name itself survives.
void moveOver(const QString& from, const QString& to) {
    std::error_code failed;
    std::filesystem::rename(from.toStdU16String(), to.toStdU16String(), failed);
    if (failed)
        throw DatabaseError(QString("%1 dosyası %2 yerine konamadı (%3)")
                                .arg(native(from), native(to), QString::fromStdString(failed.message())));
    syncFolder(QFileInfo(to).absolutePath());
}

void install(const QString& from, const QString& databasePath) {
    const QString temporary = databasePath + InstallSuffix;
    try {
        copyToDisk(from, temporary);
        moveOver(temporary, databasePath);
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
}

// The names of the copies in the backup folder, without the end of the pattern.
QString copyNamePattern(const QString& databasePath) {
    return QString("^%1-\\d{4}-\\d{2}-\\d{2}(-\\d{6})?(%2)?\\.db")
        .arg(QRegularExpression::escape(baseName(databasePath)), RestoreSuffix);
}

void removeMatching(const QString& folder, const QRegularExpression& names) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        if (names.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
}

QString makeFolder(const QString& databasePath) {
    const QString folder = Backup::folderOf(databasePath);
    if (!QDir().mkpath(folder))
        throw DatabaseError(QString("Yedek klasörü oluşturulamadı: %1").arg(native(folder)));
    return folder;
}

// Writes a copy of the database to `target`.
using Copier = std::function<void(const QString& target)>;

QString dailyCopy(const QString& databasePath, const QDate& today, const Copier& copy) {
    const QString folder = makeFolder(databasePath);
    const QString target =
        QDir(folder).filePath(QString("%1-%2.db").arg(baseName(databasePath), today.toString("yyyy-MM-dd")));
    copy(target);
    Backup::deleteOldDailyCopies(folder, baseName(databasePath), today);
    return target;
}

QString timedCopy(const QString& databasePath, const QDateTime& now, const QString& suffix,
                  const Copier& copy) {
    const QString folder = makeFolder(databasePath);
    const QString target = QDir(folder).filePath(
        QString("%1-%2%3.db").arg(baseName(databasePath), now.toString("yyyy-MM-dd-HHmmss"), suffix));
    copy(target);
    return target;
}

Handle createFile(const QString& path) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Handle handle(db);
    if (rc != SQLITE_OK)
        throw DatabaseError(databaseErrorText(rc, QString::fromUtf8(sqlite3_errstr(rc))), rc);
    return handle;
}

// The server read in one snapshot into a new file of this program's schema, written under a
// temporary name and renamed when whole, as the file's own copies are.
void copyServer(Connection& connection, const QString& target) {
    const QString temporary = target + UnfinishedFileSuffix;
    QFile::remove(temporary);
    try {
        {
            Handle file = createFile(temporary);
            HandleTransaction writing(file.get());
            for (const QString& statement : Schema::creationStatements())
                Statement(file.get(), statement).execute();
            Transaction snapshot(connection, Transaction::Kind::Read);
            TableCopy::replaceAll(TableCopy::of(connection), {file.get(), nullptr});
            snapshot.commit();
            writing.commit();
        }
        moveOver(temporary, target);
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
}

Copier copierOf(Connection& connection) {
    if (connection.isServer())
        return [&connection](const QString& target) { copyServer(connection, target); };
    return [db = connection.handle()](const QString& target) { copyDatabase(db, target); };
}

// `file` copied to `incoming` and that very copy verified, as it is the one that is put in place.
Backup::Contents receive(const QString& file, const QString& incoming) {
    try {
        copyToDisk(file, incoming);
        Backup::Contents contents = Backup::verify(incoming);
        contents.path = file;
        contents.modified = QFileInfo(file).lastModified();
        return contents;
    } catch (...) {
        QFile::remove(incoming);
        throw;
    }
}

QString takeSafetyCopy(Connection& connection, const QDateTime& now) {
    try {
        return Backup::takeCopy(connection, now, RestoreSuffix);
    } catch (const DatabaseError& e) {
        throw DatabaseError(
            QString("Geri yüklemeden önce veritabanının yedeği alınamadı; hiçbir şey değiştirilmedi.\n%1")
                .arg(e.message()),
            e.code());
    }
}

// The server keeps its connection: every row of every table is replaced in one transaction, from
// the file opened as the program opens one, so an older file is upgraded on the way.
Backup::Contents restoreOnServer(Connection& connection, const QString& file, const QDateTime& now) {
    QTemporaryDir work;
    if (!work.isValid())
        throw DatabaseError(QString("Geri yükleme için geçici klasör oluşturulamadı (%1); hiçbir şey "
                                    "değiştirilmedi.")
                                .arg(work.errorString()));
    const QString programFolder = work.path() + '/';
    const Backup::Contents contents =
        receive(file, Connection::dataSource(Connection::connectionText(programFolder)));
    takeSafetyCopy(connection, now);
    try {
        Connection incoming;
        incoming.setConnectionString(Connection::connectionText(programFolder));
        incoming.open();
        Transaction writing(connection);
        TableCopy::replaceAll(TableCopy::of(incoming), TableCopy::of(connection));
        writing.commit();
    } catch (const DatabaseError& e) {
        throw DatabaseError(QString("%1 geri yüklenemedi; sunucudaki veritabanında hiçbir değişiklik "
                                    "yapılmadı.\n%2")
                                .arg(native(file), e.message()),
                            e.code());
    }
    return contents;
}

} // namespace

namespace Backup {

QString folderOf(const QString& databasePath) {
    return QFileInfo(databasePath).absoluteDir().filePath("yedekler");
}

QString takeDailyCopy(Connection& connection, const QDate& today) {
    return dailyCopy(connection.databasePath(), today, copierOf(connection));
}

QString takeDailyCopy(sqlite3* db, const QString& databasePath, const QDate& today) {
    return dailyCopy(databasePath, today, [db](const QString& target) { copyDatabase(db, target); });
}

QString takeCopy(Connection& connection, const QDateTime& now, const QString& suffix) {
    return timedCopy(connection.databasePath(), now, suffix, copierOf(connection));
}

QString takeCopy(sqlite3* db, const QString& databasePath, const QDateTime& now, const QString& suffix) {
    return timedCopy(databasePath, now, suffix, [db](const QString& target) { copyDatabase(db, target); });
}

void deleteOldDailyCopies(const QString& folder, const QString& databaseBaseName, const QDate& today) {
    const QRegularExpression daily(
        QString("^%1-(\\d{4}-\\d{2}-\\d{2})\\.db$").arg(QRegularExpression::escape(databaseBaseName)));
    const QDate oldestKept = today.addDays(-(DaysKept - 1));
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QRegularExpressionMatch match = daily.match(name);
        if (!match.hasMatch())
            continue;
        const QDate day = QDate::fromString(match.captured(1), "yyyy-MM-dd");
        if (day.isValid() && day < oldestKept)
            QFile::remove(dir.filePath(name));
    }
}

std::vector<Contents> list(const QString& databasePath) {
    const QRegularExpression ours(copyNamePattern(databasePath) + '$');
    const QDir dir(folderOf(databasePath));
    std::vector<Contents> copies;
    for (const QString& name : dir.entryList(QDir::Files)) {
        if (!ours.match(name).hasMatch())
            continue;
        Contents contents = describe(dir.filePath(name));
        // A copy that cannot be read is still listed, with its counts unknown.
        try {
            Handle db = openReadOnly(contents.path);
            readCounts(db.get(), contents);
        } catch (const DatabaseError&) {
        }
        copies.push_back(contents);
    }
    std::sort(copies.begin(), copies.end(), [](const Contents& a, const Contents& b) {
        return a.modified != b.modified ? a.modified > b.modified : a.path > b.path;
    });
    return copies;
}

Contents verify(const QString& file) {
    Handle db;
    try {
        return examine(file, db);
    } catch (const Unfit& unfit) {
        refuse(file, unfit.reason);
    }
}

FileCheck checkFile(const QString& file) {
    FileCheck result;
    Handle db;
    try {
        result.contents = examine(file, db);
    } catch (const Unfit& unfit) {
        result.refusal = unfit.reason;
        return result;
    }
    if (const int rc = TurkishText::registerOn(db.get()); rc != SQLITE_OK)
        throw DatabaseError(databaseErrorText(rc, QString::fromUtf8(sqlite3_errmsg(db.get()))), rc);
    checkRules(db.get(), TurkishText::CollationName, result.findings.faults);
    if (result.contents.version < Schema::Version)
        result.findings.notes << QString("Dosya programın daha eski bir sürümüne ait (şema sürümü %1, bu "
                                         "programınki %2); program onu açtığında yükseltir.")
                                     .arg(result.contents.version)
                                     .arg(Schema::Version);
    return result;
}

Contents restore(Connection& connection, const QString& file, const QDateTime& now) {
    if (connection.isServer())
        return restoreOnServer(connection, file, now);
    const QString databasePath = connection.databasePath();
    const QString incoming = databasePath + IncomingSuffix;
    const Contents contents = receive(file, incoming);
    QString safetyCopy;
    try {
        safetyCopy = takeSafetyCopy(connection, now);
    } catch (...) {
        QFile::remove(incoming);
        throw;
    }
    connection.close();
    try {
        moveOver(incoming, databasePath);
    } catch (...) {
        QFile::remove(incoming);
        connection.open();
        throw;
    }
    try {
        connection.open();
    } catch (const DatabaseError& e) {
        // The new file passed every check yet the program cannot work on it: the old one goes back.
        install(safetyCopy, databasePath);
        connection.open();
        throw DatabaseError(QString("Geri yüklenen veritabanı açılamadı; önceki veritabanı yerine kondu.\n%1")
                                .arg(e.message()),
                            e.code());
    }
    return contents;
}

void removeLeftovers(const QString& databasePath) {
    const QString journal = "(-journal)?$";
    const QFileInfo database(databasePath);
    removeMatching(database.absolutePath(),
                   QRegularExpression(QString("^%1(%2|%3|%4)%5")
                                          .arg(QRegularExpression::escape(database.fileName()),
                                               QRegularExpression::escape(IncomingSuffix),
                                               QRegularExpression::escape(InstallSuffix),
                                               QRegularExpression::escape(UnfinishedFileSuffix), journal)));
    removeMatching(folderOf(databasePath),
                   QRegularExpression(copyNamePattern(databasePath) +
                                      QRegularExpression::escape(UnfinishedFileSuffix) + journal));
}

Findings check(Connection& connection) {
    Findings findings;
    QStringList& faults = findings.faults;
    if (connection.isServer())
        findings.notes << "Sunucudaki veritabanının bütünlüğü program içinden denetlenmez; bunun için "
                          "sunucunun kendi araçları (örneğin amcheck, pg_dump) kullanılabilir.";
    else {
        Statement integrity(connection, "PRAGMA integrity_check(20)");
        while (integrity.step()) {
            const QString line = integrity.text(0);
            if (line != "ok")
                faults << QString("Bütünlük denetimi: %1").arg(line);
        }
    }
    checkRules(connection, connection.isServer() ? QString("tr_ci") : QString(TurkishText::CollationName),
               faults);
    return findings;
}

} // namespace Backup
