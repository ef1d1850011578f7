#include <QCoreApplication>

int runMatcherTests(int argc, char* argv[]);

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return runMatcherTests(argc, argv);
}
