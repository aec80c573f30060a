// Writes a made-up class folder for the class report's benchmark: make_class FOLDER [LEARNERS].
#include "generated_class.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_class FOLDER [LEARNERS]\n");
        return 2;
    }
    const int learners = argc > 2 ? std::atoi(argv[2]) : 10000;
    const bench::GeneratedClass made = bench::WriteClass(QString::fromLocal8Bit(argv[1]), learners);
    std::printf("class_learners: %d\nclass_statements: %lld\nclass_size: %.0f MB\n", learners,
                static_cast<long long>(made.statements), made.bytes / 1e6);
    return made.statements > 0 ? 0 : 1;
}
