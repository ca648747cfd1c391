// --export at a size of its own (--size), as a video (.mp4, .webm, --fps), and
// slideshows of many photos (--photos, --effects, --hold).
#include "cli/CommandLine.h"
#include "cli/CommandLineChecks.h"
#include "cli/FileModes.h"
#include "cli/FileOptions.h"
#include "export/AnimationFile.h"
#include "export/ExportMemory.h"
#include "export/RevealTimeline.h"
#include "export/SlideFrames.h"
#include "export/VideoWriter.h"
#include "form/LoadPicture.h"
#include "resources/BuiltInPhotos.h"
#include "reveal/EffectCatalogue.h"

#include <QApplication>
#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace commandline {

using namespace exporting;

namespace {

constexpr int kCoverMs = 500;   // the cover before a single reveal's first tile
constexpr int kSourceMs = 2000; // the finished source after it
constexpr int kDefaultHoldMs = 3000;
constexpr int kMaxHoldSeconds = 3600;
constexpr QSize kVideoSize{1920, 1080};

// Why a video of `totalMs` at `fps` can't be made, if it can't: its frames
// are counted in an int.
std::optional<QString> videoTooLong(qint64 totalMs, int fps) {
    if (videoFrameCount(totalMs, fps) <= kMaxVideoFrames)
        return std::nullopt;
    const auto hours = [](qint64 ms) { return QString::number(ms / 3'600'000); };
    return QStringLiteral("this video would last %1 hours; at %2 frames a second a video "
                          "lasts at most %3 hours")
        .arg(hours(totalMs))
        .arg(fps)
        .arg(hours(kMaxVideoFrames * 1000 / fps));
}

} // namespace

bool wantsSlides(const CommandLine &line, const FileOptions &o) {
    const QCommandLineParser &parser = line.parser();
    VideoCodec codec;
    return videoCodecFor(parser.value(o.exportFile), &codec) || parser.isSet(o.size) ||
           parser.isSet(o.fps) || parser.isSet(o.photos) || parser.isSet(o.effects) ||
           parser.isSet(o.hold);
}

