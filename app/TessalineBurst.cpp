// The dot burst: a click on the window's background sprays dots and wipes them.
#include "app/Tessaline.h"

#include "burst/DotSpray.h"

using burst::Dot;
using burst::DotSpray;

void Tessaline::Form_Click() {
    setDrawWidth(15);
    Cls();
    for (int round = 1; round <= DotSpray::kDots; ++round) {
        const Dot dot = DotSpray::next(m_random, ScaleWidth(), ScaleHeight(), DrawWidth());
        PSet(dot.x, dot.y, dot.colour);
        if (round % DotSpray::kDotsPerRefresh == 0) {
            waitForRefresh();
            present();
        }
    }
    waitForRefresh(); // the whole spray stays for one refresh before it goes
    Cls();
}
