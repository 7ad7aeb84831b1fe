#include "CustomerList.h"

namespace {

std::string_view view(const QByteArray &bytes)
{
    return std::string_view(bytes.constData(), std::size_t(bytes.size()));
}

} // namespace

CustomerList::CustomerList(const std::vector<Customer> &customers)
{
    m_rows.reserve(customers.size());
    for (const Customer &customer : customers)
        add(customer);
}

void CustomerList::add(const Customer &customer)
{
    m_rows.push_back({customer.id.toUtf8(), customer.sponsor.toUtf8(), customer.name.toUtf8(),
                      {customer.totalpoints, customer.reserve}});
}

CustomerRow CustomerList::row(const Stored &stored)
{
    return {view(stored.id), view(stored.sponsor), view(stored.name), stored.balances.totalpoints,
            stored.balances.reserve};
}

const CustomerList::Stored *CustomerList::find(const QString &id) const
{
    // Ids compare exactly, as the table's key does.
    const QByteArray key = id.toUtf8();
    for (const Stored &stored : m_rows)
        if (stored.id == key)
            return &stored;
    return nullptr;
}

bool CustomerList::findCustomer(const QString &id, const RowSink &sink)
{
    const Stored *stored = find(id);
    if (stored)
        sink(row(*stored));
    return stored != nullptr;
}

void CustomerList::forEachCustomer(const RowSink &sink)
{
    for (const Stored &stored : m_rows)
        sink(row(stored));
}

std::optional<CustomerBalances> CustomerList::balances(const QString &id)
{
    const Stored *stored = find(id);
    return stored ? std::optional(stored->balances) : std::nullopt;
}
