#pragma once
// The customers of the connected database as a CustomerSource: the table
// `customer` read through the engine with bound parameters.

#include "CustomerSource.h"

namespace db { class Connection; }

class CustomerTable final : public CustomerSource
{
public:
    /// Reads through `connection`, which must outlive this object; it may be
    /// closed and reopened in between. Every read on a closed connection
    /// throws db::DataError "The database is not connected".
    explicit CustomerTable(db::Connection &connection) : m_connection(connection) {}

    bool findCustomer(const QString &id, const RowSink &sink) override;
    /// The largest rowid: the row count of any ordinary table, or more.
    std::size_t customerCountHint() override;
    void forEachCustomer(const RowSink &sink) override;
    std::optional<CustomerBalances> balances(const QString &id) override;

private:
    db::Connection &m_connection;
};
