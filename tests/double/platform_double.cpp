#include "platform_double.h"

#include <setjmp.h>
#include <string.h>

#include <shellapi.h>

const HKEY kFakePolicyKey = reinterpret_cast<HKEY>(0x1234);
const HANDLE kFakeProcessHandle = reinterpret_cast<HANDLE>(0x5678);
const HANDLE kFakeThreadHandle = reinterpret_cast<HANDLE>(0x9abc);

// A listing still asked for this many indexes past its end has run away; the double ends it so
// that the test fails instead of hanging.
const size_t kRunawayMargin = 1000;

static FakeRegistry g_registry;
static BOOL g_createProcessResult = TRUE;
static PlatformRecord g_record;
static jmp_buf* g_exitJump = nullptr;
static int g_exitCode = 0;

void ResetPlatform(const FakeRegistry& registry, BOOL createProcessResult)
{
    g_registry = registry;
    g_createProcessResult = createProcessResult;
    g_record = PlatformRecord();
}

const PlatformRecord& Recorded()
{
    return g_record;
}

extern "C" LONG WINAPI RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD options, REGSAM access,
                                     PHKEY result)
{
    g_record.calls.push_back("RegOpenKeyExA");
    g_record.opens.push_back({root, subKey ? subKey : "", options, access});
    if (g_registry.openResult != ERROR_SUCCESS)
        return g_registry.openResult;
    *result = kFakePolicyKey;
    return ERROR_SUCCESS;
}

extern "C" LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength,
                                     LPDWORD reserved, LPSTR className, LPDWORD classLength,
                                     PFILETIME lastWriteTime)
{
    g_record.calls.push_back("RegEnumKeyExA");
    g_record.enumerations.push_back({key, index, *nameLength,
                                     !reserved && !className && !classLength && !lastWriteTime});
    if (index >= g_registry.subkeys.size() + kRunawayMargin) {
        g_record.runawayListing = true;
        return ERROR_NO_MORE_ITEMS;
    }
    if (index >= g_registry.subkeys.size())
        return g_registry.resultPastEnd;
    const FakeSubkey& subkey = g_registry.subkeys[index];
    if (subkey.result != ERROR_SUCCESS)
        return subkey.result;
    // As the platform does: the name and its terminator must fit the capacity, and the capacity
    // comes back lowered to the name's length.
    if (subkey.name.size() + 1 > *nameLength)
        return ERROR_MORE_DATA;
    memcpy(name, subkey.name.c_str(), subkey.name.size() + 1);
    *nameLength = static_cast<DWORD>(subkey.name.size());
    return ERROR_SUCCESS;
}

extern "C" LONG WINAPI RegCloseKey(HKEY key)
{
    g_record.calls.push_back("RegCloseKey");
    g_record.closedKeys.push_back(key);
    return ERROR_SUCCESS;
}

extern "C" BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                                      LPSECURITY_ATTRIBUTES processAttributes,
                                      LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                                      DWORD creationFlags, LPVOID environment,
                                      LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                                      LPPROCESS_INFORMATION processInformation)
{
    g_record.calls.push_back("CreateProcessA");
    CreateProcessCall call = {};
    call.applicationNameNull = applicationName == nullptr;
    call.commandLine = commandLine ? commandLine : "";
    call.securityAttributesNull = !processAttributes && !threadAttributes;
    call.inheritHandles = inheritHandles;
    call.creationFlags = creationFlags;
    call.environmentNull = environment == nullptr;
    call.currentDirectoryNull = currentDirectory == nullptr;
    if (startupInfo)
        call.startup = *startupInfo;
    call.processInformationGiven = processInformation != nullptr;
    g_record.processStarts.push_back(call);
    if (!g_createProcessResult)
        return FALSE;
    processInformation->hProcess = kFakeProcessHandle;
    processInformation->hThread = kFakeThreadHandle;
    processInformation->dwProcessId = 100;
    processInformation->dwThreadId = 104;
    return TRUE;
}

extern "C" BOOL WINAPI CloseHandle(HANDLE handle)
{
    g_record.calls.push_back("CloseHandle");
    g_record.closedHandles.push_back(handle);
    return TRUE;
}

extern "C" HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                          LPCSTR directory, int showCommand)
{
    g_record.calls.push_back("ShellExecuteA");
    g_record.shellOpens.push_back({owner == nullptr, verb ? verb : "", file ? file : "",
                                   parameters == nullptr, directory == nullptr, showCommand});
    // Above 32 is the shell's success.
    return reinterpret_cast<HINSTANCE>(42);
}

// The test programs link with --wrap=exit, so the launcher's exit lands here. Within RunWinMain
// it is recorded and unwinds back to the caller; anywhere else the process ends as usual.
extern "C" [[noreturn]] void __real_exit(int code);

extern "C" [[noreturn]] void __wrap_exit(int code)
{
    if (!g_exitJump)
        __real_exit(code);
    g_record.calls.push_back("exit");
    g_exitCode = code;
    longjmp(*g_exitJump, 1);
}

RunResult RunWinMain(HINSTANCE instance, LPSTR commandLine, int showCommand)
{
    jmp_buf jump;
    g_exitJump = &jump;
    RunResult result = {};
    if (setjmp(jump) == 0) {
        result.exitCode = WinMain(instance, NULL, commandLine, showCommand);
        result.exited = false;
    } else {
        result.exitCode = g_exitCode;
        result.exited = true;
    }
    g_exitJump = nullptr;
    return result;
}
