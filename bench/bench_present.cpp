// The show's figures at 3840 x 2160, each beside a baseline from the same run:
//
// - a PDF page rendered through the show's PDF module, beside Poppler's own
//   pdftoppm rendering the same page at the same pixel size (each timed from
//   the file to the pixels; pdftoppm's time includes its start and writing
//   its PPM to a memory-backed folder);
// - the frames of a transition and the time from a key press to its first
//   tile, beside a bare widget that paints one tile per frame the same way:
//   the same precise timer, the same schedule, the same update of one tile,
//   the same image format. Both are timed at the end of each paint;
// - the peak memory of a 1000-page PDF presented through 50 advances, beside
//   a 10-page one, each in a fresh process (this program run again with
//   --peak-memory FILE).
#include "present/PdfDocument.h"
#include "present/PresentationView.h"
#include "present/ShowOptions.h"
#include "present/SlideCache.h"
#include "present/SlideDeck.h"
#include "present/TransitionTiming.h"
#include "reveal/RevealRun.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFont>
#include <QKeyEvent>
#include <QPageSize>
#include <QPaintEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

constexpr int kRuns = 15;
constexpr QSize kScreen{3840, 2160};
constexpr double kFrameMs = 1000.0 / 60; // the refresh assumed: 60 Hz
constexpr double kTransitionSeconds = 3.0;
constexpr int kFullTransitions = 3; // followed to their last tile
constexpr int kPresses = 9;         // each timed to its first tile, the full transitions among them
constexpr int kAdvances = 50;
constexpr int kMemoryRuns = 3; // fresh processes for each PDF

QList<int> effectsInTurn() {
    return {1, 17, 33};
}

// Slides as a slide program exports them: a title, text, shapes and a gradient.
void writeDeck(const QString &path, int pages) {
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QSizeF(960, 540), QPageSize::Point));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setResolution(72);
    QPainter p(&pdf);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            pdf.newPage();
        QLinearGradient sky(0, 0, 0, 540);
        sky.setColorAt(0, QColor(20, 60, 140));
        sky.setColorAt(1, QColor(200, 220, 255));
        p.fillRect(QRect(0, 0, 960, 540), sky);
        QFont title = p.font();
        title.setPixelSize(48);
        p.setFont(title);
        p.setPen(Qt::white);
        p.drawText(QRect(40, 30, 880, 70), Qt::AlignLeft,
                   QStringLiteral("Photosynthesis, step %1").arg(page + 1));
        QFont body = title;
        body.setPixelSize(24);
        p.setFont(body);
        for (int line = 0; line < 8; ++line)
            p.drawText(
                60, 150 + line * 40,
                QStringLiteral("%1. Light is absorbed by chlorophyll in the thylakoid membrane")
                    .arg(line + 1));
        p.setBrush(QColor(255, 180, 0));
        p.drawEllipse(QPointF(820, 400), 90, 90);
    }
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

QString listed(const QList<double> &values) {
    QStringList out;
    for (const double v : values)
        out.append(QString::number(v, 'f', 1));
    return out.join(QStringLiteral(", "));
}

double percentile(QList<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values.at(std::min(values.size() - 1, qsizetype(values.size() * share)));
}

// Runs the event loop until `done`, or for at most `timeoutMs`.
bool runUntil(const std::function<bool()> &done, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || waited.elapsed() > timeoutMs)
            loop.quit();
    });
    poll.start(10);
    if (!done())
        loop.exec();
    return done();
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void pressRight(QWidget &widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
}

// What a widget showed of its transitions: when each paint ended, and which of
// the transition's tiles first appeared in it. A tile appears in the paint
// whose region first holds it, as only the tiles that fall due are updated.
class PaintLog {
public:
    PaintLog() { m_clock.start(); }

    // A key press is about to start `effect`'s transition on a widget of `size`.
    void pressed(int effect, QSize size) {
        m_timing.emplace(effect, kTransitionSeconds);
        m_tiles.clear();
        for (int step = 0; step < m_timing->stepCount(); ++step)
            m_tiles.append(reveal::RevealRun::frameCell(m_timing->cell(step), size));
        m_appeared = QList<bool>(m_tiles.size(), false);
        m_shownCount = 0;
        m_lastFrameNs.reset();
        m_pressNs = m_clock.nsecsElapsed();
    }
    // Stops following the transition (before a key press finishes it at once).
    void stop() { m_timing.reset(); }

