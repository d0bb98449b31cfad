#include <gtest/gtest.h>
#include <string.h>

#include "case_name.h"
#include "launcher.h"

namespace {

struct VersionCase {
    const char* registered;
    bool atLeastRequired;
};

void PrintTo(const VersionCase& c, std::ostream* os)
{
    *os << "\"" << c.registered << "\"";
}

class VersionComparison : public testing::TestWithParam<VersionCase> {};

TEST_P(VersionComparison, AgainstRequiredVersion)
{
    // As the probe leaves it: the text, then zero bytes.
    VersionText registered = {};
    memcpy(registered, GetParam().registered, strlen(GetParam().registered));
    EXPECT_EQ(IsVersionAtLeast(registered, kRequiredFrameworkVersion), GetParam().atLeastRequired)
        << "registered \"" << GetParam().registered << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, VersionComparison,
    testing::Values(VersionCase{"4.0", true},  // equal is enough
                    VersionCase{"4.5", true}, VersionCase{"5.0", true}, VersionCase{"9.9", true},
                    VersionCase{"3.9", false}, VersionCase{"3.5", false},
                    VersionCase{"2.0", false}, VersionCase{"1.1", false},
                    // One and two characters: the minor is read from the third byte, here zero.
                    VersionCase{"4", true}, VersionCase{"4.", true}, VersionCase{"10", true},
                    VersionCase{"10.", true}, VersionCase{"3", false},
                    // No digits at all reads as 0.0.
                    VersionCase{"", false}, VersionCase{"x.y", false}, VersionCase{".", false},
                    // The minor is the number from the third byte on, whatever the second holds.
                    VersionCase{"4x0", true}, VersionCase{"3x9", false},
                    // atoi skips leading white space and takes a sign.
                    VersionCase{" 4", true}, VersionCase{"+4", true}, VersionCase{"-4", false},
                    VersionCase{"4.-", true}),
    [](const testing::TestParamInfo<VersionCase>& info) {
        return CaseName(info.index, info.param.registered);
    });

TEST(VersionComparisonRules, MinorDecidesOnlyWhenMajorsAreEqual)
{
    const VersionText required = "4.5";
    EXPECT_FALSE(IsVersionAtLeast("4.4", required));
    EXPECT_TRUE(IsVersionAtLeast("4.5", required));
    EXPECT_TRUE(IsVersionAtLeast("4.6", required));
    EXPECT_TRUE(IsVersionAtLeast("5.0", required));  // a later major needs no minor
    EXPECT_FALSE(IsVersionAtLeast("3.9", required));
}

}  // namespace
