#pragma once

#include "export/TileAnimation.h"

#include <QImage>
#include <QString>

namespace exporting {

struct RevealRequest {
    int effect = 1; // 1 ... 69
    bool loop = false;
    QImage source; // null: the built-in photograph
    QImage cover;
};

// The reveal of one effect as the window paints it, as an animation: the cover
// held for half a second, then a frame per step held for the interval the
// window waits after it, and the complete source held for two seconds.
bool recordReveal(const RevealRequest &request, TileAnimation *animation, QString *error);

} // namespace exporting