    void painted(const QRegion &region) {
        if (!m_timing)
            return;
        const qint64 now = m_clock.nsecsElapsed();
        int appeared = 0;
        int first = -1;
        for (int step = 0; step < m_tiles.size(); ++step) {
            if (m_appeared.at(step) || !region.intersects(m_tiles.at(step)))
                continue;
            m_appeared[step] = true;
            ++appeared;
            if (first < 0)
                first = step;
        }
        if (appeared == 0)
            return;
        // The earliest tile of a frame is the latest one in it.
        const double lateMs = (now - m_pressNs - m_timing->dueNs(first)) / 1e6;
        if (m_shownCount == 0)
            firstTileMs.append((now - m_pressNs) / 1e6);
        if (m_lastFrameNs)
            intervalsMs.append((now - *m_lastFrameNs) / 1e6);
        m_lastFrameNs = now;
        m_shownCount += appeared;
        if (appeared > 1 || lateMs > kFrameMs)
            missed.append(QStringLiteral("%1 tile(s) from step %2, %3 ms after its time")
                              .arg(appeared)
                              .arg(first + 1)
                              .arg(lateMs, 0, 'f', 1));
    }

    bool anyShown() const { return m_shownCount > 0; }
    bool allShown() const { return m_shownCount == m_tiles.size(); }

    QList<double> intervalsMs;
    QList<double> firstTileMs;
    QStringList missed; // each frame missed, described

private:
    QElapsedTimer m_clock;
    std::optional<present::TransitionTiming> m_timing;
    QList<QRect> m_tiles;
    QList<bool> m_appeared;
    int m_shownCount = 0;
    qint64 m_pressNs = 0;
    std::optional<qint64> m_lastFrameNs;
};

// The show's own view, timed at the end of each paint.
class TimedView : public present::PresentationView {
public:
    TimedView(present::SlideCache &slides, const present::ShowOptions &options, PaintLog &log)
        : PresentationView(slides, options)
        , m_log(log) {}

protected:
    void paintEvent(QPaintEvent *event) override {
        PresentationView::paintEvent(event);
        m_log.painted(event->region());
    }

private:
    PaintLog &m_log;
};

// The baseline: only what a transition needs. A key press starts one (or
// finishes the one running); a precise single-shot timer wakes when the next
// tile is due and updates its rectangle; the paint draws that tile of a
// screen-sized picture in the slides' format.
class BareTiles : public QWidget {
public:
    BareTiles(QSize size, PaintLog &log)
        : m_log(log)
        , m_incoming(size, QImage::Format_RGB32) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        m_incoming.fill(QColor(20, 60, 140));
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &BareTiles::tick);
    }

protected:
    void keyPressEvent(QKeyEvent *) override {
        if (m_timing && m_tilesShown < m_timing->stepCount()) {
            m_timer.stop();
            m_tilesShown = m_timing->stepCount();
            update();
            return;
        }
        // Timed from the press, as the show times its transitions.
        m_clock.start();
        const QList<int> effects = effectsInTurn();
        m_timing.emplace(effects.at(m_turn++ % effects.size()), kTransitionSeconds);
        m_tilesShown = 0;
        tick();
    }

    void paintEvent(QPaintEvent *event) override {
        QPainter p(this);
        if (!m_timing)
            p.fillRect(rect(), Qt::black);
        for (int step = 0; m_timing && step < m_tilesShown; ++step) {
            const QRect tile = reveal::RevealRun::frameCell(m_timing->cell(step), size());
            if (event->region().intersects(tile))
                p.drawImage(QRectF(tile), m_incoming, QRectF(tile));
        }
        m_log.painted(event->region());
    }

private:
    void tick() {
        const qint64 elapsed = m_clock.nsecsElapsed();
        const int due = m_timing->dueBy(elapsed);
        QRegion changed;
        for (int step = m_tilesShown; step < due; ++step)
            changed += reveal::RevealRun::frameCell(m_timing->cell(step), size());
        m_tilesShown = due;
        if (!changed.isEmpty())
            update(changed);
        if (due < m_timing->stepCount())
            m_timer.start(int((m_timing->dueNs(due) - elapsed + 999999) / 1000000));
    }

    PaintLog &m_log;
    QImage m_incoming;
    QTimer m_timer;
    QElapsedTimer m_clock;
    std::optional<present::TransitionTiming> m_timing;
    int m_tilesShown = 0;
    int m_turn = 0;
};

// Full screen on the primary screen, as the show places its view.
void showOnScreen(QWidget &widget) {
    widget.setGeometry(QGuiApplication::primaryScreen()->geometry());
    widget.showFullScreen();
}

