// The framework probe: which version does the machine register under the policy key?
#include "launcher.h"

// True for a name that begins with V or v, as the version subkeys do (v2.0, v4.0). Only ASCII
// case is ignored, so a lead byte of a double-byte character never matches.
static bool IsVersionName(const char* name, DWORD length)
{
    return length >= 1 && (name[0] == 'V' || name[0] == 'v');
}

// Keeps the first three characters after the V, so "v4.0.30319" gives "4.0" and "v10.0" gives
// "10.". Every byte after the text is zero, as the comparison reads up to the third byte.
static void CopyVersionText(VersionText& version, const char* name, DWORD length)
{
    for (int i = 0; i < kVersionTextSize; ++i)
        version[i] = 0;
    for (DWORD i = 0; i + 1 < kVersionTextSize && i + 1 < length && name[i + 1] != 0; ++i)
        version[i] = name[i + 1];
}

bool GetFrameworkVersion(VersionText& version)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFrameworkPolicyKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;

    char name[kVersionNameCapacity];
    for (DWORD index = 0;; ++index) {
        // The platform lowers the capacity to the length of each name it returns.
        DWORD length = kVersionNameCapacity;
        // ERROR_NO_MORE_ITEMS ends the listing. So does any other failure: the buffer then holds
        // no name, and a key deleted while it is listed would fail for every further index.
        if (RegEnumKeyExA(key, index, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        // Every match overwrites the one before: the last version subkey listed wins.
        if (IsVersionName(name, length))
            CopyVersionText(version, name, length);
    }

    RegCloseKey(key);
    return true;
}
