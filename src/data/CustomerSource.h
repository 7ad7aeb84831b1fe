#pragma once
// Where the department computation reads its customers from: the customer
// table of the connected database (CustomerTable) or rows held in memory
// (CustomerList). Rows travel as UTF-8 views so that a whole customer base
// streams through without a text object per column.

#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

/// One customer as the department reads it: texts as stored (untrimmed
/// UTF-8), a null sponsor as empty. The views last only for the call that
/// hands the row over.
struct CustomerRow
{
    std::string_view id;
    std::string_view sponsor; ///< id_customer
    std::string_view name;    ///< sname
    double totalpoints = 0;
    double reserve = 0;
};

/// A customer's running points and reserve, as stored.
struct CustomerBalances
{
    double totalpoints = 0;
    double reserve = 0;
};

class CustomerSource
{
public:
    using RowSink = std::function<void(const CustomerRow &)>;

    virtual ~CustomerSource() = default;

    /// Hands `sink` the customer whose id is exactly `id` and returns true;
    /// false when there is none. Throws db::DataError.
    virtual bool findCustomer(const QString &id, const RowSink &sink) = 0;

    /// The number of customers, or a bound above it, when the source knows
    /// it cheaply: a hint for sizing buffers (0 when unknown).
    /// Throws db::DataError.
    virtual std::size_t customerCountHint() = 0;

    /// Hands `sink` every customer once, in the table's order, which decides
    /// between names that sort alike. Throws db::DataError.
    virtual void forEachCustomer(const RowSink &sink) = 0;

    /// The balances of customer `id`; nullopt when there is none.
    /// Throws db::DataError.
    virtual std::optional<CustomerBalances> balances(const QString &id) = 0;
};
