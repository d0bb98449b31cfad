// The shell call the launcher makes, declared for native builds on the test host.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, int showCommand);

#ifdef __cplusplus
}
#endif
