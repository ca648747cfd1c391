// A test-only build of the program with one fault put in: the order table of
// effect 01 has gone missing from its control array. Pressing the show button
// with "01" selected then reads a control that is not there, which the
// platform reports as run-time error 9 before it ends the program. Nothing of
// this is linked into the shipped program.
#include "app/ApplicationSetup.h"
#include "app/Tessaline.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    describeApplication();
    QApplication app(argc, argv);
    setUpApplication(app);

    Tessaline window;
    window.List2.add(0, nullptr);
    window.show();
    return app.exec();
}
