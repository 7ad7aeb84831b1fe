#pragma once
// The link between a dataset and the controls that show it. Windows bind to
// data sources, never to datasets directly, so that one dataset can be shown
// read-only in one place and editable in another.

#include "Dataset.h"

#include <QObject>

namespace db {

class DataSource : public QObject
{
    Q_OBJECT

public:
    DataSource(Dataset *dataset, const QString &name, QObject *parent = nullptr)
        : QObject(parent), m_dataset(dataset)
    {
        setObjectName(name);
    }
    Dataset *dataset() const { return m_dataset; }
    /// Whether typing in a bound control starts editing the current row.
    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }

private:
    Dataset *m_dataset;
    bool m_autoEdit = true;
};

} // namespace db
