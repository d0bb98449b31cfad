// Runs the launcher end to end on a real Windows API: for each scenario it lays out an install
// folder, sets the framework's policy key, starts the launcher, and checks its exit code, what the
// stand-in application recorded and which address reached the browser.
//
//   scenario_driver --launcher PATH --standin PATH --work FOLDER --browser-log FILE
//                   [--views] [--list] [SCENARIO...]
//
// With no scenario names it runs every scenario but the two registry-view ones (those need a
// 32-bit launcher on 64-bit Windows; --views adds them); with names it runs those and tells what
// each did. One line per scenario, "PASS name" or "FAIL name: reason", then "N passed, N failed".
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include <windows.h>

#include "harness.h"
#include "launcher.h"
#include "record.h"

namespace {

// Where the application's executable ends up, and so which copy the launcher should start.
enum Layout {
    // The launcher and bin\Ostrevan.exe in one folder, started from that folder (as a shortcut
    // or Explorer starts it).
    kLayoutInstalled,
    // The launcher alone: no bin folder anywhere.
    kLayoutAppMissing,
    // The launcher under folders with spaces, started from another current directory that has a
    // bin\Ostrevan.exe.
    kLayoutSpacesOtherDirectory,
    // A bin\Ostrevan.exe both in the launcher's folder and in the current directory.
    kLayoutBothFolders,
};

enum Outcome {
    kStartsApplication,  // exit code 0, the app started, no page
    kOpensHelpPage,      // exit code 0, the help page, no app
    kNoFramework,        // exit code 0xFFFFFFFD, the help page, no app
    kStartsNothing,      // exit code 0, no app (its executable is missing), no page
};

// Which copy of bin\Ostrevan.exe the platform's search finds, when both exist.
enum AppFolder { kAppInLauncherFolder, kAppInCurrentDirectory };

struct Scenario {
    const char* name;
    // The policy key's subkeys, separated by spaces; "" for a key without subkeys, NULL for no
    // key. The same in both registry views, unless |separateViews|: then |policy| is the 64-bit
    // view's and |policy32| the 32-bit view's.
    const char* policy = NULL;
    const char* policy32 = NULL;
    bool separateViews = false;
    Outcome outcome = kStartsApplication;
    Layout layout = kLayoutInstalled;
    // Appended to the launcher's command line.
    const char* arguments = "";
    // The show state in the launcher's start-up record.
    WORD showWindow = SW_SHOWNORMAL;
    // An environment block of the driver's making instead of the driver's own environment.
    bool ownEnvironment = false;
};

// Wine searches the launcher's own folder before the current directory for "bin\Ostrevan.exe",
// as it does for a bare file name. Windows documents that order only for a name without a folder
// part; for one with a folder its documentation points to the current directory instead.
const AppFolder kAppFolderWhenBoth = kAppInLauncherFolder;

const Scenario kScenarios[] = {
    {.name = "no-policy-key", .policy = NULL, .outcome = kNoFramework},
    {.name = "empty-policy-key", .policy = "", .outcome = kOpensHelpPage},
    {.name = "only-v2.0", .policy = "v2.0", .outcome = kOpensHelpPage},
    {.name = "v2.0-and-v4.0", .policy = "v2.0 v4.0"},
    {.name = "exactly-v4.0", .policy = "v4.0"},
    {.name = "upper-case-V4.5", .policy = "V4.5"},
    {.name = "v4", .policy = "v4"},
    {.name = "v1.1-and-v3.5", .policy = "v1.1 v3.5", .outcome = kOpensHelpPage},
    {.name = "no-v-subkeys", .policy = "AppPatch Standards Upgrades", .outcome = kOpensHelpPage},
    {.name = "v4.0.30319", .policy = "v4.0.30319"},
    {.name = "v10.0", .policy = "v10.0"},
    {.name = "arguments-not-forwarded", .policy = "v4.0",
     .arguments = "/minimized --help \"C:\\some file.txt\""},
    {.name = "minimised-start", .policy = "v4.0", .showWindow = SW_SHOWMINNOACTIVE},
    {.name = "spaces-and-other-directory", .policy = "v4.0",
     .layout = kLayoutSpacesOtherDirectory},
    {.name = "app-missing", .policy = "v4.0", .outcome = kStartsNothing,
     .layout = kLayoutAppMissing},
    {.name = "app-in-both-folders", .policy = "v4.0", .layout = kLayoutBothFolders},
    {.name = "environment-inherited", .policy = "v4.0", .ownEnvironment = true},
    // Only with a 32-bit launcher on 64-bit Windows, which must read the 32-bit view.
    {.name = "view-64-v4.0-32-v2.0", .policy = "v4.0", .policy32 = "v2.0", .separateViews = true,
     .outcome = kOpensHelpPage},
    {.name = "view-64-v2.0-32-v4.0", .policy = "v2.0", .policy32 = "v4.0", .separateViews = true},
};

// How long the launcher and what it starts may take, and how long to watch for a page that
// must not open (the shell hands the address to the browser asynchronously).
const DWORD kLauncherTimeoutMs = 30000;
const DWORD kJobTimeoutMs = 30000;
const DWORD kPageTimeoutMs = 15000;
const DWORD kNoPageWaitMs = 1500;
const DWORD kPollMs = 50;

const DWORD kExitCodeNoFramework = static_cast<DWORD>(kExitNoFramework);
// The environment scenario's value, which only the launcher's environment block holds.
const char kOwnEnvironmentMark[] = "from the launcher's block = not the driver's";

struct Options {
    std::string launcher;
    std::string standin;
    std::string work;
    std::string browserLog;
    bool views = false;
    bool list = false;
    std::vector<std::string> names;
};

// Where one scenario's files go.
struct Folders {
    std::string root;
    std::string launcherFolder;
    std::string currentDirectory;
};

// What one run of the launcher did.
struct Observed {
    std::vector<std::string> policy64;
    std::vector<std::string> policy32;
    bool policy64Present = false;
    bool policy32Present = false;
    std::string commandLine;
    DWORD exitCode = 0;
    // The records found, each with the executable it came from.
    std::vector<std::string> appPaths;
    std::vector<std::vector<std::string>> appRecords;
    std::vector<std::string> urls;
};

std::vector<std::string> SplitNames(const char* names)
{
    std::vector<std::string> result;
    std::string name;
    for (const char* c = names; *c; ++c) {
        if (*c == ' ') {
            if (!name.empty())
                result.push_back(name);
            name.clear();
        } else {
            name += *c;
        }
    }
    if (!name.empty())
        result.push_back(name);
    return result;
}

std::string JoinNames(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : " ") + name;
    return text.empty() ? "(no subkeys)" : text;
}

