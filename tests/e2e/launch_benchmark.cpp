// Measures the launcher's wall time from its start to its exit, beside two programs that do
// nothing (one of them loading the launcher's DLLs), all started the same way by this one process: same start call, current directory and
// start-up record, runs alternating so that drift in the machine hits each alike.
//
//   launch_benchmark --launcher PATH --null PATH --null-imports PATH --work FOLDER [--runs N]
//
// The launcher takes its usual path: the policy key lists v4.0, so it starts bin\Ostrevan.exe,
// here a copy of the null program. It is timed a second time with no bin folder beside it, which
// leaves out the application's start and shows what the launcher costs by itself. Whatever a run
// started is waited for, untimed, before the next run.
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>

#include "harness.h"
#include "launcher.h"

namespace {

const int kDefaultRuns = 200;
const int kWarmUpRuns = 5;
const DWORD kRunTimeoutMs = 30000;

struct Options {
    std::string launcher;
    std::string nullProgram;
    std::string nullWithImports;
    std::string work;
    int runs = kDefaultRuns;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string argument = argv[i];
        if (argument == "--launcher")
            options.launcher = FullPath(argv[i + 1]);
        else if (argument == "--null")
            options.nullProgram = FullPath(argv[i + 1]);
        else if (argument == "--null-imports")
            options.nullWithImports = FullPath(argv[i + 1]);
        else if (argument == "--work")
            options.work = FullPath(argv[i + 1]);
        else if (argument == "--runs")
            options.runs = atoi(argv[i + 1]);
        else
            return false;
    }
    return argc % 2 == 1 && !options.launcher.empty() && !options.nullProgram.empty() &&
           !options.nullWithImports.empty() && !options.work.empty() && options.runs > 0;
}

// One timed start, from the start call to the end of the process, in milliseconds; negative
// when the run failed. Waits (untimed) for whatever the program started.
double TimeRun(const std::string& program, const std::string& directory)
{
    HANDLE job = CreateJobObjectA(NULL, NULL);
    if (job == NULL)
        return -1;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string error;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    bool ok = StartInJob(job, program, "\"" + program + "\"", directory, startup, NULL, process,
                         error) &&
              WaitForSingleObject(process.hProcess, kRunTimeoutMs) == WAIT_OBJECT_0;
    QueryPerformanceCounter(&end);
    if (!error.empty())
        fprintf(stderr, "launch_benchmark: %s\n", error.c_str());
    if (ok && !WaitForEmptyJob(job, kRunTimeoutMs))
        ok = false;
    if (!ok)
        TerminateJobObject(job, 1);
    if (process.hProcess != NULL) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(job);
    return ok ? 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart : -1;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    size_t middle = times.size() / 2;
    return times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

void PrintFigures(const char* name, const std::vector<double>& times)
{
    printf("%-26s min %8.2f ms  median %8.2f ms  max %8.2f ms\n", name,
           *std::min_element(times.begin(), times.end()), Median(times),
           *std::max_element(times.begin(), times.end()));
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        fprintf(stderr, "usage: launch_benchmark --launcher PATH --null PATH --null-imports PATH "
                        "--work FOLDER [--runs N]\n");
        return 2;
    }

    // The null program beside the launcher in one folder, which is the current directory of
    // both; the launcher without an application in another.
    const std::string folder = JoinPath(options.work, "benchmark");
    const std::string appFolder = JoinPath(folder, "with-app");
    const std::string launcher = JoinPath(appFolder, "Launcher.exe");
    const std::string nullProgram = JoinPath(appFolder, "null_program.exe");
    const std::string nullWithImports = JoinPath(appFolder, "null_with_imports.exe");
    const std::string noAppFolder = JoinPath(folder, "without-app");
    const std::string launcherAlone = JoinPath(noAppFolder, "Launcher.exe");
    std::string error;
    bool ready =
        RemoveTree(folder, error) && CopyInto(options.launcher, launcher, error) &&
        CopyInto(options.nullProgram, nullProgram, error) &&
        CopyInto(options.nullWithImports, nullWithImports, error) &&
        CopyInto(options.nullProgram, JoinPath(appFolder, kApplicationCommandLine), error) &&
        CopyInto(options.launcher, launcherAlone, error);
    for (REGSAM view : kRegistryViews)
        ready = ready && DeletePolicyKey(view, error) && CreatePolicyKey(view, {"v4.0"}, error);
    if (!ready) {
        fprintf(stderr, "launch_benchmark: %s\n", error.c_str());
        return 1;
    }

    std::vector<double> nullTimes;
    std::vector<double> importsTimes;
    std::vector<double> launcherTimes;
    std::vector<double> aloneTimes;
    for (int run = -kWarmUpRuns; run < options.runs; ++run) {
        const double nullTime = TimeRun(nullProgram, appFolder);
        const double importsTime = TimeRun(nullWithImports, appFolder);
        const double launcherTime = TimeRun(launcher, appFolder);
        const double aloneTime = TimeRun(launcherAlone, noAppFolder);
        if (nullTime < 0 || importsTime < 0 || launcherTime < 0 || aloneTime < 0) {
            fprintf(stderr, "launch_benchmark: a run failed or took over %lu s\n",
                    static_cast<unsigned long>(kRunTimeoutMs / 1000));
            return 1;
        }
        if (run >= 0) {
            nullTimes.push_back(nullTime);
            importsTimes.push_back(importsTime);
            launcherTimes.push_back(launcherTime);
            aloneTimes.push_back(aloneTime);
        }
    }

    printf("%d runs each, alternating, after %d warm-up runs; start to exit:\n", options.runs,
           kWarmUpRuns);
    PrintFigures("null program", nullTimes);
    PrintFigures("null, launcher's DLLs", importsTimes);
    PrintFigures("launcher", launcherTimes);
    PrintFigures("launcher, no app to start", aloneTimes);
    printf("ratio of medians, launcher / null program: %.3f\n",
           Median(launcherTimes) / Median(nullTimes));
    printf("ratio of medians, launcher with no app to start / null program: %.3f\n",
           Median(aloneTimes) / Median(nullTimes));
    printf("ratio of medians, launcher with no app to start / null with the launcher's DLLs: "
           "%.3f\n", Median(aloneTimes) / Median(importsTimes));
    return 0;
}
