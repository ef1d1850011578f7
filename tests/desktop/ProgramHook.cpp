// Loaded into the real program with LD_PRELOAD by the command-line test, and nowhere else: it
// presses "No Meter" in the port dialog as a person would, then writes on stdout what is on the
// screen (each visible window's name, caption and grid rows, and the port label) and ends the
// program. The program itself has no flag or hook for this.
#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

namespace {

void Report() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) {
            continue;
        }
        const auto* view = window->findChild<QAbstractItemView*>();
        const int rows = view && view->model() ? view->model()->rowCount() : -1;
        std::printf("%s\t%s\t%d\n", qPrintable(window->objectName()),
                    qPrintable(window->windowTitle()), rows);
        if (const auto* com = window->findChild<QLabel*>(QStringLiteral("LblCom"))) {
            std::printf("LblCom\t%s\t-1\n", qPrintable(com->text()));
        }
    }
    std::fflush(stdout);
}

class PressNoMeter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("Port")) {
            auto* button = watched->findChild<QPushButton*>(QStringLiteral("CmdNoMeter"));
            QTimer::singleShot(0, qApp, [button] {
                if (button) {
                    button->click();
                }
                Report();
                QCoreApplication::exit(button ? 0 : 3);
            });
        }
        return false;
    }
};

void Install() {
    QCoreApplication::instance()->installEventFilter(
        new PressNoMeter(QCoreApplication::instance()));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Install)
