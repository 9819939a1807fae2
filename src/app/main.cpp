#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/guard.h"
#include "app/program.h"
#include "app/program_folder.h"
#include "records/frm_main_form.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>

namespace {

// The mark drawn for the menu entry, kept in the program so that a portable copy shows it too.
QIcon programIcon() {
    QIcon icon;
    for (const int size : {48, 128, 256})
        icon.addFile(QString(":/icons/%1.png").arg(size));
    return icon;
}

int runCommandLine(const CommandLine::Request& request) {
    QTextStream out(stdout);
    QTextStream errors(stderr);
    return CommandLine::run(request, out, errors);
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Before the windowing system is asked for: these must work without a display.
    if (const CommandLine::Request request = CommandLine::read(arguments, false);
        request.action != CommandLine::Action::Window) {
        QCoreApplication core(argc, argv);
        return runCommandLine(request);
    }
    KalvistaApplication app(argc, argv);
    if (const CommandLine::Request request = CommandLine::read(QCoreApplication::arguments().mid(1), true);
        request.action != CommandLine::Action::Window)
        return runCommandLine(request);
    initialiseProcess();
    QApplication::setWindowIcon(programIcon());
    DataFolder data;
    try {
        data = chooseDataFolder(programFolderOf(QCoreApplication::applicationFilePath()),
                                QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    } catch (const DataFolderError& e) {
        std::fprintf(stderr, "kalvista: %s\n", qPrintable(e.message()));
        Guard::showDefaultError(e.message());
        return 1;
    }
    ProgramFolder = data.folder;
    Program program;
    program.mainWindow().useServerSettingFile(data.serverSettingFile);
    // Without a window manager "maximised" means nothing: the window then takes the whole screen itself.
    program.mainWindow().setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    program.mainWindow().showMaximized();
    const int code = app.exec();
    return code != 0 ? code : program.mainWindow().exitCode();
}
