#pragma once

#include <QImage>
#include <QList>
#include <QStringList>

namespace exporting {

// Every effect at a glance: one panel per order table, in rows of ten, each a
// 10 x 10 grid under the effect's number, every cell shaded by the step that
// paints it, from dark (early) to light (late). At scale K every length is K
// times as long.
QImage revealAtlas(const QList<QStringList> &tables, const QStringList &names, int scale);

// Where panel `effect` (0-based) and its grid lie in the atlas.
QRect atlasGridRect(int effect, int scale);

} // namespace exporting
