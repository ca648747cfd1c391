#pragma once

#include <QList>
#include <QStringList>

// The 69 reveal effects. Each is an order table: entry i, for tile i in row-major
// order over the 10 x 10 grid, is the step at which that tile is painted,
// stored as decimal text.
namespace reveal {

inline constexpr int kEffectCount = 69;
inline constexpr int kTilesPerTable = 100;

// Reads tables in the catalogue's text form: "effect NN" starts table NN,
// then one line per row of tab-separated entries; '#' starts a comment line.
// Entries keep their text exactly, blanks included.
QList<QStringList> parseEffectTables(QStringView text);

// The compiled-in tables, indexed by effect number - 1.
QList<QStringList> effectTables();

// The compiled-in table of effect `number` (1 ... 69) alone, read on demand:
// a small fraction of a millisecond, where all 69 cost the window's start-up
// far more. Empty for a number outside the catalogue.
QStringList effectTable(int number);

// The names the effect list shows: "01" ... "69".
QStringList effectNames();

} // namespace reveal