std::string Hex(DWORD value)
{
    char text[16];
    snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// The value of the mark variable in the launcher's environment.
const char* MarkFor(const Scenario& scenario)
{
    return scenario.ownEnvironment ? kOwnEnvironmentMark : scenario.name;
}

const char* OutcomeText(Outcome outcome)
{
    switch (outcome) {
    case kStartsApplication: return "starts the app, exit code 0";
    case kOpensHelpPage: return "opens the help page, exit code 0";
    case kNoFramework: return "opens the help page, exit code 0xFFFFFFFD";
    case kStartsNothing: return "starts nothing (no app to start), exit code 0";
    }
    return "";
}

Folders FoldersFor(const Options& options, const Scenario& scenario)
{
    Folders folders;
    folders.root = JoinPath(options.work, scenario.name);
    switch (scenario.layout) {
    case kLayoutInstalled:
    case kLayoutAppMissing:
        folders.launcherFolder = JoinPath(folders.root, "install");
        folders.currentDirectory = folders.launcherFolder;
        break;
    case kLayoutSpacesOtherDirectory:
        folders.launcherFolder = JoinPath(folders.root, "Program Files\\Ostrevan Launcher");
        folders.currentDirectory = JoinPath(folders.root, "start here");
        break;
    case kLayoutBothFolders:
        folders.launcherFolder = JoinPath(folders.root, "install");
        folders.currentDirectory = JoinPath(folders.root, "elsewhere");
        break;
    }
    return folders;
}

std::string AppPath(const std::string& folder)
{
    return JoinPath(folder, kApplicationCommandLine);
}

std::string RecordPath(const std::string& folder)
{
    return JoinPath(JoinPath(folder, "bin"), kRecordFileName);
}

// A fresh scenario folder with the launcher and the stand-in copies that its layout asks for.
bool LayOut(const Options& options, const Scenario& scenario, const Folders& folders,
            std::string& error)
{
    if (!RemoveTree(folders.root, error) || !MakeFolders(folders.currentDirectory, error))
        return false;
    if (!CopyInto(options.launcher, JoinPath(folders.launcherFolder, "Launcher.exe"), error))
        return false;
    bool inLauncherFolder =
        scenario.layout == kLayoutInstalled || scenario.layout == kLayoutBothFolders;
    bool inCurrentDirectory =
        scenario.layout == kLayoutSpacesOtherDirectory || scenario.layout == kLayoutBothFolders;
    if (inLauncherFolder && !CopyInto(options.standin, AppPath(folders.launcherFolder), error))
        return false;
    if (inCurrentDirectory && !CopyInto(options.standin, AppPath(folders.currentDirectory), error))
        return false;
    return true;
}

// Sets the policy key in both views, then reads back what the platform lists.
bool SetRegistry(const Scenario& scenario, Observed& observed, std::string& error)
{
    for (REGSAM view : kRegistryViews) {
        const char* policy =
            view == KEY_WOW64_32KEY && scenario.separateViews ? scenario.policy32 : scenario.policy;
        if (!DeletePolicyKey(view, error))
            return false;
        if (policy != NULL && !CreatePolicyKey(view, SplitNames(policy), error))
            return false;
    }
    observed.policy64Present = ListPolicyKey(KEY_WOW64_64KEY, observed.policy64);
    observed.policy32Present = ListPolicyKey(KEY_WOW64_32KEY, observed.policy32);
    if (scenario.separateViews && observed.policy64 == observed.policy32) {
        error = "the two registry views are one key here (a 32-bit system?): the view scenarios "
                "need 64-bit Windows";
        return false;
    }
    return true;
}

// The driver's environment with the mark replaced: an ANSI block, "name=value" strings each
// ended by a zero, the block ended by one more.
std::vector<char> EnvironmentWithMark(const char* mark)
{
    std::vector<char> block;
    const std::string prefix = std::string(kMarkVariable) + "=";
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; *entry; entry += strlen(entry) + 1) {
        if (_strnicmp(entry, prefix.c_str(), prefix.size()) != 0)
            block.insert(block.end(), entry, entry + strlen(entry) + 1);
    }
    FreeEnvironmentStringsA(strings);
    const std::string own = prefix + mark;
    block.insert(block.end(), own.c_str(), own.c_str() + own.size() + 1);
    block.push_back(0);
    return block;
}

