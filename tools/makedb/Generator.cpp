// Large generated databases for benchmarks.

#include "BulkWriter.h"
#include "MakeDbInternal.h"
#include "Names.h"
#include "OrderMaker.h"

#include "engine/Errors.h"

#include <QVariant>
#include <algorithm>
#include <bit>

namespace makedb {

namespace {

constexpr int kMaxCustomers = 999999; // ids are decimal text of at most six characters
constexpr qint64 kMaxOrders = 2147483647;
constexpr int kMaxCatalogues = 240;
constexpr int kProductRange = 400;
constexpr int kCyrillicPercent = 70;

struct Tree
{
    std::vector<int> sponsor; // -1 at the top
    int roots = 0;
    int levels = 0;
};

// A sponsor tree as organizations grow: a newcomer joins through someone who
// already brings in people (chance grows with the number sponsored), so most
// customers sponsor nobody and a few sponsor many. One line of recruits is
// laid down first so that the tree reaches its intended depth, and nobody
// joins below the deepest level: a recruit of someone there joins that
// person's sponsor instead.
Tree makeTree(Random &random, int customers)
{
    Tree tree;
    tree.roots = std::min(customers, std::min(8, 3 + customers / 25000));
    const int depth = std::clamp(4 + int(std::bit_width(unsigned(customers))) - 1, 10, 20);
    tree.sponsor.assign(customers, -1);
    std::vector<int> level(customers, 0);
    std::vector<int> tickets; // a customer appears once, plus once per recruit
    tickets.reserve(std::size_t(customers) * 2);

    for (int i = 0; i < tree.roots; ++i)
        tickets.push_back(i);
    int next = tree.roots;
    int above = tree.roots > 0 ? int(random.below(std::uint64_t(tree.roots))) : 0;
    for (int l = 1; l < depth && next < customers; ++l, ++next) {
        tree.sponsor[next] = above;
        level[next] = l;
        tickets.push_back(next);
        tickets.push_back(above);
        above = next;
    }
    for (; next < customers; ++next) {
        int chosen = tickets[random.below(tickets.size())];
        if (level[chosen] >= depth - 1)
            chosen = tree.sponsor[chosen];
        tree.sponsor[next] = chosen;
        level[next] = level[chosen] + 1;
        tickets.push_back(next);
        tickets.push_back(chosen);
    }
    tree.levels = customers > 0 ? *std::max_element(level.begin(), level.end()) + 1 : 0;
    return tree;
}

// Monthly catalogues of the same product range: most products in each, prices
// creeping up by about half a percent a month, points rounded to half points.
std::vector<Catalogue> makeCatalogues(Random &random, const ProductRange &range, const QDate &firstDate, int count,
                                      bool wholeRange)
{
    std::vector<Catalogue> catalogues;
    for (int k = 0; k < count; ++k) {
        Catalogue catalogue{firstDate.addMonths(k), {}};
        for (std::size_t p = 0; p < range.ids.size(); ++p) {
            if (!wholeRange && !random.chance(88, 100))
                continue;
            const Units rawPrice = range.basePrices[p] * (1000 + 5 * k + random.between(-10, 20)) / 1000;
            const Units price = (rawPrice + 50) / 100 * 100; // whole cents
            const Units halfPoint = kUnitsPerOne / 2;
            const Units points = std::max(halfPoint, (price * range.pointsPercent[p] / 100 + halfPoint / 2) / halfPoint * halfPoint);
            catalogue.items.push_back({int(p), price, points});
        }
        catalogues.push_back(std::move(catalogue));
    }
    return catalogues;
}

void check(bool ok, const QString &message)
{
    if (!ok)
        throw db::DataError(message);
}

} // namespace

Summary generate(const QString &path, const GenerateOptions &options)
{
    check(options.customers >= 1 && options.customers <= kMaxCustomers,
          QStringLiteral("The number of customers must be from 1 to %1").arg(kMaxCustomers));
    check(options.orders >= 0 && options.orders <= kMaxOrders,
          QStringLiteral("The number of orders must be from 0 to %1").arg(kMaxOrders));
    check(options.catalogues >= 1 && options.catalogues <= kMaxCatalogues,
          QStringLiteral("The number of catalogues must be from 1 to %1").arg(kMaxCatalogues));
    check(options.until.isValid(), QStringLiteral("The last order date is not a valid date"));
    check(options.productsPerCatalogue >= 0 && options.productsPerCatalogue <= maxProductRange(),
          QStringLiteral("The number of products per catalogue must be from 1 to %1").arg(maxProductRange()));

    return fillNewFile(path, [&](db::Connection &connection) {
        BulkWriter writer(connection);
        Random random(options.seed);

        const Tree tree = makeTree(random, options.customers);

        const bool wholeRange = options.productsPerCatalogue > 0;
        const ProductRange range = randomProductRange(random, wholeRange ? options.productsPerCatalogue : kProductRange);
        const QDate firstCatalogue =
            QDate(options.until.year(), options.until.month(), 1).addMonths(-(options.catalogues - 1));
        const std::vector<Catalogue> catalogues =
            makeCatalogues(random, range, firstCatalogue, options.catalogues, wholeRange);
        writeCatalogues(writer, range.ids, range.names, catalogues);

        std::vector<QString> customerIds(std::size_t(options.customers));
        for (int i = 0; i < options.customers; ++i)
            customerIds[i] = QString::number(i + 1);

        OrderPlan plan;
        plan.count = options.orders;
        plan.first = firstCatalogue;
        plan.last = options.until;
        // The lesser of two draws: early customers, higher in the tree, order
        // more often than newcomers.
        const std::uint64_t customers = std::uint64_t(options.customers);
        plan.pickCustomer = [customers](Random &r) {
            return std::size_t(std::min(r.below(customers), r.below(customers)));
        };
        plan.lineWeights = {35, 30, 18, 11, 6};
        plan.amountWeights = {70, 20, 7, 2, 1};
        // Customers with nothing to return drop out of the draw, so drawing one
        // in eight ends near one refusal in ten.
        plan.refusalOneIn = 8;
        const OrderResult orders = writeOrders(writer, random, range.ids, catalogues, customerIds, plan);

        for (int i = 0; i < options.customers; ++i) {
            const Person person = randomPerson(random, kCyrillicPercent);
            QVariant sponsor;
            if (tree.sponsor[i] >= 0)
                sponsor = customerIds[tree.sponsor[i]];
            else if (i % 2 == 1)
                sponsor = QStringLiteral(""); // the other way of saying "no sponsor"
            writer.customer(customerIds[i], sponsor, person.name, person.firstName, orders.pointsByCustomer[i], 0);
        }

        Summary summary;
        summary.customers = options.customers;
        summary.levels = tree.levels;
        summary.orders = orders.orders;
        summary.refusals = orders.refusals;
        summary.lines = orders.lines;
        summary.catalogues = int(catalogues.size());
        for (const Catalogue &catalogue : catalogues)
            summary.products += qint64(catalogue.items.size());
        return summary;
    });
}

} // namespace makedb
