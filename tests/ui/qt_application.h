// One QApplication for every window test of the process (Qt allows only one). It is never
// destroyed: at process exit Qt's own globals may already be gone.
#pragma once

#include <QApplication>

inline QApplication& qt_application() {
    static int argc = 1;
    static char name[] = "window_test";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}
