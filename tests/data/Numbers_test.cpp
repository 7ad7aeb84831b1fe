#include "Numbers.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using testing_support::commaLocale;
using testing_support::LocaleGuard;
using testing_support::pointLocale;

namespace {

struct Case
{
    double value;
    const char *text; // with a full stop
};

// The general format: 15 significant digits, no trailing zeros, scientific
// only below 0.00001 or beyond 15 integer digits.
const Case generalCases[] = {
    {12.5, "12.5"},
    {0.25, "0.25"},
    {-12.5, "-12.5"},
    {1.0 / 3.0, "0.333333333333333"},
    {-2.0 / 3.0, "-0.666666666666667"},
    {100, "100"},
    {0, "0"},
    {-0.0, "0"},
    {0.1 + 0.2, "0.3"},
    {1234567.125, "1234567.125"},
    {1e20, "1E20"},
    {1.5e20, "1.5E20"},
    {-1.5e20, "-1.5E20"},
    {999999999999999.0, "999999999999999"},
    {1e15, "1E15"},
    {123456789012345678.0, "1.23456789012346E17"},
    {0.00001, "0.00001"},
    {0.0001234, "0.0001234"},
    {0.000001, "1E-6"},
    {-0.000001234, "-1.234E-6"},
    {9.9999999999999999e-6, "0.00001"}, // rounds up into the fixed range
    {1e-300, "1E-300"},
};

TEST(Numbers, SqlNumber_AlwaysUsesFullStopWhateverTheLocale)
{
    for (const QLocale &locale : {pointLocale(), commaLocale()}) {
        LocaleGuard guard(locale);
        for (const Case &c : generalCases)
            EXPECT_EQ(SqlNumber(c.value), QString::fromLatin1(c.text))
                << c.text << " in " << locale.name().toStdString();
    }
}

TEST(Numbers, FormatGeneral_UsesTheLocaleDecimalSeparator)
{
    {
        LocaleGuard guard(commaLocale());
        for (const Case &c : generalCases)
            EXPECT_EQ(FormatGeneral(c.value), QString::fromLatin1(c.text).replace(u'.', u','));
        EXPECT_EQ(FormatGeneral(12.5), QStringLiteral("12,5"));
        EXPECT_EQ(FormatGeneral(1234567), QStringLiteral("1234567")); // no group separators
    }
    LocaleGuard guard(pointLocale());
    EXPECT_EQ(FormatGeneral(12.5), QStringLiteral("12.5"));
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity()), QStringLiteral("INF"));
}

TEST(Numbers, CommaToPoint_ReplacesEveryCommaOnly)
{
    EXPECT_EQ(CommaToPoint(QStringLiteral("1,234,5")), QStringLiteral("1.234.5"));
    EXPECT_EQ(CommaToPoint(QStringLiteral("-0,5E-6 a;b")), QStringLiteral("-0.5E-6 a;b"));
    EXPECT_EQ(CommaToPoint(QString()), QString());
}

TEST(Numbers, DateTimeDefault_TimeShownOnlyWhenNotMidnight)
{
    const QDate date(2007, 3, 1);
    {
        LocaleGuard guard(commaLocale());
        EXPECT_EQ(FormatDateTimeDefault(QDateTime(date, QTime(0, 0))), QStringLiteral("01.03.2007"));
        EXPECT_EQ(FormatDateTimeDefault(QDateTime(date, QTime(13, 5, 7))),
                  QStringLiteral("01.03.2007 13:05:07"));
        EXPECT_EQ(FormatShortDate(date), QStringLiteral("01.03.2007"));
    }
    LocaleGuard guard(pointLocale());
    EXPECT_EQ(FormatDateTimeDefault(QDateTime(date, QTime(0, 0, 1))),
              QStringLiteral("01/03/2007 00:00:01"));
    EXPECT_EQ(FormatShortDate(date), QStringLiteral("01/03/2007"));
}

TEST(Numbers, ShortDateFormat_TwoDigitYearsWidened)
{
    LocaleGuard guard(QLocale(QLocale::English, QLocale::UnitedStates)); // M/d/yy
    EXPECT_EQ(ShortDateFormat(), QStringLiteral("M/d/yyyy"));
    EXPECT_EQ(FormatShortDate(QDate(2007, 3, 1)), QStringLiteral("3/1/2007"));
    EXPECT_FALSE(LongTimeFormat().contains(u't'));
}

} // namespace

TEST(Numbers, ParseTypedDecimal_CommaOrPointOnceWithOptionalMinus)
{
    const struct
    {
        const char *text;
        std::optional<double> value;
    } cases[] = {
        {",5", 0.5},  {"5,", 5},  {"007", 7},          {"-3,5", -3.5},      {"20.25", 20.25},
        {"", {}},     {",", {}},  {"-", {}},           {"1,2,3", {}},       {"1.2,3", {}},
        {"12a", {}},  {" 1", {}}, {"--1", {}},         {"1-", {}},          {"1e5", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseTypedDecimal(QString::fromUtf8(c.text)), c.value) << c.text;
}
