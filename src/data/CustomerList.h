#pragma once
// Customers held in memory as a CustomerSource, in the order they were
// added: a department of rows that are not (or not yet) in a database file.

#include "CustomerSource.h"

#include <QByteArray>

#include <vector>

class CustomerList final : public CustomerSource
{
public:
    struct Customer
    {
        QString id;
        QString sponsor; ///< null or empty: no sponsor
        QString name;
        double totalpoints = 0;
        double reserve = 0;
    };

    CustomerList() = default;
    explicit CustomerList(const std::vector<Customer> &customers);

    /// Appends a customer; the texts are kept as given, untrimmed.
    void add(const Customer &customer);

    bool findCustomer(const QString &id, const RowSink &sink) override;
    std::size_t customerCountHint() override { return m_rows.size(); }
    void forEachCustomer(const RowSink &sink) override;
    std::optional<CustomerBalances> balances(const QString &id) override;

private:
    struct Stored
    {
        QByteArray id, sponsor, name; // UTF-8
        CustomerBalances balances;
    };
    static CustomerRow row(const Stored &stored);
    const Stored *find(const QString &id) const;

    std::vector<Stored> m_rows;
};
