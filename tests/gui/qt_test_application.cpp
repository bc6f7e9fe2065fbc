#include "qt_test_application.h"

#include <clocale>

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace zr640::testing {

QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "zr640-gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        auto* created = new QApplication(argc, argv);
        std::setlocale(LC_NUMERIC, "C");
        return created;
    }();
    return *application;
}

void WhenModalShown(std::function<void(QWidget*)> action) {
    auto* poll = new QTimer(&TestApplication());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        action(modal);
    });
    poll->start(10);
}

}  // namespace zr640::testing
