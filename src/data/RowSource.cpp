#include "RowSource.h"

#include "engine/Dataset.h"

int RowSource::columnIndex(const QString &column) const
{
    const std::vector<RowColumn> all = columns();
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

// --- a dataset's rows ------------------------------------------------------------------

DatasetRowSource::DatasetRowSource(const QString &name, db::Dataset &dataset) : RowSource(name), m_dataset(dataset)
{
}

std::vector<RowColumn> DatasetRowSource::columns() const
{
    std::vector<RowColumn> result;
    result.reserve(size_t(m_dataset.fieldCount()));
    for (int i = 0; i < m_dataset.fieldCount(); ++i) {
        const db::Field *field = m_dataset.fieldAt(i);
        result.push_back({field->name(), field->type(), field->displayWidth(), field->displayLabel()});
    }
    return result;
}

int DatasetRowSource::open()
{
    return m_dataset.isActive() ? m_dataset.recordCount() : 0;
}

QVariant DatasetRowSource::value(int row, int column)
{
    if (!m_dataset.isActive() || column < 0 || column >= m_dataset.fieldCount())
        return QVariant();
    return m_dataset.valueAt(row, m_dataset.fieldAt(column));
}

int DatasetRowSource::currentRow() const
{
    return m_dataset.isActive() ? m_dataset.currentIndex() : -1;
}

// --- rows from handlers -------------------------------------------------------------------

HandlerRowSource::HandlerRowSource(const QString &name, GetCols getCols, Open open, GetRow getRow)
    : RowSource(name), m_getCols(std::move(getCols)), m_open(std::move(open)), m_getRow(std::move(getRow))
{
}

int HandlerRowSource::open()
{
    m_cachedRow = -1;
    m_cached.clear();
    return m_open();
}

QVariant HandlerRowSource::value(int row, int column)
{
    if (row < 0 || row >= m_open())
        return QVariant();
    // A report reads a row column by column: the row is asked for once.
    if (row != m_cachedRow) {
        m_cached = m_getRow(row);
        m_cachedRow = row;
    }
    return m_cached.value(column);
}
