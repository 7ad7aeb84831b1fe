#pragma once
// Believable people and products for made-up databases.

#include <QString>
#include <vector>

namespace makedb {

class Random;

struct Person
{
    QString name;      ///< "Surname First-name", as the customer list shows it
    QString firstName;
};

/// A person with a Russian (Cyrillic) or Latin name; about `cyrillicPercent`
/// of them Russian, women's surnames in the feminine form.
Person randomPerson(Random &random, int cyrillicPercent);

struct ProductRange
{
    std::vector<QString> ids;    ///< "SKN-01": a category code, a hyphen, two digits
    std::vector<QString> names;
    std::vector<qint64> basePrices; ///< ten-thousandths, whole cents
    std::vector<int> pointsPercent; ///< points as a share of the price
};

/// About `count` distinct products over cosmetics and health categories
/// (exactly `count` up to maxProductRange()).
ProductRange randomProductRange(Random &random, int count);

/// The most distinct product identifiers randomProductRange() makes.
int maxProductRange();

} // namespace makedb
