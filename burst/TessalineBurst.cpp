// The dot burst: a click on the window's background sprays dots and wipes them.
#include "app/Tessaline.h"

#include "form/CheckedInt.h"
#include "form/Palette.h"

namespace {

constexpr int kDots = 10000;

// A person has to see the spray grow. Drawn flat out, the dots take a few
// milliseconds, less than one refresh of the display, so the whole burst would
// flash by or never show at all. Instead each refresh shows the next share of
// the dots, and the spray grows evenly for about a third of a second at 60 Hz.
constexpr int kRefreshesPerBurst = 20;

static_assert(kDots % kRefreshesPerBurst == 0, "every refresh shows as many new dots");

} // namespace

void Tessaline::Form_Click() {
    setDrawWidth(15);
    Cls();
    for (int round = 1; round <= kDots; ++round) {
        const float x = m_random.next() * ScaleWidth();
        const float y = m_random.next() * ScaleHeight();
        const float shade = m_random.next() * float(DrawWidth());
        const qint16 index = form::toInteger(form::toLong(double(shade)) % 255);
        PSet(x, y, form::qbColor(index));
        if (round % (kDots / kRefreshesPerBurst) == 0) {
            waitForRefresh();
            present();
        }
    }
    waitForRefresh(); // the whole spray stays for one refresh before it goes
    Cls();
}
