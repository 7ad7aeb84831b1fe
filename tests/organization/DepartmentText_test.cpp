// How department numbers and lines are written for the grid, the tool and
// the explanation.

#include "organization/DepNumbers.h"
#include "DepartmentFixture.h"
#include "organization/DepartmentText.h"

#include <charconv>
#include <cmath>
#include <random>

TEST(DepNumbers, General_FifteenDigitsWithoutGroupingOrTrailingZeros)
{
    EXPECT_EQ(depnumbers::general(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(depnumbers::general(25.700000000000003), QStringLiteral("25.7"));
    EXPECT_EQ(depnumbers::general(235), QStringLiteral("235"));
    EXPECT_EQ(depnumbers::general(1234567.5), QStringLiteral("1234567.5"));
    EXPECT_EQ(depnumbers::general(-0.8), QStringLiteral("-0.8"));
    EXPECT_EQ(depnumbers::general(-0.0), QStringLiteral("0"));
    EXPECT_EQ(depnumbers::general(0.00001), QStringLiteral("0.00001"));
    EXPECT_EQ(depnumbers::general(0.0000015), QStringLiteral("1.5E-6"));
    EXPECT_EQ(depnumbers::general(123456789012345.0), QStringLiteral("123456789012345"));
    EXPECT_EQ(depnumbers::general(1e20), QStringLiteral("1E20"));
    EXPECT_EQ(depnumbers::general(999999999999999.9), QStringLiteral("1E15"));
    EXPECT_EQ(depnumbers::general(12.34, QStringLiteral(",")), QStringLiteral("12,34"));
}

TEST(DepNumbers, Fixed4_FourDecimalsRoundedAndSigned)
{
    EXPECT_EQ(depnumbers::fixed4(15), QStringLiteral("15.0000"));
    EXPECT_EQ(depnumbers::fixed4(-0.8), QStringLiteral("-0.8000"));
    EXPECT_EQ(depnumbers::fixed4(1.49995), QStringLiteral("1.4999")); // the double lies just below
    EXPECT_EQ(depnumbers::fixed4(1234567.25), QStringLiteral("1234567.2500"));
    EXPECT_EQ(depnumbers::fixed4(0.5, QStringLiteral(",")), QStringLiteral("0,5000"));
}

TEST(DepNumbers, Fixed4_AgreesWithTheExactConversionEverywhere)
{
    // The quick path must round exactly like the full conversion: ties
    // (0.03125 is one), near-ties, negatives, huge and tiny values.
    std::mt19937_64 random(7);
    std::vector<double> values = {0.03125, -0.03125, 0.00005, 0.00015, 2.5e-5, 1.00005, 999999.99995, 1e6, -1e6,
                                  123456789.123456789, 1e300, -1e-300, 4.9e-324, 0.1 * 3, 25.7 * 0.01};
    for (int i = 0; i < 200000; ++i) {
        const double magnitude = std::pow(10.0, int(random() % 14) - 6);
        values.push_back((double(random() % 2000001) - 1000000) / 1000000 * magnitude);
        values.push_back(double(qint64(random() % 2000000) - 1000000) / 100000 + 0.00005); // near ties
    }
    for (const double v : values) {
        char expected[400];
        const auto end = std::to_chars(expected, expected + sizeof expected, v, std::chars_format::fixed, 4).ptr;
        char actual[330];
        const int length = depnumbers::fixed4(v, actual);
        ASSERT_EQ(std::string(actual, std::size_t(length)), std::string(expected, end)) << v;
    }
}

TEST_F(DepartmentFixture, Text_TabSeparatedLinesInListOrder)
{
    addFirstExample();
    add(QStringLiteral("6"), QStringLiteral("3"), QStringLiteral("Tab\there"), 0, 1.5);
    const Department department = build(QStringLiteral("1"));
    const QStringList lines = departmenttext::table(department, false).split(u'\n');
    ASSERT_EQ(lines.size(), 8); // header, six members, empty after the last line end
    EXPECT_EQ(lines[0], QStringLiteral("Level\tId\tName\tPersonalPoints\tGroupPoints\tStatus\tBonus\tReserve"));
    EXPECT_EQ(lines[1], QStringLiteral("1\t1\tHead\t100\t235\t0\t25.7\t0"));
    EXPECT_EQ(lines[2], QStringLiteral("2\t2\tAlpha\t60\t110\t0\t9.5\t0"));
    EXPECT_EQ(lines[6], QStringLiteral("3\t6\tTab\\there\t0\t0\t0\t0\t1.5"));
    EXPECT_TRUE(lines[7].isEmpty());

    const QString detailed = departmenttext::line(department, department.DepList()[1], true);
    EXPECT_EQ(detailed, QStringLiteral("2\t2\tAlpha\t60\t110\t0\t9.5\t0\t 0.2000 (Net) 5 Delta\\n\\r 0.5000 (Group) 5 Delta"
                                       "\\n\\r 0.8000 (Net) 4 Charlie\\n\\r 2.0000 (Group) 4 Charlie\\n\\r 6.0000 (Personal)"));
    EXPECT_TRUE(departmenttext::header(true).endsWith(QStringLiteral("\tReserve\tDetail")));
}
