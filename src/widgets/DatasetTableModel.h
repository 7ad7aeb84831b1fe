#pragma once
// A table model over a dataset: one column per visible field in field order,
// one row per visible row. It follows the dataset's change notifications, so
// any number of views show the dataset as it is.

#include "engine/Dataset.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <vector>

class DatasetTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    /// The field's value itself (not its text), for any cell.
    static constexpr int ValueRole = Qt::UserRole + 1;

    explicit DatasetTableModel(QObject *parent = nullptr);

    void setDataset(db::Dataset *dataset);
    db::Dataset *dataset() const { return m_dataset; }

    /// The field shown in `column`; nullptr out of range.
    db::Field *fieldAt(int column) const;
    /// The column showing `field`; -1 when it is not shown.
    int columnOf(const db::Field *field) const;
    /// Takes the visible fields again (after a window changed visibility).
    void refreshColumns();

    /// Yes/no fields as check states (no text) instead of "True"/"False".
    void setBooleanCheckState(bool on);
    bool booleanCheckState() const { return m_booleanCheckState; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    /// Sets the field of the dataset's current row from text (EditRole) while
    /// the dataset is being edited; false for any other row or state.
    /// Throws db::DataError when the text does not fit the field.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    /// The dataset's current row moved (or was re-read); -1 when none.
    void currentRowChanged(int row);
    /// The dataset changed between browsing, editing, inserting and closed.
    void stateChanged();

private:
    void datasetRowSetChanged();
    void datasetCurrentRowChanged();
    void datasetFieldChanged();
    /// Looked-up and calculated values of any row may have changed.
    void datasetValuesChanged();
    void datasetDestroyed();
    bool isCell(const QModelIndex &index) const;
    void rowChanged(int row);
    std::vector<db::Field *> visibleFields() const;

    QPointer<db::Dataset> m_dataset;
    std::vector<db::Field *> m_fields;
    int m_rows = 0;
    int m_currentRow = -1;
    bool m_booleanCheckState = false;
    QList<QMetaObject::Connection> m_connections;
};
