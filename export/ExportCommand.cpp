#include "export/ExportCommand.h"

#include "app/PhotoControls.h"
#include "export/AnimationFile.h"
#include "export/CommandLineChecks.h"
#include "export/RevealAnimation.h"
#include "export/RevealAtlas.h"
#include "export/RevealRecorder.h"
#include "export/SafeFile.h"
#include "form/LoadPicture.h"
#include "reveal/EffectCatalogue.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace exporting {

namespace {

const QString kExport = QStringLiteral("export");
const QString kAtlas = QStringLiteral("atlas");

struct Problem {
    QString program;
    int say(int status, const QString &message) const {
        return commandline::report(program, message, status);
    }
};

// "17" or "017" is effect 17; anything else, or a number past the catalogue, is none.
int effectNumber(const QString &text) {
    return commandline::exactNumber(text, 1, reveal::kEffectCount).value_or(0);
}

// Counts frames on a terminal; says nothing into a pipe or a log.
Progress terminalProgress(const QString &program) {
    if (!isatty(STDERR_FILENO))
        return {};
    return [program](int done, int total) {
        std::fprintf(stderr, "\r%s: frame %d of %d", qPrintable(program), done, total);
        if (done == total)
            std::fputc('\n', stderr);
        return true;
    };
}

void keepOnlyGraveMessages(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fputs(qPrintable(message + u'\n'), stderr);
}

int writeAtlas(const Problem &problem, const QString &path, int scale) {
    // Encoded in memory first, so that a write that fails says why.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    revealAtlas(reveal::effectTables(), reveal::effectNames(), scale).save(&buffer, "PNG");
    QString error;
    const bool written = writeSafely(
        path,
        [&](QIODevice &out, QString *reason) {
            return writeAll(out, png.constData(), png.size(), reason);
        },
        &error);
    return written ? 0 : problem.say(1, error);
}

} // namespace

std::optional<int> runFileCommand(int argc, char *argv[]) {
    if (commandline::modeOf(argc, argv) != commandline::Mode::File)
        return std::nullopt;

    const Problem problem{argc > 0 ? QFileInfo(QString::fromLocal8Bit(argv[0])).fileName()
                                   : QStringLiteral("tessaline")};
    QString unreadable;
    const std::optional<QStringList> readable = commandline::argumentsOf(argc, argv, &unreadable);
    if (!readable)
        return problem.say(2, unreadable);
    const QStringList &arguments = *readable;

    const QCommandLineOption exportFile(kExport, QStringLiteral("Write a reveal to FILE."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption atlasFile(kAtlas, QStringLiteral("Write the atlas to FILE.png."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption effect(QStringLiteral("effect"), QStringLiteral("Effect 1 to 69."),
                                    QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption source(QStringLiteral("source"), QStringLiteral("Picture revealed."),
                                    QStringLiteral("F"));
    const QCommandLineOption cover(QStringLiteral("cover"), QStringLiteral("Picture covered."),
                                   QStringLiteral("F"));
    const QCommandLineOption scale(QStringLiteral("scale"), QStringLiteral("Size, 1 to 4."),
                                   QStringLiteral("K"), QStringLiteral("1"));
    const QCommandLineOption loop(QStringLiteral("loop"), QStringLiteral("Repeat for ever."));
    QCommandLineParser parser;
    parser.addOptions({exportFile, atlasFile, effect, source, cover, scale, loop});
    if (!parser.parse(arguments))
        return problem.say(2, parser.errorText());
    if (const QString repeated = commandline::repeatedOption(parser); !repeated.isEmpty())
        return problem.say(2, QStringLiteral("--%1 is given more than once").arg(repeated));
    if (!parser.positionalArguments().isEmpty())
        return problem.say(2, QStringLiteral("unexpected argument '%1'")
                                  .arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(exportFile) == parser.isSet(atlasFile) ||
        parser.values(exportFile).size() > 1 || parser.values(atlasFile).size() > 1)
        return problem.say(2, QStringLiteral("give one of --export FILE and --atlas FILE.png"));

    const int k = commandline::exactNumber(parser.value(scale), 1, 4).value_or(0);
    if (k == 0)
        return problem.say(2, QStringLiteral("--scale takes 1, 2, 3 or 4"));

    // Files are made on Qt's offscreen platform whatever display there is, or
    // none, and the command speaks only in its own one-line messages: Qt's
    // notes about the session (no XDG_RUNTIME_DIR over SSH, say) are left out.
    useOffscreenPlatform();
    qInstallMessageHandler(keepOnlyGraveMessages);

    if (parser.isSet(atlasFile)) {
        for (const QCommandLineOption &only : {effect, source, cover, loop}) {
            if (parser.isSet(only))
                return problem.say(2, QStringLiteral("--atlas takes only --scale"));
        }
        const QString path = parser.value(atlasFile);
        if (QFileInfo(path).suffix().toLower() != u"png")
            return problem.say(2, QStringLiteral("the atlas is a .png file"));
        QGuiApplication app(argc, argv);
        return writeAtlas(problem, path, k);
    }

    const QString path = parser.value(exportFile);
    AnimationFormat format;
    if (!animationFormatFor(path, &format))
        return problem.say(2, QStringLiteral("the file name must end in .gif or .webp"));
    const int n = effectNumber(parser.value(effect));
    if (n == 0)
        return problem.say(2, QStringLiteral("there is no effect '%1'; the effects are 1 to %2")
                                  .arg(parser.value(effect))
                                  .arg(reveal::kEffectCount));

    // The window paints at K device pixels to its pixel, scaling the photographs smoothly.
    qputenv("QT_SCALE_FACTOR", QByteArray::number(k));
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    QApplication app(argc, argv);
    RevealRequest request;
    request.effect = n;
    request.loop = parser.isSet(loop);
    QString error;
    // The user's photos are fitted as the window fits them, at the export's scale.
    for (const auto &[option, picture] :
         {std::pair{source, &request.source}, std::pair{cover, &request.cover}}) {
        if (!parser.isSet(option))
            continue;
        *picture = form::LoadPicture(parser.value(option), PhotoControls::photoSize(), k, &error);
        if (picture->isNull())
            return problem.say(2, error);
    }
    TileAnimation animation;
    if (!recordReveal(request, &animation, &error))
        return problem.say(1, error);
    if (!saveAnimation(animation, path, terminalProgress(problem.program), &error))
        return problem.say(1, error);
    return 0;
}

} // namespace exporting
