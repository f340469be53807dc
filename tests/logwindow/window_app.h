// The one application object of the log window tests, offscreen.
#pragma once
#include <QApplication>

#include "app/shell/app.h"

namespace logtest {

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "log_window_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* a = new QApplication(argc, argv);
        // The buttons' pictures, as the program loads them at start.
        pv::init_app_resources();
        return a;
    }();
    return *app;
}

}  // namespace logtest
