#include "Names.h"

#include "BulkWriter.h"
#include "Random.h"

#include <algorithm>
#include <set>

namespace makedb {

namespace {

// Russian surnames in the masculine form; all take "-а" for a woman.
const char16_t *const kRussianSurnames[] = {
    u"Иванов", u"Смирнов", u"Кузнецов", u"Попов", u"Васильев", u"Петров", u"Соколов", u"Михайлов",
    u"Новиков", u"Фёдоров", u"Морозов", u"Волков", u"Алексеев", u"Лебедев", u"Семёнов", u"Егоров",
    u"Павлов", u"Козлов", u"Степанов", u"Николаев", u"Орлов", u"Андреев", u"Макаров", u"Никитин",
    u"Захаров", u"Зайцев", u"Соловьёв", u"Борисов", u"Яковлев", u"Григорьев", u"Романов", u"Воробьёв",
    u"Сергеев", u"Кузьмин", u"Фролов", u"Александров", u"Дмитриев", u"Королёв", u"Гусев", u"Киселёв",
    u"Ильин", u"Максимов", u"Поляков", u"Сорокин", u"Виноградов", u"Ковалёв", u"Белов", u"Медведев",
    u"Антонов", u"Тарасов"};
const char16_t *const kRussianMen[] = {
    u"Александр", u"Алексей", u"Андрей", u"Сергей", u"Дмитрий", u"Михаил", u"Николай",
    u"Владимир",  u"Игорь",   u"Павел",  u"Евгений", u"Олег",    u"Виктор",  u"Юрий",
    u"Максим",    u"Иван",    u"Константин", u"Роман", u"Артём", u"Георгий"};
const char16_t *const kRussianWomen[] = {
    u"Елена",   u"Ольга",     u"Наталья", u"Татьяна", u"Ирина",  u"Светлана", u"Анна",
    u"Марина",  u"Людмила",   u"Галина",  u"Екатерина", u"Юлия", u"Мария",    u"Оксана",
    u"Вера",    u"Надежда",   u"Лариса",  u"Валентина", u"Ксения", u"Дарья"};
const char16_t *const kLatinSurnames[] = {
    u"Smith",  u"Johnson", u"Brown",  u"Taylor",  u"Miller",  u"Wilson",   u"Moore",   u"Anderson",
    u"Clark",  u"Walker",  u"Wright", u"Hughes",  u"Fischer", u"Schneider", u"Weber",  u"Becker",
    u"Wagner", u"Novak",   u"Rossi",  u"Bianchi", u"Martin",  u"Bernard",  u"Dubois",  u"Laurent",
    u"Jansen", u"Larsen",  u"Nilsson", u"Horvat", u"Kowalczyk", u"Meyer"};
const char16_t *const kLatinMen[] = {
    u"James", u"John",  u"Robert", u"Michael", u"David",  u"Thomas", u"Daniel", u"Peter", u"Mark", u"Paul",
    u"Martin", u"Lukas", u"Jan",   u"Piotr",   u"Andreas", u"Stefan", u"Marco", u"Luca", u"Pierre", u"Erik"};
const char16_t *const kLatinWomen[] = {
    u"Mary",  u"Anna",  u"Emma",  u"Laura", u"Sarah", u"Julia", u"Maria", u"Sophie", u"Claire", u"Helen",
    u"Eva",   u"Monika", u"Ingrid", u"Elena", u"Chiara", u"Marie", u"Lucy", u"Hannah", u"Agnes", u"Nora"};

QString text(const char16_t *chars)
{
    return QString::fromUtf16(chars);
}

struct Category
{
    const char *code;
    std::vector<const char *> kinds;
    const char *sizes[3];
    int minCents;
    int maxCents;
};

const char *const kSeries[] = {"Aloe Vera", "Green Tea", "Rose",     "Argan",       "Sea Minerals", "Chamomile",
                               "Honey & Milk", "Vitamin E", "Citrus", "Lavender", "Shea",    "Pomegranate",
                               "Cucumber", "Jojoba",    "Calendula", "Hyaluronic", "Olive",   "Coconut",
                               "Mint",     "Almond"};

const std::vector<Category> &categories()
{
    static const std::vector<Category> all = {
        {"SKN", {"Day Cream", "Night Cream", "Eye Gel", "Cleansing Milk", "Toning Lotion", "Face Mask", "Serum",
                 "Face Scrub"},
         {"30 ml", "50 ml", "100 ml"}, 900, 4500},
        {"HRC", {"Shampoo", "Conditioner", "Hair Mask", "Hair Oil", "Styling Gel"}, {"150 ml", "250 ml", "400 ml"},
         500, 2000},
        {"BDY", {"Body Lotion", "Shower Gel", "Hand Cream", "Foot Balm", "Body Scrub", "Deodorant"},
         {"75 ml", "200 ml", "250 ml"}, 400, 1800},
        {"VIT", {"Vitamin C 500 mg", "Omega-3", "Multivitamin Complex", "Calcium + D3", "Magnesium B6",
                 "Zinc + Selenium", "Probiotic Complex", "Collagen"},
         {"30 tablets", "60 capsules", "90 capsules"}, 800, 3500},
        {"MKP", {"Lipstick", "Mascara", "Foundation", "Compact Powder", "Eyeliner", "Lip Gloss", "Nail Polish",
                 "Blush"},
         {"Light", "Medium", "Dark"}, 600, 2800},
        {"PRF", {"Eau de Toilette", "Eau de Parfum", "Body Mist"}, {"30 ml", "50 ml", "100 ml"}, 1500, 6500},
        {"ORL", {"Toothpaste", "Mouthwash", "Toothbrush"}, {"75 ml", "100 ml", "250 ml"}, 250, 900},
        {"HOM", {"Dishwashing Gel", "Laundry Concentrate", "Surface Cleaner"}, {"500 ml", "1 l", "2 l"}, 300, 1200},
        {"TEA", {"Herbal Tea", "Detox Tea", "Slim Tea"}, {"20 bags", "40 bags", "100 g"}, 350, 900},
    };
    return all;
}

} // namespace

Person randomPerson(Random &random, int cyrillicPercent)
{
    const bool woman = random.chance(1, 2);
    if (random.chance(std::uint64_t(cyrillicPercent), 100)) {
        QString surname = text(random.pick(kRussianSurnames));
        const QString first = text(woman ? random.pick(kRussianWomen) : random.pick(kRussianMen));
        if (woman)
            surname += u'а';
        return {surname + u' ' + first, first};
    }
    const QString surname = text(random.pick(kLatinSurnames));
    const QString first = text(woman ? random.pick(kLatinWomen) : random.pick(kLatinMen));
    return {surname + u' ' + first, first};
}

int maxProductRange()
{
    return int(categories().size()) * 36 * 36;
}

ProductRange randomProductRange(Random &random, int count)
{
    const auto &all = categories();
    // Up to 99 per category the numbers are decimal ("SKN-07"); a larger
    // range counts in letters and digits ("SKN-A7"), as the mask allows.
    const bool wide = count > int(all.size()) * 99;
    const int perCategory = wide ? 36 * 36 : 99;
    ProductRange range;
    for (std::size_t c = 0; c < all.size(); ++c) {
        const Category &category = all[c];
        // Spread the count over the categories; the first ones take the remainder.
        const int share =
            std::min<int>(perCategory, count / int(all.size()) + (int(c) < count % int(all.size()) ? 1 : 0));
        std::set<std::pair<int, int>> used; // (series, kind) already named
        for (int number = 1; number <= share; ++number) {
            int series, kind;
            const int combinations = int(std::size(kSeries) * category.kinds.size());
            do {
                series = int(random.below(std::size(kSeries)));
                kind = int(random.below(category.kinds.size()));
            } while (used.count({series, kind}) && int(used.size()) < combinations);
            used.insert({series, kind});
            const char *size = category.sizes[random.below(3)];
            range.ids.push_back(QStringLiteral("%1-%2").arg(QLatin1String(category.code))
                                    .arg(wide ? number - 1 : number, 2, wide ? 36 : 10, QLatin1Char('0'))
                                    .toUpper());
            range.names.push_back(QStringLiteral("%1 %2, %3")
                                      .arg(QString::fromUtf8(kSeries[series]), QString::fromUtf8(category.kinds[kind]),
                                           QString::fromUtf8(size)));
            // Whole euros ending in .49 or .99, as catalogues price them.
            const int cents = random.between(category.minCents, category.maxCents) / 100 * 100 +
                              (random.chance(1, 3) ? 49 : 99);
            range.basePrices.push_back(qint64(cents) * (kUnitsPerOne / 100));
            range.pointsPercent.push_back(random.between(55, 95));
        }
    }
    return range;
}

} // namespace makedb
