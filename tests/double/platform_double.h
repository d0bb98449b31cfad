// A stand-in for the Windows calls the launcher makes: an in-memory policy key to read, and
// recorders for everything the launcher asks of the platform, the process exit included.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

// One entry of the policy key's listing: either a subkey name that the platform returns, or the
// failure it reports for that index instead. A name holds no zero byte, as no registry key name
// can; the double would return one as if it were the name's end.
struct FakeSubkey {
    std::string name;
    LONG result = ERROR_SUCCESS;
};

struct FakeRegistry {
    // What opening the policy key returns: ERROR_SUCCESS, 2 (missing), 5 (access denied)...
    LONG openResult = ERROR_SUCCESS;
    std::vector<FakeSubkey> subkeys;
    // What every index past the listed subkeys returns; anything but ERROR_NO_MORE_ITEMS is a
    // listing that fails for ever, as when the key is deleted while it is listed.
    LONG resultPastEnd = ERROR_NO_MORE_ITEMS;
};

struct OpenKeyCall {
    HKEY root;
    std::string subKey;
    DWORD options;
    REGSAM access;
};

struct EnumKeyCall {
    HKEY key;
    DWORD index;
    DWORD capacity;  // as handed in, before the double lowers it
    bool trailingArgumentsNull;
};

struct CreateProcessCall {
    bool applicationNameNull;
    std::string commandLine;
    bool securityAttributesNull;
    BOOL inheritHandles;
    DWORD creationFlags;
    bool environmentNull;
    bool currentDirectoryNull;
    STARTUPINFOA startup;
    bool processInformationGiven;
};

struct ShellExecuteCall {
    bool ownerNull;
    std::string verb;
    std::string file;
    bool parametersNull;
    bool directoryNull;
    int showCommand;
};

struct PlatformRecord {
    // Every call by name, in order, so a test sees what else happened.
    std::vector<std::string> calls;
    std::vector<OpenKeyCall> opens;
    std::vector<EnumKeyCall> enumerations;
    std::vector<HKEY> closedKeys;
    std::vector<CreateProcessCall> processStarts;
    std::vector<HANDLE> closedHandles;
    std::vector<ShellExecuteCall> shellOpens;
    // Set when the platform stopped a listing that would not end by itself.
    bool runawayListing = false;
};

// The key handle and process handles the double hands out.
extern const HKEY kFakePolicyKey;
extern const HANDLE kFakeProcessHandle;
extern const HANDLE kFakeThreadHandle;

// Sets up the registry and the outcome of the process start, and clears the record.
void ResetPlatform(const FakeRegistry& registry, BOOL createProcessResult = TRUE);

const PlatformRecord& Recorded();

// Runs WinMain as the runtime's start-up would, catching an exit on the way.
struct RunResult {
    int exitCode;
    bool exited;  // through exit rather than a return from WinMain
};
RunResult RunWinMain(HINSTANCE instance = NULL, LPSTR commandLine = const_cast<char*>(""),
                     int showCommand = SW_SHOWDEFAULT);
