// The launcher's whole run: probe the registered framework, then start the application or send
// the user to the help page. No window, no message, no waiting.
#include <stdlib.h>

#include <windows.h>
#include <shellapi.h>

#include "launcher.h"

// With no size, position or show state in it, the application chooses its own window.
static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68,
              "the start-up record of a 32-bit build is 68 bytes");

// The result is not examined: there is nothing more the launcher could do for the user.
static void OpenHelpPage()
{
    ShellExecuteA(NULL, kOpenVerb, kFrameworkHelpUrl, NULL, NULL, SW_SHOWDEFAULT);
}

// Starts the application with the platform's search for its relative path, with the launcher's
// environment and current directory and none of its arguments or show state. Nothing of the
// started process is kept.
static void StartApplication()
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    // The A form converts the command line and never writes to it, so the constant can go as is.
    if (CreateProcessA(NULL, const_cast<char*>(kApplicationCommandLine), NULL, NULL, TRUE, 0, NULL,
                       NULL, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // A key without any version subkey leaves this empty, which compares as 0.0: too old.
    VersionText version = {};
    if (!GetFrameworkVersion(version)) {
        OpenHelpPage();
        exit(kExitNoFramework);
    }
    if (IsVersionAtLeast(version, kRequiredFrameworkVersion))
        StartApplication();
    else
        OpenHelpPage();
    return 0;
}
