#pragma once

#include "app/ApplicationSetup.h"

#include <QApplication>
#include <QTest>

// The main() of a test that needs the program's window: the application is set
// up as the program sets it up, style and all.
#define TESSALINE_WINDOW_TEST_MAIN(TestClass)                                                      \
    int main(int argc, char *argv[]) {                                                             \
        QApplication app(argc, argv);                                                              \
        setUpApplication(app);                                                                     \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
