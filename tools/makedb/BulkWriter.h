#pragma once
// Prepared inserts for the four tables, reused row after row inside the
// caller's transaction.

#include "engine/Statement_p.h"

#include <QString>
#include <QVariant>

namespace db { class Connection; }

namespace makedb {

/// Money and points in ten-thousandths: sums stay exact however many lines
/// they add up, and every stored value is already rounded to four decimals.
using Units = qint64;

constexpr Units kUnitsPerOne = 10000;

inline double toStored(Units units)
{
    return double(units) / double(kUnitsPerOne);
}

class BulkWriter
{
public:
    /// Prepares the inserts on an open connection. Throws db::DataError.
    explicit BulkWriter(db::Connection &connection);

    /// `sponsor` is a null QVariant, empty text or a customer id.
    void customer(const QString &id, const QVariant &sponsor, const QString &name, const QString &firstName,
                  Units points, Units reserve);
    /// `id` must already be six characters: the column is fixed width.
    void product(const QString &id, const QString &name, const QString &catalogueDate, Units price, Units points);
    void order(qint64 id, const QString &customerId, Units sum, Units points, bool refusal, const QString &date);
    void line(qint64 orderId, const QString &productId, int amount, const QString &catalogueDate);

private:
    db::Statement m_customer;
    db::Statement m_product;
    db::Statement m_order;
    db::Statement m_line;
};

} // namespace makedb
