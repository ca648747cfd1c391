#pragma once

#include "app/ApplicationSetup.h"
#include "app/Tessaline.h"

#include <QApplication>
#include <QTest>

#include <memory>

// The main() of a test that needs the program's window: the application is set
// up as the program sets it up, style and all.
#define TESSALINE_WINDOW_TEST_MAIN(TestClass)                                                      \
    int main(int argc, char *argv[]) {                                                             \
        QApplication app(argc, argv);                                                              \
        setUpApplication(app);                                                                     \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

// A new program window, shown and exposed; null if it never came up.
inline std::unique_ptr<Tessaline> openWindow() {
    auto window = std::make_unique<Tessaline>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    return window;
}
