#pragma once

#include <QString>

#include <memory>

class Connection;
class QLockFile;

// This copy of the program as other copies on the same database see it. On the file: a lock file
// in the folder "oturumlar" beside the database, held while the program runs and given up by the
// system when its process ends, even when it is killed. On the server: a session-level advisory
// lock named after the token, which the server gives up when the desk's connection ends. Payments
// typed for a trainee not yet saved carry the session's token, so a copy clears another copy's
// leftovers only once that copy is certainly gone.
class ProgramSession {
public:
    explicit ProgramSession(Connection& connection);
    ~ProgramSession();
    ProgramSession(const ProgramSession&) = delete;
    ProgramSession& operator=(const ProgramSession&) = delete;

    const QString& token() const { return m_token; }
    // True while the copy holding `token` runs. A copy on another computer sharing the file cannot
    // be checked from here and counts as running.
    bool isRunning(const QString& token) const;
    // True while any other copy runs on the same database (or cannot be told not to).
    bool othersRunning() const;
    // Takes the token's lock again, after the server connection was lost and made anew.
    void holdToken();

private:
    QString lockPath(const QString& token) const;
    bool serverTokenHeld(const QString& token) const;

    Connection& m_connection;
    QString m_folder;
    QString m_token;
    std::unique_ptr<QLockFile> m_lock;
};
