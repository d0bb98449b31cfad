// The least a GUI program of this toolchain can be: the runtime's start-up and a WinMain that
// returns at once. The size benchmark measures the launcher against it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