// Starts the launcher as the scenario says and waits for it and for everything it started.
bool RunLauncher(const Scenario& scenario, const Folders& folders, Observed& observed,
                 std::string& error)
{
    const std::string launcher = JoinPath(folders.launcherFolder, "Launcher.exe");
    observed.commandLine = "\"" + launcher + "\"";
    if (*scenario.arguments)
        observed.commandLine += std::string(" ") + scenario.arguments;

    SetEnvironmentVariableA(kMarkVariable, scenario.name);
    std::vector<char> environment;
    if (scenario.ownEnvironment)
        environment = EnvironmentWithMark(kOwnEnvironmentMark);

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = scenario.showWindow;

    HANDLE job = CreateJobObjectA(NULL, NULL);
    if (job == NULL) {
        error = "cannot create a job: " + DescribeError(GetLastError());
        return false;
    }
    PROCESS_INFORMATION process = {};
    if (!StartInJob(job, launcher, observed.commandLine, folders.currentDirectory, startup,
                    environment.empty() ? NULL : environment.data(), process, error)) {
        CloseHandle(job);
        return false;
    }
    bool ok = true;
    if (WaitForSingleObject(process.hProcess, kLauncherTimeoutMs) != WAIT_OBJECT_0) {
        error = "the launcher did not end within " + std::to_string(kLauncherTimeoutMs / 1000) +
                " s";
        ok = false;
    } else if (!GetExitCodeProcess(process.hProcess, &observed.exitCode)) {
        error = "cannot read the launcher's exit code: " + DescribeError(GetLastError());
        ok = false;
    } else if (!WaitForEmptyJob(job, kJobTimeoutMs)) {
        error = "what the launcher started was still running after " +
                std::to_string(kJobTimeoutMs / 1000) + " s";
        ok = false;
    }
    if (!ok)
        TerminateJobObject(job, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(job);
    return ok;
}

// Reads the records of every copy of the stand-in that ran.
void CollectRecords(const Folders& folders, Observed& observed)
{
    std::vector<std::string> candidates = {folders.launcherFolder};
    if (!SamePath(folders.currentDirectory, folders.launcherFolder))
        candidates.push_back(folders.currentDirectory);
    for (const std::string& folder : candidates) {
        if (FileExists(RecordPath(folder))) {
            observed.appPaths.push_back(AppPath(folder));
            observed.appRecords.push_back(ReadLines(RecordPath(folder)));
        }
    }
}

// Waits for the help page's address when one is due; otherwise watches a short while so that a
// page opened by mistake has time to arrive.
void CollectUrls(const Options& options, bool pageDue, Observed& observed)
{
    DWORD limit = pageDue ? kPageTimeoutMs : kNoPageWaitMs;
    for (DWORD waited = 0;; waited += kPollMs) {
        observed.urls = ReadLines(options.browserLog);
        if ((pageDue && !observed.urls.empty()) || waited >= limit)
            break;
        Sleep(kPollMs);
    }
}

std::string FieldOf(const std::vector<std::string>& record, const char* name)
{
    const std::string prefix = std::string(name) + "=";
    for (const std::string& line : record) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line.substr(prefix.size());
    }
    return "(missing)";
}

