#pragma once
// The cursor of a dataset over its visible rows.

#include <QFlags>

namespace db {

/// Where a dataset's cursor stands besides its row: before the first or past
/// the last visible row (both when there is no row).
enum class CursorEdge { None = 0x0, Bof = 0x1, Eof = 0x2 };
Q_DECLARE_FLAGS(CursorEdges, CursorEdge)
Q_DECLARE_OPERATORS_FOR_FLAGS(CursorEdges)

/// The four moves of the cursor over the visible rows.
enum class CursorMove { First, Last, Next, Prior };

/// Which row is current after the visible rows were chosen again: the first,
/// or the same row when it is still visible.
enum class KeepCurrent { No, IfVisible };

} // namespace db
