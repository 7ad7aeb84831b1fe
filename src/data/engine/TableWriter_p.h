#pragma once
// Writes a dataset's current row back to its one base table by key: insert,
// update and delete statements built from the fields, the check that an
// edit was made on the row as it is stored, and reading the stored row back.

#include "Errors.h"
#include "RowSet_p.h"

#include <QStringList>

namespace db {

class Dataset;
class Field;

class TableWriter
{
public:
    explicit TableWriter(const Dataset &dataset) : m_dataset(dataset) {}

    /// The table rows are written to and the fields that find a row in it.
    void setTable(const QString &table, const QStringList &keyFields);
    const QString &table() const { return m_table; }

    // Each write throws DataError when no table was set. A write the table's
    // constraints refuse is told through the connection's failure wording,
    // naming the fields by their display labels; the engine's own words go
    // to the debug log (category "quorvel.engine") and stay in the error.

    /// Inserts the assigned data fields of `values`. A counter key the row
    /// did not assign takes the number the database gave it. Throws DataError.
    void insertRow(Row &values, const std::vector<bool> &assigned);
    /// Writes the assigned data fields that differ from `stored`. The row is
    /// found by its key as read and by the stored value of every changed
    /// column, so an edit of a stale row is refused ("Row cannot be located
    /// for updating") instead of overwriting a newer value. Throws DataError.
    void updateRow(const Row &values, const Row &stored, const std::vector<bool> &assigned);
    /// Deletes the row by its key; a row already gone is a DataError, so
    /// that rules run after a delete never act on a row twice.
    void deleteRow(const Row &values);
    /// `values` with the data fields as the file now holds them: defaults and
    /// counters the database filled in, values its triggers rounded. Unchanged
    /// when the row cannot be found by its key.
    Row readBack(Row values) const;

private:
    /// Which write failed: storing a row, or deleting one.
    enum class WriteKind { Store, Delete };
    /// `error` told in plain words when the connection has a wording for its
    /// kind, else `error` as it is.
    DataError plainly(const DataError &error, WriteKind write) const;
    /// The display labels of this dataset's fields that the engine's text
    /// names; the visible ones when any is visible.
    QStringList namedFields(const QString &engineText) const;
    /// Throws DataError when no table was set: nothing can be written.
    void requireTable(const QString &purpose) const;
    /// A condition matching exactly the stored values that read as `value`;
    /// its arguments are appended to `arguments`.
    QString storedEquals(const Field *field, const QVariant &value, QVariantList &arguments) const;
    QString keyCondition(const Row &values, QVariantList &arguments) const;

    const Dataset &m_dataset;
    QString m_table;
    QStringList m_keyFields;
};

} // namespace db
