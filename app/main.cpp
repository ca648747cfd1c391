#include "app/ApplicationSetup.h"
#include "app/Leaving.h"
#include "app/PhotoOptions.h"
#include "app/PlatformStart.h"
#include "app/Tessaline.h"
#include "app/Utf8Locale.h"
#include "app/WindowCommandLine.h"
#include "cli/CommandLine.h"
#include "cli/FileCommands.h"
#include "cli/PresentCommand.h"

#include <QApplication>

#include <fontconfig/fontconfig.h>

#include <optional>
#include <thread>
#include <variant>

namespace {

// A show full screen: every file is checked before the display is opened.
int presentFiles(int argc, char *argv[]) {
    std::variant<int, commandline::Presentation> show = commandline::readPresentation(argc, argv);
    if (const int *status = std::get_if<int>(&show))
        return *status;
    const commandline::Presentation &presentation = std::get<commandline::Presentation>(show);
    watchPlatformStart(presentation.program);
    QApplication app(argc, argv);
    platformStarted();
    setUpApplication(app);
    leaveWithoutTeardown(commandline::runPresentation(presentation));
}

} // namespace

int main(int argc, char *argv[]) {
    useUtf8Locale();
    describeApplication();
    if (const std::optional<int> status = commandline::runFileCommand(argc, argv))
        return *status;
    if (commandline::asksToPresent(argc, argv))
        return presentFiles(argc, argv);
    commandline::CommandLine line(argc, argv);
    PhotoOptions photos;
    if (const std::optional<int> status = answerCommandLine(line, photos))
        return *status;
    if (const std::optional<int> status = photos.load(line.program(), 1.0))
        return *status;
    // Fontconfig reads its configuration and font caches the first time a
    // font is asked for, a few milliseconds the window would wait for. Read
    // them on another core while Qt connects to the display instead.
    std::jthread fontconfig([] { FcInit(); });
    watchPlatformStart(line.program());
    QApplication app(argc, argv);
    fontconfig.join();
    platformStarted();
    setUpApplication(app);

    Tessaline window;
    photos.applyTo(window);
    // Closing the window ends the program at once, before Qt takes the window
    // down: on Wayland that teardown can race the platform's event thread.
    QObject::connect(&window, &form::Form::closed, [] { leaveWithoutTeardown(0); });
    window.show();
    leaveWithoutTeardown(app.exec());
}
