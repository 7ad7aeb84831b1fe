#include "RowSet_p.h"

#include <algorithm>

namespace db {

Row &RowSet::row(int storageIndex)
{
    Q_ASSERT(storageIndex >= 0 && storageIndex < size());
    return m_rows[std::size_t(storageIndex)];
}

const Row &RowSet::row(int storageIndex) const
{
    Q_ASSERT(storageIndex >= 0 && storageIndex < size());
    return m_rows[std::size_t(storageIndex)];
}

void RowSet::assign(std::vector<Row> rows)
{
    m_rows = std::move(rows);
    m_visible.clear();
    m_current = -1;
    m_edges = CursorEdge::Bof | CursorEdge::Eof;
    m_insertedRow = -1;
}

int RowSet::storageIndexOf(int visibleIndex) const
{
    Q_ASSERT(visibleIndex >= 0 && visibleIndex < visibleCount());
    return m_visible[std::size_t(visibleIndex)];
}

int RowSet::visibleIndexOf(int storageIndex) const
{
    const auto it = std::find(m_visible.begin(), m_visible.end(), storageIndex);
    return it == m_visible.end() ? -1 : int(it - m_visible.begin());
}

int RowSet::currentRow() const
{
    return m_current >= 0 && m_current < visibleCount() ? m_visible[std::size_t(m_current)] : -1;
}

void RowSet::setCursor(int visibleIndex, CursorEdges edges)
{
    Q_ASSERT(visibleIndex >= -1 && visibleIndex < visibleCount());
    Q_ASSERT(visibleIndex >= 0 || isEmpty());
    m_current = visibleIndex;
    m_edges = edges;
}

std::pair<int, CursorEdges> RowSet::positionAfter(CursorMove move) const
{
    const CursorEdges ends = isEmpty() ? CursorEdge::Bof | CursorEdge::Eof : CursorEdges();
    switch (move) {
    case CursorMove::First:
        return {isEmpty() ? -1 : 0, ends | CursorEdge::Bof};
    case CursorMove::Last:
        return {visibleCount() - 1, ends | CursorEdge::Eof};
    case CursorMove::Next:
        if (m_current + 1 < visibleCount())
            return {m_current + 1, CursorEdge::None};
        return {m_current, m_edges | CursorEdge::Eof};
    case CursorMove::Prior:
        if (m_current > 0)
            return {m_current - 1, CursorEdge::None};
        return {m_current, m_edges | CursorEdge::Bof};
    }
    Q_UNREACHABLE();
}

void RowSet::rebuild(const std::function<bool(int)> &accepts, KeepCurrent keep)
{
    const int kept = keep == KeepCurrent::IfVisible ? currentRow() : -1;
    m_visible.clear();
    m_visible.reserve(m_rows.size());
    for (int i = 0; i < size(); ++i)
        if (i == m_insertedRow || accepts(i))
            m_visible.push_back(i);
    m_current = m_visible.empty() ? -1 : 0;
    if (kept >= 0) {
        const int at = visibleIndexOf(kept);
        if (at >= 0)
            m_current = at;
    }
    // A rebuilt row set is read from its start, as after an open.
    m_edges = m_visible.empty() ? (CursorEdge::Bof | CursorEdge::Eof) : CursorEdges(CursorEdge::Bof);
    checkInvariants();
}

void RowSet::beginInsert(int visibleIndex, std::size_t width)
{
    Q_ASSERT(m_insertedRow < 0);
    Q_ASSERT(visibleIndex >= 0 && visibleIndex <= visibleCount());
    m_rows.emplace_back(width);
    m_insertedRow = size() - 1;
    m_visible.insert(m_visible.begin() + visibleIndex, m_insertedRow);
    m_current = visibleIndex;
    m_edges = CursorEdge::None;
    checkInvariants();
}

void RowSet::erase(int storageIndex)
{
    Q_ASSERT(storageIndex >= 0 && storageIndex < size());
    const int at = visibleIndexOf(storageIndex);
    if (at >= 0) {
        m_visible.erase(m_visible.begin() + at);
        if (at < m_current)
            --m_current;
    }
    m_rows.erase(m_rows.begin() + storageIndex);
    for (int &v : m_visible)
        if (v > storageIndex)
            --v;
    if (m_insertedRow == storageIndex)
        m_insertedRow = -1;
    else if (m_insertedRow > storageIndex)
        --m_insertedRow;
    if (m_current >= visibleCount())
        m_current = visibleCount() - 1;
    m_edges = m_visible.empty() ? (CursorEdge::Bof | CursorEdge::Eof) : CursorEdges(CursorEdge::None);
    checkInvariants();
}

void RowSet::checkInvariants() const
{
#ifndef QT_NO_DEBUG
    Q_ASSERT(m_current >= -1 && m_current < visibleCount());
    Q_ASSERT((m_current < 0) == m_visible.empty());
    Q_ASSERT(m_insertedRow >= -1 && m_insertedRow < size());
    Q_ASSERT(m_visible.size() <= m_rows.size());
    for (const int v : m_visible)
        Q_ASSERT(v >= 0 && v < size());
#endif
}

} // namespace db
