#pragma once
// Finding rows by the values of key fields: a hash index from the key
// values of every row to the first row holding them (lookup fields into a
// dataset of thousands of products must not scan it once per grid cell),
// and the scan that locate makes over the visible rows.

#include "Dataset.h"

#include <QHash>
#include <QString>

#include <functional>

namespace db {

/// Key value `k` of row `row` (the row's value of the k-th key field).
using KeyReader = std::function<QVariant(int row, int k)>;

class LookupIndex
{
public:
    /// Indexes rows 0..rowCount-1 by their `keyCount` key values; a row for
    /// which `skip` is true (the row being inserted) is left out, and of
    /// equal keys the first row wins.
    LookupIndex(int rowCount, int keyCount, const KeyReader &read, const std::function<bool(int row)> &skip);
    /// The row holding `keys` (compared by keyText); -1 when none.
    int find(const QVariantList &keys) const;

private:
    QHash<QString, int> m_rows;
};

/// The first of rows 0..rowCount-1 whose key values equal `wanted`: a text
/// compares as text (case and prefix as `options` say, a null only with a
/// null), any other value by keyText. -1 when none.
int firstMatch(int rowCount, int keyCount, const KeyReader &read, const QVariantList &wanted, LocateOptions options);

} // namespace db
