#pragma once

#include <QString>

#include <memory>

class QLockFile;

// This copy of the program as other copies on the same database see it: a lock file in the
// folder "oturumlar" beside the database, held while the program runs and given up by the
// system when its process ends, even when it is killed. Payments typed for a trainee not yet
// saved carry the session's token, so a copy clears another copy's leftovers only once that
// copy is certainly gone.
class ProgramSession {
public:
    explicit ProgramSession(const QString& databasePath);
    ~ProgramSession();
    ProgramSession(const ProgramSession&) = delete;
    ProgramSession& operator=(const ProgramSession&) = delete;

    const QString& token() const { return m_token; }
    // True while the copy holding `token` runs. A copy on another computer cannot be checked
    // from here and counts as running.
    bool isRunning(const QString& token) const;
    // True while any other copy runs on the same database (or cannot be told not to).
    bool othersRunning() const;

private:
    QString lockPath(const QString& token) const;

    QString m_folder;
    QString m_token;
    std::unique_ptr<QLockFile> m_lock;
};
