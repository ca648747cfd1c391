#pragma once

class QApplication;

// What the program sets on the application before its window opens: names,
// the classic widget style the window was designed in, and the error title.
void setUpApplication(QApplication &app);
