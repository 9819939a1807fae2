#include "data/program_session.h"

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

} // namespace

ProgramSession::ProgramSession(const QString& databasePath)
    : m_folder(QFileInfo(databasePath).absoluteDir().filePath("oturumlar")),
      m_token(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    m_lock = lockFile(lockPath(m_token));
    if (!QDir().mkpath(m_folder) || !m_lock->tryLock())
        throw DatabaseError(
            QString("Oturum dosyası oluşturulamadı: %1. Veritabanı klasörünün yazma iznini denetleyin")
                .arg(QDir::toNativeSeparators(lockPath(m_token))));
    // A copy that was killed leaves its lock file behind; looking at it takes it away.
    othersRunning();
}

ProgramSession::~ProgramSession() = default;

bool ProgramSession::othersRunning() const {
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
    const std::unique_ptr<QLockFile> other = lockFile(lockPath(token));
    // What cannot be told counts as running: a copy's pending payments are never guessed away.
    if (!other->tryLock())
        return true;
    other->unlock();
    return false;
}

QString ProgramSession::lockPath(const QString& token) const {
    return m_folder + '/' + token + ".lock";
}
