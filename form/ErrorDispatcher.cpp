#include "form/ErrorDispatcher.h"

#include <QApplication>
#include <QMessageBox>

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

} // namespace

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
    try {
        handler();
    } catch (const RuntimeError &error) {
        currentReporter()(error);
    }
}

} // namespace form
