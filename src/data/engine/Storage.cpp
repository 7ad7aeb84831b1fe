#include "Storage.h"

#include <cmath>

namespace db {

namespace {
const QString kStorageFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
}

QString dateTimeToStorage(const QDateTime &value)
{
    return value.toString(kStorageFormat);
}

QDateTime dateTimeFromStorage(const QString &text)
{
    QDateTime result = QDateTime::fromString(text, kStorageFormat);
    if (!result.isValid())
        result = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!result.isValid()) {
        const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (date.isValid())
            result = QDateTime(date, QTime(0, 0));
    }
    return result;
}

QDateTime zeroDateTime()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

double roundMoney(double value)
{
    // Scale, round half away from zero, scale back; values beyond the exact
    // range of a double at four decimals are returned as they are.
    if (!std::isfinite(value) || std::fabs(value) >= 1e14)
        return value;
    const double scaled = value * 10000.0;
    double rounded = std::round(scaled);
    // A product like 1.00005 * 10000 may land a hair below .5; the nearest
    // representable decimal text decides.
    const double viaText = std::round(QString::number(scaled, 'f', 6).toDouble());
    if (viaText != rounded)
        rounded = viaText;
    return rounded / 10000.0;
}

QVariant toStorageValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return dateTimeToStorage(value.toDateTime());
    case QMetaType::QDate:
        return dateTimeToStorage(QDateTime(value.toDate(), QTime(0, 0)));
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

} // namespace db
