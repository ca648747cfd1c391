#include "app/ApplicationSetup.h"

#include "app/Tessaline.h"
#include "form/ErrorDispatcher.h"

#include <QApplication>
#include <QStyleFactory>

void describeApplication() {
    QApplication::setApplicationName(Tessaline::title());
    QApplication::setApplicationVersion(QStringLiteral(TESSALINE_VERSION));
    // The installed desktop entry is org.example.Tessaline.desktop; the
    // desktop matches the running window to it (and to its icon) by this name.
    QApplication::setDesktopFileName(QStringLiteral("org.example.Tessaline"));
}

void setUpApplication(QApplication &) {
    describeApplication();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    form::setApplicationTitle(Tessaline::title());
}
