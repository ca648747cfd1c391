#include "app/ApplicationSetup.h"
#include "app/Tessaline.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);

    Tessaline window;
    window.show();
    return app.exec();
}
