#include "CustomerTable.h"

#include "engine/Connection.h"
#include "engine/Errors.h"
#include "engine/Statement_p.h"

#include <algorithm>

namespace {

const char *const kColumns = "select id, id_customer, sname, totalpoints, reserve from customer";

sqlite3 *connected(const db::Connection &connection)
{
    if (!connection.isConnected())
        throw db::DataError(QStringLiteral("The database is not connected"));
    return connection.handle();
}

std::string_view column(const db::Statement &query, int column)
{
    const QByteArrayView bytes = query.utf8(column); // null reads as empty
    return std::string_view(bytes.data(), std::size_t(bytes.size()));
}

/// The current row of a statement over kColumns.
CustomerRow row(const db::Statement &query)
{
    return {column(query, 0), column(query, 1), column(query, 2), query.real(3), query.real(4)};
}

} // namespace

bool CustomerTable::findCustomer(const QString &id, const RowSink &sink)
{
    db::Statement query(connected(m_connection), QString::fromLatin1(kColumns) + QStringLiteral(" where id = :id"));
    query.bind(QStringLiteral(":id"), id);
    if (!query.step())
        return false;
    sink(row(query));
    return true;
}

std::size_t CustomerTable::customerCountHint()
{
    db::Statement count(connected(m_connection), QStringLiteral("select max(rowid) from customer"));
    return count.step() ? std::size_t(std::max<qint64>(count.integer(0), 0)) : 0;
}

void CustomerTable::forEachCustomer(const RowSink &sink)
{
    db::Statement query(connected(m_connection), QString::fromLatin1(kColumns));
    while (query.step())
        sink(row(query));
}

std::optional<CustomerBalances> CustomerTable::balances(const QString &id)
{
    db::Statement query(connected(m_connection),
                        QStringLiteral("select totalpoints, reserve from customer where id = :id"));
    query.bind(QStringLiteral(":id"), id);
    if (!query.step())
        return std::nullopt;
    return CustomerBalances{query.real(0), query.real(1)};
}
