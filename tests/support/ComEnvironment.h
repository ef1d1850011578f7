#pragma once

#include <QByteArray>
#include <QString>

// Points KELVOMARK_COM<n> at test devices for the life of the object. Every such variable is
// cleared at the start and at the end, so a test sees only the numbers it names (the others
// go to the machine's own serial devices).
class ComEnvironment {
  public:
    static constexpr int Count = 16;

    ComEnvironment() { clearAll(); }
    ~ComEnvironment() { clearAll(); }
    ComEnvironment(const ComEnvironment&) = delete;
    ComEnvironment& operator=(const ComEnvironment&) = delete;

    void set(int number, const QString& path) { qputenv(name(number), path.toLocal8Bit()); }
    // Names a path that does not exist for every number not named yet, so that the machine's
    // own serial devices stay out of the test.
    void claimRest() {
        for (int n = 1; n <= Count; ++n) {
            if (qEnvironmentVariableIsEmpty(name(n).constData())) {
                set(n, QStringLiteral("/nonexistent/kelvomark-com%1").arg(n));
            }
        }
    }

  private:
    static QByteArray name(int number) { return "KELVOMARK_COM" + QByteArray::number(number); }
    static void clearAll() {
        for (int n = 1; n <= Count; ++n) {
            qunsetenv(name(n).constData());
        }
    }
};