void AddProblem(std::string& problems, const std::string& problem)
{
    problems += (problems.empty() ? "" : "; ") + problem;
}

// Compares what happened with the scenario's expectations; returns the problems found, or "".
std::string Judge(const Scenario& scenario, const Folders& folders, const Observed& observed)
{
    std::string problems;
    const DWORD expectedExit = scenario.outcome == kNoFramework ? kExitCodeNoFramework : 0;
    if (observed.exitCode != expectedExit)
        AddProblem(problems, "exit code " + Hex(observed.exitCode) + ", expected " +
                                 Hex(expectedExit));

    const bool pageDue = scenario.outcome == kOpensHelpPage || scenario.outcome == kNoFramework;
    if (pageDue && observed.urls.empty())
        AddProblem(problems, "no page opened, expected " + std::string(kFrameworkHelpUrl));
    if (!pageDue && !observed.urls.empty())
        AddProblem(problems, "a page opened: " + observed.urls[0]);
    if (pageDue && !observed.urls.empty() &&
        (observed.urls.size() != 1 || observed.urls[0] != kFrameworkHelpUrl))
        AddProblem(problems, "the browser got " + JoinNames(observed.urls) + ", expected " +
                                 kFrameworkHelpUrl + " once");

    if (scenario.outcome != kStartsApplication) {
        if (!observed.appPaths.empty())
            AddProblem(problems, "the app started: " + observed.appPaths[0]);
        return problems;
    }
    if (observed.appPaths.empty()) {
        AddProblem(problems, "the app did not start");
        return problems;
    }
    if (observed.appPaths.size() > 1) {
        AddProblem(problems, "the app started more than once");
        return problems;
    }

    std::string expectedApp = AppPath(folders.launcherFolder);
    if (scenario.layout == kLayoutSpacesOtherDirectory ||
        (scenario.layout == kLayoutBothFolders && kAppFolderWhenBoth == kAppInCurrentDirectory))
        expectedApp = AppPath(folders.currentDirectory);
    const std::vector<std::string>& record = observed.appRecords[0];
    const std::string module = FieldOf(record, kFieldModule);
    if (!SamePath(module, expectedApp))
        AddProblem(problems, "the app ran from " + module + ", expected " + expectedApp);
    const std::string commandLine = FieldOf(record, kFieldCommandLine);
    if (commandLine != kApplicationCommandLine)
        AddProblem(problems, "the app's command line is [" + commandLine + "], expected [" +
                                 kApplicationCommandLine + "]");
    const std::string directory = FieldOf(record, kFieldCurrentDirectory);
    if (!SamePath(directory, folders.currentDirectory))
        AddProblem(problems, "the app's current directory is " + directory + ", expected " +
                                 folders.currentDirectory);
    const std::string flags = FieldOf(record, kFieldStartupFlags);
    const std::string show = FieldOf(record, kFieldShowWindow);
    if (flags != "0x0" || show != "0")
        AddProblem(problems, "the app's start-up record has flags " + flags + " and show state " +
                                 show + ", expected flags 0x0 and show state 0");
    const std::string mark = FieldOf(record, kFieldMark);
    const std::string expectedMark = MarkFor(scenario);
    if (mark != expectedMark)
        AddProblem(problems, std::string("the app's ") + kMarkVariable + " is [" + mark +
                                 "], expected [" + expectedMark + "]");
    return problems;
}

// What a newcomer wants to see when running one scenario by name.
void PrintDetails(const Scenario& scenario, const Folders& folders, const Observed& observed)
{
    printf("  expected: %s\n", OutcomeText(scenario.outcome));
    printf("  registry, 64-bit view: %s\n",
           observed.policy64Present ? JoinNames(observed.policy64).c_str() : "(no policy key)");
    printf("  registry, 32-bit view: %s\n",
           observed.policy32Present ? JoinNames(observed.policy32).c_str() : "(no policy key)");
    printf("  started: %s\n", observed.commandLine.c_str());
    printf("  current directory: %s\n", folders.currentDirectory.c_str());
    printf("  start-up record: STARTF_USESHOWWINDOW, show state %u\n",
           static_cast<unsigned>(scenario.showWindow));
    printf("  environment: %s=%s (%s)\n", kMarkVariable, MarkFor(scenario),
           scenario.ownEnvironment ? "in a block of the driver's making" : "the driver's own");
    printf("  exit code: %s\n", Hex(observed.exitCode).c_str());
    if (observed.appPaths.empty())
        printf("  app: did not start\n");
    for (size_t i = 0; i < observed.appPaths.size(); ++i) {
        printf("  app started: %s, recorded:\n", observed.appPaths[i].c_str());
        for (const std::string& line : observed.appRecords[i])
            printf("    %s\n", line.c_str());
    }
    if (observed.urls.empty())
        printf("  browser: nothing\n");
    for (const std::string& url : observed.urls)
        printf("  browser: %s\n", url.c_str());
}

