// A stand-in for the application that the launcher starts. It records how it was started (its
// whole command line, current directory, own path, start-up record and one environment variable)
// in a file beside itself, for the scenario driver to read, and ends.
#include <stdio.h>
#include <string.h>

#include <windows.h>

#include "record.h"

// Writes |text| as one "name=value" line.
static void WriteField(FILE* file, const char* name, const char* text)
{
    fprintf(file, "%s=%s\n", name, text);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, module, sizeof(module));
    if (length == 0 || length >= sizeof(module))
        return 1;

    // The record goes beside the executable, so it is found whatever the current directory and
    // environment are: those are what it records.
    char folder[MAX_PATH];
    strcpy(folder, module);
    char* lastSlash = strrchr(folder, '\\');
    if (lastSlash == NULL)
        return 1;
    *lastSlash = 0;
    char recordPath[MAX_PATH];
    char partialPath[MAX_PATH];
    snprintf(recordPath, sizeof(recordPath), "%s\\%s", folder, kRecordFileName);
    snprintf(partialPath, sizeof(partialPath), "%s\\%s.partial", folder, kRecordFileName);

    char directory[MAX_PATH];
    if (GetCurrentDirectoryA(sizeof(directory), directory) == 0)
        strcpy(directory, "(unknown)");

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);

    char mark[1024];
    DWORD markLength = GetEnvironmentVariableA(kMarkVariable, mark, sizeof(mark));
    if (markLength == 0 || markLength >= sizeof(mark))
        strcpy(mark, kMarkUnset);

    FILE* file = fopen(partialPath, "w");
    if (file == NULL)
        return 1;
    char number[32];
    WriteField(file, kFieldCommandLine, GetCommandLineA());
    WriteField(file, kFieldCurrentDirectory, directory);
    WriteField(file, kFieldModule, module);
    snprintf(number, sizeof(number), "0x%lx", static_cast<unsigned long>(startup.dwFlags));
    WriteField(file, kFieldStartupFlags, number);
    snprintf(number, sizeof(number), "%u", static_cast<unsigned>(startup.wShowWindow));
    WriteField(file, kFieldShowWindow, number);
    WriteField(file, kFieldMark, mark);
    if (fclose(file) != 0)
        return 1;
    // Renamed when complete, so a reader never sees half a record.
    return MoveFileExA(partialPath, recordPath, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
