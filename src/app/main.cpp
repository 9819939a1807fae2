#include "app/program.h"
#include "records/frm_main_form.h"

#include <QGuiApplication>
#include <QScreen>

int main(int argc, char** argv) {
    KalvistaApplication app(argc, argv);
    initialiseProcess();
    Program program;
    // Without a window manager "maximised" means nothing: the window then takes the whole screen itself.
    program.mainWindow().setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    program.mainWindow().showMaximized();
    const int code = app.exec();
    return code != 0 ? code : program.mainWindow().exitCode();
}
