// The second floor for the launch benchmark: a GUI program that does nothing, but loads the same
// DLLs at start as the launcher does. Loading shell32 and what it pulls in is most of a start under
// Wine, and the launcher must import it, so this floor shows what the launcher's own work costs.
#include <windows.h>
#include <shellapi.h>

// Taken, never called: each address puts its DLL into the import table.
static void* volatile g_imports[] = {
    reinterpret_cast<void*>(&RegCloseKey),
    reinterpret_cast<void*>(&CreateProcessA),
    reinterpret_cast<void*>(&ShellExecuteA),
};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return g_imports[0] == NULL;
}
