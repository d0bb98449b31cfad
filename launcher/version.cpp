// Comparison of two version texts.
#include <stdlib.h>

#include "launcher.h"

// The minor number starts at the third byte whatever the first two hold ("4.0", "10", "4"): a
// version text is never split at its dot.
const int kMinorOffset = 2;

bool IsVersionAtLeast(const VersionText& registered, const VersionText& required)
{
    const int registeredMajor = atoi(registered);
    const int registeredMinor = atoi(registered + kMinorOffset);
    const int requiredMajor = atoi(required);
    const int requiredMinor = atoi(required + kMinorOffset);
    if (registeredMajor > requiredMajor)
        return true;
    return registeredMajor == requiredMajor && registeredMinor >= requiredMinor;
}
