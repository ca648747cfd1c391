#pragma once

#include <QString>

class QProgressDialog;
class Tessaline;

// "Save this effect as an animation…" from the display box's menu: asks where,
// then writes the selected effect between the window's current photos.
void saveEffectAnimation(Tessaline &window);

// Writes the selected effect to `path` (.gif or .webp). `progress` counts the
// frames and shows once the export has run for half a second; its Cancel
// stops it and leaves no file. Returns false with a reason, or with an empty
// one when cancelled.
bool exportEffectAnimation(Tessaline &window, const QString &path, QProgressDialog &progress,
                           QString *error);
