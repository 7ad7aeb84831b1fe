#pragma once
// The rows of an open dataset, which of them are visible and in what order,
// and the cursor over the visible ones. Knows nothing of fields, events or
// the database: the dataset decides, the row set keeps the books straight.

#include "Cursor.h"

#include <QVariant>

#include <functional>
#include <vector>

namespace db {

using Row = std::vector<QVariant>;

class RowSet
{
public:
    /// Storage rows in the order the statement gave them (the new row last).
    int size() const { return int(m_rows.size()); }
    Row &row(int storageIndex);
    const Row &row(int storageIndex) const;

    /// Takes the rows just read: all visible, no row current, nothing inserted.
    void assign(std::vector<Row> rows);
    void clear() { assign({}); }

    int visibleCount() const { return int(m_visible.size()); }
    bool isEmpty() const { return m_visible.empty(); }
    /// The storage index of visible row `visibleIndex`.
    int storageIndexOf(int visibleIndex) const;
    /// The visible position of storage row `storageIndex`; -1 when hidden.
    int visibleIndexOf(int storageIndex) const;

    /// The current visible position; -1 when there is no row.
    int current() const { return m_current; }
    /// The storage index of the current row; -1 when there is none.
    int currentRow() const;
    bool bof() const { return m_edges.testFlag(CursorEdge::Bof); }
    bool eof() const { return m_edges.testFlag(CursorEdge::Eof); }
    CursorEdges edges() const { return m_edges; }
    void setCursor(int visibleIndex, CursorEdges edges);
    /// Where `move` takes the cursor: past an end it stays on its row and
    /// that end's marker is set.
    std::pair<int, CursorEdges> positionAfter(CursorMove move) const;

    /// Chooses the visible rows again: those `accepts` takes, and always the
    /// row being inserted. The cursor goes to the first row, or stays on its
    /// row when asked and that row is still visible; it stands at Bof.
    void rebuild(const std::function<bool(int storageIndex)> &accepts, KeepCurrent keep);

    /// The storage index of the row being inserted; -1 when none.
    int insertedRow() const { return m_insertedRow; }
    /// Adds an empty row of `width` values, shown at `visibleIndex`, and
    /// makes it current and the inserted row.
    void beginInsert(int visibleIndex, std::size_t width);
    /// The inserted row becomes an ordinary row (it was stored).
    void endInsert() { m_insertedRow = -1; }

    /// Removes a storage row and its visible entry. The cursor keeps its row
    /// when that row stays, else stands on the row that took the place
    /// (the last one at the end); both edges are set only when none is left.
    void erase(int storageIndex);

private:
    void checkInvariants() const;

    std::vector<Row> m_rows;
    std::vector<int> m_visible;
    int m_current = -1;
    CursorEdges m_edges = CursorEdge::Bof | CursorEdge::Eof;
    int m_insertedRow = -1;
};

} // namespace db
