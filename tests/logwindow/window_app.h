// The one application object of the log window tests, offscreen.
#pragma once
#include <QApplication>

namespace logtest {

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "log_window_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

}  // namespace logtest
