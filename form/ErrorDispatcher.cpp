#include "form/ErrorDispatcher.h"

#include <QApplication>
#include <QMessageBox>
#include <QScopeGuard>

#include <cstdio>
#include <cstdlib>

namespace form {

namespace {

QString &applicationTitle() {
    static QString title;
    return title;
}

ErrorReporter &currentReporter() {
    static ErrorReporter reporter = reportAndExit;
    return reporter;
}

int &handlerDepth() {
    static int depth = 0;
    return depth;
}

bool &reportingAnError() {
    static bool reporting = false;
    return reporting;
}

} // namespace

bool handlerRunning() {
    return handlerDepth() > 0;
}

void setApplicationTitle(const QString &title) {
    applicationTitle() = title;
}

void setErrorReporter(ErrorReporter reporter) {
    currentReporter() = reporter ? std::move(reporter) : ErrorReporter(reportAndExit);
}

void reportAndExit(const RuntimeError &error) {
    const QString text =
        QStringLiteral("Run-time error '%1':\n\n%2").arg(error.number()).arg(error.description());
    std::fprintf(stderr, "%s\n", qPrintable(text.simplified()));
    QMessageBox::critical(QApplication::activeWindow(), applicationTitle(), text);
    // The program traps no errors: it ends here, whatever else is running.
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE);
}

void dispatch(const std::function<void()> &handler) {
    // The message box runs an event loop of its own, but the program is
    // ending: a timer tick that falls due under it runs no handler, or a
    // failing reveal would stack a second box on the first.
    if (reportingAnError())
        return;
    ++handlerDepth();
    const auto left = qScopeGuard([] { --handlerDepth(); });
    try {
        handler();
    } catch (const RuntimeError &error) {
        reportingAnError() = true;
        const auto done = qScopeGuard([] { reportingAnError() = false; });
        currentReporter()(error);
    }
}

} // namespace form
