#include "data/migration.h"

#include "data/connection.h"
#include "data/database_error.h"
#include "data/schema.h"
#include "data/transaction.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace {

QString copyPath(const QString& path, int version) {
    const QFileInfo file(path);
    return file.dir().filePath(QString("%1-surum%2.db").arg(file.completeBaseName()).arg(version));
}

// Takes the file one version up; false when it had no step left to run.
bool upgradeOneStep(sqlite3* db, const Migration::Steps& steps) {
    HandleTransaction step(db);
    // Read under the write lock: another copy of the program may have run this step meanwhile.
    const int version = Migration::fileVersion(db);
    const bool due = version <= int(steps.size());
    if (due) {
        for (const QString& sql : steps[version - 1])
            Statement(db, sql).execute();
        Statement(db, QString("PRAGMA user_version = %1").arg(version + 1)).execute();
    }
    step.commit();
    return due;
}

} // namespace

namespace Migration {

const Steps& programSteps() {
    // Steps are history: each stays as it was released, whatever the schema becomes later.
    static const Steps steps = {
        {"ALTER TABLE tb_odeme ADD COLUMN giris VARCHAR(40)"},
        {"CREATE INDEX IF NOT EXISTS ix_kursiyer_cinsiyeti ON tb_kursiyer(cinsiyeti)",
         "CREATE INDEX IF NOT EXISTS ix_kursiyer_ser_hak ON tb_kursiyer(ser_hak)",
         "CREATE INDEX IF NOT EXISTS ix_kursiyer_ser_aldi ON tb_kursiyer(ser_aldi)",
         "CREATE INDEX IF NOT EXISTS ix_kursiyer_ser_yakti ON tb_kursiyer(ser_yakti)"},
        {"ALTER TABLE tb_kursiyer ADD COLUMN surum INTEGER NOT NULL DEFAULT 0",
         "ALTER TABLE tb_odeme ADD COLUMN surum INTEGER NOT NULL DEFAULT 0",
         "ALTER TABLE kullanicilar ADD COLUMN surum INTEGER NOT NULL DEFAULT 0",
         "ALTER TABLE tb_firma ADD COLUMN surum INTEGER NOT NULL DEFAULT 0",
         "ALTER TABLE tb_arac ADD COLUMN surum INTEGER NOT NULL DEFAULT 0",
         "ALTER TABLE tb_guz ADD COLUMN surum INTEGER NOT NULL DEFAULT 0"},
    };
    return steps;
}

int fileVersion(sqlite3* db) {
    Statement version(db, "PRAGMA user_version");
    version.step();
    return std::max(1, int(version.integer(0)));
}

void upgrade(sqlite3* db, const QString& path, const Steps& steps) {
    const int version = fileVersion(db);
    if (version > int(steps.size()))
        return;
    const QString copy = copyPath(path, version);
    try {
        copyDatabase(db, copy);
    } catch (const DatabaseError& e) {
        throw DatabaseError(
            QString("Veritabanı yeni sürüme yükseltilmeden önce kopyası alınamadı; dosya değiştirilmedi.\n%1")
                .arg(e.message()),
            e.code());
    }
    try {
        while (upgradeOneStep(db, steps)) {
        }
    } catch (const DatabaseError& e) {
        throw DatabaseError(QString("Veritabanı programın bu sürümüne yükseltilemedi. Dosyanın yükseltmeden "
                                    "önceki kopyası şurada duruyor: %1\n%2")
                                .arg(QDir::toNativeSeparators(copy), e.message()),
                            e.code());
    }
}

const Steps& serverSteps() {
    static const Steps steps = {};
    return steps;
}

int serverVersion(pg_conn* db) {
    Statement version(db, QString("SELECT max(surum) FROM %1").arg(Schema::VersionTable));
    version.step();
    return int(version.integer(0));
}

void upgradeServer(pg_conn* db, const Steps& steps) {
    for (;;) {
        Statement(db, "BEGIN").execute();
        try {
            // Under the table's lock: another desk may be running the same step meanwhile.
            Statement(db, QString("LOCK TABLE %1 IN EXCLUSIVE MODE").arg(Schema::VersionTable)).execute();
            const int version = serverVersion(db);
            const int step = version - FirstServerVersion;
            if (step < 0 || step >= int(steps.size())) {
                Statement(db, "COMMIT").execute();
                return;
            }
            for (const QString& sql : steps[size_t(step)])
                Statement(db, sql).execute();
            Statement(db, QString("UPDATE %1 SET surum = %2").arg(Schema::VersionTable).arg(version + 1))
                .execute();
            Statement(db, "COMMIT").execute();
        } catch (const DatabaseError& e) {
            try {
                Statement(db, "ROLLBACK").execute();
            } catch (const DatabaseError&) {
            }
            throw DatabaseError(QString("Sunucudaki veritabanı programın bu sürümüne yükseltilemedi; son "
                                        "adım geri alındı.\n%1")
                                    .arg(e.message()),
                                e.code());
        }
    }
}

} // namespace Migration