// The reveal of --cover to --source, or a slideshow of --photos, at --size:
// pictures fitted to the frame as the window fits own photos, the tile grid
// stretched over it. A video is composed frame by frame as it is encoded.
int writeSlides(CommandLine &line, const FileOptions &o) {
    const QCommandLineParser &parser = line.parser();
    const QString path = parser.value(o.exportFile);
    VideoCodec codec;
    const bool video = videoCodecFor(path, &codec);
    AnimationFormat format;
    if (!video && !animationFormatFor(path, &format))
        return line.usage(QStringLiteral("the file name must end in .gif, .webp, .mp4 or .webm"));
    if (parser.isSet(o.photos) && !video)
        return line.usage(QStringLiteral("a slideshow is written as .mp4 or .webm"));
    if (parser.isSet(o.scale)) {
        if (parser.isSet(o.size))
            return line.usage(QStringLiteral("give --size or --scale, not both"));
        return line.usage(QStringLiteral("--scale is for a .gif or .webp at the window's size; "
                                         "give a video's size as --size WxH"));
    }
    // Before the size, which an animation at the window's size doesn't take.
    if (parser.isSet(o.fps) && !video)
        return line.usage(QStringLiteral("--fps is for .mp4 and .webm videos"));

    QSize size = video ? kVideoSize : QSize();
    if (parser.isSet(o.size)) {
        const std::optional<QSize> parsed = frameSize(parser.value(o.size));
        if (!parsed)
            return line.usage(QStringLiteral("bad size '%1': give WxH, each side from %2 to %3")
                                  .arg(parser.value(o.size))
                                  .arg(kMinSide)
                                  .arg(kMaxSide));
        size = *parsed;
    }
    if (size.isEmpty())
        return line.usage(QStringLiteral("an animation at a size other than the window's "
                                         "needs --size WxH"));
    if (video && (size.width() % 2 || size.height() % 2))
        return line.usage(QStringLiteral("a video's sides must be even: %1x%2 is not")
                              .arg(size.width())
                              .arg(size.height()));

    int fps = 60;
    if (parser.isSet(o.fps)) {
        fps = exactNumber(parser.value(o.fps), kMinFps, kMaxFps).value_or(0);
        if (fps == 0)
            return line.usage(QStringLiteral("--fps takes %1 to %2").arg(kMinFps).arg(kMaxFps));
    }

    const bool slideshow = parser.isSet(o.photos);
    const QStringList photos = parser.positionalArguments();
    if (!slideshow && (parser.isSet(o.effects) || parser.isSet(o.hold)))
        return line.usage(QStringLiteral("--effects and --hold are for a slideshow of --photos"));
    if (slideshow) {
        if (parser.isSet(o.source) || parser.isSet(o.cover) || parser.isSet(o.effect) ||
            parser.isSet(o.loop))
            return line.usage(QStringLiteral("--photos takes no --source, --cover, --effect "
                                             "or --loop"));
        if (photos.size() < 2)
            return line.usage(QStringLiteral("--photos needs two pictures or more"));
    } else if (parser.isSet(o.loop) && video) {
        return line.usage(QStringLiteral("--loop is for .gif and .webp"));
    }

    QList<int> effects{1};
    if (parser.isSet(o.effects)) {
        effects = effectList(parser.value(o.effects));
        if (effects.isEmpty())
            return line.usage(QStringLiteral("bad --effects '%1': give numbers 1 to %2 "
                                             "between commas, or all")
                                  .arg(parser.value(o.effects))
                                  .arg(reveal::kEffectCount));
    } else if (!slideshow || parser.isSet(o.effect)) {
        effects = {effectNumber(parser.value(o.effect))};
        if (effects.constFirst() == 0)
            return line.usage(noSuchEffect(parser.value(o.effect)));
    }

    int holdMs = kDefaultHoldMs;
    if (parser.isSet(o.hold)) {
        // Seconds as plain decimals: "4", "0.5", ".5", "03600"; no sign,
        // exponent or blanks.
        static const QRegularExpression decimal(QStringLiteral("\\A(?=\\.?\\d)\\d*(\\.\\d*)?\\z"));
        const QString text = parser.value(o.hold);
        const double seconds = decimal.match(text).hasMatch() ? text.toDouble() : -1;
        if (seconds < 0 || seconds > kMaxHoldSeconds)
            return line.usage(QStringLiteral("--hold takes seconds, 0 to %1, such as 4 or 0.5")
                                  .arg(kMaxHoldSeconds));
        holdMs = int(std::lround(seconds * 1000));
    }

    const ExportKind kind = video ? (codec == VideoCodec::H264 ? ExportKind::Mp4 : ExportKind::Webm)
                            : format == AnimationFormat::Gif ? ExportKind::Gif
                                                             : ExportKind::Webp;
    if (const std::optional<QString> tooLarge = tooLargeToMake(kind, size))
        return line.fail(1, *tooLarge);

    QApplication app(line.argc(), line.argv());
    QString error;
    RevealTimeline timeline;

    if (!slideshow) {
        QImage pictures[2] = {form::fitPicture(builtInCoverPhoto(), size, 1),
                              form::fitPicture(builtInSourcePhoto(), size, 1)};
        for (int i = 0; i < 2; ++i) {
            const QCommandLineOption &option = i == 0 ? o.cover : o.source;
            if (!parser.isSet(option))
                continue;
            pictures[i] = form::LoadPicture(parser.value(option), size, 1, &error);
            if (pictures[i].isNull())
                return line.usage(error);
        }
        const QList<TimelineStep> steps = timeline.steps(effects.constFirst(), &error);
        if (steps.isEmpty())
            return line.fail(1, error);
        TileAnimation animation = slideReveal(pictures[0].convertToFormat(QImage::Format_RGB32),
                                              pictures[1].convertToFormat(QImage::Format_RGB32),
                                              steps, kCoverMs, kSourceMs);
        animation.loop = parser.isSet(o.loop);
        const bool saved = video ? saveVideo(path,
                                             VideoPlan{size, fps, 1, animation.endMs,
                                                       [&](int, TileAnimation *part, QString *) {
                                                           *part = animation;
                                                           return true;
                                                       }},
                                             line.terminalProgress(), &error)
                                 : saveAnimation(animation, path, line.terminalProgress(), &error);
        return saved ? 0 : line.fail(1, error);
    }

    qint64 totalMs = 0;
    for (int i = 0; i + 1 < photos.size(); ++i) {
        const QList<TimelineStep> steps = timeline.steps(effects.at(i % effects.size()), &error);
        if (steps.isEmpty())
            return line.fail(1, error);
        totalMs += slideRevealMs(steps, holdMs, i + 2 == photos.size() ? holdMs : 0);
    }
    if (const std::optional<QString> tooLong = videoTooLong(totalMs, fps))
        return line.usage(*tooLong);
    // Every photo is read once before anything is written, so that a bad one
    // stops the slideshow with its name; each is read again when the video
    // reaches it, so that only two are ever held.
    for (const QString &photo : photos) {
        if (form::LoadPicture(photo, size, 1, &error).isNull())
            return line.usage(error);
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
                   line.terminalProgress(), &error))
        return line.fail(1, error);
    return 0;
}

} // namespace commandline
