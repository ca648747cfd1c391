#include "RevealRecorder.h"

#include "app/Tessaline.h"
#include "form/RuntimeError.h"
#include "reveal/EffectCatalogue.h"

#include <bitset>
#include <iterator>
#include <set>

namespace exporting {

namespace {

// Names each step's grid cell by where its tile begins: the columns are the
// distinct left edges in order, the rows the distinct top edges. False unless
// every cell of the grid was painted exactly once.
bool findCells(RevealRecording &run) {
    std::set<int> lefts;
    std::set<int> tops;
    for (const RecordedStep &s : run.steps) {
        lefts.insert(s.tile.left());
        tops.insert(s.tile.top());
    }
    constexpr int grid = RevealRecorder::kGridSize;
    if (lefts.size() != grid || tops.size() != grid)
        return false;
    std::bitset<grid * grid> painted;
    for (RecordedStep &s : run.steps) {
        s.cell = QPoint(int(std::distance(lefts.begin(), lefts.find(s.tile.left()))),
                        int(std::distance(tops.begin(), tops.find(s.tile.top()))));
        painted.set(std::size_t(s.cell.y() * grid + s.cell.x()));
    }
    return painted.all();
}

} // namespace

RevealRecorder::RevealRecorder()
    : m_window(std::make_unique<Tessaline>()) {}

RevealRecorder::~RevealRecorder() = default;

void RevealRecorder::setPictures(const QImage &source, const QImage &cover) {
    Tessaline &w = *m_window;
    w.sourceBox().setPicture(source);
    w.coverBox().setPicture(cover);
    w.displayBox().setPicture(cover);
}

void RevealRecorder::showWholeGrid() {
    form::PictureBox &display = m_window->displayBox();
    display.setFrameStyle(QFrame::NoFrame);
    display.setPicture(display.picture()); // lays its surface out again, at the new size
}

RevealRecording RevealRecorder::record(int effect, bool withImages) {
    m_error.clear();
    if (effect < 1 || effect > reveal::kEffectCount) {
        m_error = QStringLiteral("there is no effect %1; the effects are 1 to %2")
                      .arg(effect)
                      .arg(reveal::kEffectCount);
        return {};
    }

    Tessaline &w = *m_window;
    form::PictureBox &display = w.displayBox();
    w.List1->setListIndex(effect - 1);

    RevealRecording run;
    run.effect = effect;
    // Rendering the box once lays out its surface, which a hidden box has not
    // needed yet.
    display.grab();
    run.pixelRatio = display.devicePixelRatioF();
    run.before = display.surface();

    // Each step paints one tile; the box says where as it paints it.
    RecordedStep current;
    int tilesPainted = 0;
    const QMetaObject::Connection watch = QObject::connect(
        &display, &form::PictureBox::pictureDrawn, &display, [&](const QRect &deviceRect) {
            current.tile = deviceRect;
            if (withImages)
                current.display = display.surface();
            ++tilesPainted;
        });

    int startMs = 0;
    try {
        w.Command2_Click(); // selects the effect and paints step 1 at once
        while (true) {
            current.step = int(w.CurrentStep) - 1;
            current.intervalAfter = w.Timer1->interval();
            current.startMs = startMs;
            if (tilesPainted != 1 || current.step != run.steps.size() + 1) {
                m_error = QStringLiteral("step %1 of effect %2 did not paint one tile")
                              .arg(run.steps.size() + 1)
                              .arg(effect);
                break;
            }
            run.steps.append(current);
            startMs += current.intervalAfter;
            if (!w.Timer1->isEnabled() || run.steps.size() == kSteps)
                break;
            current = RecordedStep();
            tilesPainted = 0;
            w.Timer1_Timer(); // the next tick, now rather than after the interval
        }
        if (m_error.isEmpty() && (run.steps.size() != kSteps || w.Timer1->isEnabled()))
            m_error = QStringLiteral("the reveal of effect %1 did not end after %2 steps")
                          .arg(effect)
                          .arg(kSteps);
    } catch (const form::RuntimeError &error) {
        m_error = QStringLiteral("the reveal of effect %1 stopped at step %2: %3")
                      .arg(effect)
                      .arg(run.steps.size() + 1)
                      .arg(error.description());
    }
    QObject::disconnect(watch);
    if (m_error.isEmpty() && !findCells(run))
        m_error = QStringLiteral("effect %1 does not paint each tile of the grid once").arg(effect);

    if (!m_error.isEmpty()) {
        // Leave the window as a finished reveal leaves it.
        w.Timer1->setEnabled(false);
        w.Command2->setEnabled(true);
        display.setPicture(w.coverBox().picture());
        return {};
    }
    return run;
}

} // namespace exporting
