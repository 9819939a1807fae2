#include "app/data_folder.h"
#include "app/program_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Every file and folder under `root`, relative to it, so that a test sees anything written.
QStringList everythingIn(const QString& root) {
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(root).relativeFilePath(it.next());
    found.sort();
    return found;
}

// The choice made by a user who is not root, as a school's account is (root reads and writes
// everything, so a refusal is only seen without it): "folder|server file", or "!" and the message.
QString chooseAsUser(const std::function<DataFolder()>& choose) {
    int channel[2];
    if (pipe(channel) != 0)
        return "pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        QByteArray answer;
        try {
            const DataFolder data = choose();
            answer = (data.folder + '|' + data.serverSettingFile).toUtf8();
        } catch (const DataFolderError& e) {
            answer = ('!' + e.message()).toUtf8();
        }
        const bool written = write(channel[1], answer.constData(), size_t(answer.size())) == answer.size();
        _exit(written ? 0 : 4);
    }
    close(channel[1]);
    QByteArray answer;
    char buffer[4096];
    for (ssize_t read = 0; (read = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, read);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? QString::fromUtf8(answer)
                                                         : QString("child failed %1").arg(status);
}

} // namespace

class TestProgramFolder : public QObject {
    Q_OBJECT
private slots:
    void folderOfTheProgramFile_data() {
        QTest::addColumn<QString>("programFile");
        QTest::addColumn<QString>("folder");
        QTest::newRow("usual folder") << "/opt/kalvista/kalvista"
                                      << "/opt/kalvista/";
        QTest::newRow("root folder") << "/kalvista"
                                     << "/";
        QTest::newRow("no folder at all means the root") << "kalvista"
                                                         << "/";
    }
    void folderOfTheProgramFile() {
        QFETCH(QString, programFile);
        QFETCH(QString, folder);
        QCOMPARE(programFolderOf(programFile), folder);
    }

    // A world with the program's folder "bin", the user's home "home" and the computer's /etc as
    // "etc": `present` lists the files there (a name ending in ":0555" or ":0000" is given that
    // mode), `chosen` the folder and server file chosen, or "!" and what the message must name.
    void dataFolderRule_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("portable marker") << QStringList{"bin/tasinabilir"} << "bin/|bin/veriler.baglanti";
        QTest::newRow("a database beside the program")
            << QStringList{"bin/veriler.db", "etc/veriler.baglanti"} << "bin/|bin/veriler.baglanti";
        QTest::newRow("a server file beside the program")
            << QStringList{"bin/veriler.baglanti"} << "bin/|bin/veriler.baglanti";
        QTest::newRow("installed, first start")
            << QStringList{} << "home/Kalvista/|home/Kalvista/veriler.baglanti";
        QTest::newRow("installed, the computer's server")
            << QStringList{"etc/veriler.baglanti"} << "home/Kalvista/|etc/veriler.baglanti";
        QTest::newRow("installed, the user's own server first")
            << QStringList{"home/Kalvista/veriler.baglanti", "etc/veriler.baglanti"}
            << "home/Kalvista/|home/Kalvista/veriler.baglanti";
        QTest::newRow("data folder cannot be made") << QStringList{"home:file"} << "!home/Kalvista";
        QTest::newRow("data folder not writable")
            << QStringList{"home/Kalvista/:0555"} << "!Programın veri klasörüne yazılamıyor:\nhome/Kalvista";
        QTest::newRow("marker in a folder the user cannot write")
            << QStringList{"bin/tasinabilir", "bin/:0555"} << "!klasöre yazılamıyor:\nbin";
        QTest::newRow("computer's server file unreadable")
            << QStringList{"etc/veriler.baglanti:0000"}
            << "!Sunucu bağlantı dosyası okunamadı:\netc/veriler.baglanti";
    }
    void dataFolderRule() {
        QFETCH(QStringList, present);
        QFETCH(QString, chosen);
        QTemporaryDir world;
        const QString root = world.path() + '/';
        QFile::setPermissions(root, QFile::Permissions(0x7777));
        for (const char* folder : {"bin", "etc"})
            QVERIFY(QDir(root).mkdir(folder));
        QStringList modes;
        for (const QString& entry : present) {
            const QString name = entry.section(':', 0, 0);
            const QString mode = entry.section(':', 1);
            if (name.endsWith('/'))
                QVERIFY(QDir().mkpath(root + name));
            else {
                QDir().mkpath(QFileInfo(root + name).absolutePath());
                QFile file(root + name);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write("dbname=okul\n");
            }
            if (mode.startsWith('0'))
                modes << root + name + ':' + mode;
        }
        for (const QString& dir : everythingIn(root))
            if (QFileInfo(root + dir).isDir())
                QFile::setPermissions(root + dir, QFile::Permissions(0x7777));
        for (const QString& entry : modes)
            QFile::setPermissions(entry.section(':', 0, 0),
                                  QFile::Permissions(entry.section(':', 1) == "0555" ? 0x5555 : 0));
        const QStringList before = everythingIn(root);
        const QString answer = chooseAsUser([&] {
            return chooseDataFolder(root + "bin/", root + "home/Kalvista", root + "etc/veriler.baglanti");
        });
        for (const QString& entry : modes)
            QFile::setPermissions(entry.section(':', 0, 0), QFile::Permissions(0x7777));
        const QString shown = QString(answer).replace(root, "");
        if (chosen.startsWith('!')) {
            QVERIFY2(shown.startsWith('!') && shown.contains(chosen.mid(1)), qPrintable(shown));
            QVERIFY2(shown.contains("Program başlatılmadı."), qPrintable(shown));
            QCOMPARE(everythingIn(root), before);
            return;
        }
        QCOMPARE(shown, chosen);
        // Only the user's data folder is made, and nothing in it.
        QStringList after = before;
        if (chosen.startsWith("home/"))
            after << "home"
                  << "home/Kalvista";
        after.removeDuplicates();
        after.sort();
        QCOMPARE(everythingIn(root), after);
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_program_folder.moc"
