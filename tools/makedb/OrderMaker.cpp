#include "OrderMaker.h"

#include "engine/Storage_p.h"

#include <QDateTime>
#include <algorithm>
#include <array>

namespace makedb {

namespace {

// Remembered so that a refusal returns goods the customer did buy.
constexpr int kRememberedLines = 2;

struct Line
{
    int item;
    int amount;
};

} // namespace

QString midnightText(const QDate &date)
{
    return db::dateTimeToStorage(db::wallClock(date));
}

void writeCatalogues(BulkWriter &writer, const std::vector<QString> &productIds,
                     const std::vector<QString> &productNames, const std::vector<Catalogue> &catalogues)
{
    for (const Catalogue &catalogue : catalogues) {
        const QString date = midnightText(catalogue.date);
        for (const CatalogueItem &item : catalogue.items)
            writer.product(productIds[item.product], productNames[item.product], date, item.price, item.points);
    }
}

OrderResult writeOrders(BulkWriter &writer, Random &random, const std::vector<QString> &productIds,
                        const std::vector<Catalogue> &catalogues, const std::vector<QString> &customerIds,
                        const OrderPlan &plan)
{
    Q_ASSERT(!catalogues.empty() && plan.first >= catalogues.front().date && plan.first <= plan.last);
    OrderResult result;
    result.pointsByCustomer.assign(customerIds.size(), 0);
    if (plan.count == 0 || customerIds.empty())
        return result;

    // Per day: its storage text and the catalogue in force (the latest dated on or before it).
    const qint64 days = plan.first.daysTo(plan.last) + 1;
    std::vector<QString> dayText(days);
    std::vector<int> catalogueOfDay(days);
    std::vector<QString> catalogueText(catalogues.size());
    for (std::size_t c = 0; c < catalogues.size(); ++c)
        catalogueText[c] = midnightText(catalogues[c].date);
    int current = 0;
    for (qint64 d = 0; d < days; ++d) {
        const QDate date = plan.first.addDays(d);
        while (current + 1 < int(catalogues.size()) && catalogues[current + 1].date <= date)
            ++current;
        dayText[d] = midnightText(date);
        catalogueOfDay[d] = current;
    }

    // Order numbers grow with the date, as they do when orders are entered day by day.
    std::vector<std::uint32_t> orderDay(plan.count);
    for (auto &day : orderDay)
        day = std::uint32_t(random.below(std::uint64_t(days)));
    std::sort(orderDay.begin(), orderDay.end());

    // Per catalogue, where each product sits (-1: not in that catalogue).
    std::vector<std::vector<int>> itemOfProduct(catalogues.size(), std::vector<int>(productIds.size(), -1));
    for (std::size_t c = 0; c < catalogues.size(); ++c)
        for (std::size_t i = 0; i < catalogues[c].items.size(); ++i)
            itemOfProduct[c][catalogues[c].items[i].product] = int(i);

    const std::size_t customers = customerIds.size();
    std::vector<std::array<int, kRememberedLines>> lastProduct(customers);
    std::vector<std::array<int, kRememberedLines>> lastAmount(customers);
    std::vector<std::array<Units, kRememberedLines>> lastPoints(customers); // per item, at purchase
    std::vector<std::uint8_t> lastCount(customers, 0);

    std::vector<Line> lines;
    for (qint64 n = 0; n < plan.count; ++n) {
        const qint64 id = n + 1;
        const int day = int(orderDay[n]);
        const int c = catalogueOfDay[day];
        const Catalogue &catalogue = catalogues[c];
        const std::size_t customer = plan.pickCustomer(random);
        Q_ASSERT(customer < customers);

        lines.clear();
        bool refusal = false;
        if (lastCount[customer] > 0 && random.chance(1, std::uint64_t(plan.refusalOneIn))) {
            for (int k = 0; k < lastCount[customer]; ++k) {
                const int item = itemOfProduct[c][lastProduct[customer][k]];
                // Goods whose points rose since are kept: a return never takes
                // back more points than the purchase brought, so no total goes negative.
                if (item >= 0 && catalogue.items[item].points <= lastPoints[customer][k])
                    lines.push_back({item, 1 + int(random.below(std::uint64_t(lastAmount[customer][k])))});
            }
            refusal = !lines.empty();
            lastCount[customer] = 0;
        }
        if (!refusal) {
            const std::size_t wanted =
                std::min(1 + random.weighted(plan.lineWeights), catalogue.items.size());
            while (lines.size() < wanted) {
                const int item = int(random.below(catalogue.items.size()));
                if (std::none_of(lines.begin(), lines.end(), [item](const Line &l) { return l.item == item; }))
                    lines.push_back({item, 1 + int(random.weighted(plan.amountWeights))});
            }
            lastCount[customer] = std::uint8_t(std::min<std::size_t>(lines.size(), kRememberedLines));
            for (int k = 0; k < lastCount[customer]; ++k) {
                lastProduct[customer][k] = catalogue.items[lines[k].item].product;
                lastAmount[customer][k] = lines[k].amount;
                lastPoints[customer][k] = catalogue.items[lines[k].item].points;
            }
        }

        Units sum = 0;
        Units points = 0;
        for (const Line &line : lines) {
            sum += catalogue.items[line.item].price * line.amount;
            points += catalogue.items[line.item].points * line.amount;
        }
        if (refusal) {
            sum = -sum;
            points = -points;
        }
        writer.order(id, customerIds[customer], sum, points, refusal, dayText[day]);
        for (const Line &line : lines)
            writer.line(id, productIds[catalogue.items[line.item].product], line.amount, catalogueText[c]);

        result.pointsByCustomer[customer] += points;
        ++result.orders;
        result.refusals += refusal ? 1 : 0;
        result.lines += qint64(lines.size());
    }
    return result;
}

} // namespace makedb
