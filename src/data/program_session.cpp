#include "data/program_session.h"

#include "data/connection.h"
#include "data/database_error.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QUuid>

namespace {

std::unique_ptr<QLockFile> lockFile(const QString& path) {
    auto lock = std::make_unique<QLockFile>(path);
    // Held for as long as the program runs: only a process that is gone makes it stale.
    lock->setStaleLockTime(0);
    return lock;
}

// The advisory locks of the program's sessions are told apart from any other by this first key.
constexpr int SessionLockClass = 0x4b414c56;

QString lockCall(const char* function) {
    return QString("SELECT %1(%2, hashtext(?))").arg(function).arg(SessionLockClass);
}

bool ask(Connection& connection, const QString& sql, const QString& token) {
    Statement statement(connection, sql);
    statement.bind(1, token);
    statement.step();
    return statement.integer(0) != 0;
}

} // namespace

ProgramSession::ProgramSession(Connection& connection)
    : m_connection(connection),
      m_folder(QFileInfo(connection.databasePath()).absoluteDir().filePath("oturumlar")),
      m_token(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    if (connection.isServer()) {
        holdToken();
        return;
    }
    m_lock = lockFile(lockPath(m_token));
    if (!QDir().mkpath(m_folder) || !m_lock->tryLock())
        throw DatabaseError(
            QString("Oturum dosyası oluşturulamadı: %1. Veritabanı klasörünün yazma iznini denetleyin")
                .arg(QDir::toNativeSeparators(lockPath(m_token))));
    // A copy that was killed leaves its lock file behind; looking at it takes it away.
    othersRunning();
}

ProgramSession::~ProgramSession() = default;

void ProgramSession::holdToken() {
    if (!ask(m_connection, lockCall("pg_try_advisory_lock"), m_token))
        throw DatabaseError("Sunucuda bu masanın oturumu açılamadı: oturum kilidi başka bir bağlantıda.");
}

bool ProgramSession::othersRunning() const {
    if (m_connection.isServer()) {
        Statement others(m_connection,
                         QString("SELECT count(*) FROM pg_locks WHERE locktype = 'advisory' AND "
                                 "classid = %1 AND objsubid = 2 AND pid <> pg_backend_pid()")
                             .arg(SessionLockClass));
        others.step();
        return others.integer(0) > 0;
    }
    bool others = false;
    for (const QString& name : QDir(m_folder).entryList({"*.lock"}, QDir::Files)) {
        const QString token = QFileInfo(name).completeBaseName();
        others = (token != m_token && isRunning(token)) || others;
    }
    return others;
}

bool ProgramSession::isRunning(const QString& token) const {
    if (token == m_token)
        return true;
    if (token.isEmpty() || token.contains('/') || token.contains('\\'))
        return false;
    if (m_connection.isServer())
        return serverTokenHeld(token);
    const std::unique_ptr<QLockFile> other = lockFile(lockPath(token));
    // What cannot be told counts as running: a copy's pending payments are never guessed away.
    if (!other->tryLock())
        return true;
    other->unlock();
    return false;
}

// A lock the server grants at once is held by nobody: it is given back at once.
bool ProgramSession::serverTokenHeld(const QString& token) const {
    if (!ask(m_connection, lockCall("pg_try_advisory_lock"), token))
        return true;
    ask(m_connection, lockCall("pg_advisory_unlock"), token);
    return false;
}

QString ProgramSession::lockPath(const QString& token) const {
    return m_folder + '/' + token + ".lock";
}
