#include "app/program_folder.h"

#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_program_folder.moc"
