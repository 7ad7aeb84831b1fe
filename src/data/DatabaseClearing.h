#pragma once
// Thinning out a database that has grown over the seasons: the tasks the
// clearing dialog offers, and the point reset.

#include <QDateTime>
#include <QFlags>
#include <QVariant>

class TData;

struct ClearOptions
{
    enum class Task {
        DeleteOrders = 0x1,     ///< the orders of the period
        ZeroPoints = 0x2,       ///< every customer's points
        DeleteCatalogue = 0x4,  ///< one catalogue's products
        Shrink = 0x8,           ///< compact the database file
    };
    Q_DECLARE_FLAGS(Tasks, Task)

    Tasks tasks;
    /// The orders deleted are dated from the start day up to, not including,
    /// the end day (both taken as whole days).
    QDateTime periodBegin, periodEnd;
    /// The date of the catalogue to delete; null when there is none.
    QVariant catalogue;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(ClearOptions::Tasks)

/// Runs the ticked tasks in their fixed order (orders, points, catalogue,
/// shrink) after asking, through the user port, once before any deletion
/// and once more before the catalogue's; then tells "Completed". Shrinking
/// closes the database (keeping it locked), compacts it and connects again,
/// leaving the datasets the disconnect closed closed. A failed compaction is
/// shown and the rest goes on. Throws db::DataError when a statement fails:
/// the tasks after it are not run, those before stay done.
void ClearDatabase(TData &data, const ClearOptions &options);

/// Sets every customer's points to zero after asking; reserves stay.
/// Throws db::DataError.
void ClearPoints(TData &data);
