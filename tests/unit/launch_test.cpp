#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "case_name.h"
#include "launcher.h"
#include "platform_double.h"

namespace {

const char kHelpUrlPrefix[] = "http://";
const char kHelpUrlPath[] = "/dotnet";

FakeRegistry PolicyKey(std::vector<FakeSubkey> subkeys)
{
    FakeRegistry registry;
    registry.subkeys = subkeys;
    return registry;
}

FakeRegistry MissingPolicyKey()
{
    FakeRegistry registry;
    registry.openResult = 2;
    return registry;
}

void ExpectHelpPageOpened()
{
    ASSERT_EQ(Recorded().shellOpens.size(), 1u);
    const ShellExecuteCall& open = Recorded().shellOpens[0];
    EXPECT_TRUE(open.ownerNull);
    EXPECT_EQ(open.verb, "open");
    EXPECT_EQ(open.file, kFrameworkHelpUrl);
    EXPECT_TRUE(open.parametersNull);
    EXPECT_TRUE(open.directoryNull);
    EXPECT_EQ(open.showCommand, 10);  // SW_SHOWDEFAULT
}

void ExpectApplicationStarted()
{
    ASSERT_EQ(Recorded().processStarts.size(), 1u);
    const CreateProcessCall& start = Recorded().processStarts[0];
    EXPECT_TRUE(start.applicationNameNull);
    EXPECT_EQ(start.commandLine, "bin\\Ostrevan.exe");
    EXPECT_TRUE(start.securityAttributesNull);
    EXPECT_EQ(start.inheritHandles, TRUE);
    EXPECT_EQ(start.creationFlags, 0u);
    EXPECT_TRUE(start.environmentNull);
    EXPECT_TRUE(start.currentDirectoryNull);
    EXPECT_TRUE(start.processInformationGiven);
    // The record is its size and nothing else: no window placement or show state handed on.
    STARTUPINFOA zeroed = {};
    zeroed.cb = sizeof(STARTUPINFOA);
    EXPECT_EQ(memcmp(&start.startup, &zeroed, sizeof(zeroed)), 0);
}

TEST(HelpUrl, IsAnHttpAddressWithTheDotnetPath)
{
    const std::string url = kFrameworkHelpUrl;
    ASSERT_EQ(url.rfind(kHelpUrlPrefix, 0), 0u);
    const std::string afterScheme = url.substr(strlen(kHelpUrlPrefix));
    const size_t pathStart = afterScheme.find('/');
    ASSERT_NE(pathStart, std::string::npos);
    EXPECT_GT(pathStart, 0u) << "no host";
    EXPECT_EQ(afterScheme.substr(pathStart), kHelpUrlPath);
}

// The three outcomes, each with every call it makes and nothing else.
TEST(LaunchDecision, KeyCannotBeOpenedOpensHelpPageAndExitsWithMinusThree)
{
    ResetPlatform(MissingPolicyKey());
    const RunResult run = RunWinMain();

    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, -3);
    ExpectHelpPageOpened();
    EXPECT_EQ(Recorded().calls,
              (std::vector<std::string>{"RegOpenKeyExA", "ShellExecuteA", "exit"}));
}

TEST(LaunchDecision, RecentFrameworkStartsApplication)
{
    ResetPlatform(PolicyKey({{"v2.0"}, {"v4.0"}}));
    const RunResult run = RunWinMain();

    EXPECT_FALSE(run.exited);
    EXPECT_EQ(run.exitCode, 0);
    ExpectApplicationStarted();
    // Both handles of the started process are let go; nothing else of it is kept.
    EXPECT_EQ(Recorded().closedHandles.size(), 2u);
    EXPECT_NE(std::find(Recorded().closedHandles.begin(), Recorded().closedHandles.end(),
                        kFakeProcessHandle), Recorded().closedHandles.end());
    EXPECT_NE(std::find(Recorded().closedHandles.begin(), Recorded().closedHandles.end(),
                        kFakeThreadHandle), Recorded().closedHandles.end());
    EXPECT_EQ(Recorded().calls,
              (std::vector<std::string>{"RegOpenKeyExA", "RegEnumKeyExA", "RegEnumKeyExA",
                                        "RegEnumKeyExA", "RegCloseKey", "CreateProcessA",
                                        "CloseHandle", "CloseHandle"}));
}

