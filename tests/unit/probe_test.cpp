#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "case_name.h"
#include "launcher.h"
#include "platform_double.h"

namespace {

const LONG kFileNotFound = 2;
const LONG kAccessDenied = 5;
const LONG kMoreData = 234;
const LONG kKeyDeleted = 1018;

FakeSubkey Name(const char* name)
{
    return {name, ERROR_SUCCESS};
}

FakeSubkey Failure(LONG result)
{
    return {"", result};
}

// The probe's whole output as a string of its four bytes, so a stray byte after the text shows.
std::string Bytes(const VersionText& version)
{
    return std::string(version, kVersionTextSize);
}

std::string Text(const char* text)
{
    std::string bytes(text);
    bytes.resize(kVersionTextSize, '\0');
    return bytes;
}

struct ProbeCase {
    const char* what;
    std::vector<FakeSubkey> subkeys;
    LONG resultPastEnd;
    std::string expected;  // the four bytes of the version text afterwards
    size_t enumerations;   // calls the listing takes
};

void PrintTo(const ProbeCase& c, std::ostream* os)
{
    *os << c.what;
}

class FrameworkProbe : public testing::TestWithParam<ProbeCase> {};

TEST_P(FrameworkProbe, KeepsLastVersionNameListed)
{
    const ProbeCase& c = GetParam();
    FakeRegistry registry;
    registry.subkeys = c.subkeys;
    registry.resultPastEnd = c.resultPastEnd;
    ResetPlatform(registry);

    // A marker shows whether the probe wrote the text at all.
    VersionText version = {'#', '#', '#', '#'};
    EXPECT_TRUE(GetFrameworkVersion(version));
    EXPECT_EQ(Bytes(version), c.expected);

    const PlatformRecord& record = Recorded();
    EXPECT_FALSE(record.runawayListing);
    ASSERT_EQ(record.enumerations.size(), c.enumerations);
    for (size_t i = 0; i < record.enumerations.size(); ++i) {
        const EnumKeyCall& call = record.enumerations[i];
        EXPECT_EQ(call.key, kFakePolicyKey);
        EXPECT_EQ(call.index, i);
        EXPECT_EQ(call.capacity, kVersionNameCapacity) << "capacity not reset before call " << i;
        EXPECT_TRUE(call.trailingArgumentsNull);
    }
    ASSERT_EQ(record.closedKeys.size(), 1u);
    EXPECT_EQ(record.closedKeys[0], kFakePolicyKey);
    EXPECT_EQ(record.calls.back(), "RegCloseKey");
}

const std::string kUntouched = "####";

INSTANTIATE_TEST_SUITE_P(
    Listings, FrameworkProbe,
    testing::Values(
        ProbeCase{"v2.0 then v4.0", {Name("v2.0"), Name("v4.0")}, ERROR_NO_MORE_ITEMS, Text("4.0"), 3},
        ProbeCase{"v4.0 then v2.0", {Name("v4.0"), Name("v2.0")}, ERROR_NO_MORE_ITEMS, Text("2.0"), 3},
        ProbeCase{"upper case V", {Name("V4.0")}, ERROR_NO_MORE_ITEMS, Text("4.0"), 2},
        ProbeCase{"V alone", {Name("v4.0"), Name("V")}, ERROR_NO_MORE_ITEMS, Text(""), 3},
        ProbeCase{"v4", {Name("v4")}, ERROR_NO_MORE_ITEMS, Text("4"), 2},
        ProbeCase{"other names anywhere",
                  {Name("Standards"), Name("v1.1"), Name("Upgrades"), Name("v3.5"), Name("w4.0"),
                   Name("4.0"), Name("")},
                  ERROR_NO_MORE_ITEMS, Text("3.5"), 8},
        ProbeCase{"only other names", {Name("Standards"), Name("Upgrades")}, ERROR_NO_MORE_ITEMS,
                  kUntouched, 3},
        ProbeCase{"no subkeys", {}, ERROR_NO_MORE_ITEMS, kUntouched, 1},
        // Longer names keep their first three characters instead of failing.
        ProbeCase{"build number", {Name("v4.0.30319")}, ERROR_NO_MORE_ITEMS, Text("4.0"), 2},
        ProbeCase{"two-digit major", {Name("v10.0")}, ERROR_NO_MORE_ITEMS, Text("10."), 2},
        ProbeCase{"longest name",
                  {Name(("v4.5" + std::string(251, '9')).c_str())}, ERROR_NO_MORE_ITEMS, Text("4.5"), 2},
        ProbeCase{"bytes above 0x7F", {Name("v\x82\xa0\xff\x81")}, ERROR_NO_MORE_ITEMS,
                  Text("\x82\xa0\xff"), 2},
        ProbeCase{"double-byte lead byte first", {Name("\x82v4.0")}, ERROR_NO_MORE_ITEMS, kUntouched, 2},
        // A failure ends the listing and keeps what was found before it.
        ProbeCase{"failure after a match", {Name("v2.0"), Failure(kKeyDeleted), Name("v4.0")},
                  ERROR_NO_MORE_ITEMS, Text("2.0"), 2},
        ProbeCase{"failure first", {Failure(kMoreData), Name("v4.0")}, ERROR_NO_MORE_ITEMS, kUntouched, 1},
        ProbeCase{"access denied midway", {Name("v4.0"), Failure(kAccessDenied)},
                  ERROR_NO_MORE_ITEMS, Text("4.0"), 2},
        ProbeCase{"endless failure", {Name("v4.0")}, kKeyDeleted, Text("4.0"), 2},
        ProbeCase{"endless failure from the start", {}, kKeyDeleted, kUntouched, 1}),
    [](const testing::TestParamInfo<ProbeCase>& info) { return CaseName(info.index, info.param.what); });

TEST(FrameworkProbeKey, OpensPolicyKeyForReading)
{
    ResetPlatform(FakeRegistry());
    VersionText version = {};
    GetFrameworkVersion(version);

    ASSERT_EQ(Recorded().opens.size(), 1u);
    const OpenKeyCall& open = Recorded().opens[0];
    EXPECT_EQ(open.root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(open.subKey, "SOFTWARE\\Microsoft\\.NETFramework\\policy");
    EXPECT_EQ(open.options, 0u);
    EXPECT_EQ(open.access, 0x20019u);  // KEY_READ, and no registry-view flag
}

class UnopenableKey : public testing::TestWithParam<LONG> {};

TEST_P(UnopenableKey, ReportsFailureAndLeavesTextAlone)
{
    FakeRegistry registry;
    registry.openResult = GetParam();
    registry.subkeys = {Name("v4.0")};
    ResetPlatform(registry);

    VersionText version = {'1', '.', '1', '\0'};
    EXPECT_FALSE(GetFrameworkVersion(version));
    EXPECT_EQ(Bytes(version), Text("1.1"));
    EXPECT_EQ(Recorded().calls, std::vector<std::string>{"RegOpenKeyExA"});
}

INSTANTIATE_TEST_SUITE_P(Results, UnopenableKey,
                         testing::Values(kFileNotFound, kAccessDenied, kKeyDeleted, -1));

}  // namespace
