// --present: photos and PDF pages full screen, every file checked first.
#include "cli/CommandLine.h"
#include "cli/CommandLineChecks.h"
#include "cli/FileModes.h"
#include "cli/PresentCommand.h"
#include "form/LoadPicture.h"
#include "form/QtTranslation.h"
#include "present/Show.h"
#include "reveal/EffectCatalogue.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>

namespace commandline {

bool asksToPresent(int argc, char *argv[]) {
    return modeOf(argc, argv) == Mode::Present;
}

std::variant<int, Presentation> readPresentation(int argc, char *argv[]) {
    CommandLine line(argc, argv);
    QCommandLineParser &parser = line.parser();
    const QCommandLineOption presentOption(QStringLiteral("present"),
                                           QStringLiteral("Present the files given."));
    const QCommandLineOption effects(QStringLiteral("effects"),
                                     QStringLiteral("The effects, in turn, or all."),
                                     QStringLiteral("LIST"));
    const QCommandLineOption duration(QStringLiteral("duration"),
                                      QStringLiteral("Seconds each transition takes."),
                                      QStringLiteral("S"));
    const QCommandLineOption screen(QStringLiteral("screen"),
                                    QStringLiteral("The screen the slides go to, from 1."),
                                    QStringLiteral("N"));
    parser.addOptions({presentOption, effects, duration, screen});
    if (const std::optional<int> status = line.parse())
        return *status;

    Presentation show{line.program(), {}, {}};
    if (parser.isSet(effects)) {
        show.options.effects = effectList(parser.value(effects));
        if (show.options.effects.isEmpty())
            return line.usage(QStringLiteral("bad --effects '%1': give numbers 1 to %2 "
                                             "between commas, or all")
                                  .arg(parser.value(effects))
                                  .arg(reveal::kEffectCount));
    }
    if (parser.isSet(duration)) {
        // Seconds as plain decimals: "3", "0.5"; no sign, exponent or blanks.
        static const QRegularExpression decimal(QStringLiteral("\\A\\d{1,3}(\\.\\d{1,3})?\\z"));
        const QString text = parser.value(duration);
        const double seconds = decimal.match(text).hasMatch() ? text.toDouble() : -1;
        if (seconds < present::ShowOptions::kMinSeconds ||
            seconds > present::ShowOptions::kMaxSeconds)
            return line.usage(QStringLiteral("--duration takes seconds, %1 to %2")
                                  .arg(present::ShowOptions::kMinSeconds)
                                  .arg(present::ShowOptions::kMaxSeconds));
        show.options.durationSeconds = seconds;
    }
    if (parser.isSet(screen)) {
        const int n = exactNumber(parser.value(screen), 1, 64).value_or(0);
        if (n == 0)
            return line.usage(QStringLiteral("--screen takes a screen's number, from 1"));
        show.options.screen = n - 1;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) {
        show.choose = true;
        return show;
    }

    QString error;
    std::optional<present::SlideDeck> deck = present::SlideDeck::open(files, &error);
    if (!deck)
        return line.fail(1, error);
    show.deck = *deck;
    return show;
}

namespace {

// The desktop entry's "Present…": photos and PDFs picked in a file dialog.
// Empty when the dialog is cancelled.
std::optional<present::SlideDeck> chooseSlides(QString *error) {
    const QStringList patterns =
        QStringList{QStringLiteral("*.pdf")} + form::readablePicturePatterns();
    // The dialog's own texts in Bulgarian, as the photo dialog's are.
    form::loadQtTranslation();
    const QStringList files =
        QFileDialog::getOpenFileNames(nullptr, QStringLiteral("Презентация"), QDir::homePath(),
                                      QStringLiteral("Снимки и PDF (%1)").arg(patterns.join(u' ')));
    if (files.isEmpty())
        return std::nullopt;
    return present::SlideDeck::open(files, error);
}

} // namespace

int runPresentation(const Presentation &chosen) {
    Presentation presentation = chosen;
    QString error;
    if (presentation.choose) {
        const std::optional<present::SlideDeck> deck = chooseSlides(&error);
        if (!deck && error.isEmpty())
            return 0;
        if (!deck) {
            QMessageBox::warning(nullptr, QStringLiteral("Tessaline"), error);
            return report(presentation.program, error, 1);
        }
        presentation.deck = *deck;
    }
    QScreen *screen = present::Show::slideScreen(presentation.options.screen, &error);
    if (!screen)
        return report(presentation.program, error, 2);
    present::Show show(presentation.deck, presentation.options);
    QObject::connect(&show, &present::Show::finished, qApp, [] { QApplication::exit(0); });
    show.start(screen);
    return QApplication::exec();
}

} // namespace commandline
