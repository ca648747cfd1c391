#include "export/ExportCommand.h"

#include "app/BuiltInPhotos.h"
#include "app/PhotoControls.h"
#include "export/AnimationFile.h"
#include "export/CommandLineChecks.h"
#include "export/RevealAnimation.h"
#include "export/RevealAtlas.h"
#include "export/RevealRecorder.h"
#include "export/SafeFile.h"
#include "export/SlideFrames.h"
#include "export/VideoWriter.h"
#include "form/LoadPicture.h"
#include "reveal/EffectCatalogue.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>
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

// ---- Exports at any size, as video, and slideshows ------------------------
// (--size, --fps, --photos, --effects, --hold; .mp4 and .webm)

constexpr int kCoverMs = 500;   // the cover before a single reveal's first tile
constexpr int kSourceMs = 2000; // the finished source after it
constexpr int kDefaultHoldMs = 3000;
constexpr QSize kVideoSize{1920, 1080};

struct SlideOptions {
    const QCommandLineOption &size;
    const QCommandLineOption &fps;
    const QCommandLineOption &photos;
    const QCommandLineOption &effects;
    const QCommandLineOption &hold;
};

// "17,23,5" or "all"; empty on a mistake.
QList<int> effectList(const QString &text) {
    QList<int> effects;
    if (text.compare(u"all", Qt::CaseInsensitive) == 0) {
        for (int n = 1; n <= reveal::kEffectCount; ++n)
            effects.append(n);
        return effects;
    }
    for (const QString &item : text.split(u',')) {
        const int n = effectNumber(item);
        if (n == 0)
            return {};
        effects.append(n);
    }
    return effects;
}

bool wantsSlides(const QCommandLineParser &parser, const SlideOptions &o, const QString &path) {
    VideoCodec codec;
    return videoCodecFor(path, &codec) || parser.isSet(o.size) || parser.isSet(o.fps) ||
           parser.isSet(o.photos) || parser.isSet(o.effects) || parser.isSet(o.hold);
}

