#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

class Connection;
class QDialog;
class ServerDatabase;

// A new, empty database in its own temporary folder, removed with the object; or the database
// that already lies in a given folder, left there. In a server run (KALVISTA_SERVER_TESTS=1) the
// database is a new one on the test server, which the folder's veriler.baglanti names.
class TempDatabase {
public:
    TempDatabase();
    explicit TempDatabase(const QString& folder);
    ~TempDatabase();
    QString folder() const; // with its trailing separator, as the program folder is
    QString path() const;
    // Opens `connection` on this file, as the program does at first show.
    void open(Connection& connection) const;
    // Every row of every table, one text a row, through a connection of its own.
    QStringList rows() const;
    // Runs statements through a connection of its own.
    void execute(const QStringList& statements) const;
    // Makes the database refuse a write, as a fault would: `when` is "BEFORE INSERT ON tb_odeme",
    // optionally followed by " WHEN (condition)"; the database refuses each row while the
    // condition holds, until stopRefusing().
    void refuse(const QString& when);
    void stopRefusing();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    std::unique_ptr<ServerDatabase> m_server;
    QString m_refusingTable;
};

// Another program holding every table of the database locked for as long as this lives.
class DatabaseLock {
public:
    explicit DatabaseLock(const TempDatabase& database);
    ~DatabaseLock();

private:
    std::unique_ptr<Connection> m_connection;
};

// Makes `connection` give up waiting for a lock after a moment, so that a test of a locked
// database does not wait the program's full time.
void waitBriefly(Connection& connection);

// Returns once `waiters` connections wait for a lock on the database, false after half a minute
// without them. The file cannot tell: there it returns after a moment, long enough to have them waiting.
bool waitForLockWaiters(const TempDatabase& database, int waiters);

// Takes the database back to an older schema version for an upgrade test: drops every table a
// later version brought and sets the version. Columns and indexes later versions added to older
// tables are the test's own to drop.
void setBackToVersion(Connection& connection, int version);

// Answers the modal boxes and dialogs that production code opens with exec(), recording each
// box's caption, text and icon. Answers are taken in order; without one, a box is closed with
// its default (Enter) or, for a dialog, rejected.
class ModalWatcher : public QObject {
    Q_OBJECT
public:
    struct Seen {
        QString caption;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QMessageBox::StandardButtons buttons;
    };
    using DialogAction = std::function<void(QWidget*)>;

    ModalWatcher();
    void answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }
    // For a dialog that is not a message box: what to do with it when it shows.
    void onDialog(DialogAction action) { m_dialogActions.push_back(std::move(action)); }

    QList<Seen> seen;

private:
    void poll();

    QTimer m_timer;
    std::deque<QMessageBox::StandardButton> m_answers;
    std::deque<DialogAction> m_dialogActions;
    QList<QDialog*> m_working;
};

// Sets the Turkish locale as main() does.
void useProgramLocale();
