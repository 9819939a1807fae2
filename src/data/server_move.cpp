#include "data/server_move.h"

#include "data/connection.h"
#include "data/schema.h"
#include "data/transaction.h"

#include <QSaveFile>
#include <QStringList>

#include <libpq-fe.h>

#include <cmath>
#include <memory>

namespace {

struct Closer {
    void operator()(pg_conn* db) const { PQfinish(db); }
};
using Link = std::unique_ptr<pg_conn, Closer>;

QString libpqText(pg_conn* db) {
    return QString::fromUtf8(PQerrorMessage(db)).trimmed();
}

void run(pg_conn* db, const QString& sql) {
    const std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(db, sql.toUtf8().constData()),
                                                               &PQclear);
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const char* state = PQresultErrorField(result.get(), PG_DIAG_SQLSTATE);
        throw DatabaseError(serverErrorText(QString::fromLatin1(state ? state : ""), libpqText(db)));
    }
}

// The session speaks UTF-8 and reads dates in the ISO form the file stores them in.
Link connect(const ServerMove::Target& target) {
    ServerMove::checkSetting(target.connectionString);
    const QByteArray setting = target.connectionString.toUtf8();
    const QByteArray password = target.password.value_or(QString()).toUtf8();
    std::vector<const char*> keys{"dbname", "fallback_application_name"};
    std::vector<const char*> values{setting.constData(), "Kalvista"};
    if (target.password) {
        keys.push_back("password");
        values.push_back(password.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    Link db(PQconnectdbParams(keys.data(), values.data(), 1));
    if (PQstatus(db.get()) != CONNECTION_OK) {
        if (PQconnectionNeedsPassword(db.get()) && !target.password)
            throw PasswordNeeded(serverDisplayName(db.get()));
        throw DatabaseError(QString("%1 sunucusuna bağlanılamadı. Bağlantı bilgisini, sunucunun çalıştığını "
                                    "ve ağ bağlantısını denetleyin. (%2)")
                                .arg(serverDisplayName(db.get()), libpqText(db.get())));
    }
    if (PQsetClientEncoding(db.get(), "UTF8") != 0)
        throw DatabaseError(QString("%1 sunucusu UTF-8 metinleri kabul etmiyor. (%2)")
                                .arg(serverDisplayName(db.get()), libpqText(db.get())));
    run(db.get(), "SET standard_conforming_strings = on");
    run(db.get(), "SET DateStyle = 'ISO, YMD'");
    return db;
}

QStringList tablesOf(pg_conn* db) {
    Statement tables(
        db, "SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema()");
    QStringList names;
    while (tables.step())
        names << tables.text(0);
    return names;
}

bool holdsProgram(const QStringList& tables) {
    for (const Table& table : Schema::tables())
        if (tables.contains(table.name, Qt::CaseInsensitive))
            return true;
    return tables.contains(Schema::VersionTable, Qt::CaseInsensitive);
}

// The server must hold what the file holds: every table's rows, and the payments to the kuruş.
void compare(TableCopy::Database file, TableCopy::Database server, const QString& name) {
    const std::vector<qint64> inFile = TableCopy::rowCounts(file);
    const std::vector<qint64> onServer = TableCopy::rowCounts(server);
    for (size_t i = 0; i < inFile.size(); ++i)
        if (inFile[i] != onServer[i])
            throw DatabaseError(QString("%1 sunucusuna aktarılan %2 tablosunda %3 satır var, dosyada %4. "
                                        "Taşıma geri alındı.")
                                    .arg(name, Schema::tables()[i].name)
                                    .arg(onServer[i])
                                    .arg(inFile[i]));
    const double fileSum = TableCopy::paymentSum(file);
    const double serverSum = TableCopy::paymentSum(server);
    if (std::abs(fileSum - serverSum) >= 0.005)
        throw DatabaseError(QString("%1 sunucusuna aktarılan ödemelerin toplamı (%2) dosyadakiyle (%3) aynı "
                                    "değil. Taşıma geri alındı.")
                                .arg(name)
                                .arg(serverSum, 0, 'f', 2)
                                .arg(fileSum, 0, 'f', 2));
}

} // namespace

namespace ServerMove {

void checkSetting(const QString& connectionString) {
    if (connectionString.trimmed().isEmpty())
        throw DatabaseError(
            "Sunucu bağlantı bilgisini yazın (örneğin: host=sunucu dbname=kalvista user=okul).");
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(connectionString.toUtf8().constData(), &parseError);
    if (!options) {
        const QString reason = parseError ? QString::fromUtf8(parseError).trimmed() : QString();
        PQfreemem(parseError);
        throw DatabaseError(
            QString("Sunucu bağlantı bilgisi okunamadı: \"%1\". (%2)").arg(connectionString, reason));
    }
    bool password = false;
    for (const PQconninfoOption* option = options; option->keyword; ++option)
        if (qstrcmp(option->keyword, "password") == 0 && option->val)
            password = true;
    PQconninfoFree(options);
    if (password)
        throw DatabaseError(
            "Bağlantı bilgisinde parola (password=) olmamalı: veriler.baglanti dosyası herkesin "
            "okuyabileceği bir yerde durur. Parolayı çıkarın; sunucu isterse program sorar "
            "ya da ~/.pgpass dosyasından okunur.");
}

Probe probe(const Target& target) {
    const Link db = connect(target);
    const QStringList tables = tablesOf(db.get());
    const char* version = PQparameterStatus(db.get(), "server_version");
    return {serverDisplayName(db.get()), QString::fromUtf8(version ? version : "?"), tables.isEmpty(),
            holdsProgram(tables)};
}

Moved move(Connection& file, const Target& target, const QString& programFolder,
           const TableCopy::Progress& progress) {
    const Link db = connect(target);
    const QString name = serverDisplayName(db.get());
    const TableCopy::Database server{nullptr, db.get()};
    const TableCopy::Database source = TableCopy::of(file);
    QSaveFile setting(Connection::serverSettingFile(programFolder));
    try {
        run(db.get(), "BEGIN");
        // Looked at inside the transaction, where the tables are made: no other desk fills it meanwhile.
        if (holdsProgram(tablesOf(db.get())))
            throw DatabaseError(
                QString("%1 sunucusundaki veritabanında programın tabloları zaten var; taşıma "
                        "yapılmadı. Boş bir veritabanı seçin.")
                    .arg(name));
        for (const QString& statement : Schema::creationStatements(SqlDialect::Postgres))
            run(db.get(), statement);
        Transaction reading(file, Transaction::Kind::Read);
        TableCopy::replaceAll(source, server, progress);
        compare(source, server, name);
        const std::vector<qint64> counts = TableCopy::rowCounts(source);
        const Moved moved{counts[0], counts[1]};
        reading.commit();
        // Written before the commit and put in place after it: a setting never names a server
        // that was not filled.
        if (!setting.open(QIODevice::WriteOnly | QIODevice::Text) ||
            setting.write((target.connectionString.trimmed() + '\n').toUtf8()) < 0)
            throw DatabaseError(
                QString("%1 dosyası yazılamadı: %2").arg(setting.fileName(), setting.errorString()));
        run(db.get(), "COMMIT");
        if (!setting.commit())
            throw DatabaseError(
                QString("Veriler sunucuya taşındı, ancak %1 dosyası yazılamadı (%2). Dosyaya şu "
                        "satırı yazın: %3")
                    .arg(setting.fileName(), setting.errorString(), target.connectionString));
        return moved;
    } catch (...) {
        setting.cancelWriting();
        if (PQtransactionStatus(db.get()) != PQTRANS_IDLE)
            PQclear(PQexec(db.get(), "ROLLBACK"));
        throw;
    }
}

} // namespace ServerMove