QSize screenPixels() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen->geometry().size() * screen->devicePixelRatio();
}

// kPresses presses of Right, each once the next slide is ready: the first
// kFullTransitions followed to their last tile, the others pressed again once
// their first tile shows, which finishes them at once.
bool pressThrough(QWidget &widget, PaintLog &log, const std::function<bool()> &nextReady) {
    const QList<int> effects = effectsInTurn();
    for (int press = 0; press < kPresses; ++press) {
        if (!runUntil(nextReady, 30000))
            return false;
        runFor(200);
        log.pressed(effects.at(press % effects.size()), widget.size());
        pressRight(widget);
        if (!runUntil([&] { return press < kFullTransitions ? log.allShown() : log.anyShown(); },
                      int(kTransitionSeconds * 1000) + 10000))
            return false;
        log.stop();
        if (press >= kFullTransitions)
            pressRight(widget);
    }
    runFor(200);
    return true;
}

// Slides made in memory, each a different colour.
present::SlideDeck colourDeck() {
    QList<present::Slide> slides;
    for (int i = 0; i <= kPresses; ++i) {
        QImage picture(960, 540, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(i * 36 % 360, 160, 220));
        slides.append(present::Slide{{}, -1, picture});
    }
    return present::SlideDeck::of(slides);
}

// The show's transitions, then the bare widget's, under the same display.
bool frameFigures() {
    const QSize pixels = screenPixels();
    PaintLog shown;
    {
        present::SlideCache cache(colourDeck(), pixels);
        present::ShowOptions options;
        options.effects = effectsInTurn();
        options.durationSeconds = kTransitionSeconds;
        TimedView view(cache, options, shown);
        showOnScreen(view);
        view.begin(0);
        const bool done = pressThrough(view, shown, [&] {
            return view.current() >= 0 && !cache.screen(view.current() + 1).isNull();
        });
        if (!done)
            return std::fprintf(stderr, "the show's transitions did not finish\n"), false;
    }
    PaintLog bare;
    {
        BareTiles widget(pixels, bare);
        showOnScreen(widget);
        if (!pressThrough(widget, bare, [] { return true; }))
            return std::fprintf(stderr, "the bare widget's transitions did not finish\n"), false;
    }
    const auto row = [](const char *name, double value, double baseline) {
        std::printf("%-44s %12.3f %12.3f %8.3f\n", name, value, baseline,
                    baseline > 0 ? value / baseline : 0.0);
    };
    row("transition frame interval p50 (ms)", percentile(shown.intervalsMs, 0.5),
        percentile(bare.intervalsMs, 0.5));
    row("transition frame interval p99 (ms)", percentile(shown.intervalsMs, 0.99),
        percentile(bare.intervalsMs, 0.99));
    row("transition frames missed", double(shown.missed.size()), 0);
    row("key press to first tile (ms, median)", median(shown.firstTileMs),
        median(bare.firstTileMs));
    std::printf("screen %dx%d on %s, device-pixel ratio %.2f; effects %s in turn, %.1f s each; "
                "%d transitions followed to the last tile, %d frame intervals each widget\n",
                pixels.width(), pixels.height(), qPrintable(QGuiApplication::platformName()),
                QGuiApplication::primaryScreen()->devicePixelRatio(), "1, 17, 33",
                kTransitionSeconds, kFullTransitions, int(bare.intervalsMs.size()));
    const auto described = [](const QStringList &frames) {
        return frames.isEmpty() ? QStringLiteral("none") : frames.join(QStringLiteral("; "));
    };
    std::printf("missed: frames with more than one new tile or a tile later than its time plus "
                "%.1f ms (60 Hz); the show's: %s; the bare widget's: %s\n",
                kFrameMs, qPrintable(described(shown.missed)), qPrintable(described(bare.missed)));
    std::printf("times: a monotonic clock read at the end of each paint, before Qt sends the "
                "picture to the X server, from a Right key event sent to the widget in-process "
                "(the X server's key delivery not counted)\n");
    std::printf("key press to first tile, ms: show %s; bare %s\n",
                qPrintable(listed(shown.firstTileMs)), qPrintable(listed(bare.firstTileMs)));
    return true;
}

long peakResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// In a fresh process: the PDF presented through kAdvances presses of Next, each
// made when the next slide is ready and followed by a second Next that
// finishes its transition at once, as a remote clicks. Prints VmHWM in KiB.
int presentForPeakMemory(const QString &path) {
    QString error;
    const std::optional<present::SlideDeck> deck = present::SlideDeck::open({path}, &error);
    if (!deck)
        return std::fprintf(stderr, "%s\n", qPrintable(error)), 1;
    present::SlideCache cache(*deck, screenPixels());
    present::ShowOptions options;
    options.durationSeconds = kTransitionSeconds;
    present::PresentationView view(cache, options);
    showOnScreen(view);
    view.begin(0);
    for (int advance = 0; advance < kAdvances; ++advance) {
        const bool ready = runUntil(
            [&] {
                return view.current() >= 0 && (view.current() + 1 >= cache.count() ||
                                               !cache.screen(view.current() + 1).isNull());
            },
            60000);
        if (!ready)
            return std::fprintf(stderr, "slide %d was never made\n", view.current() + 2), 1;
        pressRight(view);
        runFor(50);
        pressRight(view);
        runFor(20);
    }
    std::printf("%ld\n", peakResidentKiB());
    return 0;
}

double peakMiBPresenting(const QString &path) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peak-memory"), path});
    if (!child.waitForFinished(600000) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0) {
        std::fprintf(stderr, "presenting %s failed: %s\n", qPrintable(path),
                     child.readAllStandardError().constData());
        return -1;
    }
    return child.readAllStandardOutput().trimmed().toLong() / 1024.0;
}

bool memoryFigures(const QTemporaryDir &dir) {
    const QString longPdf = dir.filePath(QStringLiteral("long.pdf"));
    const QString shortPdf = dir.filePath(QStringLiteral("short.pdf"));
    writeDeck(longPdf, 1000);
    writeDeck(shortPdf, 10);
    QList<double> longMiB;
    QList<double> shortMiB;
    for (int run = 0; run < kMemoryRuns; ++run) {
        longMiB.append(peakMiBPresenting(longPdf));
        shortMiB.append(peakMiBPresenting(shortPdf));
        if (longMiB.constLast() <= 0 || shortMiB.constLast() <= 0)
            return false;
    }
    const double value = median(longMiB);
    const double baseline = median(shortMiB);
    std::printf("%-44s %12.3f %12.3f %8.3f\n", "peak memory, 1000-page PDF (MiB)", value, baseline,
                value / baseline);
    std::printf(
        "peak memory: median VmHWM of %d fresh processes each, interleaved, presenting each "
        "PDF at %dx%d through %d presses of Next, each followed by a second Next (the "
        "10-page one reaches its end screen after 10); MiB: 1000 pages %s; 10 pages %s\n",
        kMemoryRuns, screenPixels().width(), screenPixels().height(), kAdvances,
        qPrintable(listed(longMiB)), qPrintable(listed(shortMiB)));
    return true;
}

bool pageFigure(const QTemporaryDir &dir) {
    const QString pdfPath = dir.filePath(QStringLiteral("slide.pdf"));
    writeDeck(pdfPath, 1);

    QList<double> ours;
    QSize pixels;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        const present::PdfDocument pdf(pdfPath);
        const QImage page = pdf.render(0, kScreen);
        ours.append(clock.nsecsElapsed() / 1e6);
        if (page.isNull())
            return std::fprintf(stderr, "%s\n", qPrintable(pdf.error())), false;
        pixels = page.size();
    }

    QList<double> theirs;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        const int status = QProcess::execute(
            QStringLiteral("pdftoppm"),
            {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
             QStringLiteral("-scale-to-x"), QString::number(pixels.width()),
             QStringLiteral("-scale-to-y"), QString::number(pixels.height()),
             QStringLiteral("-singlefile"), pdfPath, dir.filePath(QStringLiteral("page"))});
        theirs.append(clock.nsecsElapsed() / 1e6);
        if (status != 0)
            return std::fprintf(stderr, "pdftoppm failed (status %d)\n", status), false;
    }
    const double value = median(ours);
    const double baseline = median(theirs);
    std::printf("%-44s %12.3f %12.3f %8.3f\n", "PDF page at 3840x2160 (ms, median)", value,
                baseline, value / baseline);
    std::printf("PDF page: %dx%d pixels, %d runs each\n", pixels.width(), pixels.height(), kRuns);
    return true;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args.at(1) == QStringLiteral("--peak-memory"))
        return presentForPeakMemory(args.at(2));

    QTemporaryDir dir(QStringLiteral("/dev/shm/bench-present-XXXXXX"));
    if (!dir.isValid())
        return std::fprintf(stderr, "can't make a folder in /dev/shm\n"), 1;
    const bool ok = pageFigure(dir) && frameFigures() && memoryFigures(dir);
    return ok ? 0 : 1;
}
