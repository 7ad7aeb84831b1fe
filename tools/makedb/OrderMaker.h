#pragma once
// Orders and refusals valued from the catalogue in force on their date, with
// the point total they add to each customer.

#include "BulkWriter.h"
#include "Random.h"

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

namespace makedb {

/// One product of one catalogue; `product` indexes the shared list of product ids.
struct CatalogueItem
{
    int product = 0;
    Units price = 0;
    Units points = 0;
};

struct Catalogue
{
    QDate date;
    std::vector<CatalogueItem> items;
};

/// The storage text of midnight of `date`.
QString midnightText(const QDate &date);

/// Writes every product of every catalogue. Catalogues must be in date order.
void writeCatalogues(BulkWriter &writer, const std::vector<QString> &productIds,
                     const std::vector<QString> &productNames, const std::vector<Catalogue> &catalogues);

struct OrderPlan
{
    qint64 count = 0;
    /// Orders fall on whole days from `first` to `last`; `first` must not be
    /// before the first catalogue.
    QDate first;
    QDate last;
    /// Index into the customer ids.
    std::function<std::size_t(Random &)> pickCustomer;
    /// Weights of 1, 2, … lines in an order and of 1, 2, … items in a line.
    std::vector<int> lineWeights;
    std::vector<int> amountWeights;
    /// About one refusal in this many: a customer returns part of their latest order.
    int refusalOneIn = 10;
};

struct OrderResult
{
    std::vector<Units> pointsByCustomer;
    qint64 orders = 0;
    qint64 refusals = 0;
    qint64 lines = 0;
};

/// Writes `plan.count` headers numbered 1… in date order and their lines.
/// Totals are sum(price × amount) and sum(points × amount), negated for a refusal.
OrderResult writeOrders(BulkWriter &writer, Random &random, const std::vector<QString> &productIds,
                        const std::vector<Catalogue> &catalogues, const std::vector<QString> &customerIds,
                        const OrderPlan &plan);

} // namespace makedb
