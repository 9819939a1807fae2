// Runs the commands that write several rows, over and over, on the database of the folder given,
// announcing each on standard output before it starts: a new trainee saved with a pending
// payment, a 999-installment plan, the trainee deleted with its payments. Its parent kills it.
// On the server it first names its session: the server's process that serves it and its token.
#include "data/connection.h"
#include "program_fixture.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace {

void announce(const char* phase) {
    std::printf("%s\n", phase);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    useProgramLocale();
    if (argc < 2)
        return 2;
    ProgramFixture p(QString::fromLocal8Bit(argv[1]));
    if (p.data().ado_conn.isServer()) {
        Statement backend(p.data().ado_conn, "SELECT pg_backend_pid()");
        backend.step();
        announce(
            QString("oturum %1 %2").arg(backend.integer(0)).arg(p.data().entryToken()).toUtf8().constData());
    }
    announce("hazir");
    for (int round = 0;; ++round) {
        p.press("Button1");
        p.fillRequired(QString("K-%1-%2").arg(QCoreApplication::applicationPid()).arg(round));
        p.enter("DBEdit53", "1000");
        p.addPayment("50");
        announce("kaydet");
        p.press("Button1");
        p.press("Button9");
        announce("taksit");
        p.planInstallments(999);
        p.press("Button2");
        p.boxes().answer(QMessageBox::Yes);
        announce("sil");
        p.press("Button3");
        announce("arada");
    }
}
