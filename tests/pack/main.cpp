#include <QCoreApplication>

int runMatcherTests(int argc, char* argv[]);
int runCommandTests(int argc, char* argv[]);

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return runMatcherTests(argc, argv) | runCommandTests(argc, argv);
}
