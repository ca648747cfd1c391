// The dot burst: a click on the window's background sprays dots and wipes them.
#include "app/Tessaline.h"

#include "form/CheckedInt.h"
#include "form/Palette.h"

void Tessaline::Form_Click() {
    setDrawWidth(15);
    Cls();
    for (int round = 1; round <= 10000; ++round) {
        const float x = m_random.next() * ScaleWidth();
        const float y = m_random.next() * ScaleHeight();
        const float shade = m_random.next() * float(DrawWidth());
        const qint16 index = form::toInteger(form::toLong(double(shade)) % 255);
        PSet(x, y, form::qbColor(index));
    }
    present(); // the last dots are seen before they go
    Cls();
}
