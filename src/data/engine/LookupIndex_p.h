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

/// What a dataset keeps for the lookup fields that read it: an index per set
/// of key fields, made on first use and dropped whenever its rows change;
/// and, on both sides, which datasets read which, so that a dataset whose
/// rows change can tell those that look values up in it.
class Lookups
{
public:
    /// The row of the first of `rowCount` rows whose `keyFields` hold `keys`;
    /// -1 when none. `reader` gives the key reader the index is built with.
    int find(const QStringList &keyFields, const QVariantList &keys, int rowCount,
             const std::function<KeyReader()> &reader, const std::function<bool(int row)> &skip);
    /// The rows changed: every index goes.
    void clear() { m_indexes.clear(); }

    /// `user` reads `source` (kept once).
    static void link(Lookups &user, Dataset *userDataset, Lookups &source, Dataset *sourceDataset);
    /// Forgets `dataset` on the other side of each of its links (it goes).
    template <class LookupsOf> void unlinkAll(Dataset *dataset, LookupsOf lookupsOf)
    {
        for (Dataset *source : m_sources)
            std::erase(lookupsOf(source).m_users, dataset);
        for (Dataset *user : m_users)
            std::erase(lookupsOf(user).m_sources, dataset);
    }
    /// The datasets whose lookup fields read this one.
    const std::vector<Dataset *> &users() const { return m_users; }

private:
    QHash<QString, std::shared_ptr<const LookupIndex>> m_indexes;
    std::vector<Dataset *> m_sources, m_users;
};

/// The first of rows 0..rowCount-1 whose key values equal `wanted`: a text
/// compares as text (case and prefix as `options` say, a null only with a
/// null), any other value by keyText. -1 when none.
int firstMatch(int rowCount, int keyCount, const KeyReader &read, const QVariantList &wanted, LocateOptions options);

} // namespace db
