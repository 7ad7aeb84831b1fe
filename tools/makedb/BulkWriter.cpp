#include "BulkWriter.h"

#include "engine/Connection.h"

namespace makedb {

BulkWriter::BulkWriter(db::Connection &connection)
    : m_customer(connection.handle(),
                 QStringLiteral("insert into customer (id, id_customer, sname, fname, totalpoints, reserve) "
                                "values (?1, ?2, ?3, ?4, ?5, ?6)")),
      m_product(connection.handle(),
                QStringLiteral("insert into product (id, name, dateprice, price, points) values (?1, ?2, ?3, ?4, ?5)")),
      m_order(connection.handle(),
              QStringLiteral("insert into orders (id, id_customer, totalsum, totalpoints, refusal, ordersdate) "
                             "values (?1, ?2, ?3, ?4, ?5, ?6)")),
      m_line(connection.handle(),
             QStringLiteral("insert into ordered (id_orders, id_product, amount, dateprice) values (?1, ?2, ?3, ?4)"))
{
}

void BulkWriter::customer(const QString &id, const QVariant &sponsor, const QString &name, const QString &firstName,
                          Units points, Units reserve)
{
    Q_ASSERT(!id.isEmpty() && id.size() <= 6);
    m_customer.reset();
    m_customer.bind(1, id);
    m_customer.bind(2, sponsor);
    m_customer.bind(3, name);
    m_customer.bind(4, firstName);
    m_customer.bind(5, toStored(points));
    m_customer.bind(6, toStored(reserve));
    m_customer.execute();
}

void BulkWriter::product(const QString &id, const QString &name, const QString &catalogueDate, Units price,
                         Units points)
{
    Q_ASSERT(id.size() == 6);
    m_product.reset();
    m_product.bind(1, id);
    m_product.bind(2, name);
    m_product.bind(3, catalogueDate);
    m_product.bind(4, toStored(price));
    m_product.bind(5, toStored(points));
    m_product.execute();
}

void BulkWriter::order(qint64 id, const QString &customerId, Units sum, Units points, bool refusal,
                       const QString &date)
{
    m_order.reset();
    m_order.bind(1, id);
    m_order.bind(2, customerId);
    m_order.bind(3, toStored(sum));
    m_order.bind(4, toStored(points));
    m_order.bind(5, refusal ? 1 : 0);
    m_order.bind(6, date);
    m_order.execute();
}

void BulkWriter::line(qint64 orderId, const QString &productId, int amount, const QString &catalogueDate)
{
    Q_ASSERT(productId.size() == 6);
    m_line.reset();
    m_line.bind(1, orderId);
    m_line.bind(2, productId);
    m_line.bind(3, amount);
    m_line.bind(4, catalogueDate);
    m_line.execute();
}

} // namespace makedb