// The reveal of --cover to --source, or a slideshow of --photos, at --size:
// pictures fitted to the frame as the window fits own photos, the tile grid
// stretched over it. A video is composed frame by frame as it is encoded.
int exportSlides(const Problem &problem, const QCommandLineParser &parser, const SlideOptions &o,
                 const QCommandLineOption &effect, const QCommandLineOption &source,
                 const QCommandLineOption &cover, const QCommandLineOption &scale,
                 const QCommandLineOption &loop, const QString &path, int argc, char *argv[]) {
    VideoCodec codec;
    const bool video = videoCodecFor(path, &codec);
    AnimationFormat format;
    if (!video && !animationFormatFor(path, &format))
        return problem.say(2,
                           QStringLiteral("the file name must end in .gif, .webp, .mp4 or .webm"));
    if (parser.isSet(scale))
        return problem.say(2, QStringLiteral("give --size or --scale, not both"));

    QSize size = video ? kVideoSize : QSize();
    if (parser.isSet(o.size)) {
        const std::optional<QSize> parsed = commandline::frameSize(parser.value(o.size));
        if (!parsed)
            return problem.say(2, QStringLiteral("bad size '%1': give WxH, each side from %2 to %3")
                                      .arg(parser.value(o.size))
                                      .arg(commandline::kMinSide)
                                      .arg(commandline::kMaxSide));
        size = *parsed;
    }
    if (size.isEmpty())
        return problem.say(2, QStringLiteral("an animation at a size other than the window's "
                                             "needs --size WxH"));
    if (video && (size.width() % 2 || size.height() % 2))
        return problem.say(2, QStringLiteral("a video's sides must be even: %1x%2 is not")
                                  .arg(size.width())
                                  .arg(size.height()));

    int fps = 60;
    if (parser.isSet(o.fps)) {
        if (!video)
            return problem.say(2, QStringLiteral("--fps is for .mp4 and .webm videos"));
        fps = commandline::exactNumber(parser.value(o.fps), kMinFps, kMaxFps).value_or(0);
        if (fps == 0)
            return problem.say(2, QStringLiteral("--fps takes %1 to %2").arg(kMinFps).arg(kMaxFps));
    }

    const bool slideshow = parser.isSet(o.photos);
    const QStringList photos = parser.positionalArguments();
    if (!slideshow && (parser.isSet(o.effects) || parser.isSet(o.hold)))
        return problem.say(2,
                           QStringLiteral("--effects and --hold are for a slideshow of --photos"));
    if (slideshow) {
        if (!video)
            return problem.say(2, QStringLiteral("a slideshow is written as .mp4 or .webm"));
        if (parser.isSet(source) || parser.isSet(cover) || parser.isSet(effect) ||
            parser.isSet(loop))
            return problem.say(2, QStringLiteral("--photos takes no --source, --cover, --effect "
                                                 "or --loop"));
        if (photos.size() < 2)
            return problem.say(2, QStringLiteral("--photos needs two pictures or more"));
    } else if (parser.isSet(loop) && video) {
        return problem.say(2, QStringLiteral("--loop is for .gif and .webp"));
    }

    QList<int> effects{1};
    if (parser.isSet(o.effects)) {
        effects = effectList(parser.value(o.effects));
        if (effects.isEmpty())
            return problem.say(2, QStringLiteral("bad --effects '%1': give numbers 1 to %2 "
                                                 "between commas, or all")
                                      .arg(parser.value(o.effects))
                                      .arg(reveal::kEffectCount));
    } else if (!slideshow || parser.isSet(effect)) {
        effects = {effectNumber(parser.value(effect))};
        if (effects.constFirst() == 0)
            return problem.say(2, QStringLiteral("there is no effect '%1'; the effects are 1 to %2")
                                      .arg(parser.value(effect))
                                      .arg(reveal::kEffectCount));
    }

    int holdMs = kDefaultHoldMs;
    if (parser.isSet(o.hold)) {
        // Seconds as plain decimals: "4", "0.5"; no sign, exponent or blanks.
        static const QRegularExpression decimal(QStringLiteral("\\A\\d{1,4}(\\.\\d{1,3})?\\z"));
        const double seconds =
            decimal.match(parser.value(o.hold)).hasMatch() ? parser.value(o.hold).toDouble() : -1;
        if (seconds < 0 || seconds > 3600)
            return problem.say(2, QStringLiteral("--hold takes seconds, 0 to 3600"));
        holdMs = int(std::lround(seconds * 1000));
    }

    QApplication app(argc, argv);
    QString error;
    RevealTimeline timeline;

    if (!slideshow) {
        QImage pictures[2] = {form::fitPicture(builtInCoverPhoto(), size, 1),
                              form::fitPicture(builtInSourcePhoto(), size, 1)};
        for (int i = 0; i < 2; ++i) {
            const QCommandLineOption &option = i == 0 ? cover : source;
            if (!parser.isSet(option))
                continue;
            pictures[i] = form::LoadPicture(parser.value(option), size, 1, &error);
            if (pictures[i].isNull())
                return problem.say(2, error);
        }
        const QList<TimelineStep> steps = timeline.steps(effects.constFirst(), &error);
        if (steps.isEmpty())
            return problem.say(1, error);
        TileAnimation animation = slideReveal(pictures[0].convertToFormat(QImage::Format_RGB32),
                                              pictures[1].convertToFormat(QImage::Format_RGB32),
                                              steps, kCoverMs, kSourceMs);
        animation.loop = parser.isSet(loop);
        const bool saved =
            video ? saveVideo(path,
                              VideoPlan{size, fps, 1, animation.endMs,
                                        [&](int, TileAnimation *part, QString *) {
                                            *part = animation;
                                            return true;
                                        }},
                              terminalProgress(problem.program), &error)
                  : saveAnimation(animation, path, terminalProgress(problem.program), &error);
        return saved ? 0 : problem.say(1, error);
    }

    // Every photo is read once before anything is written, so that a bad one
    // stops the slideshow with its name; each is read again when the video
    // reaches it, so that only two are ever held.
    for (const QString &photo : photos) {
        if (form::LoadPicture(photo, size, 1, &error).isNull())
            return problem.say(2, error);
    }
    qint64 totalMs = 0;
    for (int i = 0; i + 1 < photos.size(); ++i) {
        const QList<TimelineStep> steps = timeline.steps(effects.at(i % effects.size()), &error);
        if (steps.isEmpty())
            return problem.say(1, error);
        totalMs += slideRevealMs(steps, holdMs, i + 2 == photos.size() ? holdMs : 0);
    }
    QImage previous;
    const auto part = [&](int i, TileAnimation *animation, QString *reason) {
        QImage from =
            previous.isNull() ? form::LoadPicture(photos.at(i), size, 1, reason) : previous;
        const QImage to = form::LoadPicture(photos.at(i + 1), size, 1, reason);
        if (from.isNull() || to.isNull())
            return false;
        const QList<TimelineStep> steps = timeline.steps(effects.at(i % effects.size()), reason);
        if (steps.isEmpty())
            return false;
        *animation = slideReveal(from.convertToFormat(QImage::Format_RGB32),
                                 to.convertToFormat(QImage::Format_RGB32), steps, holdMs,
                                 i + 2 == photos.size() ? holdMs : 0);
        previous = animation->last;
        return true;
    };
    if (!saveVideo(path, VideoPlan{size, fps, int(photos.size()) - 1, totalMs, part},
                   terminalProgress(problem.program), &error))
        return problem.say(1, error);
    return 0;
}

// ---------------------------------------------------------------------------

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
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Frame size."),
                                  QStringLiteral("WxH"));
    const QCommandLineOption fps(QStringLiteral("fps"), QStringLiteral("Video frame rate."),
                                 QStringLiteral("N"));
    const QCommandLineOption photos(QStringLiteral("photos"),
                                    QStringLiteral("A slideshow of the pictures given."));
    const QCommandLineOption effects(QStringLiteral("effects"),
                                     QStringLiteral("The slideshow's effects, or all."),
                                     QStringLiteral("LIST"));
    const QCommandLineOption hold(QStringLiteral("hold"),
                                  QStringLiteral("Seconds each photo stays."), QStringLiteral("S"));
    const SlideOptions slideOptions{size, fps, photos, effects, hold};
    QCommandLineParser parser;
    parser.addOptions({exportFile, atlasFile, effect, source, cover, scale, loop, size, fps, photos,
                       effects, hold});
    if (!parser.parse(arguments))
        return problem.say(2, parser.errorText());
    if (const QString repeated = commandline::repeatedOption(parser); !repeated.isEmpty())
        return problem.say(2, QStringLiteral("--%1 is given more than once").arg(repeated));
    if (!parser.positionalArguments().isEmpty() && !parser.isSet(photos))
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
        for (const QCommandLineOption &only :
             {effect, source, cover, loop, size, fps, photos, effects, hold}) {
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
    if (wantsSlides(parser, slideOptions, path))
        return exportSlides(problem, parser, slideOptions, effect, source, cover, scale, loop, path,
                            argc, argv);
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
