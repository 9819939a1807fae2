#include "app/program.h"
#include "records/frm_main_form.h"

int main(int argc, char** argv) {
    KalvistaApplication app(argc, argv);
    initialiseProcess();
    Program program;
    program.mainWindow().showMaximized();
    return app.exec();
}
