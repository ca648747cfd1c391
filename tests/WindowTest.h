#pragma once

#include "app/ApplicationSetup.h"
#include "app/Tessaline.h"
#include "form/ErrorDispatcher.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <memory>

// A run-time error in a handler fails the running test at once, with the
// error's number and text. The program's own report would open a modal
// message box that nobody closes, and the test would hang until its time ran
// out. The error comes up through the event loop, where the test function
// cannot be unwound, so the run ends here.
inline void failTestsOnRunTimeErrors() {
    form::setErrorReporter([](const form::RuntimeError &error) {
        const QByteArray text = QStringLiteral("Run-time error %1: %2")
                                    .arg(error.number())
                                    .arg(error.description())
                                    .toUtf8();
        QTest::qFail(text.constData(), __FILE__, __LINE__);
        std::fflush(nullptr);
        std::_Exit(EXIT_FAILURE);
    });
}

// The main() of a test that needs the program's window: the application is set
// up as the program sets it up, style and all.
#define TESSALINE_WINDOW_TEST_MAIN(TestClass)                                                      \
    int main(int argc, char *argv[]) {                                                             \
        QApplication app(argc, argv);                                                              \
        setUpApplication(app);                                                                     \
        failTestsOnRunTimeErrors();                                                                \
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
