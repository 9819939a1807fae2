#include "test_support.h"

#include "server_database.h"

#include "data/connection.h"
#include "data/schema.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QThread>

#include <sqlite3.h>

TempDatabase::TempDatabase() : m_dir(std::make_unique<QTemporaryDir>()), m_folder(m_dir->path()) {
    if (!ServerDatabase::serverRun()) {
        createDatabase(path());
        return;
    }
    m_server = std::make_unique<ServerDatabase>();
    QSaveFile setting(Connection::serverSettingFile(folder()));
    if (!setting.open(QIODevice::WriteOnly) ||
        setting.write("dbname=" + m_server->name().toUtf8() + '\n') < 0 || !setting.commit())
        qFatal("cannot write the server setting");
    Connection connection;
    connection.useProgramFolder(folder());
    connection.fillServer();
}

TempDatabase::TempDatabase(const QString& folder) : m_folder(QDir::cleanPath(folder)) {}

TempDatabase::~TempDatabase() = default;

QString TempDatabase::folder() const {
    return QDir::toNativeSeparators(m_folder) + QDir::separator();
}

QString TempDatabase::path() const {
    return QDir(m_folder).filePath("veriler.db");
}

void TempDatabase::open(Connection& connection) const {
    connection.useProgramFolder(folder());
    connection.open();
}

QStringList TempDatabase::rows() const {
    Connection connection;
    open(connection);
    QStringList rows;
    for (const Table& table : Schema::tables()) {
        Statement s(connection, QString("SELECT * FROM %1 ORDER BY %2").arg(table.name, table.key));
        while (s.step()) {
            QStringList cells{table.name};
            for (int c = 0; c < s.columnCount(); ++c)
                cells << s.text(c);
            rows << cells.join('|');
        }
    }
    return rows;
}

void TempDatabase::execute(const QStringList& statements) const {
    Connection connection;
    open(connection);
    for (const QString& sql : statements)
        connection.execute(sql);
}

void TempDatabase::refuse(const QString& when) {
    static const QRegularExpression form(R"(^(BEFORE \w+) ON (\w+)(?: WHEN (.*))?$)");
    const QRegularExpressionMatch m = form.match(when);
    if (!m.hasMatch())
        qFatal("refuse: %s", qPrintable(when));
    m_refusingTable = m.captured(2);
    if (!m_server) {
        execute({QString("CREATE TRIGGER refuse %1 BEGIN SELECT RAISE(ABORT, 'refused'); END").arg(when)});
        return;
    }
    const QString condition = m.captured(3).isEmpty() ? "true" : m.captured(3);
    execute({QString("CREATE OR REPLACE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN IF %1 "
                     "THEN RAISE EXCEPTION 'refused'; END IF; RETURN coalesce(NEW, OLD); END$$")
                 .arg(condition),
             QString("CREATE TRIGGER refuse %1 ON %2 FOR EACH ROW EXECUTE FUNCTION refuse()")
                 .arg(m.captured(1), m_refusingTable)});
}

void TempDatabase::stopRefusing() {
    execute({m_server ? QString("DROP TRIGGER refuse ON %1").arg(m_refusingTable)
                      : QString("DROP TRIGGER refuse")});
}

DatabaseLock::DatabaseLock(const TempDatabase& database) : m_connection(std::make_unique<Connection>()) {
    database.open(*m_connection);
    if (!m_connection->isServer()) {
        m_connection->execute("BEGIN EXCLUSIVE");
        return;
    }
    m_connection->execute("BEGIN");
    QStringList tables;
    for (const Table& table : Schema::tables())
        tables << table.name;
    m_connection->execute(QString("LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE").arg(tables.join(", ")));
}

DatabaseLock::~DatabaseLock() {
    m_connection->execute("ROLLBACK");
}

void waitBriefly(Connection& connection) {
    if (connection.isServer())
        connection.execute("SET lock_timeout = '50ms'");
    else
        sqlite3_busy_timeout(connection.handle(), 50);
}

bool waitForLockWaiters(const TempDatabase& database, int waiters) {
    if (Connection::serverSetting(database.folder()).isEmpty()) {
        QThread::msleep(300);
        return true;
    }
    Connection connection;
    database.open(connection);
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        Statement waiting(connection, "SELECT count(*) FROM pg_locks WHERE NOT granted AND database = "
                                      "(SELECT oid FROM pg_database WHERE datname = current_database())");
        waiting.step();
        if (waiting.integer(0) >= waiters)
            return true;
        QThread::msleep(10);
    }
    return false;
}

void setBackToVersion(Connection& connection, int version) {
    for (const Table& t : Schema::tables())
        if (t.since > version)
            connection.execute("DROP TABLE " + t.name);
    connection.execute(connection.isServer()
                           ? QString("UPDATE %1 SET surum = %2").arg(Schema::VersionTable).arg(version)
                           : QString("PRAGMA user_version = %1").arg(version));
}

ModalWatcher::ModalWatcher() {
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::poll);
    m_timer.start();
}

void ModalWatcher::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.append({box->windowTitle(), box->text(), box->icon(), box->standardButton(box->defaultButton()),
                     box->standardButtons()});
        QMessageBox::StandardButton choice = seen.last().defaultButton;
        if (!m_answers.empty()) {
            choice = m_answers.front();
            m_answers.pop_front();
        }
        if (QAbstractButton* button = box->button(choice ? choice : QMessageBox::Ok))
            button->click();
        else
            box->reject();
        return;
    }
    // A dialog is worked on only once it has the focus, as a user would find it.
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        // A dialog whose action is still at work (waiting on long work, say) is left to it.
        if (m_working.contains(dialog))
            return;
        if (!dialog->isActiveWindow()) {
            dialog->activateWindow();
            return;
        }
        if (m_dialogActions.empty()) {
            dialog->reject();
            return;
        }
        // Run outside this poll: an action may open a box of its own, which this timer must then answer.
        DialogAction action = std::move(m_dialogActions.front());
        m_dialogActions.pop_front();
        m_timer.stop();
        QTimer::singleShot(0, this, [this, action, target = QPointer<QDialog>(dialog)] {
            m_timer.start();
            if (!target)
                return;
            m_working.append(target);
            action(target);
            m_working.removeAll(target.data());
        });
    }
}

void useProgramLocale() {
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
}
