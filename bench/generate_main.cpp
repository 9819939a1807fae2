#include "generator.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <exception>

namespace {

int usage() {
    std::fprintf(stderr, "usage: kalvista_generate <database path> <trainees> [seed]\n"
                         "Writes a new school database; an existing file is never replaced.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4)
        return usage();
    bool traineesOk = false;
    bool seedOk = true;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int trainees = QString::fromLocal8Bit(argv[2]).toInt(&traineesOk);
    const quint32 seed = argc == 4 ? QString::fromLocal8Bit(argv[3]).toUInt(&seedOk) : DefaultSchoolSeed;
    if (!traineesOk || trainees < 0 || !seedOk)
        return usage();
    try {
        QElapsedTimer timer;
        timer.start();
        generateSchool(path, trainees, seed);
        std::printf("%d trainees written to %s in %.2f s (seed %u)\n", trainees, argv[1],
                    timer.elapsed() / 1000.0, seed);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kalvista_generate: %s\n", e.what());
        return 1;
    }
    return 0;
}
