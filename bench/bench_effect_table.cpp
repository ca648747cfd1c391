// How long the first press of the show button waits for its effect's order
// table, now that each table is read only when its effect first runs: one
// table read from the catalogue, beside reading all 69 at once as the window
// once did at start-up.
#include "reveal/EffectCatalogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

template <typename F> double medianMicroseconds(int runs, F &&work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work(i);
        times.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    // Kept so that the reads are not optimised away.
    static volatile qsizetype sink = 0;
    // Every effect in turn, so that no table is favoured.
    const double one = medianMicroseconds(69 * 15, [&](int i) {
        sink = sink + reveal::effectTable(i % reveal::kEffectCount + 1).size();
    });
    const double all =
        medianMicroseconds(61, [&](int) { sink = sink + reveal::effectTables().size(); });
    std::printf("figure us baseline ratio\n");
    std::printf("one order table read on first use (us) %.2f %.2f %.3f\n", one, all, one / all);
    std::printf("baseline: all 69 tables read at once; medians over %d and 61 reads\n", 69 * 15);
    return 0;
}
