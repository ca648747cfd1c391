#include "app/ApplicationSetup.h"

#include "app/Tessaline.h"
#include "form/ErrorDispatcher.h"

#include <QApplication>
#include <QStyleFactory>

void setUpApplication(QApplication &)
{
    QApplication::setApplicationName(Tessaline::title());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    form::setApplicationTitle(Tessaline::title());
}
