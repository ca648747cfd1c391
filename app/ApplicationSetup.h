#pragma once

class QApplication;

// Who the program is: its name, version and desktop entry. Needs no
// application object, so the command line can be answered before any display
// is opened.
void describeApplication();

// What the program sets on the application before its window opens: the
// description above, the classic widget style the window was designed in, and
// the error title.
void setUpApplication(QApplication &app);
