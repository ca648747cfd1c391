#include "cli/FileCommands.h"

#include "cli/CommandLine.h"
#include "cli/CommandLineChecks.h"
#include "cli/FileModes.h"
#include "cli/FileOptions.h"
#include "reveal/EffectCatalogue.h"

namespace commandline {

namespace {

// --export and --atlas: one of them, and a scale of 1 to 4 for either.
int writeFile(CommandLine &line) {
    const FileOptions options;
    QCommandLineParser &parser = line.parser();
    parser.addOptions(options.all());
    if (const std::optional<int> status = line.parse())
        return *status;
    if (!parser.isSet(options.photos)) {
        if (const std::optional<int> status = line.refuseArguments())
            return *status;
    }
    if (parser.isSet(options.exportFile) == parser.isSet(options.atlasFile))
        return line.usage(QStringLiteral("give one of --export FILE and --atlas FILE.png"));

    const int scale = exactNumber(parser.value(options.scale), 1, 4).value_or(0);
    if (scale == 0)
        return line.usage(QStringLiteral("--scale takes 1, 2, 3 or 4"));

    CommandLine::workWithoutDisplay();
    if (parser.isSet(options.atlasFile))
        return writeAtlas(line, options, scale);
    if (wantsSlides(line, options))
        return writeSlides(line, options);
    return writeReveal(line, options, scale);
}

} // namespace

int effectNumber(const QString &text) {
    return exactNumber(text, 1, reveal::kEffectCount).value_or(0);
}

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

QString noSuchEffect(const QString &text) {
    return QStringLiteral("there is no effect '%1'; the effects are 1 to %2")
        .arg(text)
        .arg(reveal::kEffectCount);
}

QString fileCommandsHelp() {
    return QStringLiteral(
        "\nMaking files, with no window and no display needed:\n"
        "  --export FILE [--effect N] [--source F] [--cover F] [--scale K] [--loop]\n"
        "      an effect (1 to 69, default 1) as an animated .gif or .webp, at the\n"
        "      window's size times K (1 to 4)\n"
        "  --export FILE.mp4 [--size WxH] [--fps N] [--effect N] [--source F] [--cover F]\n"
        "      the effect as an H.264 video (.mp4) or a VP9 one (.webm), 1920x1080\n"
        "      and 60 frames a second (1 to 120) unless given; --size (sides 10 to\n"
        "      8192, even for a video) also makes a .gif or .webp of that size\n"
        "  --export FILE.mp4|FILE.webm --photos PICTURE... [--effects LIST] [--hold S]\n"
        "      a slideshow: each picture held S seconds (0 to 3600, default 3), then\n"
        "      revealed by the next effect of LIST (numbers between commas, or all)\n"
        "  --atlas FILE.png [--scale K]\n"
        "      all 69 effects in one picture, each tile shaded by its step\n"
        "  --luma FOLDER [--size WxH] [--format pgm|png]\n"
        "      the 69 effects as luma maps for a video editor's wipe\n"
        "\nPresenting, full screen:\n"
        "  --present FILE... [--effects LIST] [--duration S] [--screen N]\n"
        "      photos and PDF pages, each step forward a tile transition\n");
}

std::optional<int> runFileCommand(int argc, char *argv[]) {
    switch (modeOf(argc, argv)) {
    case Mode::File: {
        CommandLine line(argc, argv);
        return writeFile(line);
    }
    case Mode::Luma: {
        CommandLine line(argc, argv);
        return writeLumaMaps(line);
    }
    case Mode::Window:
    case Mode::Present:
        break;
    }
    return std::nullopt;
}

} // namespace commandline
