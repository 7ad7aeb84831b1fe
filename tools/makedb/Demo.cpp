// The demo database: a small organization someone could show a new user.

#include "BulkWriter.h"
#include "MakeDbInternal.h"
#include "OrderMaker.h"

#include <QVariant>

namespace makedb {

namespace {

struct DemoCustomer
{
    int sponsor;           // 0: top of the tree (written as null, or '' when `emptySponsor`)
    const char16_t *surname;
    const char16_t *firstName;
    int activity;          // share of the orders this customer places
    int reserveTenths;     // points in reserve, in tenths
    bool emptySponsor = false;
};

// Ids are the 1-based positions; every sponsor comes before those it sponsors.
const DemoCustomer kCustomers[] = {
    {0, u"Иванова", u"Светлана", 4, 155},
    {0, u"Morgan", u"Ellen", 3, 0, true},
    {1, u"Кузнецов", u"Андрей", 3, 0},
    {1, u"Смирнова", u"Ольга", 4, 80},
    {1, u"Walker", u"Thomas", 2, 0},
    {1, u"Лебедева", u"Марина", 3, 0},
    {2, u"Fischer", u"Anna", 3, 0},
    {2, u"Орлов", u"Виктор", 1, 0},
    {3, u"Попова", u"Наталья", 3, 0},
    {3, u"Becker", u"Lukas", 1, 0},
    {3, u"Егорова", u"Ирина", 2, 0},
    {4, u"Новиков", u"Павел", 2, 0},
    {4, u"Rossi", u"Chiara", 2, 0},
    {4, u"Зайцева", u"Ксения", 3, 0},
    {4, u"Морозов", u"Игорь", 1, 0},
    {5, u"Соколова", u"Татьяна", 2, 0},
    {6, u"Hughes", u"Sarah", 2, 0},
    {6, u"Волков", u"Дмитрий", 0, 0},
    {7, u"Дмитриева", u"Юлия", 3, 122},
    {7, u"Larsen", u"Erik", 1, 0},
    {8, u"Павлова", u"Галина", 2, 0},
    {9, u"Степанов", u"Олег", 1, 0},
    {9, u"Wagner", u"Monika", 2, 0},
    {12, u"Николаева", u"Вера", 2, 0},
    {12, u"Фролов", u"Максим", 0, 0},
    {12, u"Сорокина", u"Дарья", 1, 0},
    {14, u"Dubois", u"Claire", 1, 0},
    {17, u"Гусева", u"Лариса", 2, 0},
    {19, u"Ильин", u"Роман", 1, 0},
    {19, u"Белова", u"Мария", 2, 0},
};

struct DemoProduct
{
    const char *id;
    const char *name;
    int cents;
    int pointsTenths;
};

const DemoProduct kProducts[] = {
    {"SKN-01", "Aloe Vera Day Cream, 50 ml", 1490, 120},
    {"SKN-02", "Rose Night Cream, 50 ml", 1650, 140},
    {"SKN-03", "Green Tea Cleansing Milk, 200 ml", 980, 75},
    {"SKN-04", "Hyaluronic Eye Gel, 15 ml", 1840, 150},
    {"HRC-01", "Argan Oil Shampoo, 250 ml", 860, 60},
    {"HRC-02", "Chamomile Conditioner, 250 ml", 890, 60},
    {"BDY-01", "Shea Butter Body Lotion, 200 ml", 1120, 90},
    {"BDY-02", "Sea Minerals Shower Gel, 250 ml", 675, 50},
    {"BDY-03", "Calendula Hand Cream, 75 ml", 495, 35},
    {"VIT-01", "Vitamin C 500 mg, 60 tablets", 1230, 100},
    {"VIT-02", "Omega-3 Fish Oil, 90 capsules", 2160, 180},
    {"VIT-03", "Multivitamin Complex, 30 tablets", 1540, 130},
    {"VIT-04", "Calcium + D3, 60 tablets", 990, 80},
    {"VIT-05", "Magnesium B6, 50 tablets", 1080, 90},
    {"MKP-01", "Velvet Matte Lipstick", 740, 50},
    {"MKP-02", "Volume Mascara", 920, 70},
    {"PRF-01", "Morning Dew Eau de Toilette, 50 ml", 2990, 240},
    {"ORL-01", "Herbal Toothpaste, 100 ml", 385, 25},
    {"HOM-01", "Lemon Dishwashing Gel, 500 ml", 460, 30},
    {"TEA-01", "Detox Herbal Tea, 20 bags", 630, 50},
};

constexpr int kDemoOrders = 80;
constexpr std::uint64_t kDemoSeed = 20240601;

// How far each catalogue lies before today.
constexpr int kFirstCatalogueDaysAgo = 60;
constexpr int kSecondCatalogueDaysAgo = 21;

} // namespace

Summary fillDemo(const QString &path, const QDate &today)
{
    return fillNewFile(path, [&](db::Connection &connection) {
        BulkWriter writer(connection);
        Random random(kDemoSeed);

        std::vector<QString> productIds, productNames;
        Catalogue first{today.addDays(-kFirstCatalogueDaysAgo), {}};
        Catalogue second{today.addDays(-kSecondCatalogueDaysAgo), {}};
        for (std::size_t i = 0; i < std::size(kProducts); ++i) {
            const DemoProduct &p = kProducts[i];
            productIds.push_back(QString::fromLatin1(p.id));
            productNames.push_back(QString::fromLatin1(p.name));
            const Units price = Units(p.cents) * (kUnitsPerOne / 100);
            const Units points = Units(p.pointsTenths) * (kUnitsPerOne / 10);
            first.items.push_back({int(i), price, points});
            // The newer catalogue: about 4% dearer to the cent, a few products worth half a point more.
            const Units newPrice = (Units(p.cents) * 104 + 50) / 100 * (kUnitsPerOne / 100);
            const Units newPoints = points + (i % 4 == 0 ? kUnitsPerOne / 2 : 0);
            second.items.push_back({int(i), newPrice, newPoints});
        }
        const std::vector<Catalogue> catalogues{first, second};
        writeCatalogues(writer, productIds, productNames, catalogues);

        std::vector<QString> customerIds;
        std::vector<int> activity;
        for (std::size_t i = 0; i < std::size(kCustomers); ++i) {
            customerIds.push_back(QString::number(i + 1));
            activity.push_back(kCustomers[i].activity);
        }

        OrderPlan plan;
        plan.count = kDemoOrders;
        plan.first = first.date;
        plan.last = today;
        plan.pickCustomer = [&activity](Random &r) { return r.weighted(activity); };
        plan.lineWeights = {30, 35, 20, 15};
        plan.amountWeights = {75, 20, 5};
        const OrderResult orders = writeOrders(writer, random, productIds, catalogues, customerIds, plan);

        std::vector<int> level(std::size(kCustomers), 0);
        int levels = 0;
        for (std::size_t i = 0; i < std::size(kCustomers); ++i) {
            const DemoCustomer &c = kCustomers[i];
            Q_ASSERT(c.sponsor <= int(i));
            QVariant sponsor;
            if (c.sponsor > 0) {
                sponsor = customerIds[c.sponsor - 1];
                level[i] = level[c.sponsor - 1] + 1;
            } else if (c.emptySponsor) {
                sponsor = QStringLiteral(""); // also means "no sponsor"
            }
            levels = std::max(levels, level[i] + 1);
            writer.customer(customerIds[i], sponsor,
                            QString::fromUtf16(c.surname) + u' ' + QString::fromUtf16(c.firstName),
                            QString::fromUtf16(c.firstName), orders.pointsByCustomer[i],
                            Units(c.reserveTenths) * (kUnitsPerOne / 10));
        }

        Summary summary;
        summary.customers = qint64(std::size(kCustomers));
        summary.levels = levels;
        summary.orders = orders.orders;
        summary.refusals = orders.refusals;
        summary.lines = orders.lines;
        summary.catalogues = int(catalogues.size());
        summary.products = qint64(first.items.size() + second.items.size());
        return summary;
    });
}

} // namespace makedb
