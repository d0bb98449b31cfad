// Names shared by the launcher's entry, its framework probe and its version comparison.
#pragma once

#include <windows.h>

// A framework version as the policy key names it, such as "4.0": at most three characters,
// zero-terminated, and zero in every byte after the text (the comparison reads the third byte).
const int kVersionTextSize = 4;
typedef char VersionText[kVersionTextSize];

// The least framework version the application runs on.
const VersionText kRequiredFrameworkVersion = "4.0";

// The framework's policy key under HKEY_LOCAL_MACHINE; one subkey per registered version (v2.0, v4.0).
const char kFrameworkPolicyKey[] = "SOFTWARE\\Microsoft\\.NETFramework\\policy";

// Registry key names are at most 255 characters, so this holds any of them with its terminator.
const DWORD kVersionNameCapacity = 256;

// The application, relative to the current directory, and at the same time its whole command line.
const char kApplicationCommandLine[] = "bin\\Ostrevan.exe";

// Where a user without a suitable framework is sent, and the shell verb that opens it.
const char kFrameworkHelpUrl[] = "http://www.ostrevan.com/dotnet";
const char kOpenVerb[] = "open";

// Exit code when the policy key cannot be opened (0xFFFFFFFD to the platform).
const int kExitNoFramework = -3;

// True when the registered version is the required one or a later one. Each text is read as its
// major number from the first byte and its minor number from the third byte on.
bool IsVersionAtLeast(const VersionText& registered, const VersionText& required);

// Lists the policy key's subkeys and writes the version of the last one whose name begins with V
// (or v) into |version|. Returns false, leaving |version| as it was, when the key cannot be opened.
bool GetFrameworkVersion(VersionText& version);