bool RunScenario(const Options& options, const Scenario& scenario, bool details)
{
    const Folders folders = FoldersFor(options, scenario);
    Observed observed;
    std::string error;
    // Every scenario starts clean: its own fresh folder, no stale address, the key as it says.
    bool ran = LayOut(options, scenario, folders, error) &&
               RemoveTree(options.browserLog, error) && SetRegistry(scenario, observed, error) &&
               RunLauncher(scenario, folders, observed, error);
    std::string problems = error;
    if (ran) {
        CollectRecords(folders, observed);
        const bool pageDue =
            scenario.outcome == kOpensHelpPage || scenario.outcome == kNoFramework;
        CollectUrls(options, pageDue, observed);
        problems = Judge(scenario, folders, observed);
    }
    if (details)
        PrintDetails(scenario, folders, observed);
    if (problems.empty())
        printf("PASS %s\n", scenario.name);
    else
        printf("FAIL %s: %s\n", scenario.name, problems.c_str());
    fflush(stdout);
    return problems.empty();
}

void PrintUsage()
{
    fprintf(stderr,
            "usage: scenario_driver --launcher PATH --standin PATH --work FOLDER "
            "--browser-log FILE [--views] [--list] [SCENARIO...]\n");
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string* value = NULL;
        if (argument == "--launcher")
            value = &options.launcher;
        else if (argument == "--standin")
            value = &options.standin;
        else if (argument == "--work")
            value = &options.work;
        else if (argument == "--browser-log")
            value = &options.browserLog;
        else if (argument == "--views")
            options.views = true;
        else if (argument == "--list")
            options.list = true;
        else if (argument.compare(0, 2, "--") == 0) {
            fprintf(stderr, "scenario_driver: unknown option %s\n", argument.c_str());
            return false;
        } else
            options.names.push_back(argument);
        if (value != NULL) {
            if (++i == argc) {
                fprintf(stderr, "scenario_driver: %s needs a value\n", argument.c_str());
                return false;
            }
            *value = FullPath(argv[i]);
        }
    }
    if (options.list)
        return true;
    if (options.launcher.empty() || options.standin.empty() || options.work.empty() ||
        options.browserLog.empty()) {
        fprintf(stderr, "scenario_driver: --launcher, --standin, --work and --browser-log are "
                        "all needed\n");
        return false;
    }
    for (const std::string* file : {&options.launcher, &options.standin}) {
        if (!FileExists(*file)) {
            fprintf(stderr, "scenario_driver: %s does not exist\n", file->c_str());
            return false;
        }
    }
    return true;
}

const Scenario* FindScenario(const std::string& name)
{
    for (const Scenario& scenario : kScenarios) {
        if (name == scenario.name)
            return &scenario;
    }
    return NULL;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        PrintUsage();
        return 2;
    }
    if (options.list) {
        for (const Scenario& scenario : kScenarios)
            printf("%s\n", scenario.name);
        return 0;
    }

    std::vector<const Scenario*> selected;
    for (const std::string& name : options.names) {
        const Scenario* scenario = FindScenario(name);
        if (scenario == NULL) {
            fprintf(stderr, "scenario_driver: no scenario %s (--list shows them)\n",
                    name.c_str());
            return 2;
        }
        selected.push_back(scenario);
    }
    const bool details = !selected.empty();
    if (selected.empty()) {
        for (const Scenario& scenario : kScenarios) {
            if (!scenario.separateViews || options.views)
                selected.push_back(&scenario);
        }
    }

    std::string error;
    if (!MakeFolders(options.work, error)) {
        fprintf(stderr, "scenario_driver: %s\n", error.c_str());
        return 2;
    }
    int passed = 0;
    int failed = 0;
    for (const Scenario* scenario : selected) {
        if (RunScenario(options, *scenario, details))
            ++passed;
        else
            ++failed;
    }
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