TEST(LaunchDecision, OldFrameworkOpensHelpPageAndReturnsZero)
{
    ResetPlatform(PolicyKey({{"v4.0"}, {"v3.5"}}));
    const RunResult run = RunWinMain();

    EXPECT_FALSE(run.exited);
    EXPECT_EQ(run.exitCode, 0);
    ExpectHelpPageOpened();
    EXPECT_EQ(Recorded().calls,
              (std::vector<std::string>{"RegOpenKeyExA", "RegEnumKeyExA", "RegEnumKeyExA",
                                        "RegEnumKeyExA", "RegCloseKey", "ShellExecuteA"}));
}

TEST(LaunchDecision, FailedStartIsNotReportedAndClosesNothing)
{
    ResetPlatform(PolicyKey({{"v4.0"}}), FALSE);
    const RunResult run = RunWinMain();

    EXPECT_FALSE(run.exited);
    EXPECT_EQ(run.exitCode, 0);
    ExpectApplicationStarted();
    EXPECT_TRUE(Recorded().closedHandles.empty());
    EXPECT_TRUE(Recorded().shellOpens.empty());
}

// Which of the two non-failing outcomes each registry leads to.
struct DecisionCase {
    const char* what;
    std::vector<FakeSubkey> subkeys;
    bool startsApplication;
};

void PrintTo(const DecisionCase& c, std::ostream* os)
{
    *os << c.what;
}

class LaunchDecisionByRegistry : public testing::TestWithParam<DecisionCase> {};

TEST_P(LaunchDecisionByRegistry, StartsApplicationOnlyForFourOrLater)
{
    ResetPlatform(PolicyKey(GetParam().subkeys));
    const RunResult run = RunWinMain();

    EXPECT_FALSE(run.exited);
    EXPECT_EQ(run.exitCode, 0);
    if (GetParam().startsApplication) {
        ExpectApplicationStarted();
        EXPECT_TRUE(Recorded().shellOpens.empty());
    } else {
        ExpectHelpPageOpened();
        EXPECT_TRUE(Recorded().processStarts.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Registries, LaunchDecisionByRegistry,
    testing::Values(DecisionCase{"exactly 4.0", {{"v4.0"}}, true},
                    DecisionCase{"4.5", {{"V4.5"}}, true},
                    DecisionCase{"v4 alone", {{"v4"}}, true},
                    DecisionCase{"build number", {{"v4.0.30319"}}, true},
                    DecisionCase{"two-digit major", {{"v10.0"}}, true},
                    DecisionCase{"only 2.0", {{"v2.0"}}, false},
                    DecisionCase{"3.5 last", {{"v1.1"}, {"v3.5"}}, false},
                    DecisionCase{"4.0 listed before 2.0", {{"v4.0"}, {"v2.0"}}, false},
                    // A key without any version subkey reads as 0.0.
                    DecisionCase{"no version subkey", {{"Standards"}, {"Upgrades"}}, false},
                    DecisionCase{"no subkeys", {}, false},
                    DecisionCase{"V alone", {{"V"}}, false}),
    [](const testing::TestParamInfo<DecisionCase>& info) { return CaseName(info.index, info.param.what); });

// Whatever the launcher is given, the application gets its fixed command line and no show state.
struct ArgumentsCase {
    const char* commandLine;
    int showCommand;
};

void PrintTo(const ArgumentsCase& c, std::ostream* os)
{
    *os << "command line \"" << c.commandLine << "\", show command " << c.showCommand;
}

class LauncherArguments : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(LauncherArguments, AreNotHandedOn)
{
    ResetPlatform(PolicyKey({{"v4.0"}}));
    char commandLine[64];
    strcpy(commandLine, GetParam().commandLine);
    const RunResult run = RunWinMain(reinterpret_cast<HINSTANCE>(0x400000), commandLine,
                                     GetParam().showCommand);

    EXPECT_EQ(run.exitCode, 0);
    ExpectApplicationStarted();
    EXPECT_STREQ(commandLine, GetParam().commandLine) << "the launcher wrote to its command line";
}

INSTANTIATE_TEST_SUITE_P(Starts, LauncherArguments,
                         testing::Values(ArgumentsCase{"", 10}, ArgumentsCase{"--help", 1},
                                         ArgumentsCase{"\"C:\\a b\\c.txt\" /x", 7},  // minimised
                                         ArgumentsCase{"-v", 0}, ArgumentsCase{"x", 3}),
                         [](const testing::TestParamInfo<ArgumentsCase>& info) {
                             return CaseName(info.index, info.param.commandLine);
                         });

}  // namespace
