#include "Identifiers.h"

#include <gtest/gtest.h>

namespace {

struct Step
{
    const char *from;
    const char *to;
};

class IncrementIdentifierTest : public ::testing::TestWithParam<Step>
{
};

TEST_P(IncrementIdentifierTest, CountsLikeAnOdometerOverTheText)
{
    EXPECT_EQ(IncrementIdentifier(QString::fromLatin1(GetParam().from), 6), QString::fromLatin1(GetParam().to))
        << GetParam().from;
}

INSTANTIATE_TEST_SUITE_P(Cases, IncrementIdentifierTest,
                         ::testing::Values(Step{"0", "1"}, Step{"", "0"}, Step{"   ", "0"}, Step{"11", "12"},
                                           Step{"9", "10"}, Step{"0009", "0010"}, Step{"100", "101"},
                                           Step{"99999", "100000"}, Step{"999999", "000000"}, Step{" 42 ", "43"},
                                           Step{"\t42\x01", "43"}, Step{"A1", "A2"}, Step{"A9", "100"},
                                           Step{"AB", "100"}, Step{"ABC-99", "ABC.00"}, Step{"ABC-12", "ABC-13"},
                                           Step{"ABCDEF", "000000"}, Step{"Z", "10"}));

} // namespace
