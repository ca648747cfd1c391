#include "app/Tessaline.h"

#include "form/ErrorDispatcher.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(Tessaline::title());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    form::setApplicationTitle(Tessaline::title());

    Tessaline window;
    window.show();
    return app.exec();
}
