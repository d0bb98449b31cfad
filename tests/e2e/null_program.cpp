// The floor for the launch benchmark: a GUI program that does nothing, built like the launcher.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
