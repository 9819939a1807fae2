#pragma once

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

// A real SMTP server on 127.0.0.1 for one test, in one of the modes of smtp_sink.py, with the
// messages it kept read back through Python's mail parser.
inline const QString Scripts = MAIL_SCRIPTS;

class Server {
public:
    explicit Server(const QString& mode) {
        m_process.start(PYTHON, {Scripts + "/smtp_sink.py", mode, m_dir.path()});
        m_process.waitForReadyRead(-1);
        port = m_process.readLine().trimmed().toInt();
    }
    ~Server() {
        m_process.kill();
        m_process.waitForFinished(-1);
    }
    QStringList saved() const { return QDir(m_dir.path()).entryList({"*.eml"}, QDir::Files, QDir::Name); }
    QStringList read(int number) const {
        QProcess reader;
        reader.start(PYTHON, {Scripts + "/read_mail.py", m_dir.filePath(QString::number(number))});
        reader.waitForFinished(-1);
        return QString::fromUtf8(reader.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
    int port = 0;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};
