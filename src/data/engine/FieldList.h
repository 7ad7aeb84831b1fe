#pragma once
// A dataset's fields in order and the slot each keeps its value in: the
// persistent fields the program declares or, while there are none, one
// default field per result column of the open statement.

#include "Field.h"

#include <memory>
#include <vector>

namespace db {

class Dataset;
class Statement;

class FieldList
{
public:
    explicit FieldList(Dataset *dataset) : m_dataset(dataset) {}

    /// Adds a persistent field (only while the dataset is closed).
    Field *add(const QString &name, FieldType type, FieldKind kind, int size);
    /// The field of that name, compared without regard to case; null when none.
    Field *find(const QString &name) const;
    int count() const { return int(m_fields.size()); }
    Field *at(int index) const
    {
        Q_ASSERT(index >= 0 && index < count());
        return m_fields[std::size_t(index)].get();
    }
    std::vector<Field *> ofKind(FieldKind kind) const;

    /// The values a row keeps: one for every field that is not a lookup.
    std::size_t rowWidth() const;
    /// Makes the default fields when there are no persistent ones, gives
    /// every field its slot and reads every row of `statement` into rows of
    /// rowWidth() values. Throws DataError when a data field has no column.
    std::vector<std::vector<QVariant>> readRows(Statement &statement);
    /// Empties the calculated fields' slots of `row`; false when there are none.
    bool clearCalculated(std::vector<QVariant> &row) const;
    /// Forgets the default fields (the dataset closed).
    void dropDefaults() { m_fields.resize(std::size_t(m_persistentCount)); }
    /// Throws DataError "Field 'x' must have a value" for the first required
    /// data field that is empty in the dataset's active row.
    void checkRequired() const;

private:
    Dataset *m_dataset;
    std::vector<std::unique_ptr<Field>> m_fields;
    int m_persistentCount = 0;
};

} // namespace db
