// Numbers written into statements and dates written into filter texts, in
// every locale Qt knows: what the program writes it must read back.
#include "Numbers.h"
#include "TestSupport.h"
#include "engine/Errors.h"
#include "engine/Format.h"
#include "engine/WallClock.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

QList<QLocale> everyLocale()
{
    return QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
}

TEST(Locales, EveryLocale_StatementNumbersTakeTheCLocaleForm)
{
    const double values[] = {12.5, -0.25, 1234567.125, 1e-7, 3e20};
    QStringList expected;
    {
        testing_support::LocaleGuard c{QLocale::c()};
        for (const double value : values)
            expected << SqlNumber(value);
    }
    for (const QLocale &locale : everyLocale()) {
        testing_support::LocaleGuard guard(locale);
        for (int i = 0; i < int(std::size(values)); ++i)
            ASSERT_EQ(SqlNumber(values[i]), expected[i]) << locale.name().toStdString();
    }
    EXPECT_THROW(SqlNumber(std::numeric_limits<double>::quiet_NaN()), db::DataError);
    EXPECT_THROW(SqlNumber(-std::numeric_limits<double>::infinity()), db::DataError);
}

TEST(Locales, EveryLocale_DatesAndTimesItWritesReadBack)
{
    const QDateTime values[] = {
        db::wallClock(QDate(2024, 2, 29)),          db::wallClock(QDate(2023, 12, 31)),
        db::wallClock(QDate(2000, 1, 1)),           db::zeroDateTime(),
        db::wallClock(QDate(2031, 7, 4), QTime(13, 45, 7)), db::wallClock(QDate(2024, 2, 29), QTime(0, 0, 1)),
    };
    for (const QLocale &locale : everyLocale()) {
        testing_support::LocaleGuard guard(locale);
        for (const QDateTime &value : values) {
            const QString text = db::formatDateTimeDefault(value);
            EXPECT_EQ(db::parseDateTimeDefault(text), value)
                << locale.name().toStdString() << ": " << text.toStdString();
        }
    }
}

} // namespace
