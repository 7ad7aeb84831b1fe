#include "DatasetTableModel.h"

#include "engine/Field.h"

namespace {

bool isModifiable(const db::Field *field)
{
    return field->kind() == db::FieldKind::Data && !field->isReadOnly();
}

} // namespace

DatasetTableModel::DatasetTableModel(QObject *parent) : QAbstractTableModel(parent)
{
}

void DatasetTableModel::setDataset(db::Dataset *dataset)
{
    if (dataset == m_dataset)
        return;
    for (const auto &connection : m_connections)
        disconnect(connection);
    m_connections.clear();

    beginResetModel();
    m_dataset = dataset;
    m_fields = visibleFields();
    m_rows = m_dataset && m_dataset->isActive() ? m_dataset->recordCount() : 0;
    m_currentRow = m_dataset ? m_dataset->currentIndex() : -1;
    endResetModel();

    if (m_dataset) {
        m_connections << connect(m_dataset, &db::Dataset::rowSetChanged, this, &DatasetTableModel::datasetRowSetChanged)
                      << connect(m_dataset, &db::Dataset::currentRowChanged, this,
                                 &DatasetTableModel::datasetCurrentRowChanged)
                      << connect(m_dataset, &db::Dataset::fieldChanged, this, &DatasetTableModel::datasetFieldChanged)
                      << connect(m_dataset, &db::Dataset::valuesChanged, this, &DatasetTableModel::datasetValuesChanged)
                      << connect(m_dataset, &db::Dataset::stateChanged, this, &DatasetTableModel::stateChanged)
                      << connect(m_dataset, &QObject::destroyed, this, &DatasetTableModel::datasetDestroyed);
    }
    emit currentRowChanged(m_currentRow);
}

std::vector<db::Field *> DatasetTableModel::visibleFields() const
{
    std::vector<db::Field *> fields;
    if (!m_dataset)
        return fields;
    for (int i = 0; i < m_dataset->fieldCount(); ++i)
        if (m_dataset->fieldAt(i)->isVisible())
            fields.push_back(m_dataset->fieldAt(i));
    return fields;
}

db::Field *DatasetTableModel::fieldAt(int column) const
{
    return column >= 0 && column < int(m_fields.size()) ? m_fields[size_t(column)] : nullptr;
}

int DatasetTableModel::columnOf(const db::Field *field) const
{
    const auto it = std::find(m_fields.begin(), m_fields.end(), field);
    return it == m_fields.end() ? -1 : int(it - m_fields.begin());
}

void DatasetTableModel::refreshColumns()
{
    datasetRowSetChanged();
    datasetCurrentRowChanged();
}

void DatasetTableModel::setBooleanCheckState(bool on)
{
    if (on == m_booleanCheckState)
        return;
    m_booleanCheckState = on;
    if (m_rows > 0 && !m_fields.empty())
        emit dataChanged(index(0, 0), index(m_rows - 1, int(m_fields.size()) - 1));
}

void DatasetTableModel::datasetDestroyed()
{
    // The guarded pointer is already empty here; the fields are gone too.
    m_connections.clear();
    beginResetModel();
    m_fields.clear();
    m_rows = 0;
    m_currentRow = -1;
    endResetModel();
    emit currentRowChanged(-1);
}

bool DatasetTableModel::isCell(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && !index.parent().isValid() && index.row() < m_rows
        && index.column() < int(m_fields.size()) && m_dataset;
}

void DatasetTableModel::datasetRowSetChanged()
{
    // The rows and even the fields (a dataset without persistent fields makes
    // new ones when it opens) may all be new: start over.
    beginResetModel();
    m_fields = visibleFields();
    m_rows = m_dataset && m_dataset->isActive() ? m_dataset->recordCount() : 0;
    m_currentRow = -1;
    endResetModel();
}

void DatasetTableModel::datasetCurrentRowChanged()
{
    if (!m_dataset)
        return;
    const int rows = m_dataset->isActive() ? m_dataset->recordCount() : 0;
    if (rows != m_rows) {
        // A row appeared or went away without a row-set notice.
        datasetRowSetChanged();
    }
    // A post or a cancel announces itself as a move to the same row; either
    // may have changed the values of the row left and of the current one.
    const int previous = m_currentRow;
    m_currentRow = m_dataset->currentIndex();
    rowChanged(previous);
    if (m_currentRow != previous)
        rowChanged(m_currentRow);
    emit currentRowChanged(m_currentRow);
}

void DatasetTableModel::datasetFieldChanged()
{
    // Calculated and lookup fields follow any field of the row: repaint it whole.
    if (m_dataset)
        rowChanged(m_dataset->currentIndex());
}

void DatasetTableModel::datasetValuesChanged()
{
    if (m_rows > 0 && !m_fields.empty())
        emit dataChanged(index(0, 0), index(m_rows - 1, int(m_fields.size()) - 1));
}

void DatasetTableModel::rowChanged(int row)
{
    if (row >= 0 && row < m_rows && !m_fields.empty())
        emit dataChanged(index(row, 0), index(row, int(m_fields.size()) - 1));
}

int DatasetTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DatasetTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant DatasetTableModel::data(const QModelIndex &index, int role) const
{
    if (!isCell(index))
        return {};
    db::Field *field = m_fields[size_t(index.column())];
    const bool asCheck = m_booleanCheckState && field->type() == db::FieldType::Boolean;
    switch (role) {
    case Qt::DisplayRole:
        return asCheck ? QVariant() : QVariant(m_dataset->displayTextAt(index.row(), field));
    case Qt::EditRole:
        return m_dataset->displayTextAt(index.row(), field);
    case Qt::CheckStateRole:
        if (!asCheck)
            return {};
        return m_dataset->valueAt(index.row(), field).toBool() ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        return int((db::isNumeric(field->type()) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    case ValueRole:
        return m_dataset->valueAt(index.row(), field);
    default:
        return {};
    }
}

QVariant DatasetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(m_fields.size()))
        return {};
    if (role == Qt::DisplayRole)
        return m_fields[size_t(section)]->displayLabel();
    return {};
}

Qt::ItemFlags DatasetTableModel::flags(const QModelIndex &index) const
{
    if (!isCell(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (isModifiable(m_fields[size_t(index.column())]))
        result |= Qt::ItemIsEditable;
    return result;
}

bool DatasetTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!isCell(index) || !m_dataset->isEditing() || index.row() != m_dataset->currentIndex())
        return false;
    db::Field *field = m_fields[size_t(index.column())];
    if (role == Qt::EditRole)
        field->setAsString(value.toString());
    else if (role == Qt::CheckStateRole && field->type() == db::FieldType::Boolean)
        field->setValue(value.toInt() == Qt::Checked);
    else
        return false;
    // The dataset's field notice repaints the row.
    return true;
}
