// Restores the two files given, one after the other, over and over, onto the database of the folder
// given, announcing each restore that came through. Its parent kills it.
#include "data/backup.h"
#include "data/connection.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4)
        return 2;
    Connection connection;
    connection.setConnectionString(Connection::connectionText(QString::fromLocal8Bit(argv[1])));
    connection.open();
    std::printf("hazir\n");
    std::fflush(stdout);
    for (int round = 0;; ++round) {
        Backup::restore(connection, QString::fromLocal8Bit(argv[2 + round % 2]),
                        QDateTime::currentDateTime());
        std::printf("%d\n", round);
        std::fflush(stdout);
    }
}
